#pragma once

#include <filesystem>

namespace pellacor {

/// Which file on disk a path names, links followed: two paths name the same file when their
/// device and inode agree, whatever links or other names lead there.
class FileIdentity {
public:
    FileIdentity() = delete;

    /// True when `a` and `b` both exist and are the same file.
    static bool same(const std::filesystem::path& a, const std::filesystem::path& b) noexcept;
};

} // namespace pellacor
