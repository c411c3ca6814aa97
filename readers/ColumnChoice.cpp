#include "readers/ColumnChoice.h"

#include "core/UnicodeText.h"

#include <charconv>

namespace pellacor {

ColumnRef ColumnRef::parse(std::string_view text) {
    const std::string_view trimmed = UnicodeText::trim(text, true);
    if (UnicodeText::toLower(trimmed) == "none")
        return nothing();
    std::size_t number = 0;
    const auto [end, error] =
        std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), number);
    if (error == std::errc() && end == trimmed.data() + trimmed.size() && number > 0)
        return column(number);
    return {Kind::name, 0, std::string(trimmed)};
}

void ColumnChoice::chooseSequences(std::string_view text) {
    std::vector<ColumnRef> refs;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string_view part = UnicodeText::trim(
            text.substr(start, comma == std::string_view::npos ? text.npos : comma - start), true);
        // A list has no empty part; otherwise the commas belong to one name.
        if (part.empty()) {
            refs = {ColumnRef::parse(text)};
            break;
        }
        refs.push_back(ColumnRef::parse(part));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    sequence = refs.front();
    moreSequences.assign(refs.begin() + 1, refs.end());
}

} // namespace pellacor
