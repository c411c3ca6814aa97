#pragma once

#include <exception>

namespace pellacor {

/// Thrown when the one who asked for a read no longer wants it (from a progress callback the
/// reader calls): nothing went wrong, and nothing read counts. Readers pass it on unchanged.
class ReadCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "The read was cancelled."; }
};

} // namespace pellacor
