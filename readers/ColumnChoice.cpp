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

} // namespace pellacor
