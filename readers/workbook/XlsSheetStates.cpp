#include "readers/workbook/XlsSheetStates.h"

#include "core/UnicodeText.h"

#include <cstdint>
#include <optional>

namespace pellacor {
namespace {

// A sheet record: type 0x0085, its length, the position of the sheet's stream (4 bytes), its
// state (the low two bits: 0 shown, 1 hidden, 2 very hidden), its kind, then its name: a count
// of characters and, from BIFF8 on, a flag byte for 8-bit (0) or UTF-16 (1) characters.
constexpr std::size_t nameAt = 10;

// The forms `name` may be stored in, after the count: BIFF8 8-bit and UTF-16, BIFF5 8-bit.
std::vector<std::string> storedForms(std::string_view name) {
    std::string narrow;
    std::string wide;
    bool fitsNarrow = true;
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < name.size();) {
        const char32_t c = UnicodeText::decodeAt(name, pos);
        const auto unit = [&](std::uint32_t u) {
            wide += static_cast<char>(u & 0xFF);
            wide += static_cast<char>(u >> 8);
            ++units;
        };
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
        fitsNarrow = fitsNarrow && c < 0x100;
        narrow += static_cast<char>(c & 0xFF);
    }
    if (units == 0 || units > 255)
        return {};
    const char count = static_cast<char>(units);
    std::vector<std::string> forms{std::string{count, '\x01'} + wide};
    if (fitsNarrow) {
        forms.push_back(std::string{count, '\x00'} + narrow);
        forms.push_back(std::string{count} + narrow);
    }
    return forms;
}

} // namespace

std::vector<bool> XlsSheetStates::hidden(std::string_view bytes,
                                         const std::vector<std::string>& names) {
    std::vector<bool> states(names.size(), false);
    std::vector<std::vector<std::string>> forms;
    for (const std::string& name : names)
        forms.push_back(storedForms(name));
    std::vector<bool> found(names.size(), false);
    std::size_t left = names.size();
    constexpr std::string_view type("\x85\x00", 2);
    for (std::size_t at = bytes.find(type); at != std::string_view::npos && left > 0;
         at = bytes.find(type, at + 1)) {
        if (bytes.size() - at < nameAt + 2)
            break;
        const std::size_t length =
            static_cast<unsigned char>(bytes[at + 2]) |
            static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 3])) << 8;
        const std::string_view body = bytes.substr(at + nameAt, length >= 6 ? length - 6 : 0);
        if (body.size() + 6 != length)
            continue;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (found[i])
                continue;
            for (const std::string& form : forms[i])
                if (body == form) {
                    found[i] = true;
                    --left;
                    states[i] = (static_cast<unsigned char>(bytes[at + 8]) & 3) != 0;
                    break;
                }
        }
    }
    return states;
}

} // namespace pellacor
