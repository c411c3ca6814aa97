#include "readers/ArchiveListing.h"

#include "WorkbookFiles.h"

#include <gtest/gtest.h>

using pellacor::ArchiveListing;

namespace {

ArchiveListing listingOf(const std::string& text) {
    ArchiveListing listing;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        listing.addLine(std::string_view(text).substr(start, end - start));
    return listing;
}

} // namespace

TEST(ArchiveListing_lines, entries_between_the_rules_are_read_with_their_sizes) {
    const ArchiveListing listing = listingOf("Archive:  /tmp/x/temp.xlsx\n"
                                             "  Length      Date    Time    Name\n"
                                             "---------  ---------- -----   ----\n"
                                             "     1234  2024-01-31 09:15   xl/workbook.xml\n"
                                             "0  1980-00-00 00:00   xl/\n"
                                             "  5000000000  2024-01-31 09:15   xl/my sheet.xml\n"
                                             "---------                     -------\n"
                                             "  5000001234                     3 files\n");
    EXPECT_EQ(listing.sizeOf("xl/workbook.xml"), 1234u);
    EXPECT_EQ(listing.sizeOf("xl/my sheet.xml"), 5000000000u);
    EXPECT_TRUE(listing.contains("xl/"));
    EXPECT_FALSE(listing.contains("3 files"));
    EXPECT_FALSE(listing.contains("Name"));
    EXPECT_EQ(listing.sizeOf("xl/missing.xml"), 0u);
}

TEST(ArchiveListing_lines, a_name_listed_twice_counts_twice) {
    const ArchiveListing listing = listingOf("---------\n"
                                             "   10  2024-01-31 09:15   xl/sharedStrings.xml\n"
                                             "   30  2024-01-31 09:15   xl/sharedStrings.xml\n"
                                             "---------\n");
    EXPECT_EQ(listing.sizeOf("xl/sharedStrings.xml"), 40u);
}

TEST(ArchiveListing_lines, sizes_too_large_to_hold_saturate) {
    const ArchiveListing listing = listingOf("---------\n"
                                             "   99999999999999999999999  01-31-2024 09:15   big\n"
                                             "   18446744073709551615  01-31-2024 09:15   big\n"
                                             "---------\n");
    EXPECT_EQ(listing.sizeOf("big"), UINT64_MAX);
}

TEST(ArchiveListing_read, a_real_archive_is_listed_and_a_non_archive_is_not) {
    pellacor::testing::ScratchDirectory directory;
    const auto archive = pellacor::testing::zipParts(
        directory.path(), "a.zip", {{"xl/worksheets/sheet1.xml", std::string(777, 'x')}});
    const auto listing = ArchiveListing::read(archive);
    ASSERT_TRUE(listing.has_value());
    EXPECT_EQ(listing->sizeOf("xl/worksheets/sheet1.xml"), 777u);
    pellacor::testing::writeText(directory / "plain.txt", "not a zip");
    EXPECT_FALSE(ArchiveListing::read(directory / "plain.txt").has_value());
}
