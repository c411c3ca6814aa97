// Tables not laid out as identifier, sequence, description: what their content tells of the
// header, the sequence, the identifier and the description, and the one note that says so.
#include "files/MemoryText.h"
#include "readers/ChoiceError.h"
#include "readers/RecordBuilder.h"
#include "readers/TableProfile.h"
#include "readers/delimited/DelimitedTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pellacor;

namespace {

struct Read {
    std::string records; // "identifier|sequence|description" a line
    std::string note;
    std::vector<std::string> warnings;
    std::string error;
};

Read read(const std::string& text, ColumnChoice choice = {}, DelimitedOptions options = {},
          const std::string& name = "t.csv") {
    Read result;
    MemoryText source(text);
    RecordBuilder builder(RecordBuilder::delimitedStyle, std::move(choice));
    try {
        DelimitedTable::read(source, name, builder, [&](const RecordView& r) {
            result.records += std::string(r.identifier) + "|" + std::string(r.sequence) + "|" +
                              (r.description ? std::string(*r.description) : "-") + "\n";
        }, options);
    } catch (const TableError& error) {
        result.error = error.what();
    }
    if (builder.layout()) {
        result.note = builder.layout()->note;
        result.warnings = builder.layout()->doubts;
    }
    return result;
}

ColumnChoice sequences(const std::string& list) {
    ColumnChoice choice;
    choice.chooseSequences(list);
    return choice;
}

struct Case {
    const char* what;
    std::string table;
    std::string records;
    std::string note;
};

} // namespace

