#include "readers/TableError.h"
#include "readers/WorkDirectory.h"

#include "WorkbookFiles.h"

#include <sys/stat.h>

using pellacor::WorkDirectory;
using WorkDirectoryTest = pellacor::testing::WorkbookTest;

// The fixture checks that TMPDIR is empty again at the end.
TEST_F(WorkDirectoryTest, lives_under_tmpdir_privately_and_is_removed_with_its_contents) {
    fs::path made;
    {
        WorkDirectory work;
        made = work.path();
        EXPECT_EQ(made.parent_path(), fs::absolute(temporary));
        struct stat info {};
        ASSERT_EQ(::stat(made.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        work.writeFile("temp.xlsx", "first");
        // An existing file is never written through.
        EXPECT_THROW(work.writeFile("temp.xlsx", "second"), pellacor::FileError);
        EXPECT_THROW(work.makeDirectory("temp.xlsx"), pellacor::FileError);
        work.makeDirectory("extracted");
        fs::create_directories(work.path() / "extracted/xl/worksheets");
        writeFile(work.path() / "extracted/xl/worksheets/sheet1.xml", "<x/>");
        // Only the last owner removes it; a moved-from one leaves it alone.
        const WorkDirectory owner(std::move(work));
        { const WorkDirectory none(std::move(work)); }
        EXPECT_TRUE(fs::exists(made));
    }
    EXPECT_FALSE(fs::exists(made));
}
