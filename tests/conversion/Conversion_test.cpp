// Tables as people keep them, through the one conversion the app and the converter share: the
// right columns, every skipped row and odd value told, other encodings read, and tables in
// the usual layout giving the bytes they always gave.
#include "conversion/Conversion.h"

#include "conversion/FastaStream.h"
#include "readers/ChoiceError.h"
#include "readers/ReadCancelled.h"
#include "tests/files/Gzipped.h"
#include "tests/readers/HostileInput.h"

using namespace pellacor;
using namespace pellacor::hostile;

namespace {

struct Converted {
    std::string fasta;
    std::vector<std::string> warnings;
    std::string columns; // the layout as the app describes it
};

Converted convertFile(const fs::path& file, ConversionRequest request = {}) {
    request.input = file;
    Converted result;
    FastaStream stream(LineWidth(), [&](std::string_view piece) { result.fasta.append(piece); });
    const ConversionSummary summary =
        Conversion::run(request, [&](const RecordView& r) { stream.add(r); });
    stream.finish();
    result.warnings = summary.warnings();
    if (summary.layout)
        result.columns = summary.layout->describe();
    return result;
}

class ConversionTest : public ::testing::Test {
protected:
    fs::path write(const std::string& name, std::string_view bytes) {
        writeFile(folder / name, bytes);
        return folder / name;
    }
    Converted convert(const std::string& name, std::string_view table,
                      ConversionRequest request = {}) {
        return convertFile(write(name, table), std::move(request));
    }