TEST(TableLayouts, content_decides_only_where_the_plain_layout_is_plainly_wrong) {
    const std::vector<Case> cases = {
        {"the plain layout, titled", "ID,Sequence,Description\ns1,ACGT,d\ns2,GG,e\n",
         "s1|ACGT|d\ns2|GG|e\n", ""},
        {"no header, a short first sequence", "s1,ACG\ns2,ACGTACGTAA\ns3,GGGGCCCCAA\n",
         "s1|ACG|-\ns2|ACGTACGTAA|-\ns3|GGGGCCCCAA|-\n", ""},
        {"column 3 stays the description whatever it holds",
         "id,seq,Tm\ns1,ACGTACGT,61.2\ns2,GGGTACGT,60.0\n", "s1|ACGTACGT|61.2\ns2|GGGTACGT|60.0\n",
         ""},
        {"a header of words no title list knows", "oligo,fwd_p\nP1,ACGTACGTAC\nP2,GGGTTTAAAC\n",
         "P1|ACGTACGTAC|-\nP2|GGGTTTAAAC|-\n",
         "Header: row 1 (it differs from the rows below) \u00B7 Identifier: oligo \u00B7 "
         "Sequence: fwd_p \u00B7 Description: none"},
        {"a header above two columns of numbers", "plate,well,Tm\n1,2,60\n3,4,61\n",
         "1|2|60\n3|4|61\n",
         "Header: row 1 (it differs from the rows below) \u00B7 Identifier: plate \u00B7 "
         "Sequence: well \u00B7 Description: Tm"},
        {"a fused sequence name, judged by its values",
         "oligo,Tm,RNAseq\ng1,60.1,ACGUACGUACGU\ng2,59.9,GGGUACGUACGA\n",
         "g1|ACGUACGUACGU|-\ng2|GGGUACGUACGA|-\n",
         "Header: row 1 (it differs from the rows below) \u00B7 Identifier: oligo \u00B7 "
         "Sequence: RNAseq (the column that holds sequences) \u00B7 Description: none"},
        {"the sequence first, with no header", "ACGTACGTAA,p1\nGGGTTTAACC,p2\n",
         "p1|ACGTACGTAA|-\np2|GGGTTTAACC|-\n",
         "Header: none \u00B7 Identifier: column 2 \u00B7 Sequence: column 1 (the column that "
         "holds sequences) \u00B7 Description: none"},
        {"one column of sequences, numbered by row", "ACGTACGTAA\nGGGTTTAACC\n",
         "1|ACGTACGTAA|-\n2|GGGTTTAACC|-\n",
         "Header: none \u00B7 Identifier: row number (no column of names) \u00B7 Sequence: "
         "column 1 (the column that holds sequences) \u00B7 Description: none"},
        {"running numbers give way to names",
         "No.,Primer name,Sequence\n1,fwdA,ACGTACGT\n2,revA,GGGTTTAA\n",
         "fwdA|ACGTACGT|-\nrevA|GGGTTTAA|-\n",
         "Header: row 1 \u00B7 Identifier: Primer name (column 1 holds running numbers) \u00B7 "
         "Sequence: Sequence \u00B7 Description: none"},
        {"a locus repeated gives way to unique names",
         "Locus,Name,Sequence,Description\nITS,ITS1-F,ACGTACGT,fwd\nITS,ITS4,GGGTTTAA,rev\n",
         "ITS1-F|ACGTACGT|fwd\nITS4|GGGTTTAA|rev\n",
         "Header: row 1 \u00B7 Identifier: Name (column 1 repeats its values) \u00B7 Sequence: "
         "Sequence \u00B7 Description: Description"},
        {"a moved layout takes no column of numbers for the description",
         "pair,oligo,Tm,target\n1,p1,60.5,ACGTACGTAA\n2,p2,61.0,GGGTTTAACC\n",
         "p1|ACGTACGTAA|-\np2|GGGTTTAACC|-\n",
         "Header: row 1 (it differs from the rows below) \u00B7 Identifier: oligo (column 1 "
         "holds running numbers) \u00B7 Sequence: target (the column that holds sequences) "
         "\u00B7 Description: none"},
        {"a list parted by runs of tabs",
         "Adapter A\t\tACGTACGTAA\nAdapter B\tGGGTTTAACC\nAdapter C\t\t\tTTTTGGGGCC\n",
         "Adapter A|ACGTACGTAA|-\nAdapter B|GGGTTTAACC|-\nAdapter C|TTTTGGGGCC|-\n", ""},
        {"text aligned by blanks", "p1  ACGTACGTAA GGGTTTAACC\np2 ACGTTTTTAA  GGGGCCCCAA\n",
         "p1|ACGTACGTAA|GGGTTTAACC\np2|ACGTTTTTAA|GGGGCCCCAA\n", ""},
        {"a '#' line of notes full of tabs is no guide to the delimiter",
         "# made\tby\tthe\tcore\ns1,ACGT\ns2,GGCC\n", "s1|ACGT|-\ns2|GGCC|-\n", ""},
    };
    for (const Case& c : cases) {
        const std::string name = c.table.find('\t') != std::string::npos ? "t.txt" : "t.csv";
        const Read got = read(c.table, {}, {}, name);
        EXPECT_EQ(got.records, c.records) << c.what;
        EXPECT_EQ(got.note, c.note) << c.what;
    }
}

TEST(TableLayouts, a_hash_line_right_above_the_rows_names_their_columns) {
    const std::string table = "# mapping file\n#SampleID\tBarcodeSequence\tDescription\n"
                              "S1\tACGTACGT\tgut\nS2\tTTGGCCAA\tskin\n";
    const Read guessed = read(table, {}, {}, "map.txt");
    EXPECT_EQ(guessed.records, "S1|ACGTACGT|gut\nS2|TTGGCCAA|skin\n");
    EXPECT_EQ(guessed.note, "Header: the \u201C#\u201D line above row 3 \u00B7 Identifier: "
                            "SampleID \u00B7 Sequence: BarcodeSequence \u00B7 Description: "
                            "Description");
    ColumnChoice byName;
    byName.identifier = ColumnRef::parse("SampleID");
    byName.sequence = ColumnRef::parse("BarcodeSequence");
    EXPECT_EQ(read(table, byName, {}, "map.txt").records, "S1|ACGTACGT|-\nS2|TTGGCCAA|-\n");
    // Not right above, or not as wide: a note, not names.
    EXPECT_EQ(read("#SampleID\tBarcode\n\nS1\tACGTACGT\n", {}, {}, "m.txt").note, "");
    EXPECT_EQ(read("#SampleID\tBarcode\tX\nS1\tACGTACGT\n", {}, {}, "m.txt").note, "");
}

