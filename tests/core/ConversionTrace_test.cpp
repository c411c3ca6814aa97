#include "core/ConversionTrace.h"

#include <gtest/gtest.h>

#include <string>

using pellacor::ConversionTrace;

namespace {

std::string lengthLine(const std::string& fasta) {
    const std::string lines = ConversionTrace::fastaLines(fasta);
    return lines.substr(0, lines.find('\n'));
}

} // namespace

TEST(ConversionTrace, the_output_length_counts_characters_in_every_kind_of_text) {
    EXPECT_EQ(lengthLine(""), "DEBUG: FASTA output length: 0, total dashes: 0");
    EXPECT_EQ(lengthLine(">a\nAC-G\n"), "DEBUG: FASTA output length: 8, total dashes: 1");
    EXPECT_EQ(lengthLine(">a\r\nA-\r\n"), "DEBUG: FASTA output length: 6, total dashes: 1");
    EXPECT_EQ(lengthLine(">caf\u00E9\nA\u0301-\n"),
              "DEBUG: FASTA output length: 9, total dashes: 1");
}

TEST(ConversionTrace, dashes_are_counted_across_a_large_text) {
    // Past the counting block size, so every block and the tail add up.
    std::string fasta = ">x\n";
    for (int i = 0; i < 50000; ++i)
        fasta += "AC-GT-\n";
    EXPECT_EQ(lengthLine(fasta), "DEBUG: FASTA output length: " + std::to_string(fasta.size()) +
                                     ", total dashes: 100000");
}

TEST(ConversionTrace, the_excerpt_is_the_first_200_characters_of_a_long_text) {
    const std::string fasta = ">id\n" + std::string(300, 'A') + "\n\u00E9";
    const std::string lines = ConversionTrace::fastaLines(fasta);
    EXPECT_EQ(lines.substr(lines.find("FASTA:\n") + 7), fasta.substr(0, 200) + "\n");
}
