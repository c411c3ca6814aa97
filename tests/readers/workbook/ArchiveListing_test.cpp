#include "readers/workbook/ArchiveListing.h"

#include <gtest/gtest.h>

using pellacor::ArchiveListing;
using Kind = ArchiveListing::Flaw::Kind;

namespace {

ArchiveListing listingOf(std::initializer_list<const char*> lines) {
    ArchiveListing listing;
    for (const char* line : lines)
        listing.addLine(line);
    return listing;
}

// "kind name" of the listing's flaw, or "none".
std::string flawOf(const ArchiveListing& listing) {
    if (!listing.flaw())
        return "none";
    const char* kinds[] = {"link", "outside", "repeated"};
    return std::string(kinds[static_cast<int>(listing.flaw()->kind)]) + " " + listing.flaw()->name;
}

} // namespace

TEST(ArchiveListing, entries_are_read_by_name_and_other_lines_ignored) {
    const ArchiveListing listing = listingOf(
        {"Archive:  /tmp/x/temp.xlsx", "Zip file size: 5367 bytes, number of entries: 5",
         "-rw-r--r--  3.0 unx     1234 tx      505 defN 20240131.091500 xl/workbook.xml",
         "-rw----     2.0 fat 5000000000 bl     3104 defN 20240131.091500 xl/my sheet.xml",
         "-rw-r--r--  3.0 unx       10 bx       10 stor 20240131.091500 xl/sharedStrings.xml",
         "-rw-r--r--  3.0 unx 99999999999999999999999 bx 1 defN 20240131.091500 big",
         "-rw-r--r--  3.0 unx        0 bx        0 stor 20240131.091500   two spaces.xml",
         "drwxr-xr-x  3.0 unx        0 bx        0 stor 20240131.091500 xl/",
         "5 files, 5000001274 bytes uncompressed, 3649 bytes compressed:  99.9%"});
    EXPECT_EQ(listing.sizeOf("xl/workbook.xml"), 1234u);
    EXPECT_EQ(listing.sizeOf("xl/my sheet.xml"), 5000000000u);
    EXPECT_EQ(listing.sizeOf("xl/sharedStrings.xml"), 10u);
    EXPECT_EQ(listing.sizeOf("big"), UINT64_MAX);
    EXPECT_TRUE(listing.contains("  two spaces.xml"));
    EXPECT_TRUE(listing.contains("xl/"));
    EXPECT_FALSE(listing.contains("5 files, 5000001274 bytes uncompressed, 3649 bytes"));
    EXPECT_EQ(listing.sizeOf("xl/missing.xml"), 0u);
    EXPECT_EQ(flawOf(listing), "none");
    EXPECT_FALSE(listing.isEncrypted("xl/workbook.xml"));
}

TEST(ArchiveListing, links_climbing_names_repeated_names_and_encrypted_entries_are_told) {
    const char* plain =
        "-rw-r--r--  3.0 unx 13 tx 13 stor 20240131.091500 xl/worksheets/sheet1.xml";
    EXPECT_EQ(
        flawOf(listingOf({plain, "lrwxrwxrwx  3.0 unx 10 bx 10 stor 20240131.091500 xl/a.xml"})),
        "link xl/a.xml");
    for (const char* name : {"../x", "/etc/x", "xl/../../x", "xl\\..\\..\\x", "\\x"}) {
        const std::string line =
            std::string("-rw-r--r--  3.0 unx 1 tx 1 stor 20240131.091500 ") + name;
        EXPECT_EQ(flawOf(listingOf({plain, line.c_str()})), std::string("outside ") + name);
    }
    EXPECT_EQ(flawOf(listingOf({plain, "-rw-r--r--  3.0 unx 1 tx 1 stor 20240131.091500 xl/..x"})),
              "none");
    // Which of two entries of one name is read differs between readers: neither is.
    EXPECT_EQ(flawOf(listingOf(
                  {plain, "-rw-r--r--  3.0 unx 99 tx 99 stor 20240131.091500 xl/x.xml", plain})),
              "repeated xl/worksheets/sheet1.xml");
    const ArchiveListing locked =
        listingOf({"-rw-r--r--  3.0 unx 13 TX 25 stor 20240131.091500 xl/worksheets/sheet1.xml"});
    EXPECT_TRUE(locked.isEncrypted("xl/worksheets/sheet1.xml"));
    EXPECT_FALSE(listingOf({plain}).isEncrypted("xl/worksheets/sheet1.xml"));
}
