#pragma once

#include "session/FileAccess.h"

#include <QString>

namespace pellacor {

/// Owns one granted access to a file and releases it exactly once: on `release()` or, at the
/// latest, on destruction.
class FileAccessGrant {
public:
    /// Takes over the access to `path` that `access` has already granted.
    FileAccessGrant(FileAccess& access, QString path) noexcept;
    FileAccessGrant(const FileAccessGrant&) = delete;
    FileAccessGrant& operator=(const FileAccessGrant&) = delete;
    FileAccessGrant(FileAccessGrant&& other) noexcept;
    FileAccessGrant& operator=(FileAccessGrant&& other) noexcept;
    /// Releases the access if it is still held.
    ~FileAccessGrant();

    /// Releases the access now; later calls do nothing.
    void release() noexcept;
    /// True while the access is held.
    bool held() const noexcept { return access_ != nullptr; }

private:
    FileAccess* access_;
    QString path_;
};

} // namespace pellacor
