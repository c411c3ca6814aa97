#pragma once

#include "core/FastaConverter.h"
#include "core/LineWidth.h"
#include "core/RecordView.h"
#include "core/SequenceEntry.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pellacor {

/// The records of an import together with their FASTA text. A record is kept as its place in
/// that text, not as strings of its own: the text already holds every identifier, description
/// and residue, so the records of a huge table cost a few bytes each instead of a second copy
/// of the table. The few records that do not stand in the text unchanged (a line break in a
/// header, an LF in a sequence) are kept whole.
class EntryTable {
public:
    /// An empty table whose text will have sequence lines of `width` characters.
    explicit EntryTable(LineWidth width = LineWidth()) : width_(width) {}

    /// Makes room for about `textBytes` of FASTA text, so that appending never moves it.
    void reserve(std::size_t textBytes);
    /// Empties the table but keeps its text's memory, when nothing else holds a share of it, for
    /// the records appended next: those pages are in memory already, where fresh ones would
    /// each be cleared by the kernel first. Returns how many bytes of text the memory kept
    /// held: 0 when it was shared, and let go.
    std::size_t clear();
    /// Renders `record` at the end of the text and notes where it went.
    void append(const RecordView& record);
    /// Writes `record` at `out`, which has room for `FastaConverter::recordSizeBound` bytes of
    /// it, as `append` would, adding to `notes` where it went; returns the bytes written.
    /// Touches no table: records of a large table are rendered so on worker threads, and
    /// their bytes and notes taken in order by `appendRendered`.
    static std::size_t render(const RecordView& record, char* out, LineWidth width,
                              std::string& notes);
    /// Takes records that `render` wrote one after the other, with their notes, at the end of
    /// the text, as if each had been appended.
    void appendRendered(std::string_view bytes, std::string_view notes);

    /// How long its sequence lines are.
    LineWidth width() const noexcept { return width_; }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    /// Record `index` (below `size()`), as it was appended.
    SequenceEntry operator[](std::size_t index) const;
    /// Every record, in order.
    std::vector<SequenceEntry> toVector() const;

    /// The FASTA text of all records, as UTF-8. Shares its buffer; copying it is cheap.
    const QByteArray& fasta() const noexcept { return text_; }

private:
    // 16 bytes a record: a table of millions of short rows stays small.
    struct Row {
        std::uint64_t start; // the record's '>' in the text
        std::uint32_t identifierBytes;
        std::uint32_t description; // its byte count, with `hasDescription` set when present
    };
    static constexpr std::uint32_t hasDescription = 0x8000'0000u;
    // In a note, set in `identifierBytes` for a record kept whole: the record follows the note.
    static constexpr std::uint32_t isKeptWhole = 0x8000'0000u;
    // The row of `record`, written at `start` as `layout` tells; false for a record that the
    // text cannot give back, whose row then holds only whether it has a description.
    static bool rowOf(const RecordView& record, const FastaConverter::RecordLayout& layout,
                      std::size_t start, Row& row) noexcept;
    void addRow(const Row& row);
    // Room for `bytes` more of text, doubling it at least, so that appending stays linear.
    void makeRoom(std::size_t bytes);
    // Rows are stored in blocks of fixed size, so growing never copies them all nor leaves
    // half of a doubled array unused.
    static constexpr unsigned blockBits = 16;
    static constexpr std::size_t blockRows = std::size_t(1) << blockBits;

    const Row& row(std::size_t index) const {
        return blocks_[index >> blockBits][index & (blockRows - 1)];
    }

    LineWidth width_;
    QByteArray text_;
    std::vector<std::vector<Row>> blocks_;
    std::size_t size_ = 0;
    // Records that the text cannot give back, by index.
    std::unordered_map<std::size_t, SequenceEntry> keptWhole_;
};

} // namespace pellacor
