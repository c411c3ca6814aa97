#include "cli/TableConversion.h"

#include "core/ConversionTrace.h"
#include "core/FastaConverter.h"
#include "core/HugePages.h"
#include "core/UnicodeText.h"
#include "readers/CSVParser.h"
#include "readers/ExcelParser.h"
#include "readers/FileBytes.h"
#include "readers/MappedFile.h"

#include <filesystem>
#include <optional>
#include <unistd.h>
#include <vector>

namespace pellacor {
namespace {

bool isWorkbook(const std::string& input) {
    const std::string extension =
        UnicodeText::toLower(std::filesystem::path(input).extension().string());
    return extension == ".xlsx" || extension == ".xls";
}

TableConversion fromEntries(std::vector<SequenceEntry> entries, int lineWidth, bool withTrace) {
    TableConversion result;
    result.lineWidth = lineWidth;
    if (!withTrace) {
        result.records = std::move(entries);
        return result;
    }
    // The trace counts over the whole text, so it is made at once.
    result.trace = ConversionTrace::entryLines(entries.size(), entries);
    result.fasta = FastaConverter::convert(entries, lineWidth);
    result.trace += ConversionTrace::fastaLines(result.fasta);
    return result;
}

} // namespace

TableConversion TableConversion::run(const std::string& input, int lineWidth, bool withTrace) {
    if (input != "-" && isWorkbook(input))
        return fromEntries(ExcelParser::parse(input), lineWidth, withTrace);

    std::string standardInput;
    std::optional<MappedFile> mapped;
    std::string_view bytes;
    if (input == "-") {
        standardInput = FileBytes::readDescriptor(STDIN_FILENO, "standard input");
        bytes = standardInput;
    } else {
        mapped.emplace(input);
        bytes = mapped->bytes();
    }
    // Records go straight into the FASTA text: the table is never held twice.
    TableConversion result;
    HugePages::reserve(result.fasta, CSVParser::fastaSizeBound(bytes.size(), lineWidth));
    std::size_t total = 0;
    std::vector<SequenceEntry> first;
    CSVParser::scan(
        bytes, input == "-" ? std::string_view() : std::string_view(input),
        [&](const CSVParser::RecordView& r) {
            if (withTrace && first.size() < ConversionTrace::detailedEntries)
                first.push_back({std::string(r.identifier), std::string(r.sequence), std::nullopt});
            ++total;
            FastaConverter::appendRecord(result.fasta, r.identifier, r.sequence, r.description,
                                         lineWidth);
        });
    if (mapped)
        mapped->verifyUnchanged();
    if (withTrace)
        result.trace =
            ConversionTrace::entryLines(total, first) + ConversionTrace::fastaLines(result.fasta);
    return result;
}

void TableConversion::writeFasta(const std::function<void(std::string_view)>& write) const {
    if (records.empty()) {
        write(fasta);
        return;
    }
    // A buffer that stays in cache, instead of hundreds of megabytes of fresh pages.
    constexpr std::size_t piece = std::size_t(1) << 20;
    std::string buffer;
    buffer.reserve(2 * piece);
    for (const SequenceEntry& e : records) {
        FastaConverter::appendRecord(buffer, e.identifier, e.sequence, e.descriptionView(),
                                     lineWidth);
        if (buffer.size() >= piece) {
            write(buffer);
            buffer.clear();
        }
    }
    write(buffer);
}

} // namespace pellacor
