#pragma once

#include <stdexcept>
#include <string>

namespace pellacor {

/// A failure of the file system (open, read, write) or of starting a program, described in the
/// system's words; `what()` is the message the user reads.
class FileError : public std::runtime_error {
public:
    /// Builds "<action> “<name>”: <strerror(errorNumber)>." for the file at `path`, its name
    /// shown as `DisplayName` shows it.
    FileError(const std::string& action, const std::string& path, int errorNumber);
    /// A failure told in `message` as it stands.
    explicit FileError(const std::string& message) : std::runtime_error(message), errorNumber_(0) {}

    /// The errno behind the failure, 0 when there was none.
    int errorNumber() const noexcept { return errorNumber_; }

private:
    int errorNumber_;
};

} // namespace pellacor
