#!/usr/bin/env python3
"""Lists include cycles between the units of the product (a unit is X.h with its X*.cpp) and
includes that go against the folders' order. Exit status 1 when there are any."""
import os, re, subprocess, sys

os.chdir(os.path.join(os.path.dirname(__file__), ".."))
# A folder may include from the folders before it, and from itself.
order = ["core", "files", "readers", "readers/delimited", "readers/workbook", "conversion",
         "cli", "session", "ui/widgets", "ui/textview", "ui", "app"]
allowed_below = {"readers/delimited": ["readers"], "readers/workbook": ["readers"],
                 "readers": [], "ui/textview": ["ui/widgets"], "ui": ["ui/widgets", "ui/textview"]}
product = {"core", "files", "readers", "conversion", "cli", "session", "ui", "app"}
try:
    tracked = subprocess.check_output(["git", "ls-files"], text=True,
                                      stderr=subprocess.DEVNULL).split()
except (OSError, subprocess.CalledProcessError):
    # A source tree without git (unpacked from an archive): every file in it counts.
    tracked = [os.path.relpath(os.path.join(d, n)) for top in sorted(product) if os.path.isdir(top)
               for d, _, names in os.walk(top) for n in names]
files = [f for f in tracked if f.endswith((".h", ".cpp")) and f.split("/")[0] in product]

def unit(path):
    base = os.path.splitext(path)[0]
    return re.sub(r"_[A-Za-z]+$", "", base)

graph, problems = {}, []
for f in files:
    u = unit(f)
    for inc in re.findall(r'#include "([^"]+)"', open(f).read()):
        if not os.path.exists(inc):
            continue
        v = unit(inc)
        if v != u:
            graph.setdefault(u, set()).add(v)
        a, b = os.path.dirname(u), os.path.dirname(v)
        if a != b and b in order and a in order:
            if order.index(b) > order.index(a) and b not in allowed_below.get(a, []):
                problems.append(f"{f} includes {inc}, a later folder")
        if a in ("readers",) and b.startswith("readers/"):
            problems.append(f"{f} includes {inc}: shared readers code needs no one reader")

def cycles():
    seen, stack, found = set(), [], []
    def visit(n):
        if n in stack:
            found.append(stack[stack.index(n):] + [n]); return
        if n in seen:
            return
        seen.add(n); stack.append(n)
        for m in sorted(graph.get(n, ())):
            visit(m)
        stack.pop()
    for n in sorted(graph):
        visit(n)
    return found

for c in cycles():
    problems.append("cycle: " + " -> ".join(c))
print("\n".join(problems) or "no include cycles, every include follows the folders' order")
sys.exit(1 if problems else 0)
