#include "conversion/TableInput.h"

#include "files/DisplayName.h"
#include "files/EncodedText.h"
#include "files/GzipText.h"
#include "files/MappedText.h"
#include "files/StreamedText.h"
#include "readers/TableError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellacor {

namespace {

std::unique_ptr<TextSource> openBytes(const std::filesystem::path& path) {
    if (!TableInput::isStandardInput(path))
        return std::make_unique<MappedText>(path);
    if (TableInput::isRegularFile(path))
        return std::make_unique<MappedText>(STDIN_FILENO, "standard input");
#if defined(F_SETPIPE_SZ)
    // A larger pipe means fewer trips between the writer and us.
    ::fcntl(STDIN_FILENO, F_SETPIPE_SZ, 1 << 20);
#endif
    return std::make_unique<StreamedText>(STDIN_FILENO, "standard input");
}

// The first bytes of `source`'s window, reading them in where they have not come yet.
std::string_view start(TextSource& source) {
    while (source.window().size() < 8 && !source.isComplete() && source.readMore()) {
    }
    return source.window();
}

// What other compression `bytes` begin with, if any.
const char* otherCompression(std::string_view bytes) {
    const auto startsWith = [&](std::string_view magic) { return bytes.starts_with(magic); };
    if (startsWith("BZh"))
        return "bzip2";
    if (startsWith(std::string_view("\xFD"
                                    "7zXZ\0",
                                    6)))
        return "xz";
    if (startsWith("\x28\xB5\x2F\xFD"))
        return "zstd";
    if (startsWith("7z\xBC\xAF\x27\x1C"))
        return "7-Zip";
    return nullptr;
}

} // namespace

std::unique_ptr<TextSource> TableInput::open(const std::filesystem::path& path,
                                             const std::optional<std::string>& encoding) {
    const std::string name = isStandardInput(path) ? "standard input" : path.string();
    std::unique_ptr<TextSource> source = openBytes(path);
    if (GzipText::startsGzip(start(*source)))
        source = std::make_unique<GzipText>(std::move(source), name);
    // UTF-8 named is read as UTF-8 is, its faults told by row.
    if (encoding && !EncodedText::isUtf8(*encoding))
        return std::make_unique<EncodedText>(std::move(source), name, *encoding, *encoding);
    const std::string_view bytes = start(*source);
    if (const std::optional<EncodedText::Marked> marked = EncodedText::markedEncodingOf(bytes))
        return std::make_unique<EncodedText>(std::move(source), name, marked->encoding,
                                             marked->label, marked->markBytes);
    if (const char* compression = otherCompression(bytes))
        throw TableError(DisplayName::quoted(name) + " is compressed with " + compression +
                         ", which is not read here. Decompress it, or compress it with gzip, "
                         "and try again.");
    if (bytes.starts_with("PK\x03\x04"))
        throw TableError(DisplayName::quoted(name) +
                         " is a zip archive, not text. A workbook needs the extension .xlsx or "
                         ".ods; a table inside an archive needs unpacking first.");
    return source;
}

bool TableInput::isGzipFile(const std::filesystem::path& path) noexcept {
    if (!isRegularFile(path))
        return false;
    const bool isInput = isStandardInput(path);
    const int fd = isInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const off_t at = isInput ? ::lseek(fd, 0, SEEK_CUR) : 0;
    char magic[2] = {};
    const bool read = at >= 0 && ::pread(fd, magic, sizeof magic, at) == sizeof magic;
    if (!isInput)
        ::close(fd);
    return read && GzipText::startsGzip(std::string_view(magic, sizeof magic));
}

bool TableInput::isRegularFile(const std::filesystem::path& path) noexcept {
    struct stat info {};
    const int status =
        isStandardInput(path) ? ::fstat(STDIN_FILENO, &info) : ::stat(path.c_str(), &info);
    return status == 0 && S_ISREG(info.st_mode);
}

} // namespace pellacor
