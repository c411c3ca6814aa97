// gzip data inflated with ISA-L gives what zlib gives, byte for byte, and fails where zlib
// fails with the same message, however the data arrives.
#include "files/GzipInflater.h"

#include "files/FileError.h"

#include "tests/files/Gzipped.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <climits>
#include <string>

using namespace pellacor;

namespace {

using testdata::gzipped;

// What reading `data` gives: its text, or "error: " and the message.
using Outcome = std::string;

// zlib's reading, with the messages the converter gave when it inflated with zlib.
Outcome withZlib(std::string_view data) {
    const std::string name = "\u201Ct.gz\u201D";
    z_stream z{};
    inflateInit2(&z, 16 + MAX_WBITS);
    std::string text;
    char out[65536];
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    for (;;) {
        z.next_out = reinterpret_cast<Bytef*>(out);
        z.avail_out = sizeof out;
        const int status = inflate(&z, Z_NO_FLUSH);
        text.append(out, sizeof out - z.avail_out);
        if (status == Z_STREAM_END) {
            if (z.avail_in == 0)
                break;
            if (z.avail_in < 2 || z.next_in[0] != 0x1F || z.next_in[1] != 0x8B) {
                inflateEnd(&z);
                return "error: " + name + " holds other data after its gzip data; it is damaged.";
            }
            inflateReset(&z);
            continue;
        }
        if (status != Z_OK && status != Z_BUF_ERROR) {
            const std::string message = z.msg ? z.msg : "";
            inflateEnd(&z);
            return "error: " + name + " is damaged: its gzip data cannot be inflated (" + message +
                   ").";
        }
        if (z.avail_in == 0 && z.avail_out == sizeof out) {
            inflateEnd(&z);
            return "error: " + name + " ends before its gzip data does; it was cut short.";
        }
    }
    inflateEnd(&z);
    return text;
}

// The inflater's reading, the data handed over `piece` bytes at a time and the output taken
// `room` bytes at a time.
Outcome withIsal(std::string_view data, std::size_t piece = SIZE_MAX, std::size_t room = 65536) {
    GzipInflater inflater("t.gz");
    std::string text;
    std::string out(room, '\0');
    std::size_t given = std::min(piece, data.size());
    try {
        while (!inflater.hasEnded()) {
            std::size_t used = 0;
            const bool ends = given == data.size();
            const std::size_t made =
                inflater.inflate(data.substr(0, given), ends, out.data(), room, used);
            text.append(out, 0, made);
            data.remove_prefix(used);
            given -= used;
            if (made == 0 && (used == 0 || given == 0))
                given = std::min(given + piece, data.size());
        }
    } catch (const FileError& e) {
        return std::string("error: ") + e.what();
    }
    return text;
}

std::string sampleTable(std::size_t rows) {
    std::string table = "ID,Sequence\n";
    for (std::size_t i = 0; i < rows; ++i) {
        table.append("s").append(std::to_string(i)).append(",");
        table.append(50 + i % 70, "ACGT"[i % 4]).append("TTGACC");
        table.append(std::to_string(i * 7919)).append("\n");
    }
    return table;
}

} // namespace

TEST(GzipInflater, members_one_after_another_and_empty_ones_read_as_zlib_reads_them) {
    const std::string table = sampleTable(20000);
    const std::vector<std::string> streams = {
        gzipped(table),
        gzipped(table.substr(0, 1000)) + gzipped(table.substr(1000)),
        gzipped("") + gzipped(table) + gzipped(""),
        gzipped(""),
        gzipped(table, 1) + gzipped(table, 9),
    };
    for (std::size_t i = 0; i < streams.size(); ++i) {
        const Outcome expected = withZlib(streams[i]);
        ASSERT_FALSE(expected.starts_with("error: ")) << i;
        EXPECT_EQ(withIsal(streams[i]), expected) << i;
        EXPECT_EQ(withIsal(streams[i], 1, 7), expected) << i << " in single bytes";
        EXPECT_EQ(withIsal(streams[i], 3, 65536), expected) << i << " in threes";
    }
}

TEST(GzipInflater, data_cut_short_or_followed_by_other_data_fails_as_with_zlib) {
    const std::string whole = gzipped(sampleTable(2000));
    const std::vector<std::string> streams = {
        whole.substr(0, whole.size() - 4),                      // without the length
        whole.substr(0, whole.size() / 2),  whole.substr(0, 5), // inside the header
        whole + gzipped("x").substr(0, 12), whole + "trailing text", whole + "\x1F",
    };
    for (std::size_t i = 0; i < streams.size(); ++i) {
        const Outcome expected = withZlib(streams[i]);
        ASSERT_TRUE(expected.starts_with("error: ")) << i;
        EXPECT_EQ(withIsal(streams[i]), expected) << i;
        EXPECT_EQ(withIsal(streams[i], 1, 5), expected) << i << " in single bytes";
    }
}

TEST(GzipInflater, damaged_data_fails_with_zlibs_message) {
    const std::string whole = gzipped(sampleTable(2000));
    const auto changed = [&](std::size_t at, char byte) {
        std::string copy = whole;
        copy[at] = byte;
        return copy;
    };
    // The header's method, the stored CRC, the stored length: the same words as zlib's.
    for (const std::string& stream :
         {changed(2, 7), changed(whole.size() - 6, ~whole[whole.size() - 6])}) {
        EXPECT_EQ(withIsal(stream), withZlib(stream));
        EXPECT_EQ(withIsal(stream, 1, 5), withZlib(stream));
    }
    // A damaged block fails under both; zlib words a few kinds of fault that ISA-L tells
    // apart less finely, so only the message around them is the same.
    const std::string prefix =
        "error: \u201Ct.gz\u201D is damaged: its gzip data cannot be inflated (";
    for (const std::size_t at : {10, 11, 40, 300}) {
        const std::string stream = changed(at, static_cast<char>(whole[at] ^ 0x5A));
        EXPECT_TRUE(withZlib(stream).starts_with("error: ")) << at;
        EXPECT_TRUE(withIsal(stream).starts_with(prefix)) << at << ": " << withIsal(stream);
    }
}
