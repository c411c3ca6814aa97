#include "readers/CSVParser.h"

#include "core/UnicodeText.h"
#include "files/FileBytes.h"
#include "readers/CSVRowScanner.h"

namespace pellacor {
namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

std::string lowerExtension(std::string_view fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    if (slash != std::string_view::npos)
        fileName.remove_prefix(slash + 1);
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    return UnicodeText::toLower(fileName.substr(dot + 1));
}

} // namespace

CSVParser::ParserError::ParserError(Case kind, std::size_t line)
    : TableError(message(kind, line)), kind_(kind), line_(line) {}

std::string CSVParser::ParserError::message(Case kind, std::size_t line) {
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
    case Case::invalidEncoding:
        return "The file is not valid UTF-8 text. Save it as UTF-8 and try again.";
    }
    return {};
}

CSVParser::Result CSVParser::parse(const std::filesystem::path& file) {
    const std::string bytes = FileBytes::read(file);
    return parseBytes(bytes, file.filename().string());
}

CSVParser::Result CSVParser::parseBytes(std::string_view bytes, std::string_view fileName) {
    Result result;
    result.isTabDelimited = scan(bytes, fileName, [&result](const RecordView& record) {
        result.entries.push_back(
            {std::string(record.identifier), std::string(record.sequence),
             record.description ? std::optional<std::string>(*record.description) : std::nullopt});
    });
    return result;
}

bool CSVParser::scan(std::string_view bytes, std::string_view fileName, const RecordSink& sink) {
    // Spreadsheet programs write a byte-order mark in front of "CSV UTF-8".
    if (bytes.starts_with(byteOrderMark))
        bytes.remove_prefix(byteOrderMark.size());
    if (bytes.empty())
        throw ParserError(ParserError::Case::emptyFile);
    if (!UnicodeText::isValidUtf8(bytes))
        throw ParserError(ParserError::Case::invalidEncoding);

    const char delimiter = detectDelimiter(fileName, bytes);
    CSVRowScanner scanner(bytes, delimiter);
    bool sawRow = false;
    bool sawRecord = false;
    std::string cleaned;
    while (scanner.nextRow()) {
        const std::span<const std::string_view> fields = scanner.fields();
        if (!sawRow) {
            sawRow = true;
            if (isHeaderRow(fields))
                continue;
        }
        if (fields.size() < 2)
            continue;
        const std::string_view identifier = UnicodeText::trim(fields[0], true);
        std::string_view sequence = fields[1];
        if (scanner.sequenceNeedsCleaning()) {
            cleaned = cleanSequence(sequence);
            sequence = cleaned;
        }
        if (identifier.empty() || sequence.empty())
            continue;
        std::optional<std::string_view> description;
        if (fields.size() > 2)
            description = UnicodeText::trim(fields[2], true);
        sawRecord = true;
        sink(RecordView{identifier, sequence, description});
    }
    if (!sawRow)
        throw ParserError(ParserError::Case::emptyFile);
    if (!sawRecord)
        throw ParserError(ParserError::Case::missingRequiredColumns);
    return delimiter == '\t';
}

char CSVParser::detectDelimiter(std::string_view fileName, std::string_view text) {
    const std::string extension = lowerExtension(fileName);
    if (extension == "tsv" || extension == "tab")
        return '\t';

    // The first 5 lines, split at every newline character (so CR LF leaves an empty line).
    std::size_t tabs = 0, commas = 0, semicolons = 0;
    std::size_t lines = 0;
    std::size_t pos = 0;
    while (lines < 5 && pos <= text.size()) {
        std::size_t end = pos;
        std::size_t newline = 0;
        while (end < text.size() && (newline = UnicodeText::newlineLengthAt(text, end)) == 0)
            ++end;
        for (std::size_t i = pos; i < end; ++i) {
            tabs += text[i] == '\t';
            commas += text[i] == ',';
            semicolons += text[i] == ';';
        }
        ++lines;
        if (end >= text.size())
            break;
        pos = end + newline;
    }
    // Spreadsheets in many locales save "CSV" with semicolons.
    if (semicolons > tabs && semicolons > commas)
        return ';';
    if (extension == "csv")
        return ',';
    return tabs > commas ? '\t' : ',';
}

bool CSVParser::detectTabDelimiter(std::string_view fileName, std::string_view text) {
    return detectDelimiter(fileName, text) == '\t';
}

std::size_t CSVParser::fastaSizeBound(std::size_t tableBytes, int lineWidth) noexcept {
    return tableBytes + tableBytes / static_cast<std::size_t>(lineWidth) + tableBytes / 3 + 64;
}

std::string CSVParser::cleanSequence(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\n' && c != '\r' && c != ' ' && c != '\t')
            out += c;
    return out;
}

} // namespace pellacor
