#include "readers/CSVParser.h"

#include <gtest/gtest.h>

using pellacor::CSVParser;
using pellacor::SequenceEntry;
using Case = CSVParser::ParserError::Case;

namespace {

CSVParser::Result read(std::string_view text, std::string_view name = "table.csv") {
    return CSVParser::parseBytes(text, name);
}

std::vector<std::string> ids(const CSVParser::Result& r) {
    std::vector<std::string> out;
    for (const SequenceEntry& e : r.entries)
        out.push_back(e.identifier);
    return out;
}

Case failure(std::string_view text, std::string_view name = "table.csv") {
    try {
        read(text, name);
    } catch (const CSVParser::ParserError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no error for: " << text;
    return Case::invalidFileFormat;
}

using Ids = std::vector<std::string>;

} // namespace

TEST(CSVParserDelimiter, extension_decides_before_the_text) {
    EXPECT_TRUE(read("a,b\tACGT\n", "x.TSV").isTabDelimited);
    EXPECT_TRUE(read("a,b\tACGT\n", "x.Tab").isTabDelimited);
    const auto csv = read("a\tb,ACGT\n", "x.csv");
    EXPECT_FALSE(csv.isTabDelimited);
    EXPECT_EQ(csv.entries.at(0).identifier, "a\tb");
}

TEST(CSVParserDelimiter, counts_tabs_and_commas_in_the_first_five_lines) {
    EXPECT_FALSE(CSVParser::detectTabDelimiter("notes.txt", "a\tb,c\nd\te,f\ng\th,i\n"));
    EXPECT_TRUE(CSVParser::detectTabDelimiter("notes.txt", "a\tb,c\nd\te,f\ng\th,i\tj\n"));
    EXPECT_FALSE(CSVParser::detectTabDelimiter("notes", "a,b\n\n\n\n\nx\ty\tz\tw\n"));
    EXPECT_FALSE(CSVParser::detectTabDelimiter("notes", ""));
    // CR LF leaves empty lines that count among the five.
    EXPECT_FALSE(CSVParser::detectTabDelimiter("n.txt", "a,b\r\nc,d\r\ne,f\r\ng\th\th\th\n"));
}

TEST(CSVParserDelimiter, semicolons_win_only_when_strictly_most_frequent) {
    const auto semi = read("s1;AC,GT;d\ns2;GG;e\n", "eu.csv");
    EXPECT_FALSE(semi.isTabDelimited);
    ASSERT_EQ(semi.entries.size(), 2u);
    EXPECT_EQ(semi.entries[0].sequence, "AC,GT");
    EXPECT_EQ(CSVParser::detectDelimiter("x.txt", "a;b,c\n"), ',');
    EXPECT_EQ(CSVParser::detectDelimiter("x.txt", "a;b;c\td\n"), ';');
    EXPECT_EQ(CSVParser::detectDelimiter("x.tsv", "a;b;c\n"), '\t');
}

TEST(CSVParserLines, blank_lines_and_every_line_end_read_alike) {
    const Ids expected{"s1", "s2"};
    EXPECT_EQ(ids(read("s1,AC\ns2,GT\n")), expected);
    EXPECT_EQ(ids(read("s1,AC\r\ns2,GT\r\n")), expected);
    EXPECT_EQ(ids(read("s1,AC\rs2,GT")), expected);
    EXPECT_EQ(ids(read("\n  \n\t\ns1,AC\n\u00A0\ns2,GT\n\n")), expected);
    EXPECT_EQ(ids(read("s1,AC\u2028s2,GT\u0085")), expected);
}

TEST(CSVParserLines, rows_are_cleaned_into_records) {
    const auto r =
        read("s1, AC GT ,x\n  s2  ,A\tC, desc \nabc\ns3,ACGT,\ns4,\u00A0A\n,GG\ns5,  \n");
    ASSERT_EQ(r.entries.size(), 4u);
    EXPECT_EQ(r.entries[0].identifier, "s1");
    EXPECT_EQ(r.entries[0].sequence, "ACGT");
    EXPECT_EQ(r.entries[0].description, "x");
    EXPECT_EQ(r.entries[1].identifier, "s2");
    EXPECT_EQ(r.entries[1].sequence, "AC");
    EXPECT_EQ(r.entries[1].description, "desc");
    EXPECT_EQ(r.entries[2].description, std::optional<std::string>(""));
    EXPECT_EQ(r.entries[3].sequence, "\u00A0A"); // only space, tab, CR and LF are removed
    EXPECT_EQ(read("s1,ACGT\n").entries[0].description, std::nullopt);
}

TEST(CSVParserQuotes, quoted_fields_keep_delimiters_and_line_breaks_and_lose_their_marks) {
    const auto r =
        read("\"s1\",\"AC,GT\",\"E. coli, K-12\"\ns1,ACGT,\"say \"\"hi\"\"\"\nab\"c,GG,x\"y\n"
             " s3 , \"TT\"x ,d\ns1,\"ACGT\r\nTTGG\",\"two\nlines\"\ns2,AA\n");
    ASSERT_EQ(r.entries.size(), 6u);
    EXPECT_EQ(r.entries[0].identifier, "s1");
    EXPECT_EQ(r.entries[0].sequence, "AC,GT");
    EXPECT_EQ(r.entries[0].description, "E. coli, K-12");
    EXPECT_EQ(r.entries[1].description, "say \"hi\"");
    EXPECT_EQ(r.entries[2].identifier, "ab\"c");
    EXPECT_EQ(r.entries[2].description, "x\"y");
    EXPECT_EQ(r.entries[3].sequence, "TTx"); // text after the closing mark is kept
    EXPECT_EQ(r.entries[4].sequence, "ACGTTTGG");
    EXPECT_EQ(r.entries[4].description, "two\nlines");
    EXPECT_EQ(r.entries[5].identifier, "s2");
}

TEST(CSVParserQuotes, an_unterminated_quote_names_its_line_and_returns_nothing) {
    try {
        read("s1,AC\r\ns2,GT\n\ns3,\"AC\ns4,GG\n");
        FAIL() << "expected an error";
    } catch (const CSVParser::ParserError& e) {
        EXPECT_EQ(e.kind(), Case::unterminatedQuotedField);
        EXPECT_STREQ(e.what(), "Unterminated quoted field starting on line 4.");
    }
}

TEST(CSVParserHeader, column_titles_are_skipped) {
    EXPECT_EQ(ids(read("Name,Sequence,Description\ns1,AC,x\n")), Ids{"s1"});
    EXPECT_EQ(ids(read("Gene ID,Sequence\ns1,AC\n")), Ids{"s1"});
    EXPECT_EQ(ids(read("Primer,Sequence (5'-3'),Tm\np1,ACGT,60\n")), Ids{"p1"});
    EXPECT_EQ(ids(read("SeqID\tDNA Sequence\ns1\tAC\n", "t.tsv")), Ids{"s1"});
    EXPECT_EQ(ids(read("IDs,Protein sequence\ns1,MK\n")), Ids{"s1"});
    EXPECT_EQ(ids(read("  ID  ,x\ns1,AC\n")), Ids{"s1"});
    EXPECT_EQ(ids(read("\xEF\xBB\xBFName,Sequence\ns1,AC\n")), Ids{"s1"}); // after a BOM
}

TEST(CSVParserHeader, first_records_that_merely_contain_keywords_are_kept) {
    EXPECT_EQ(ids(read("seq1,ACGT\n")), Ids{"seq1"});
    EXPECT_EQ(ids(read("seq_1,ACGT\n")), Ids{"seq_1"});
    EXPECT_EQ(ids(read("p1,MKIDLL\n")), Ids{"p1"});
    EXPECT_EQ(ids(read("Acid_phosphatase,MKL\n")), Ids{"Acid_phosphatase"});
    EXPECT_EQ(ids(read("gene2,AC,partial gene sequence\n")), Ids{"gene2"});
    // Only the first row can be a header.
    EXPECT_EQ(ids(read("s1,AC\nid,sequence\n")), (Ids{"s1", "id"}));
    // A field of 50 or more characters is not examined.
    EXPECT_EQ(ids(read("s1," + std::string(49, 'A') + " sequence\n")), Ids{"s1"});
}

TEST(CSVParserErrors, empty_and_unusable_tables_say_why) {
    EXPECT_EQ(failure(""), Case::emptyFile);
    EXPECT_EQ(failure("\xEF\xBB\xBF"), Case::emptyFile);
    EXPECT_EQ(failure("\n\r\n  \n"), Case::emptyFile);
    EXPECT_EQ(failure("Name,Sequence\n"), Case::missingRequiredColumns);
    EXPECT_EQ(failure("abc\ndef\n"), Case::missingRequiredColumns);
    EXPECT_EQ(failure("s1,  \ns2,\"\"\n"), Case::missingRequiredColumns);
    EXPECT_EQ(failure("s1,ACGT,caf\xE9\n"), Case::invalidEncoding);
    EXPECT_STREQ(CSVParser::ParserError(Case::emptyFile).what(),
                 "The file is empty or contains no valid data.");
    EXPECT_STREQ(CSVParser::ParserError(Case::missingRequiredColumns).what(),
                 "Missing required columns. File must have at least identifier and sequence "
                 "columns.");
}
