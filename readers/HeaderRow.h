#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

class TableProfile;

/// The test both readers make on the first row of a table: whether it names the columns
/// rather than holding data.
class HeaderRow {
public:
    HeaderRow() = delete;

    /// Words that column titles are made of.
    static constexpr std::array<std::string_view, 9> keywords = {
        "gene", "sequence", "id", "identifier", "name", "seq", "description", "desc", "header"};
    /// Fields this many characters long or longer are data, never a title.
    static constexpr std::size_t examinedLengthLimit = 50;

    /// True when `fields`, a table's first row, names its columns: a short field of column 2 holds
    /// a title word ("DNA Sequence"), or another short field is made of title words only
    /// ("Gene ID"), each word also allowed with a plural s.
    static bool test(std::span<const std::string_view> fields);
    /// True when `fields`, a table's first row, differs in kind from the rows below it that
    /// `below` describes: in a column of sequences it holds a word, or in two columns of
    /// numbers it holds words.
    static bool differsInKind(std::span<const std::string_view> fields, const TableProfile& below);
    /// The words of a field: runs of letters and digits, also split where a lower-case letter
    /// is followed by an upper-case one ("SeqID" is "seq" and "id"); each word lower-cased.
    static std::vector<std::string> wordsOf(std::string_view text);
};

} // namespace pellacor
