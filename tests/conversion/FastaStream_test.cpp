// The stream the converter writes through: the same bytes as the writer gives for the whole
// text, in pieces that stay near a megabyte even for one record of many.
#include "conversion/FastaStream.h"

#include "core/ConversionTrace.h"
#include "core/FastaConverter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pellacor;

namespace {

struct Streamed {
    std::string text;
    std::size_t largestPiece = 0;
    std::string traceLines;
};

Streamed stream(const std::vector<SequenceEntry>& entries, LineWidth width) {
    Streamed out;
    FastaStream stream(
        width,
        [&](std::string_view piece) {
            out.text.append(piece);
            out.largestPiece = std::max(out.largestPiece, piece.size());
        },
        true);
    for (const SequenceEntry& entry : entries)
        stream.add(FastaConverter::viewOf(entry));
    stream.finish();
    out.traceLines = stream.counter().lines();
    return out;
}

// A sequence of `bytes` or a little more, `unit` after `unit`.
std::string repeated(std::string_view unit, std::size_t bytes) {
    std::string text;
    text.reserve(bytes + unit.size());
    while (text.size() < bytes)
        text.append(unit);
    return text;
}

TEST(FastaStreamTest, a_record_larger_than_the_buffer_goes_out_in_pieces_of_whole_lines) {
    const std::size_t large = 2 * FastaStream::pieceBytes + 17;
    // Plain residues; "e" and a combining accent, one character of three bytes, so that
    // characters and bytes part ways; CR LF, one character; a long cluster of marks that
    // straddles where a piece would end by bytes.
    const std::vector<std::string> sequences = {
        repeated("ACGT", large), repeated("e\xCC\x81G", large), repeated("AC\r\nGT", large),
        "\xC3\xA9" + repeated("A", FastaStream::pieceBytes - 40) + repeated("\xCC\x81", 200) +
            repeated("T", large)};
    for (const std::string& sequence : sequences)
        for (const LineWidth width :
             {LineWidth(), LineWidth(61), LineWidth(1), LineWidth::unwrapped()}) {
            const std::vector<SequenceEntry> entries = {
                {"small", "ACGT", std::nullopt},
                {"big", sequence, std::string("a long one")},
                {"after", "GG", std::nullopt}};
            const Streamed streamed = stream(entries, width);
            const std::string whole = FastaConverter::convert(entries, width);
            ASSERT_EQ(streamed.text.size(), whole.size()) << width.characters();
            ASSERT_TRUE(streamed.text == whole) << width.characters();
            EXPECT_LT(streamed.largestPiece, 4 * FastaStream::pieceBytes) << width.characters();
            EXPECT_EQ(streamed.traceLines, ConversionTrace::fastaLines(whole));
        }
}

} // namespace
