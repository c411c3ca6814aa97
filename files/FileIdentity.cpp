#include "files/FileIdentity.h"

#include <sys/stat.h>

namespace pellacor {

bool FileIdentity::same(const std::filesystem::path& a, const std::filesystem::path& b) noexcept {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace pellacor
