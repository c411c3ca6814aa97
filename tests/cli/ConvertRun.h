#pragma once
// Runs the pellacor-convert binary as a user would, from a shell, and collects what it did.

#include "tests/readers/HostileInput.h"

#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace pellacor::hostile {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// Runs the converter with `arguments` (shell words) and `environment` (assignments) under a time
/// limit, as the user "nobody" when asked, since root ignores permissions.
inline Outcome convert(const std::string& arguments, bool asNobody = false,
                       const std::string& environment = "") {
    const ScratchFolder streams;
    const std::string nobody =
        asNobody && ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const std::string command = environment + " timeout 300 " + nobody + PELLACOR_CONVERT + " " +
                                arguments + " >" + (streams / "out").string() + " 2>" +
                                (streams / "err").string();
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(streams / "out"),
            slurp(streams / "err")};
}

} // namespace pellacor::hostile
