#pragma once

#include <string_view>

namespace pellacor {

/// Which character separates the fields of a delimited table. Stateless.
class DelimiterGuess {
public:
    DelimiterGuess() = delete;

    /// The delimiter: by extension (tsv/tab: tab, csv: comma), else by counting tabs, commas
    /// and semicolons in the first 5 lines of `text`.
    static char of(std::string_view fileName, std::string_view text);
};

} // namespace pellacor
