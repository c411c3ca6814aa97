#include "readers/delimited/CSVParser.h"

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

} // namespace pellacor
