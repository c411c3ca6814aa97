#include "readers/delimited/CSVParser.h"

#include "core/UnicodeText.h"
#include "files/FileName.h"
#include "files/MappedText.h"
#include "files/MemoryText.h"
#include "readers/RecordBuilder.h"
#include "readers/delimited/DelimitedTable.h"

namespace pellacor {
namespace {

// Reads all of `text` into `entries`; true when it was tab-separated.
bool read(TextSource& text, std::string_view fileName, std::vector<SequenceEntry>& entries) {
    RecordBuilder builder(RecordBuilder::delimitedStyle);
    return DelimitedTable::read(text, fileName, builder, [&entries](const RecordView& r) {
               entries.push_back(SequenceEntry::of(r));
           }) == '\t';
}

} // namespace

CSVParser::ParserError::ParserError(Case kind, std::size_t line, int byte)
    : TableError(message(kind, line, byte)), kind_(kind), line_(line) {}

std::string CSVParser::ParserError::message(Case kind, std::size_t line, int byte) {
    switch (kind) {
    case Case::invalidFileFormat:
        return "Invalid file format. File must contain at least 2 columns (identifier and "
               "sequence).";
    case Case::missingRequiredColumns:
        return "Missing required columns. File must have at least identifier and sequence "
               "columns.";
    case Case::emptyFile:
        return "The file is empty or contains no valid data.";
    case Case::unterminatedQuotedField:
        return "Unterminated quoted field starting on line " + std::to_string(line) + ".";
    case Case::invalidEncoding: {
        // Most such files are Windows exports of text with one accented letter or symbol.
        if (byte < 0 || line == 0)
            return "The file is not valid UTF-8 text. Save it as UTF-8, or read it with "
                   "--encoding windows-1252.";
        static constexpr char hex[] = "0123456789ABCDEF";
        const std::string value = {'0', 'x', hex[(byte >> 4) & 0xF], hex[byte & 0xF]};
        return "The file is not valid UTF-8 text. Row " + std::to_string(line) +
               " holds the byte " + value +
               ", which UTF-8 does not allow there. Save it as UTF-8, or read it with "
               "--encoding windows-1252.";
    }
    case Case::nulByte:
        return "The file is not text: row " + std::to_string(line) +
               " holds a NUL byte, which no text table has. Save the table as CSV or TSV and "
               "try again.";
    }
    return {};
}

CSVParser::Result CSVParser::parse(const std::filesystem::path& file) {
    MappedText text(file);
    Result result;
    result.isTabDelimited =
        text.readVerified([&] { return read(text, file.filename().string(), result.entries); });
    return result;
}

CSVParser::Result CSVParser::parseBytes(std::string_view bytes, std::string_view fileName) {
    MemoryText text(bytes);
    Result result;
    result.isTabDelimited = read(text, fileName, result.entries);
    return result;
}

char CSVParser::detectDelimiter(std::string_view fileName, std::string_view text) {
    const std::string extension = FileName::lowerExtension(fileName);
    if (extension == "tsv" || extension == "tab")
        return '\t';

    // The first 5 lines, split at every newline character (so CR LF leaves an empty line).
    // Blocks without a byte that may begin one are counted in one branch-free pass: a first
    // line of a whole chromosome is counted at memory speed.
    constexpr std::size_t block = 240; // counts of up to 255 fit a byte
    std::size_t tabs = 0, commas = 0, semicolons = 0;
    std::size_t lines = 0;
    std::size_t pos = 0;
    const auto count = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            tabs += text[i] == '\t';
            commas += text[i] == ',';
            semicolons += text[i] == ';';
        }
    };
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    while (lines < 5 && pos < text.size()) {
        if (pos + block <= text.size()) {
            // Byte-wide sums, so that the compiler takes the block a vector at a time.
            unsigned char candidates = 0, blockTabs = 0, blockCommas = 0, blockSemicolons = 0;
            for (std::size_t i = pos; i < pos + block; ++i) {
                const unsigned char b = bytes[i];
                // LF, VT, FF, CR, and the lead bytes of NEL, LS and PS.
                candidates |= static_cast<unsigned char>(
                    static_cast<unsigned char>(b - 0x0A) <= 3 || b == 0xC2 || b == 0xE2);
                blockTabs += b == '\t';
                blockCommas += b == ',';
                blockSemicolons += b == ';';
            }
            if (!candidates) {
                tabs += blockTabs;
                commas += blockCommas;
                semicolons += blockSemicolons;
                pos += block;
                continue;
            }
        }
        const std::size_t end = std::min(pos + block, text.size());
        while (pos < end && lines < 5) {
            if (const std::size_t newline = UnicodeText::newlineLengthAt(text, pos)) {
                pos += newline;
                ++lines;
                continue;
            }
            count(pos, pos + 1);
            ++pos;
        }
    }
    // Spreadsheets in many locales save "CSV" with semicolons.
    if (semicolons > tabs && semicolons > commas)
        return ';';
    // A file named .csv that holds tabs and no commas was saved tab-separated.
    if (extension == "csv")
        return tabs > 0 && commas == 0 ? '\t' : ',';
    return tabs > commas ? '\t' : ',';
}

bool CSVParser::detectTabDelimiter(std::string_view fileName, std::string_view text) {
    return detectDelimiter(fileName, text) == '\t';
}

std::size_t CSVParser::fastaSizeBound(std::size_t tableBytes, LineWidth width) noexcept {
    return tableBytes + width.linesFor(tableBytes) + tableBytes / 3 + 64;
}

} // namespace pellacor
