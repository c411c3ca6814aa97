#include "readers/delimited/CSVParser.h"

#include <gtest/gtest.h>

using pellacor::CSVParser;
using pellacor::SequenceEntry;
using Case = CSVParser::ParserError::Case;

namespace {

// The records of `text` read as the file `name`: "identifier|sequence[|description]" a line.
std::string read(std::string_view text, std::string_view name = "table.csv") {
    std::string lines;
    for (const SequenceEntry& e : CSVParser::parseBytes(text, name).entries)
        lines +=
            e.identifier + "|" + e.sequence + (e.description ? "|" + *e.description : "") + "\n";
    return lines;
}

Case failure(std::string_view text) {
    try {
        CSVParser::parseBytes(text, "table.csv");
    } catch (const CSVParser::ParserError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no error for: " << text;
    return Case::invalidFileFormat;
}

} // namespace

TEST(CSVParser, rows_are_split_cleaned_and_stripped_of_their_header) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        // The extension decides the delimiter before the text does; semicolons win only when
        // strictly most frequent.
        {"x.TSV", "a,b\tACGT\n", "a,b|ACGT\n"},
        {"x.Tab", "a,b\tACGT\n", "a,b|ACGT\n"},
        {"x.csv", "a\tb,ACGT\n", "a\tb|ACGT\n"},
        {"eu.csv", "s1;AC,GT;d\ns2;GG;e\n", "s1|AC,GT|d\ns2|GG|e\n"},
        // Blank lines and every line end read alike.
        {"t.csv", "s1,AC\ns2,GT\n", "s1|AC\ns2|GT\n"},
        {"t.csv", "s1,AC\r\ns2,GT\r\n", "s1|AC\ns2|GT\n"},
        {"t.csv", "s1,AC\rs2,GT", "s1|AC\ns2|GT\n"},
        {"t.csv", "\n  \n\t\ns1,AC\n\u00A0\ns2,GT\n\n", "s1|AC\ns2|GT\n"},
        {"t.csv", "s1,AC\u2028s2,GT\u0085", "s1|AC\ns2|GT\n"},
        // Only space, tab, CR and LF are removed; rows without both fields are dropped.
        {"t.csv", "s1, AC GT ,x\n  s2  ,A\tC, desc \nabc\ns3,ACGT,\ns4,\u00A0A\n,GG\ns5,  \n",
         "s1|ACGT|x\ns2|AC|desc\ns3|ACGT|\ns4|\u00A0A\n"},
        // Quoted fields keep delimiters and line breaks and lose their marks; unquoted marks stay,
        // and so does text after a closing mark.
        {"t.csv", "\"s1\",\"AC,GT\",\"E. coli, K-12\"\ns1,ACGT,\"say \"\"hi\"\"\"\nab\"c,GG,x\"y\n",
         "s1|AC,GT|E. coli, K-12\ns1|ACGT|say \"hi\"\nab\"c|GG|x\"y\n"},
        {"t.csv", " s3 , \"TT\"x ,d\ns1,\"ACGT\r\nTTGG\",\"two\nlines\"\ns2,AA\n",
         "s3|TTx|d\ns1|ACGTTTGG|two\nlines\ns2|AA\n"},
        // A first row of column titles is skipped, after a byte order mark too...
        {"t.csv", "Name,Sequence,Description\ns1,AC,x\n", "s1|AC|x\n"},
        {"t.csv", "Gene ID,Sequence\ns1,AC\n", "s1|AC\n"},
        {"t.csv", "Primer,Sequence (5'-3'),Tm\np1,ACGT,60\n", "p1|ACGT|60\n"},
        {"t.tsv", "SeqID\tDNA Sequence\ns1\tAC\n", "s1|AC\n"},
        {"t.csv", "IDs,Protein sequence\ns1,MK\n", "s1|MK\n"},
        {"t.csv", "  ID  ,x\ns1,AC\n", "s1|AC\n"},
        {"t.csv", "\xEF\xBB\xBFName,Sequence\ns1,AC\n", "s1|AC\n"},
        // ...but first records that merely contain keywords are kept, only the first row can be a
        // header, and a field of 50 or more characters is not examined.
        {"t.csv", "seq1,ACGT\n", "seq1|ACGT\n"},
        {"t.csv", "seq_1,ACGT\n", "seq_1|ACGT\n"},
        {"t.csv", "p1,MKIDLL\n", "p1|MKIDLL\n"},
        {"t.csv", "Acid_phosphatase,MKL\n", "Acid_phosphatase|MKL\n"},
        {"t.csv", "gene2,AC,partial gene sequence\n", "gene2|AC|partial gene sequence\n"},
        {"t.csv", "s1,AC\nid,sequence\n", "s1|AC\nid|sequence\n"},
        {"t.csv", "s1," + std::string(49, 'A') + " sequence\n",
         "s1|" + std::string(49, 'A') + "sequence\n"},
    };
    for (const auto& [name, text, expected] : cases)
        EXPECT_EQ(read(text, name), expected) << name << ": " << text;
}

TEST(CSVParser, the_delimiter_is_found_in_the_first_five_lines) {
    EXPECT_FALSE(CSVParser::detectTabDelimiter("notes.txt", "a\tb,c\nd\te,f\ng\th,i\n"));
    EXPECT_TRUE(CSVParser::detectTabDelimiter("notes.txt", "a\tb,c\nd\te,f\ng\th,i\tj\n"));
    EXPECT_FALSE(CSVParser::detectTabDelimiter("notes", "a,b\n\n\n\n\nx\ty\tz\tw\n"));
    EXPECT_FALSE(CSVParser::detectTabDelimiter("notes", ""));
    // CR LF leaves empty lines that count among the five.
    EXPECT_FALSE(CSVParser::detectTabDelimiter("n.txt", "a,b\r\nc,d\r\ne,f\r\ng\th\th\th\n"));
    EXPECT_EQ(CSVParser::detectDelimiter("x.txt", "a;b,c\n"), ',');
    EXPECT_EQ(CSVParser::detectDelimiter("x.txt", "a;b;c\td\n"), ';');
    EXPECT_EQ(CSVParser::detectDelimiter("x.tsv", "a;b;c\n"), '\t');
}

TEST(CSVParser, an_unterminated_quote_names_its_line_and_returns_nothing) {
    try {
        CSVParser::parseBytes("s1,AC\r\ns2,GT\n\ns3,\"AC\ns4,GG\n", "t.csv");
        FAIL() << "expected an error";
    } catch (const CSVParser::ParserError& e) {
        EXPECT_EQ(e.kind(), Case::unterminatedQuotedField);
        EXPECT_STREQ(e.what(), "Unterminated quoted field starting on line 4.");
    }
}

TEST(CSVParser, empty_and_unusable_tables_say_why) {
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

TEST(CSVParser, a_tab_inside_a_long_comma_separated_sequence_is_cleaned_out) {
    // The vector scan stopped at such a tab without noting it, so the tab stayed in the residues.
    const std::string table = "s1;AGr8\t\x02\x01"
                              "00`;A;d.\n";
    const CSVParser::Result r = CSVParser::parseBytes(table, "t.txt");
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].sequence, "AGr8\x02\x01"
                                     "00`");

    const CSVParser::Result plain =
        CSVParser::parseBytes("s1,ACGTACGTACGTACGT\tACGTACGTACGTACGTACGT,d\n", "t.csv");
    EXPECT_EQ(plain.entries.at(0).sequence, "ACGTACGTACGTACGTACGTACGTACGTACGTACGT");
}
