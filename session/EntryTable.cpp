#include "session/EntryTable.h"

#include "core/FastaConverter.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace pellacor {

void EntryTable::reserve(std::size_t textBytes) {
    text_.reserve(static_cast<qsizetype>(textBytes));
}

void EntryTable::append(const RecordView& record) {
    const auto& [identifier, sequence, description] = record;
    const std::size_t descriptionBytes = description ? description->size() : 0;
    const std::size_t bound = FastaConverter::recordSizeBound(record, width_);
    const auto start = static_cast<std::size_t>(text_.size());
    if (start + bound > static_cast<std::size_t>(text_.capacity()))
        reserve(std::max(start + bound, 2 * start));
    // Growing a QByteArray leaves the new bytes unset; the record fills them.
    text_.resize(static_cast<qsizetype>(start + bound));
    const FastaConverter::RecordLayout layout =
        FastaConverter::writeRecord(text_.data() + start, record, width_);
    text_.resize(static_cast<qsizetype>(start + layout.end));

    constexpr std::size_t widest = hasDescription - 1;
    const bool inText = layout.headerVerbatim && layout.sequenceVerbatim &&
                        identifier.size() <= widest && descriptionBytes <= widest;
    if (!inText)
        keptWhole_.emplace(size_, SequenceEntry::of(record));
    if (blocks_.empty() || blocks_.back().size() == blockRows) {
        blocks_.emplace_back();
        blocks_.back().reserve(blockRows);
    }
    blocks_.back().push_back({start, static_cast<std::uint32_t>(inText ? identifier.size() : 0),
                              static_cast<std::uint32_t>(inText ? descriptionBytes : 0) |
                                  (description ? hasDescription : 0)});
    ++size_;
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
