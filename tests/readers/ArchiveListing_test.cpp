#include "readers/ArchiveListing.h"

#include <gtest/gtest.h>

using pellacor::ArchiveListing;

TEST(ArchiveListing, entries_between_the_rules_are_summed_by_name_and_saturate) {
    ArchiveListing listing;
    for (const char* line :
         {"Archive:  /tmp/x/temp.xlsx", "  Length      Date    Time    Name",
          "---------  ---------- -----   ----", "     1234  2024-01-31 09:15   xl/workbook.xml",
          "0  1980-00-00 00:00   xl/", "  5000000000  2024-01-31 09:15   xl/my sheet.xml",
          "   10  2024-01-31 09:15   xl/sharedStrings.xml",
          "   30  2024-01-31 09:15   xl/sharedStrings.xml",
          "   99999999999999999999999  01-31-2024 09:15   big",
          "   18446744073709551615  01-31-2024 09:15   big",
          "---------                     -------", "  5000001234                     3 files"})
        listing.addLine(line);
    EXPECT_EQ(listing.sizeOf("xl/workbook.xml"), 1234u);
    EXPECT_EQ(listing.sizeOf("xl/my sheet.xml"), 5000000000u);
    EXPECT_EQ(listing.sizeOf("xl/sharedStrings.xml"), 40u); // a name listed twice counts twice
    EXPECT_EQ(listing.sizeOf("big"), UINT64_MAX);
    EXPECT_TRUE(listing.contains("xl/"));
    EXPECT_FALSE(listing.contains("3 files"));
    EXPECT_FALSE(listing.contains("Name"));
    EXPECT_EQ(listing.sizeOf("xl/missing.xml"), 0u);
}
