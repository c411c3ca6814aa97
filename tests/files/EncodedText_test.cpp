// Text in UTF-16 or UTF-32 turned into UTF-8 as it is read: whole, however long and however
// the bytes arrive, and never with a character changed or dropped in silence.
#include "files/EncodedText.h"

#include "files/FileError.h"
#include "files/MemoryText.h"
#include "files/StreamedText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace pellacor;

namespace {

// Everything `source` gives, read to its end.
std::string drain(TextSource& source) {
    std::string text;
    for (;;) {
        text.append(source.window());
        source.drop(source.window().size());
        if (source.isComplete() || !source.readMore()) {
            text.append(source.window());
            return text;
        }
    }
}

// `text` in the UTF-16 or UTF-32 form `encoding` names, behind its byte-order mark.
std::string encoded(std::u32string_view text, const std::string& encoding) {
    const bool wide = encoding.starts_with("UTF-32");
    const bool big = encoding.ends_with("BE");
    std::string out;
    const auto unit = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            const int shift = 8 * (big ? bytes - 1 - i : i);
            out += static_cast<char>((value >> shift) & 0xFF);
        }
    };
    const auto put = [&](char32_t c) {
        if (wide)
            unit(c, 4);
        else if (c > 0xFFFF) {
            unit(0xD800 + ((c - 0x10000) >> 10), 2);
            unit(0xDC00 + ((c - 0x10000) & 0x3FF), 2);
        } else
            unit(c, 2);
    };
    put(0xFEFF);
    for (const char32_t c : text)
        put(c);
    return out;
}

// Decodes `bytes` as the byte-order mark at their start says, from memory or from a descriptor
// read `piece` bytes at a time.
std::string decode(const std::string& bytes, std::size_t piece = 0) {
    const std::optional<EncodedText::Marked> marked = EncodedText::markedEncodingOf(bytes);
    if (!marked)
        return "<no mark>";
    if (piece == 0) {
        EncodedText text(std::make_unique<MemoryText>(bytes), "t.csv", marked->encoding,
                         marked->label, marked->markBytes);
        return drain(text);
    }
    char name[] = "/tmp/pellacor-encoded-XXXXXX";
    const int fd = ::mkstemp(name);
    ::unlink(name);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::lseek(fd, 0, SEEK_SET);
    std::string result;
    {
        EncodedText text(std::make_unique<StreamedText>(fd, "t.csv", piece), "t.csv",
                         marked->encoding, marked->label, marked->markBytes);
        result = drain(text);
    }
    ::close(fd);
    return result;
}

std::string messageOf(const std::string& bytes) {
    try {
        decode(bytes);
    } catch (const FileError& error) {
        return error.what();
    }
    return "<no error>";
}

} // namespace

TEST(EncodedText, the_four_byte_order_marks_are_told_apart) {
    using namespace std::string_view_literals;
    EXPECT_STREQ(EncodedText::markedEncodingOf("\xFF\xFE\0\0x"sv)->encoding, "UTF-32LE");
    EXPECT_STREQ(EncodedText::markedEncodingOf("\0\0\xFE\xFFx"sv)->encoding, "UTF-32BE");
    EXPECT_STREQ(EncodedText::markedEncodingOf("\xFF\xFEx\0"sv)->encoding, "UTF-16LE");
    EXPECT_STREQ(EncodedText::markedEncodingOf("\xFE\xFF\0x"sv)->encoding, "UTF-16BE");
    EXPECT_FALSE(EncodedText::markedEncodingOf("id,seq"));
    EXPECT_FALSE(EncodedText::markedEncodingOf("\xEF\xBB\xBFid"));
}

TEST(EncodedText, a_table_of_many_megabytes_comes_out_whole_in_every_form) {
    // Far more characters than one decoded piece holds, with characters of every UTF-8 length
    // and one outside the BMP: the piece boundaries fall everywhere in them.
    std::u32string table;
    std::string expected;
    for (int row = 0; table.size() < 10'000'000; ++row) {
        table += U's';
        table += static_cast<char32_t>(U'0' + row % 10);
        table += U",ACGT\u00E9\u4E2D\U0001F9EC,d\n";
        expected += 's';
        expected += static_cast<char>('0' + row % 10);
        expected += ",ACGT\u00E9\u4E2D\U0001F9EC,d\n";
    }
    for (const char* form : {"UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE"}) {
        const std::string bytes = encoded(table, form);
        EXPECT_TRUE(decode(bytes) == expected) << form;
        EXPECT_TRUE(decode(bytes, 65'537) == expected) << form << " in pieces";
    }
}

TEST(EncodedText, bytes_that_are_no_character_stop_the_reading_with_its_name) {
    const std::string valid = encoded(U"id,seq\n", "UTF-16LE");
    // A trail surrogate with no lead, a lead with no trail, an odd byte at the end.
    using namespace std::string_literals;
    EXPECT_EQ(messageOf(valid + "\x00\xDCx\0"s),
              "\u201Ct.csv\u201D is not valid UTF-16 text. Save it as UTF-8 and try again.");
    EXPECT_EQ(messageOf(valid + "\x00\xD8x\0"s),
              "\u201Ct.csv\u201D is not valid UTF-16 text. Save it as UTF-8 and try again.");
    EXPECT_EQ(messageOf(valid + "x"),
              "\u201Ct.csv\u201D is not valid UTF-16 text: it ends inside a character.");
    // Beyond the last code point, and a surrogate written as one UTF-32 unit.
    const std::string wide = encoded(U"id,seq\n", "UTF-32LE");
    EXPECT_EQ(messageOf(wide + "\x00\x00\x11\x00"s),
              "\u201Ct.csv\u201D is not valid UTF-32 text. Save it as UTF-8 and try again.");
    EXPECT_EQ(messageOf(wide + "\x00\xD8\x00\x00"s),
              "\u201Ct.csv\u201D is not valid UTF-32 text. Save it as UTF-8 and try again.");
}
