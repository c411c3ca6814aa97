#include "core/FastaConverter.h"

#include <gtest/gtest.h>

using pellacor::FastaConverter;
using pellacor::LineWidth;
using pellacor::RecordView;
using pellacor::SequenceEntry;

namespace {

std::string render(std::vector<SequenceEntry> entries, int width = 80) {
    return FastaConverter::convert(entries, width);
}

} // namespace

TEST(FastaConverter, empty_list_gives_empty_text) {
    EXPECT_EQ(render({}), "");
}

TEST(FastaConverter, header_carries_description_only_when_non_empty) {
    EXPECT_EQ(render({{"s1", "ACGT-ACGT", "coli K-12"}}), ">s1 coli K-12\nACGT-ACGT\n");
    EXPECT_EQ(render({{"x1", "AC", ""}}), ">x1\nAC\n");
    EXPECT_EQ(render({{"x1", "AC", std::nullopt}}), ">x1\nAC\n");
    EXPECT_EQ(render({{"", "AC", "d"}}), "> d\nAC\n");
    EXPECT_EQ(render({{"e", "", std::nullopt}}), ">e\n");
}

TEST(FastaConverter, sequence_lines_break_at_the_width_without_a_trailing_empty_line) {
    EXPECT_EQ(render({{"a", "ACGTACGTAC", std::nullopt}}, 4), ">a\nACGT\nACGT\nAC\n");
    const std::string eighty(80, 'A');
    EXPECT_EQ(render({{"a", eighty, std::nullopt}}), ">a\n" + eighty + "\n");
    EXPECT_EQ(render({{"a", eighty + "C", std::nullopt}}), ">a\n" + eighty + "\nC\n");
    const std::string out = render({{"b2", std::string(170, 'G'), std::nullopt}});
    EXPECT_EQ(out, ">b2\n" + std::string(80, 'G') + "\n" + std::string(80, 'G') + "\n" +
                       std::string(10, 'G') + "\n");
}

TEST(FastaConverter, records_follow_each_other_and_residues_stay_as_given) {
    EXPECT_EQ(render({{"a", "ac--gt*", std::nullopt}, {"b", "N", "two words"}}),
              ">a\nac--gt*\n>b two words\nN\n");
}

TEST(FastaConverter, line_breaks_in_header_text_become_single_spaces) {
    EXPECT_EQ(render({{"id\r\none", "A", "first\nsecond\rthird\u2028fourth"}}),
              ">id one first second third fourth\nA\n");
    EXPECT_EQ(render({{"a\n\nb", "A", std::nullopt}}), ">a  b\nA\n");
}

TEST(FastaConverter, slices_never_split_a_letter_from_its_combining_mark) {
    // "e" + COMBINING ACUTE is one character of three bytes.
    const std::string accented = "e\u0301";
    const std::string out = render({{"u", accented + accented + accented, std::nullopt}}, 2);
    EXPECT_EQ(out, ">u\n" + accented + accented + "\n" + accented + "\n");
    EXPECT_EQ(render({{"w", "A\u00E9\u00E9A", std::nullopt}}, 3), ">w\nA\u00E9\u00E9\nA\n");
}

TEST(FastaConverter, a_byte_met_late_that_needs_care_reslices_the_whole_sequence) {
    // Lines already copied byte for byte must be taken back, and the record before kept.
    const std::string a80(80, 'A');
    const std::string out = render({{"first", "GG", std::nullopt},
                                    {"late", a80 + a80 + "e\u0301CC", std::nullopt},
                                    {"crlf", a80 + "A\r\nG", std::nullopt},
                                    {"lf", a80 + "AC\nG", std::nullopt}});
    EXPECT_EQ(out, ">first\nGG\n>late\n" + a80 + "\n" + a80 + "\ne\u0301CC\n>crlf\n" + a80 +
                       "\nA\r\nG\n>lf\n" + a80 + "\nAC\nG\n");
}

TEST(FastaConverter, writing_in_place_matches_appending_and_stays_within_the_bound) {
    // Headers whose line breaks shrink (CR LF, a three-byte LINE SEPARATOR), sequences sliced
    // by characters rather than bytes, and an LF inside the residues.
    const std::vector<SequenceEntry> records = {
        {"plain", std::string(161, 'A'), "desc"},
        {"id\r\nx", "AC\r\nGT", "a\u2028b"},
        {"caf\u00E9", "e\u0301e\u0301A\u00E9", std::nullopt},
        {"lf", "AC\nGT", std::string()},
        {"late", std::string(161, 'A') + "\u00E9" + std::string(5, 'C'), std::nullopt},
        {"", "", std::nullopt},
    };
    for (const LineWidth width :
         {LineWidth(1), LineWidth(3), LineWidth(80), LineWidth::unwrapped()}) {
        for (const SequenceEntry& e : records) {
            const RecordView record = FastaConverter::viewOf(e);
            std::string appended;
            const auto expected = FastaConverter::appendRecord(appended, record, width);
            // Exactly the bound, so a write past it is caught by the sanitizer build.
            std::vector<char> room(FastaConverter::recordSizeBound(record, width));
            const auto layout = FastaConverter::writeRecord(room.data(), record, width);
            ASSERT_LE(layout.end, room.size())
                << e.identifier << " at width " << width.characters();
            EXPECT_EQ(std::string(room.data(), layout.end), appended);
            EXPECT_EQ(layout.end, expected.end);
            EXPECT_EQ(appended.substr(layout.sequenceStart - 1, 1), "\n");
        }
    }
    std::string out;
    const LineWidth width;
    EXPECT_FALSE(
        FastaConverter::appendRecord(out, {"a\nb", "A", std::nullopt}, width).headerVerbatim);
    EXPECT_FALSE(
        FastaConverter::appendRecord(out, {"a", "A\nC", std::nullopt}, width).sequenceVerbatim);
    const auto plain = FastaConverter::appendRecord(out, {"a", "AC", "d"}, width);
    EXPECT_TRUE(plain.headerVerbatim && plain.sequenceVerbatim);
}
