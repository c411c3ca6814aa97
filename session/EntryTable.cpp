#include "session/EntryTable.h"

#include "core/FastaConverter.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace pellacor {

void EntryTable::reserve(std::size_t textBytes) {
    text_.reserve(static_cast<qsizetype>(textBytes));
}

std::size_t EntryTable::clear() {
    const auto held = static_cast<std::size_t>(text_.size());
    const bool keeps = text_.isDetached();
    if (keeps)
        text_.resize(0); // keeps the capacity
    else
        text_ = QByteArray();
    blocks_.clear();
    keptWhole_.clear();
    size_ = 0;
    return keeps ? held : 0;
}

bool EntryTable::rowOf(const RecordView& record, const FastaConverter::RecordLayout& layout,
                       std::size_t start, Row& row) noexcept {
    const auto& [identifier, sequence, description] = record;
    const std::size_t descriptionBytes = description ? description->size() : 0;
    constexpr std::size_t widest = hasDescription - 1;
    const bool inText = layout.headerVerbatim && layout.sequenceVerbatim &&
                        identifier.size() <= widest && descriptionBytes <= widest;
    row = {start, static_cast<std::uint32_t>(inText ? identifier.size() : 0),
           static_cast<std::uint32_t>(inText ? descriptionBytes : 0) |
               (description ? hasDescription : 0)};
    return inText;
}

void EntryTable::addRow(const Row& row) {
    if (blocks_.empty() || blocks_.back().size() == blockRows) {
        blocks_.emplace_back();
        blocks_.back().reserve(blockRows);
    }
    blocks_.back().push_back(row);
    ++size_;
}

void EntryTable::makeRoom(std::size_t bytes) {
    const auto size = static_cast<std::size_t>(text_.size());
    if (size + bytes > static_cast<std::size_t>(text_.capacity()))
        reserve(std::max(size + bytes, 2 * size));
}

void EntryTable::append(const RecordView& record) {
    const std::size_t bound = FastaConverter::recordSizeBound(record, width_);
    const auto start = static_cast<std::size_t>(text_.size());
    makeRoom(bound);
    // Growing a QByteArray leaves the new bytes unset; the record fills them.
    text_.resize(static_cast<qsizetype>(start + bound));
    const FastaConverter::RecordLayout layout =
        FastaConverter::writeRecord(text_.data() + start, record, width_);
    text_.resize(static_cast<qsizetype>(start + layout.end));
    Row row;
    if (!rowOf(record, layout, start, row))
        keptWhole_.emplace(size_, SequenceEntry::of(record));
    addRow(row);
}

namespace {

template <typename Value> void put(std::string& notes, const Value& value) {
    notes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void putText(std::string& notes, std::string_view text) {
    put(notes, std::uint64_t(text.size()));
    notes.append(text);
}

template <typename Value> Value take(std::string_view& notes) {
    Value value;
    std::memcpy(&value, notes.data(), sizeof value);
    notes.remove_prefix(sizeof value);
    return value;
}

std::string takeText(std::string_view& notes) {
    const auto bytes = static_cast<std::size_t>(take<std::uint64_t>(notes));
    std::string text(notes.substr(0, bytes));
    notes.remove_prefix(bytes);
    return text;
}

} // namespace

std::size_t EntryTable::render(const RecordView& record, char* out, LineWidth width,
                               std::string& notes) {
    const FastaConverter::RecordLayout layout = FastaConverter::writeRecord(out, record, width);
    // The note's `start` is the record's size: where it starts is known only once taken.
    Row row;
    const bool inText = rowOf(record, layout, layout.end, row);
    if (!inText)
        row.identifierBytes = isKeptWhole;
    put(notes, row);
    if (!inText) {
        putText(notes, record.identifier);
        putText(notes, record.sequence);
        put(notes, char(record.description ? 1 : 0));
        putText(notes, record.description.value_or(std::string_view()));
    }
    return layout.end;
}

void EntryTable::appendRendered(std::string_view bytes, std::string_view notes) {
    auto start = static_cast<std::size_t>(text_.size());
    makeRoom(bytes.size());
    text_.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
    while (!notes.empty()) {
        Row row = take<Row>(notes);
        const std::size_t recordBytes = row.start;
        row.start = start;
        if (row.identifierBytes == isKeptWhole) {
            row.identifierBytes = 0;
            SequenceEntry entry;
            entry.identifier = takeText(notes);
            entry.sequence = takeText(notes);
            const bool described = take<char>(notes) != 0;
            std::string description = takeText(notes);
            if (described)
                entry.description = std::move(description);
            keptWhole_.emplace(size_, std::move(entry));
        }
        addRow(row);
        start += recordBytes;
    }
}

SequenceEntry EntryTable::operator[](std::size_t index) const {
    if (const auto whole = keptWhole_.find(index); whole != keptWhole_.end())
        return whole->second;
    const Row& r = row(index);
    const char* record = text_.constData() + r.start;
    SequenceEntry entry;
    entry.identifier.assign(record + 1, r.identifierBytes);
    std::size_t headerBytes = 1 + r.identifierBytes;
    if (r.description & hasDescription) {
        const std::size_t descriptionBytes = r.description & ~hasDescription;
        entry.description.emplace();
        // An empty description is not written, so it takes no space in the header.
        if (descriptionBytes > 0) {
            entry.description->assign(record + headerBytes + 1, descriptionBytes);
            headerBytes += 1 + descriptionBytes;
        }
    }
    // The sequence lines run up to the next record.
    const char* lines = record + headerBytes + 1;
    const char* end =
        text_.constData() + (index + 1 < size_ ? row(index + 1).start : std::size_t(text_.size()));
    entry.sequence.reserve(static_cast<std::size_t>(end - lines));
    for (const char* p = lines; p < end; ++p)
        if (*p != '\n')
            entry.sequence += *p;
    return entry;
}

std::vector<SequenceEntry> EntryTable::toVector() const {
    std::vector<SequenceEntry> entries;
    entries.reserve(size());
    for (std::size_t i = 0; i < size(); ++i)
        entries.push_back((*this)[i]);
    return entries;
}

} // namespace pellacor
