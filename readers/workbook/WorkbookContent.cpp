#include "readers/workbook/WorkbookContent.h"

#include "files/FileDescriptor.h"

#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellacor {
namespace {

constexpr std::string_view compoundSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
constexpr std::string_view zipSignature("PK\x03\x04", 4);

std::uint32_t littleEndian(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

WorkbookContent::Kind ofZip(std::string_view start) {
    // The first local header: its name, and for a stored entry its bytes right after.
    constexpr std::size_t header = 30;
    if (start.size() < header)
        return WorkbookContent::Kind::zip;
    const std::size_t nameLength = littleEndian(start, 26, 2);
    const std::size_t extraLength = littleEndian(start, 28, 2);
    if (start.size() < header + nameLength)
        return WorkbookContent::Kind::zip;
    const std::string_view name = start.substr(header, nameLength);
    if (name == "mimetype" && littleEndian(start, 8, 2) == 0) {
        const std::size_t size = littleEndian(start, 18, 4);
        const std::size_t at = header + nameLength + extraLength;
        // A template of a spreadsheet holds a sheet just the same.
        if (at < start.size() &&
            start.substr(at, size).starts_with(WorkbookContent::openDocumentType))
            return WorkbookContent::Kind::openDocument;
    }
    if (name == "[Content_Types].xml" || name.starts_with("xl/") || name.starts_with("_rels/") ||
        name.starts_with("docProps/"))
        return WorkbookContent::Kind::officeOpenXml;
    return WorkbookContent::Kind::zip;
}

} // namespace

WorkbookContent::Kind WorkbookContent::ofStart(std::string_view start) noexcept {
    if (start.starts_with(compoundSignature))
        return Kind::compoundFile;
    if (start.starts_with(zipSignature))
        return ofZip(start);
    std::string_view text = start;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    while (!text.empty() &&
           (text[0] == ' ' || text[0] == '\t' || text[0] == '\r' || text[0] == '\n'))
        text.remove_prefix(1);
    // Its root is office:document, which names the spreadsheet type among its attributes.
    if (text.starts_with("<") && text.find(":document") != std::string_view::npos &&
        text.find(openDocumentType) != std::string_view::npos)
        return Kind::flatOpenDocument;
    return Kind::none;
}

WorkbookContent::Kind WorkbookContent::of(const std::filesystem::path& path) noexcept {
    // Non-blocking, so that a named pipe is not waited on; only a regular file is looked at.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (fd.get() < 0) {
        const bool isFile = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
        return isFile ? Kind::unreadable : Kind::none;
    }
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return Kind::none;
    char start[sniffedBytes];
    std::size_t have = 0;
    while (have < sniffedBytes) {
        const ssize_t got =
            ::pread(fd.get(), start + have, sniffedBytes - have, static_cast<off_t>(have));
        if (got <= 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    return ofStart(std::string_view(start, have));
}

} // namespace pellacor
