#include "cli/TableConversion.h"

#include "core/ConversionTrace.h"
#include "core/FastaConverter.h"
#include "core/HugePages.h"
#include "core/UnicodeText.h"
#include "readers/CSVParser.h"
#include "readers/ExcelParser.h"
#include "files/FileBytes.h"
#include "files/MappedFile.h"

#include <filesystem>
#include <memory>
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
    const auto convert = [&](std::string_view table) {
        CSVParser::scan(table, input == "-" ? std::string_view() : std::string_view(input),
                        [&](const RecordView& r) {
                            if (withTrace && first.size() < ConversionTrace::detailedEntries)
                                first.push_back({std::string(r.identifier), std::string(r.sequence),
                                                 std::nullopt});
                            ++total;
                            FastaConverter::appendRecord(result.fasta, r.identifier, r.sequence,
                                                         r.description, lineWidth);
                        });
    };
    if (mapped)
        mapped->readVerified(convert);
    else
        convert(bytes);
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
    // A buffer that stays in cache, instead of hundreds of megabytes of fresh pages. Records
    // are written into it in place, so its bytes are never cleared first.
    constexpr std::size_t piece = std::size_t(1) << 20;
    std::size_t capacity = 2 * piece;
    auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
    std::size_t used = 0;
    for (const SequenceEntry& e : records) {
        const std::size_t bound = FastaConverter::recordSizeBound(e, lineWidth);
        if (used + bound > capacity) {
            write(std::string_view(buffer.get(), used));
            used = 0;
            if (bound > capacity) {
                capacity = bound;
                buffer = std::make_unique_for_overwrite<char[]>(capacity);
            }
        }
        used += FastaConverter::writeRecord(buffer.get() + used, e.identifier, e.sequence,
                                            e.descriptionView(), lineWidth)
                    .end;
        if (used >= piece) {
            write(std::string_view(buffer.get(), used));
            used = 0;
        }
    }
    write(std::string_view(buffer.get(), used));
}

} // namespace pellacor