    ScratchFolder folder;
};

using testdata::gzipped;

std::string utf16(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

} // namespace

TEST_F(ConversionTest, tables_in_the_usual_layout_give_the_bytes_they_always_gave) {
    const fs::path today = fs::path(PELLACOR_FIXTURES) / "today";
    std::size_t checked = 0;
    for (const auto& entry : fs::directory_iterator(today)) {
        if (entry.path().extension() != ".fasta")
            continue;
        fs::path table = today / entry.path().stem();
        for (const char* elsewhere : {"/../../examples/", "/workbooks/"})
            if (!fs::exists(table))
                table = fs::path(std::string(PELLACOR_FIXTURES) + elsewhere) / entry.path().stem();
        const Converted result = convertFile(table);
        EXPECT_EQ(result.fasta, slurpFile(entry.path())) << table;
        ++checked;
    }
    EXPECT_GE(checked, 12u);
}

TEST_F(ConversionTest, a_header_that_names_the_sequence_elsewhere_moves_it_there) {
    // A UniProt export: the sequence is the last of seven columns, "Entry Name" describes.
    const Converted uniprot = convert(
        "uniprot.tsv", "Entry\tEntry Name\tStatus\tProtein names\tOrganism\tLength\tSequence\n"
                       "P69905\tHBA_HUMAN\treviewed\tHemoglobin\tHomo sapiens\t5\tMVLSP\n"
                       "P68871\tHBB_HUMAN\treviewed\tHemoglobin\tHomo sapiens\t4\tMVHL\n");
    EXPECT_EQ(uniprot.fasta, ">P69905 HBA_HUMAN\nMVLSP\n>P68871 HBB_HUMAN\nMVHL\n");
    EXPECT_EQ(uniprot.columns,
              "Identifier: Entry \u00B7 Sequence: Sequence \u00B7 Description: Entry Name");
    EXPECT_TRUE(uniprot.warnings.empty());
    // A guide library with the sequence in column 12, and name, description, sequence.
    std::string header = "ID";
    std::string row = "g1";
    for (int i = 2; i <= 11; ++i) {
        header += ",c" + std::to_string(i);
        row += ",0." + std::to_string(i);
    }
    EXPECT_EQ(convert("library.csv", header + ",sgRNA sequence\n" + row + ",GACGT\n").fasta,
              ">g1\nGACGT\n");
    EXPECT_EQ(convert("ndp.csv", "name,description,peptide sequence\np1,signal,MKK\n").fasta,
              ">p1 signal\nMKK\n");
    // A sequence named in column 1 leaves the identifier to the column named like one.
    EXPECT_EQ(convert("first.csv", "Sequence,Name\nACGT,s1\n").fasta, ">s1\nACGT\n");
    EXPECT_EQ(convert("first3.csv", "Sequence,Note,Name,Description\nAC,n,s1,d1\n").fasta,
              ">s1 d1\nAC\n");
    // "Seq. ID" names an identifier, not a sequence column.
    EXPECT_EQ(convert("seqid.csv", "Seq. ID,Label,Sequence\nx1,L,ACGT\n").fasta, ">x1\nACGT\n");
    // Column 2 is a sequence column itself: today's layout holds, whatever else is named so.
    EXPECT_EQ(convert("two.csv", "id,sequence,seq\nx1,AC,GT\n").fasta, ">x1 GT\nAC\n");
    // Two candidates: nothing to go by, so today's layout, and a warning about column 2.
    const Converted ambiguous =
        convert("amb.csv", "id,score,seq_a,seq_b\nx1,0.5,AC,GT\nx2,0.7,GG,TT\n");
    EXPECT_EQ(ambiguous.fasta, ">x1 AC\n0.5\n>x2 GG\n0.7\n");
    EXPECT_EQ(ambiguous.warnings,
              std::vector<std::string>{"The sequence column (\u201Cscore\u201D) mostly holds "
                                       "values that are not sequences, such as \u201C0.5\u201D "
                                       "in row 2."});
}

TEST_F(ConversionTest, chosen_columns_by_number_or_name_and_records_named_by_their_row) {
    const std::string table = "Name,Class,Peptide\nx1,A,MKK\nx2,B,GGW\n";
    ConversionRequest request;
    request.columns.sequence = ColumnRef::parse("peptide");
    request.columns.description = ColumnRef::parse("2");
    EXPECT_EQ(convert("t.csv", table, request).fasta, ">x1 A\nMKK\n>x2 B\nGGW\n");
    // A list without names: records take their row numbers, as a spreadsheet counts rows.
    ConversionRequest numbered;
    numbered.columns.identifier = ColumnRef::nothing();
    numbered.columns.sequence = ColumnRef::column(1);
    EXPECT_EQ(convert("list.txt", "\nMKKV\n\nGGWL\n", numbered).fasta, ">2\nMKKV\n>4\nGGWL\n");
    // A column the table lacks is refused, naming the columns it has.
    request.columns.sequence = ColumnRef::parse("Sequence");
    try {
        convert("t.csv", table, request);
        FAIL() << "a missing column was taken";
    } catch (const ChoiceError& e) {
        EXPECT_STREQ(e.what(), "There is no column named \u201CSequence\u201D for the sequence in "
                               "this table; it has \u201CName\u201D, \u201CClass\u201D, "
                               "\u201CPeptide\u201D.");
    }
    request.columns.sequence = ColumnRef::column(4);
    EXPECT_THROW(convert("t.csv", table, request), ChoiceError);
}

TEST_F(ConversionTest, skipped_rows_odd_values_and_repeated_names_are_told_and_change_nothing) {
    const Converted result =
        convert("t.csv", "id,seq\nx1,ACGT\n,GG\nx3,\nonly\n,,\nx1,TT\nx6,  \n");
    EXPECT_EQ(result.fasta, ">x1\nACGT\n>x1\nTT\n");
    EXPECT_EQ(result.warnings,
              (std::vector<std::string>{
                  "4 rows skipped (no identifier or sequence): 3, 4, 5, 8",
                  "The identifier \u201Cx1\u201D appears more than once (again in row 7); many "
                  "FASTA tools refuse repeated identifiers."}));
    const Converted numbers = convert("n.csv", "a,0.95\nb,1E-3\nc,ACGT\n");
    EXPECT_EQ(numbers.fasta, ">a\n0.95\n>b\n1E-3\n>c\nACGT\n");
    ASSERT_EQ(numbers.warnings.size(), 1u);
    EXPECT_NE(numbers.warnings[0].find("\u201C0.95\u201D in row 1"), std::string::npos);
    // Residues written in blocks are residues; words are not.
    EXPECT_TRUE(convert("b.csv", "a,ACGTACGTAC GTACGTACGT GTA\n").warnings.empty());
    EXPECT_EQ(
        convert("w.csv", "a,Homo sapiens\nb,tRNA ligase\nc,Escherichia coli\n").warnings.size(),
        1u);
    EXPECT_TRUE(convert("m.csv", "a,ACGTACGTAC acgtacgtac ACG\n").warnings.empty());
}

TEST_F(ConversionTest, columns_empty_in_every_row_before_the_table_are_not_counted) {
    EXPECT_EQ(convert("b.csv", ",,\n,ID,Sequence\n,s1,ACGT\n,s2,GG\n").fasta,
              ">s1\nACGT\n>s2\nGG\n");
    // One row with something in column 1 makes it part of the table.
    EXPECT_EQ(convert("a.csv", ",s1,ACGT\nx,s2,GG\n").fasta, ">x GG\ns2\n");
}

TEST_F(ConversionTest, other_encodings_compression_and_comment_lines_read_as_plain_text) {
    const std::string table = "ID,Sequence\ns1,ACGT\ns2,\u00C5C\n";
    const std::string expected = ">s1\nACGT\n>s2\n\u00C5C\n";
    const std::u16string wide = u"ID,Sequence\ns1,ACGT\ns2,\u00C5C\n";
    EXPECT_EQ(convert("le.csv", utf16(wide, false)).fasta, expected);
    EXPECT_EQ(convert("be.csv", utf16(wide, true)).fasta, expected);
    EXPECT_EQ(convert("t.csv.gz", gzipped(table)).fasta, expected);
    EXPECT_EQ(convert("download", gzipped(table)).fasta, expected);
    // Tabs in a file named .tsv.gz, and in a file named .csv that holds no comma.
    EXPECT_EQ(convert("t.tsv.gz", gzipped("s1\tAC,GT\n")).fasta, ">s1\nAC,GT\n");
    EXPECT_EQ(convert("tabs.csv", "s1\tACGT\tnote\n").fasta, ">s1 note\nACGT\n");
    EXPECT_EQ(convert("notes.csv", "# exported 2024-01-01\n# by hand\nID,Sequence\ns1,AC\n#s2,GG\n")
                  .fasta,
              ">s1\nAC\n>#s2\nGG\n");
    ConversionRequest comments;
    comments.commentMarker = '#';
    EXPECT_EQ(convert("notes.csv", "ID,Sequence\ns1,AC\n#s2,GG\n", comments).fasta, ">s1\nAC\n");
    // A file cut short or compressed otherwise says so.
    const std::string whole = gzipped(table);
    EXPECT_THROW(convert("cut.csv.gz", whole.substr(0, whole.size() - 12)), std::exception);
    try {
        convert("t.csv.xz", std::string("\xFD"
                                        "7zXZ\0",
                                        6) +
                                "rest");
        FAIL() << "xz was read";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("compressed with xz"), std::string::npos);
    }
}

