#include "files/FileSignature.h"

#include <fstream>

namespace pellacor {
namespace {

struct Signature {
    std::string_view bytes;
    std::size_t offset;
    const char* kind;
};

using namespace std::string_view_literals;

// Each is a run of bytes no text table starts with: most hold a NUL or bytes that are no UTF-8.
// Archives are not here: the table's reader names the compression or the zip archive itself.
constexpr Signature signatures[] = {
    {"\x89PNG\r\n\x1A\n"sv, 0, "a PNG image"},
    {"\xFF\xD8\xFF"sv, 0, "a JPEG image"},
    {"GIF87a"sv, 0, "a GIF image"},
    {"GIF89a"sv, 0, "a GIF image"},
    {"II*\0"sv, 0, "a TIFF image"},
    {"MM\0*"sv, 0, "a TIFF image"},
    {"%PDF-"sv, 0, "a PDF document"},
    {"\x7F"
     "ELF"sv,
     0, "a program (ELF)"},
    {"SQLite format 3\0"sv, 0, "an SQLite database"},
};

} // namespace

std::optional<std::string> FileSignature::describe(std::string_view head, bool isWorkbookExpected) {
    if (!isWorkbookExpected && head.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv))
        return "an Office document in the old binary format";
    if (head.starts_with("RIFF"sv) && head.size() >= 12 && head.substr(8, 4) == "WEBP"sv)
        return "a WebP image";
    for (const Signature& signature : signatures) {
        if (head.size() < signature.offset ||
            !head.substr(signature.offset).starts_with(signature.bytes))
            continue;
        return signature.kind;
    }
    return std::nullopt;
}

std::optional<std::string> FileSignature::ofFile(const std::filesystem::path& path,
                                                 bool isWorkbookExpected) {
    std::error_code unknown;
    if (!std::filesystem::is_regular_file(path, unknown))
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    char head[headBytes] = {};
    file.read(head, sizeof head);
    return describe(std::string_view(head, static_cast<std::size_t>(file.gcount())),
                    isWorkbookExpected);
}

} // namespace pellacor
