// Times the two workbook XML readers alone over parts already extracted:
//   xml_readers <sheet.xml> [sharedStrings.xml]
// The rest of a workbook import is unzip's work; this shows what the parsing adds.
#include "readers/workbook/SharedStringsDelegate.h"
#include "readers/workbook/WorksheetDelegate.h"
#include "readers/workbook/XmlParser.h"

#include "files/FileDescriptor.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>

using namespace pellacor;

namespace {

void runFile(const char* path, XmlDelegate& delegate) {
    const FileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        std::perror(path);
        std::exit(1);
    }
    XmlParser(delegate).feedDescriptor(fd.get(), path);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: xml_readers <sheet.xml> [sharedStrings.xml]\n");
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    SharedStringsDelegate shared;
    if (argc > 2)
        runFile(argv[2], shared);
    const auto middle = Clock::now();
    WorksheetDelegate sheet(shared.takeTable());
    std::size_t records = 0;
    sheet.setRecordSink([&records](const RecordView&) { ++records; });
    runFile(argv[1], sheet);
    const auto end = Clock::now();
    const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::printf("shared strings %.1f ms, worksheet %.1f ms, %zu records\n", ms(middle - start),
                ms(end - middle), records);
    return 0;
}
