#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pellacor {

/// A file's name as a message shows it: on one line, whatever bytes the file system holds. A
/// line break in a name would split a one-line error in two, and bytes that are no UTF-8 would
/// garble it.
class DisplayName {
public:
    DisplayName() = delete;

    /// The last component of `path`, control characters written as \n, \t or \xHH and bytes
    /// that are not UTF-8 as \xHH.
    static std::string of(const std::filesystem::path& path);
    /// `of(path)` between typographic quotation marks.
    static std::string quoted(const std::filesystem::path& path);
    /// `text` with the same escapes (for a whole path or any other text from outside).
    static std::string escaped(std::string_view text);
    /// Text from a table (a cell, a column's name) as a one-line message quotes it: each line
    /// break a space, other control characters escaped, so that a table can neither split a
    /// message nor send the terminal a command.
    static std::string oneLine(std::string_view text);
};

} // namespace pellacor
