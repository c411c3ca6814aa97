#pragma once

#include <QString>

namespace pellacor {

/// Permission to read a file the user chose. A sandboxed build asks the system and gives the
/// permission back afterwards; this build needs none, so access is always granted.
class FileAccess {
public:
    FileAccess() = default;
    FileAccess(const FileAccess&) = delete;
    FileAccess& operator=(const FileAccess&) = delete;
    virtual ~FileAccess() = default;

    /// Asks for access to `path`; true when granted. Each grant is released exactly once.
    virtual bool startAccessing(const QString& path);
    /// Gives back the access that `startAccessing(path)` granted.
    virtual void stopAccessing(const QString& path);
};

} // namespace pellacor
