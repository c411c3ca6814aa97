#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellacor {

/// One cell of a sheet's row, placed by its column (1 for A).
struct SheetCell {
    std::size_t column = 0;
    std::string ownText;                 ///< the value, unless it is a shared string
    const std::string* shared = nullptr; ///< the shared-string entry it refers to, if any
    /// True for a shared-string cell read before the table came: `ownText` is its index text,
    /// undecoded.
    bool awaitsTable = false;
    /// The cell's value.
    std::string_view value() const noexcept { return shared ? *shared : ownText; }
};

} // namespace pellacor