// ---- Progress, stopping, and files that are no table ----

TEST_F(ConversionTest, progress_counts_the_bytes_read_up_to_the_size_of_the_file) {
    std::string table;
    while (table.size() < (20u << 20))
        table += "s" + std::to_string(table.size()) + "," + std::string(500, 'A') + "\n";
    const fs::path file = write("big.csv", table);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
    ConversionRequest request;
    request.progress = [&](std::uint64_t done, std::uint64_t total) {
        reports.emplace_back(done, total);
    };
    convertFile(file, request);
    ASSERT_GE(reports.size(), 2u) << "a 20 MB table is read in more than one piece";
    for (std::size_t i = 1; i < reports.size(); ++i)
        EXPECT_GE(reports[i].first, reports[i - 1].first) << "progress went back at " << i;
    EXPECT_EQ(reports.back(),
              std::make_pair(std::uint64_t(table.size()), std::uint64_t(table.size())));

    // A workbook counts the bytes of its sheet and shared strings.
    reports.clear();
    convertFile(fs::path(PELLACOR_FIXTURES) / "workbooks" / "openpyxl.xlsx", request);
    ASSERT_FALSE(reports.empty());
    EXPECT_GT(reports.back().second, 0u);
    EXPECT_LE(reports.back().first, reports.back().second);
}

