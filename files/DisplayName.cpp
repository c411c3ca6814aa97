#include "files/DisplayName.h"

#include "core/UnicodeText.h"

namespace pellacor {
namespace {

void appendHex(std::string& out, unsigned char byte) {
    static constexpr char digits[] = "0123456789ABCDEF";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

} // namespace

std::string DisplayName::of(const std::filesystem::path& path) {
    std::string name = path.filename().string();
    // "dir/" has no file name of its own; the directory's is the one to show.
    if (name.empty())
        name = path.parent_path().filename().string();
    if (name.empty())
        name = path.string();
    return escaped(name);
}

std::string DisplayName::quoted(const std::filesystem::path& path) {
    return "\u201C" + of(path) + "\u201D";
}

std::string DisplayName::oneLine(std::string_view text) {
    std::string spaced;
    spaced.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        if (const std::size_t newline = UnicodeText::newlineLengthAt(text, pos)) {
            // CR LF is one break.
            const bool pair = text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n';
            spaced += ' ';
            pos += pair ? 2 : newline;
            continue;
        }
        spaced += text[pos++];
    }
    return escaped(spaced);
}

std::string DisplayName::escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte >= 0x80) {
            std::size_t next = pos;
            const char32_t c = UnicodeText::decodeAt(text, next);
            const bool malformed = !UnicodeText::isValidUtf8(text.substr(pos, next - pos));
            if (malformed || UnicodeText::isNewline(c)) {
                for (std::size_t i = pos; i < (malformed ? pos + 1 : next); ++i)
                    appendHex(out, static_cast<unsigned char>(text[i]));
                pos = malformed ? pos + 1 : next;
                continue;
            }
            out.append(text.substr(pos, next - pos));
            pos = next;
            continue;
        }
        if (byte == '\n')
            out += "\\n";
        else if (byte == '\t')
            out += "\\t";
        else if (byte == '\r')
            out += "\\r";
        else if (byte < 0x20 || byte == 0x7F)
            appendHex(out, byte);
        else
            out += static_cast<char>(byte);
        ++pos;
    }
    return out;
}

} // namespace pellacor
