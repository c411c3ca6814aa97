// The sheet read on its own thread: the table handed over early, late or never, and failures
// carried back, with the thread always gone when its owner is.
#include "files/FileError.h"
#include "readers/TableError.h"
#include "readers/WorksheetThread.h"
#include "readers/XmlParser.h"

#include "WorkbookFiles.h"

#include <cerrno>

using namespace pellacor;
using namespace pellacor::testing;

namespace {

// Rows over several read chunks, each referring to its own shared string, after a header.
struct LargeSheet {
    std::vector<std::string> table = {"ID", "Sequence"};
    std::string rows = "<row>" + cell("A1", "0", "s") + cell("B1", "1", "s") + "</row>";

    LargeSheet() {
        for (int i = 2; i < 30'000; ++i) {
            const std::string n = std::to_string(i);
            table.push_back("ACGT" + n);
            rows += "<row r=\"" + n + "\">" + cell("A" + n, "id" + n, "str") +
                    cell("B" + n, n, "s") + cell("C" + n, "note " + n, "str") + "</row>";
        }
    }
};

std::vector<std::string> texts(const std::vector<SequenceEntry>& entries) {
    std::vector<std::string> out;
    for (const SequenceEntry& e : entries)
        out.push_back(e.identifier + " " + e.sequence + " " + e.description.value_or(""));
    return out;
}

} // namespace

TEST(WorksheetThread, rows_read_before_and_after_the_table_came_are_all_resolved_in_order) {
    const LargeSheet sheet;
    ScratchFolder folder;
    writeFile(folder / "sheet.xml", worksheet(sheet.rows));
    WorksheetDelegate direct(sheet.table);
    XmlParser::runFile(folder / "sheet.xml", direct);
    ASSERT_EQ(direct.entries.size(), 29'998u);

    // Handed over at once; late to a thread that has read the whole part; late to one that
    // has stopped mid-part at the limit. Each late one tells that it waits.
    for (const std::size_t limit : {WorksheetThread::defaultWaitingLimit, std::size_t(0)}) {
        for (const bool late : {false, true}) {
            WorksheetThread reader(
                folder / "sheet.xml", [] { return false; }, limit);
            const auto deadline = std::chrono::steady_clock::now() + 10s;
            while (late && !reader.isWaitingForTable() &&
                   std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(1ms);
            if (late) {
                EXPECT_TRUE(reader.isWaitingForTable()) << limit;
            }
            reader.supplySharedStrings(sheet.table);
            EXPECT_EQ(texts(reader.finish()), texts(direct.entries)) << limit << " " << late;
        }
    }
}

TEST(WorksheetThread, a_reader_that_waits_for_a_table_or_a_part_that_never_comes_stops) {
    const LargeSheet sheet;
    ScratchFolder folder;
    writeFile(folder / "sheet.xml", worksheet(sheet.rows));
    const auto start = std::chrono::steady_clock::now();
    {
        WorksheetThread waitingForTable(
            folder / "sheet.xml", [] { return false; }, 0);
        WorksheetThread waitingForPart(folder / "missing.xml", [] { return true; });
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);

    WorksheetThread missing(folder / "missing.xml", [] { return false; });
    missing.supplySharedStrings({});
    try {
        missing.finish();
        ADD_FAILURE() << "a missing part was read";
    } catch (const FileError& error) {
        EXPECT_EQ(error.errorNumber(), ENOENT);
    }
}