TEST_F(ConversionTest, a_stop_asked_for_ends_the_read_at_the_next_piece_and_leaves_nothing) {
    std::string table;
    while (table.size() < (40u << 20))
        table += "s" + std::to_string(table.size()) + "," + std::string(500, 'C') + "\n";
    const fs::path file = write("big.csv", table);
    std::stop_source stop;
    ConversionRequest request;
    request.input = file;
    request.stop = stop.get_token();
    std::size_t records = 0;
    request.progress = [&](std::uint64_t, std::uint64_t) { stop.request_stop(); };
    EXPECT_THROW(Conversion::run(request, [&](const RecordView&) { ++records; }), ReadCancelled);
    EXPECT_LT(records, table.size() / 500) << "the read went on to the end";

    // A workbook stops too, and its work directory goes with it.
    const fs::path temporary = folder / "tmp";
    fs::create_directory(temporary);
    const std::string oldTemporary = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    ::setenv("TMPDIR", temporary.c_str(), 1);
    request.input = fs::path(PELLACOR_FIXTURES) / "workbooks" / "openpyxl.xlsx";
    EXPECT_THROW(Conversion::run(request, [](const RecordView&) {}), ReadCancelled);
    oldTemporary.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", oldTemporary.c_str(), 1);
    EXPECT_TRUE(fs::is_empty(temporary)) << "a work directory was left behind";
}

TEST_F(ConversionTest, a_file_that_is_no_table_is_named_for_what_it_looks_like) {
    const auto messageFor = [&](const std::string& name, const std::string& bytes) {
        try {
            convert(name, bytes);
            return std::string("converted");
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
    };
    EXPECT_EQ(messageFor("photo.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)),
              "\u201Cphoto.png\u201D looks like a PNG image, not a table. Choose a CSV, TSV or "
              "Excel file.");
    // Whatever it is called.
    EXPECT_NE(messageFor("scan.csv", "%PDF-1.7\n%\xE2\xE3\n").find("looks like a PDF document"),
              std::string::npos);
    EXPECT_NE(messageFor("pic.tsv", "\xFF\xD8\xFF\xE0\0\x10JFIF").find("a JPEG image"),
              std::string::npos);
    EXPECT_NE(messageFor("a.txt", "GIF89a\x01\0\x01\0").find("a GIF image"), std::string::npos);
    EXPECT_NE(messageFor("prog", "\x7F"
                                 "ELF\x02\x01\x01")
                  .find("a program (ELF)"),
              std::string::npos);
    EXPECT_NE(messageFor("t.csv", std::string("PK\x03\x04\x14\0\0\0", 8)).find("is a zip archive"),
              std::string::npos);
    // A workbook is a zip archive: its own reader judges it.
    EXPECT_EQ(messageFor("t.xlsx", std::string("PK\x03\x04\x14\0\0\0", 8)).find("looks like"),
              std::string::npos);
    // Text that merely begins like one is read.
    EXPECT_EQ(messageFor("t.csv", "GIF,ACGT\nPNG,CCCC\n"), "converted");
}
