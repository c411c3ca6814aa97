#pragma once

#include <cstddef>
#include <fstream>
#include <string>
#include <string_view>

namespace pellacor::testdata {

/// A memory figure of this process in kB, as Linux tells it in /proc/self/status (`field` is
/// "VmHWM", "RssFile", ...); 0 where it does not.
inline std::size_t statusKilobytes(std::string_view field) {
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(field) + ":";
    for (std::string line; std::getline(status, line);)
        if (line.rfind(prefix, 0) == 0)
            return std::stoul(line.substr(prefix.size()));
    return 0;
}

} // namespace pellacor::testdata
