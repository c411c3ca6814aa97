#pragma once

#include <stdexcept>
#include <string>

namespace pellacor {

/// Base of every failure a table reader reports; `what()` is the message the user reads.
class TableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A failure of the file system (open, read, write), described in the system's words.
class FileError : public TableError {
public:
    /// Builds "<action> “<name>”: <strerror(errorNumber)>." for the file at `path`.
    FileError(const std::string& action, const std::string& path, int errorNumber);
    explicit FileError(const std::string& message) : TableError(message), errorNumber_(0) {}

    /// The errno behind the failure, 0 when there was none.
    int errorNumber() const noexcept { return errorNumber_; }

private:
    int errorNumber_;
};

} // namespace pellacor
