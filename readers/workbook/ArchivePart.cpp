#include "readers/workbook/ArchivePart.h"

#include "files/FileError.h"
#include "readers/workbook/ArchiveListing.h"
#include "readers/workbook/ExcelError.h"
#include "readers/workbook/WorkDirectory.h"
#include "readers/workbook/XmlParser.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace pellacor {
namespace {

FileDescriptor openForReading(const std::filesystem::path& file) {
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0)
        throw FileError("Cannot open", file.string(), errno);
    return fd;
}

// unzip's arguments for writing one part to its standard output. A password is given so that
// an encrypted entry fails at once instead of asking for one. unzip reads a name as a
// wildcard pattern ("sheet[1].xml" would match "sheet1.xml", "*.xml" every part, joined):
// its special characters are escaped, so the name matches the one entry it spells.
std::vector<std::string> unpackArguments(const std::filesystem::path& archive,
                                         const std::string& name) {
    std::string literal;
    for (const char c : name) {
        if (c == '*' || c == '?' || c == '[' || c == ']' || c == '\\')
            literal += '\\';
        literal += c;
    }
    return {"-p", "-qq", "-P", "x", archive.string(), literal};
}

} // namespace

ArchivePart::ArchivePart(const std::filesystem::path& archive, const ArchiveListing& listing,
                         const std::string& name, const std::filesystem::path& file)
    : ArchivePart(archive, listing, name, file, WorkDirectory::createFile(file)) {}

ArchivePart::ArchivePart(const std::filesystem::path& archive, const ArchiveListing& listing,
                         const std::string& name, const std::filesystem::path& file,
                         FileDescriptor output)
    : file_(file), listedSize_(listing.sizeOf(name)), reader_(openForReading(file)),
      writer_(unpackArguments(archive, name), output.get()) {
    // unzip trusts the sizes an archive claims only for its listing: a part that inflates past
    // its listed size would otherwise fill the disk behind the space check.
    writer_.limitFileSize(listedSize_);
}

bool ArchivePart::read(XmlDelegate& delegate,
                       const std::function<void(std::uint64_t offset)>& atPiece) {
    if (::lseek(reader_.get(), 0, SEEK_SET) != 0)
        throw FileError("Cannot read", file_.string(), errno);
    XmlParser parser(delegate);
    // Asked before each read, outside the XML parser's callbacks, so it may throw.
    return parser.feedDescriptor(reader_.get(), file_.string(), [this, &atPiece] {
        if (atPiece) {
            const off_t offset = ::lseek(reader_.get(), 0, SEEK_CUR);
            atPiece(offset > 0 ? static_cast<std::uint64_t>(offset) : 0);
        }
        return !hasExited();
    });
}

void ArchivePart::finish() {
    const int status = writer_.finish();
    struct stat info {};
    if (::fstat(reader_.get(), &info) != 0)
        throw FileError("Cannot read", file_.string(), errno);
    const auto written = static_cast<std::uint64_t>(info.st_size);
    // Status 1 is a warning with the work done (a flag the two headers disagree on, bytes
    // before the first entry): what counts is that every byte of the part came out.
    if ((status == 0 || status == 1) && written == listedSize_)
        return;
    // unzip says nothing when its output cannot be written: a part cut short on a full disk
    // shows only in its size.
    struct statvfs space {};
    if (written < listedSize_ && ::fstatvfs(reader_.get(), &space) == 0 &&
        std::uint64_t(space.f_bavail) * space.f_frsize < listedSize_ - written)
        throw TableError(WorkDirectory::notEnoughSpaceMessage());
    throw ExcelError(ExcelError::Case::invalidFileFormat);
}

void ArchivePart::discard() {
    ::unlink(file_.c_str());
}

} // namespace pellacor
