#pragma once

#include <cstddef>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

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

/// How many of the pages of [`at`, `at` + `bytes`) are in memory; 0 where the system does
/// not tell. `at` starts a page.
inline std::size_t residentPages(const char* at, std::size_t bytes) {
#if defined(__linux__)
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> flags((bytes + page - 1) / page);
    if (::mincore(const_cast<char*>(at), bytes, flags.data()) != 0)
        return 0;
    std::size_t resident = 0;
    for (const unsigned char flag : flags)
        resident += flag & 1;
    return resident;
#else
    (void)at, (void)bytes;
    return 0;
#endif
}

} // namespace pellacor::testdata
