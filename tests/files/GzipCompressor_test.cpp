// Text compressed in pieces on several threads must come back whole through zlib, the reader
// most tools use, whatever its size and however it was written.
#include "files/GzipCompressor.h"

#include "tests/files/Gzipped.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

using namespace pellacor;

namespace {

// zlib, the reader most tools use, is the judge.
std::string inflatedByZlib(const std::string& data) { return testdata::gunzipped(data); }

std::string compressed(const std::string& text, std::mt19937& random, unsigned threads = 0) {
    std::string out;
    GzipCompressor compressor([&](std::string_view bytes) { out.append(bytes); },
                              GzipCompressor::defaultLevel, threads);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t step = std::min<std::size_t>(text.size() - at, 1 + random() % 300000);
        compressor.write(std::string_view(text).substr(at, step));
        at += step;
    }
    compressor.finish();
    return out;
}

} // namespace

TEST(GzipCompressor, text_of_any_size_in_writes_of_any_size_comes_back_whole) {
    std::mt19937 random(3);
    const std::size_t piece = GzipCompressor::pieceBytes;
    std::string fasta;
    while (fasta.size() < 4 * piece)
        fasta.append(">s").append(std::to_string(fasta.size())).append("\n")
            .append(std::string(80, "ACGT"[random() % 4])).append("\n");
    std::string noise(2 * piece + 77, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    for (const std::size_t size : {std::size_t(0), std::size_t(1), piece - 1, piece, piece + 1,
                                   3 * piece + piece / 2}) {
        const std::string text = fasta.substr(0, size);
        const std::string out = compressed(text, random);
        EXPECT_EQ(inflatedByZlib(out), text) << size;
        if (size > piece) {
            EXPECT_LT(out.size(), text.size() / 2) << "FASTA compresses";
        }
    }
    // Bytes that do not compress are stored, and still join.
    EXPECT_EQ(inflatedByZlib(compressed(noise, random)), noise);
    // One thread's buffers go round many pieces; what they held before must not leak in.
    EXPECT_EQ(inflatedByZlib(compressed(fasta + fasta, random, 1)), fasta + fasta);
    // One thread gives the same bytes as several.
    EXPECT_EQ(compressed(fasta, random, 1), compressed(fasta, random, 4));
}

TEST(GzipCompressor, an_output_that_fails_fails_the_write_and_nothing_waits_for_ever) {
    int calls = 0;
    const auto failing = [&](std::string_view) {
        if (++calls > 2)
            throw std::runtime_error("disk full");
    };
    const std::string text(6 * GzipCompressor::pieceBytes, 'A');
    EXPECT_THROW(
        {
            GzipCompressor compressor(failing);
            compressor.write(text);
            compressor.finish();
        },
        std::runtime_error);
}
