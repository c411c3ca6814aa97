#include "readers/TableError.h"
#include "readers/WorkDirectory.h"

#include "WorkbookFiles.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sys/stat.h>

using pellacor::WorkDirectory;
using pellacor::testing::ScopedEnvironment;
using pellacor::testing::ScratchDirectory;

TEST(WorkDirectory_identifier, is_an_upper_case_random_uuid_each_time) {
    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string id = WorkDirectory::newIdentifier();
        EXPECT_TRUE(std::regex_match(id, form)) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(WorkDirectory_lifetime, lives_under_tmpdir_privately_and_is_removed_with_its_contents) {
    ScratchDirectory root;
    ScopedEnvironment tmpdir("TMPDIR", root.path().string());
    std::filesystem::path made;
    {
        const WorkDirectory work;
        made = work.path();
        EXPECT_EQ(made.parent_path(), std::filesystem::absolute(root.path()));
        struct stat info {};
        ASSERT_EQ(::stat(made.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        work.writeFile("temp.xlsx", "PK");
        work.makeDirectory("extracted");
        pellacor::testing::writeText(work.path() / "extracted/xl/worksheets/sheet1.xml", "<x/>");
    }
    EXPECT_FALSE(std::filesystem::exists(made));
    EXPECT_TRUE(root.entries().empty());
}

TEST(WorkDirectory_lifetime, a_moved_from_owner_leaves_the_directory_alone) {
    ScratchDirectory root;
    ScopedEnvironment tmpdir("TMPDIR", root.path().string());
    WorkDirectory first;
    const std::filesystem::path made = first.path();
    {
        WorkDirectory second(std::move(first));
        { WorkDirectory gone(std::move(first)); }
        EXPECT_TRUE(std::filesystem::exists(made));
    }
    EXPECT_FALSE(std::filesystem::exists(made));
}

TEST(WorkDirectory_files, an_existing_file_is_never_written_through) {
    ScratchDirectory root;
    ScopedEnvironment tmpdir("TMPDIR", root.path().string());
    const WorkDirectory work;
    work.writeFile("temp.xlsx", "first");
    EXPECT_THROW(work.writeFile("temp.xlsx", "second"), pellacor::FileError);
    EXPECT_THROW(work.makeDirectory("temp.xlsx"), pellacor::FileError);
}
