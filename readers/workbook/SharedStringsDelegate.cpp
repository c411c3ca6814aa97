#include "readers/workbook/SharedStringsDelegate.h"

#include "core/UnicodeText.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace pellacor {
namespace {

// Reserving for the declared count saves regrowth; a hostile count must not allocate much.
constexpr std::size_t reserveLimit = 1 << 20;

// The code unit of an escape "_xHHHH_" starting at `text[pos]`, or -1 when there is none.
long escapeAt(std::string_view text, std::size_t pos) {
    if (text.size() - pos < 7 || text[pos] != '_' || text[pos + 1] != 'x' || text[pos + 6] != '_')
        return -1;
    unsigned value = 0;
    const char* first = text.data() + pos + 2;
    const auto [end, error] = std::from_chars(first, first + 4, value, 16);
    if (error != std::errc() || end != first + 4)
        return -1;
    return static_cast<long>(value);
}

} // namespace

SharedStringsDelegate::SharedStringsDelegate(std::vector<std::uint64_t> wanted)
    : isFiltered_(true), wanted_(std::move(wanted)) {}

bool SharedStringsDelegate::wantsMore() const {
    return !isFiltered_ || nextWanted_ < wanted_.size();
}

SharedStringTable SharedStringsDelegate::takeTable() {
    return std::move(table_);
}

void SharedStringsDelegate::didStartElement(std::string_view localName,
                                            const XmlAttributes& attributes) {
    if (localName == "t") {
        isInText = true;
    } else if (localName == "rPh") {
        ++phoneticDepth;
    } else if (localName == "si") {
        currentString.clear();
    } else if (localName == "sst" && !isFiltered_) {
        if (const char* count = attributes.find("uniqueCount"))
            table_.reserve(std::min<std::size_t>(std::strtoull(count, nullptr, 10), reserveLimit));
    }
}

void SharedStringsDelegate::foundCharacters(std::string_view text) {
    if (isInText && phoneticDepth == 0)
        currentString.append(text);
}

void SharedStringsDelegate::didEndElement(std::string_view localName) {
    if (localName == "t") {
        isInText = false;
    } else if (localName == "rPh") {
        if (phoneticDepth > 0)
            --phoneticDepth;
    } else if (localName == "si") {
        // Every item takes a number, empty or not, so numbers keep matching what cells say.
        const bool isWanted =
            !isFiltered_ || (nextWanted_ < wanted_.size() && wanted_[nextWanted_] == itemCount);
        if (isWanted) {
            // Most texts hold no escape: they are moved into the table, not copied.
            table_.append(itemCount, currentString.find("_x") == std::string::npos
                                         ? std::move(currentString)
                                         : decodeEscapes(currentString));
            nextWanted_ += isFiltered_;
        }
        ++itemCount;
        currentString.clear();
    }
}

std::string SharedStringsDelegate::decodeEscapes(std::string_view text) {
    std::size_t pos = text.find("_x");
    if (pos == std::string_view::npos)
        return std::string(text);
    std::string out(text.substr(0, pos));
    while (pos < text.size()) {
        const long unit = escapeAt(text, pos);
        if (unit < 0) {
            out += text[pos++];
            continue;
        }
        char32_t c = static_cast<char32_t>(unit);
        std::size_t length = 7;
        if (c >= 0xD800 && c <= 0xDBFF) {
            // A character beyond the BMP is stored as two escaped UTF-16 halves.
            const long low = escapeAt(text, pos + 7);
            if (low < 0xDC00 || low > 0xDFFF) {
                out += text[pos++];
                continue;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(low) - 0xDC00);
            length = 14;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            out += text[pos++];
            continue;
        }
        UnicodeText::appendUtf8(out, c);
        pos += length;
    }
    return out;
}

} // namespace pellacor