TEST(TableLayouts, options_name_columns_of_row_one_and_count_every_row) {
    // Named in an option, row 1 is the header, though nothing else tells.
    ColumnChoice named = sequences("reference");
    EXPECT_EQ(read("locus,reference\nL1,R7\nL2,R9\n", named).records, "L1|R7|-\nL2|R9|-\n");
    // --header no keeps a titled row 1 as data; yes drops a row 1 of data.
    ColumnChoice asData;
    asData.header = false;
    EXPECT_EQ(read("Name,Sequence\ns1,AC\n", asData).records, "Name|Sequence|-\ns1|AC|-\n");
    ColumnChoice asHeader;
    asHeader.header = true;
    EXPECT_EQ(read("a,b\ns1,AC\n", asHeader).records, "s1|AC|-\n");
    // A column is there when any row reaches it, not only row 1.
    const Read plate = read("Plate 7 order\ns1,ACGT\ns2,GGCC\n", sequences("2"));
    EXPECT_EQ(plate.error, "");
    EXPECT_EQ(plate.records, "s1|ACGT|-\ns2|GGCC|-\n");
    // A description column a table lacks means no description, not an error.
    ColumnChoice described;
    described.description = ColumnRef::column(3);
    EXPECT_EQ(read("s1,ACGT\n", described).records, "s1|ACGT|-\n");
    described.description = ColumnRef::column(9);
    EXPECT_EQ(read("s1,ACGT,x\n", described).records, "s1|ACGT|-\n");
    // Identifier and sequence it cannot lack.
    EXPECT_NE(read("s1,ACGT\n", sequences("3")).error, "");
}

TEST(TableLayouts, several_sequence_columns_give_a_record_each_named_after_its_column) {
    const std::string table = "Name,Forward primer,Reverse\nGRB2,ACGTACGT,TTGGCCAA\nMYC,,GGGGAAAA\n";
    EXPECT_EQ(read(table, sequences("Forward primer,Reverse")).records,
              "GRB2_Forward_primer|ACGTACGT|-\nGRB2_Reverse|TTGGCCAA|-\nMYC_Reverse|GGGGAAAA|-\n");
    EXPECT_EQ(read("g1,ACGT,GGCC\n", sequences("2,3")).records, "g1_2|ACGT|-\ng1_3|GGCC|-\n");
    // Two columns equally sequence-like: the leftmost, and a warning naming the option.
    const Read two = read("oligo,fwd,rev\np1,ACGTACGTAA,GGGTTTAACC\np2,ACGTTTTTAA,GGGGCCCCAA\n");
    EXPECT_EQ(two.records, "p1|ACGTACGTAA|GGGTTTAACC\np2|ACGTTTTTAA|GGGGCCCCAA\n");
    const Read fused =
        read("oligo,x,fwd,rev\np1,1,ACGTACGTAA,GGGTTTAACC\np2,2,ACGTTTTTAA,GGGGCCCCAA\n");
    EXPECT_EQ(fused.records, "p1|ACGTACGTAA|-\np2|ACGTTTTTAA|-\n");
    ASSERT_EQ(fused.warnings.size(), 1u);
    EXPECT_EQ(fused.warnings[0], "Columns 3 and 4 all hold sequences; \u201Cfwd\u201D was taken. To "
                                 "take another, or a record for each: --sequence-column 3,4.");
}

