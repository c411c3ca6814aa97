#pragma once

#include "files/FileDescriptor.h"

#include <string_view>

namespace pellacor {

/// An unlinked temporary file that holds output until it may go out: written as it comes, then
/// sent to a descriptor in one go. Its space is given back when it goes away, however the
/// program ends.
class SpoolFile {
public:
    /// Creates the file in $TMPDIR, or /tmp; throws `FileError` when it cannot.
    SpoolFile();

    /// Appends `bytes`; throws `FileError` on a write failure (a full disk).
    void write(std::string_view bytes);
    /// Sends everything written to `fd`; false, with errno telling why, when that fails.
    bool sendTo(int fd);

private:
    FileDescriptor fd_;
};

} // namespace pellacor
