#pragma once

#include <stdexcept>
#include <string>

namespace pellacor {

/// Base of every failure a table reader reports; `what()` is the message the user reads.
class TableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace pellacor