TEST(TableLayouts, a_sample_sheet_is_read_from_its_data_section) {
    const std::string sheet = "[Header],,\nIEMFileVersion,4,\nDate,1/2/2024,\n[Reads],,\n151,,\n"
                              "[Settings],,\nAdapter,CTGTCTCTTATACACATCT,\n[Data],,\n"
                              "Sample_ID,index,index2\nS1,ACGTACGT,TTGGCCAA\nS2,GGGGAAAA,CCCCTTTT\n";
    EXPECT_EQ(read(sheet).records, "S1|ACGTACGT|TTGGCCAA\nS2|GGGGAAAA|CCCCTTTT\n");
    EXPECT_EQ(read(sheet, sequences("index,index2")).records,
              "S1_index|ACGTACGT|-\nS1_index2|TTGGCCAA|-\nS2_index|GGGGAAAA|-\n"
              "S2_index2|CCCCTTTT|-\n");
    DelimitedOptions settings;
    settings.section = "[Settings]";
    EXPECT_EQ(read(sheet, {}, settings).records, "Adapter|CTGTCTCTTATACACATCT|\n");
    DelimitedOptions missing;
    missing.section = "Lanes";
    EXPECT_EQ(read(sheet, {}, missing).error,
              "There is no section named \u201Clanes\u201D in this file; it has [Header], "
              "[Reads], [Settings], [Data].");
    EXPECT_EQ(read("[Header],\na,b\n[Reads],\n151,\n").error,
              "This file is made of sections ([Header], [Reads]) and none is named Data, so it "
              "holds no table to read. Choose the section that holds it with --section NAME.");
    // A v2 sheet's table ends where the next section starts.
    EXPECT_EQ(read("[Header]\nFileFormatVersion,2\n[BCLConvert_Data]\nSample_ID,Index\n"
                   "S1,ACGTACGT\n[Cloud_Data]\nSample_ID,ProjectName\nS1,p\n")
                  .records,
              "S1|ACGTACGT|-\n");
}

TEST(TableLayouts, lines_before_the_table_and_the_delimiter_can_be_given) {
    DelimitedOptions skip;
    skip.skipLines = 2;
    EXPECT_EQ(read("READ2 = AGATCGG, trimmed\n\nName,Sequence\ns1,ACGT\n", {}, skip).records,
              "s1|ACGT|-\n");
    DelimitedOptions blanks;
    blanks.partsByWhitespace = true;
    EXPECT_EQ(read("s1   ACGT\tnote\ns2 GG\n", {}, blanks).records, "s1|ACGT|note\ns2|GG|-\n");
    DelimitedOptions pipe;
    pipe.delimiter = '|';
    EXPECT_EQ(read("s1|ACGT\n", {}, pipe).records, "s1|ACGT|-\n");
    // A ".tsv" without a tab in its first lines is read by the delimiter it holds.
    EXPECT_EQ(read("s1,ACGT\ns2,GG\n", {}, {}, "t.tsv").records, "s1|ACGT|-\ns2|GG|-\n");
}

TEST(TableLayouts, a_table_of_no_record_says_what_it_found_and_the_way_out) {
    EXPECT_EQ(read("Name,Sequence\n").error,
              "Missing required columns. File must have at least identifier and sequence "
              "columns. Its only row names the columns.");
    EXPECT_EQ(read("Plate 7\nPlate 8\n").error,
              "Missing required columns. File must have at least identifier and sequence "
              "columns. This table has one column, column 1, which holds no sequences. If it "
              "does: --sequence-column 1 --id-column none.");
    EXPECT_EQ(read("a,,c\nx,,1\ny,,2\n").error,
              "Missing required columns. File must have at least identifier and sequence "
              "columns. This table has 3 columns (column 1, column 2, column 3) and no row "
              "holds both an identifier in column 1 and a sequence in column 2. Choose the "
              "columns with --id-column and --sequence-column.");
}

