#include "files/Utf16Text.h"

#include "files/DisplayName.h"
#include "files/FileError.h"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace pellacor {

Utf16Text::Utf16Text(std::unique_ptr<TextSource> input, std::string name, bool isBigEndian)
    : DecodedText(std::move(input), std::move(name)), isBigEndian_(isBigEndian) {}

std::optional<bool> Utf16Text::byteOrderOf(std::string_view bytes) noexcept {
    if (bytes.size() < 2)
        return std::nullopt;
    const auto first = static_cast<unsigned char>(bytes[0]);
    const auto second = static_cast<unsigned char>(bytes[1]);
    if (first == 0xFE && second == 0xFF)
        return true;
    if (first == 0xFF && second == 0xFE)
        return false;
    return std::nullopt;
}

std::size_t Utf16Text::decode(std::string_view input, bool inputEnds, char* out, std::size_t room,
                              std::size_t& used) {
    used = 0;
    if (!markDropped_) {
        if (input.size() < 2)
            return 0;
        used = 2;
        markDropped_ = true;
    }
    const auto unitAt = [&](std::size_t at) -> char16_t {
        const auto a = static_cast<unsigned char>(input[at]);
        const auto b = static_cast<unsigned char>(input[at + 1]);
        return static_cast<char16_t>(isBigEndian_ ? (a << 8) | b : (b << 8) | a);
    };
    std::size_t made = 0;
    // Each character takes at most four bytes of UTF-8.
    while (used + 2 <= input.size() && room - made >= 4) {
        UChar32 c = unitAt(used);
        std::size_t units = 1;
        if (U16_IS_LEAD(c)) {
            if (used + 4 > input.size()) {
                if (inputEnds)
                    c = -1;
                else
                    break; // the trail comes with the next piece
            } else if (U16_IS_TRAIL(unitAt(used + 2))) {
                c = U16_GET_SUPPLEMENTARY(c, unitAt(used + 2));
                units = 2;
            } else {
                c = -1;
            }
        } else if (U16_IS_TRAIL(c)) {
            c = -1;
        }
        if (c < 0)
            throw FileError(DisplayName::quoted(name()) +
                            " is not valid UTF-16 text. Save it as UTF-8 or UTF-16 and try again.");
        int32_t length = 0;
        UBool error = false;
        U8_APPEND(reinterpret_cast<uint8_t*>(out + made), length, 4, c, error);
        (void)error; // a valid code point always fits in four bytes
        made += static_cast<std::size_t>(length);
        used += 2 * units;
    }
    if (inputEnds && used + 1 == input.size())
        throw FileError(DisplayName::quoted(name()) +
                        " is not valid UTF-16 text: it ends inside a character.");
    return made;
}

} // namespace pellacor
