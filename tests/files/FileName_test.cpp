#include "files/FileName.h"

#include <gtest/gtest.h>

using pellacor::FileName;

TEST(FileName, the_extension_is_the_lower_cased_text_after_the_last_dot_of_the_name) {
    EXPECT_EQ(FileName::lowerExtension("/data/table.tar.Csv"), "csv");
    EXPECT_EQ(FileName::lowerExtension("TABLE.XLSX"), "xlsx");
    EXPECT_EQ(FileName::lowerExtension("/data.xlsx/table"), "") << "a folder's dot counted";
    EXPECT_EQ(FileName::lowerExtension("/data/table."), "");
    EXPECT_EQ(FileName::lowerExtension("/data/.xlsx"), "") << "a hidden file has no extension";
    EXPECT_EQ(FileName::lowerExtension("/d/t.\u00C9XT"), "\u00E9xt");
    EXPECT_EQ(FileName::lowerExtension("-"), "");
}