TEST(TableLayouts, each_guess_keeps_to_its_bounds) {
    const std::vector<Case> cases = {
        {"of two columns of sequences, the one named for sequences",
         "oligo,Tm,guide,Sequence,Sequence version\np1,60,ACGTACGTAA,GGGTTTAACC,1\n"
         "p2,61,ACGTTTTTAA,GGGGCCCCAA,2\n",
         "p1|GGGTTTAACC|-\np2|GGGGCCCCAA|-\n",
         "Header: row 1 \u00B7 Identifier: oligo \u00B7 Sequence: Sequence (the column that holds "
         "sequences) \u00B7 Description: none"},
        {"a column of sequences is no identifier, whatever its title",
         "No.,Index sample,Name,Sequence\n1,ACGTACGT,s1,GGGGCCCC\n2,TTGGCCAA,s2,CCCCAAAA\n",
         "s1|GGGGCCCC|-\ns2|CCCCAAAA|-\n",
         "Header: row 1 \u00B7 Identifier: Name (column 1 holds running numbers) \u00B7 Sequence: "
         "Sequence \u00B7 Description: none"},
        {"names that repeat do not replace running numbers",
         "No.,Primer name,Sequence\n1,fwd,ACGTACGT\n2,fwd,GGGTTTAA\n",
         "1|ACGTACGT|fwd\n2|GGGTTTAA|fwd\n",
         "Header: row 1 \u00B7 Identifier: No. \u00B7 Sequence: Sequence \u00B7 Description: "
         "Primer name"},
        {"a description of numbers is none",
         "pair,oligo,Description,target\n1,p1,60.5,ACGTACGTAA\n2,p2,61.0,GGGTTTAACC\n",
         "p1|ACGTACGTAA|-\np2|GGGTTTAACC|-\n",
         "Header: row 1 \u00B7 Identifier: oligo (column 1 holds running numbers) \u00B7 "
         "Sequence: target (the column that holds sequences) \u00B7 Description: none"},
        {"a short peptide above peptides is data",
         "p1,PEPTIDE\np2,MKVLAAGIVGLLLAAWQ\np3,MSTNPKPQRKTKRNTNRR\n",
         "p1|PEPTIDE|-\np2|MKVLAAGIVGLLLAAWQ|-\np3|MSTNPKPQRKTKRNTNRR|-\n", ""},
    };
    for (const Case& c : cases) {
        const Read got = read(c.table);
        EXPECT_EQ(got.records, c.records) << c.what;
        EXPECT_EQ(got.note, c.note) << c.what;
    }
    // An empty last field of a tab-separated table is an empty description, not a tab run.
    EXPECT_EQ(read("s1\tACGTACGT\t\ns2\tGGGGCCCC\t\n", {}, {}, "t.tsv").records,
              "s1|ACGTACGT|\ns2|GGGGCCCC|\n");
}

TEST(TableProfile, sequences_numbers_and_running_numbers_are_told_apart) {
    for (const char* value : {"ACGTACGT", "acgtacgtnn", "ACGTACGTACGTACGTacgtacgt", "MKVLAAGIVGLLLAAWQ", "ACGU-ACGU"})
        EXPECT_TRUE(TableProfile::isSequence(value)) << value;
    for (const char* value : {"Tucana", "ACG", "Reverse", "None", "AC GT", "12345678"})
        EXPECT_FALSE(TableProfile::isSequence(value)) << value;
    TableProfile running;
    TableProfile gaps;
    for (const char* n : {"1", "2", "3"}) {
        const std::vector<std::string_view> row = {n};
        running.add(row);
    }
    for (const char* n : {"1", "5", "9"}) {
        const std::vector<std::string_view> row = {n};
        gaps.add(row);
    }
    EXPECT_TRUE(running.holdsRunningNumbers(0));
    EXPECT_FALSE(gaps.holdsRunningNumbers(0));
    EXPECT_TRUE(gaps.holdsNumbers(0));
}
