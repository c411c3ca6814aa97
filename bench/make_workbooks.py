#!/usr/bin/python3
"""Writes the benchmark tables: <name>.csv, and <name>-inline.xlsx (inline strings, as openpyxl
and pandas write them). The shared-string workbook is made from the CSV by LibreOffice."""
import csv
import random
import sys

import openpyxl


def rows(count, residues, seed=7):
    rng = random.Random(seed)
    alphabet = "ACDEFGHIKLMNPQRSTVWY"
    yield ["ID", "Sequence", "Description"]
    for i in range(count):
        sequence = "".join(rng.choice(alphabet) for _ in range(residues))
        yield [f"prot_{i:07d}", sequence, f"synthetic protein {i} of {count}"]


def main():
    directory, name, count, residues = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    with open(f"{directory}/{name}.csv", "w", newline="", encoding="utf-8") as table:
        csv.writer(table).writerows(rows(count, residues))
    book = openpyxl.Workbook(write_only=True)
    sheet = book.create_sheet("Sequences")
    for row in rows(count, residues):
        sheet.append(row)
    book.save(f"{directory}/{name}-inline.xlsx")


if __name__ == "__main__":
    main()
