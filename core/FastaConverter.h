#pragma once

#include "core/LineWidth.h"
#include "core/RecordView.h"
#include "core/SequenceEntry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Renders sequence records as FASTA text: a ">" header line, then the residues in lines of
/// `lineWidth` user-perceived characters, every line ending in LF.
class FastaConverter {
public:
    FastaConverter() = delete;

    /// Where one record's parts went, as byte offsets from the record's first byte.
    struct RecordLayout {
        /// First byte of the sequence lines (just past the header's LF).
        std::size_t sequenceStart = 0;
        /// One past the record's last byte.
        std::size_t end = 0;
        /// True when identifier and description stand in the header byte for byte (no line
        /// break had to be replaced): the identifier at offset 1, the description (if not
        /// empty) one byte after it.
        bool headerVerbatim = true;
        /// True when removing every LF from the sequence lines gives the sequence back.
        bool sequenceVerbatim = true;
    };

    /// The FASTA text of `entries`; `lineWidth` must be at least 1.
    static std::string convert(const std::vector<SequenceEntry>& entries,
                               int lineWidth = LineWidth::standardCharacters);
    /// The FASTA text of `entries` at `width`.
    static std::string convert(const std::vector<SequenceEntry>& entries, LineWidth width);

    /// Appends one record to `out`, as `convert` writes it.
    static RecordLayout appendRecord(std::string& out, const RecordView& record, LineWidth width);

    /// Writes one record at `out`, which must have room for `recordSizeBound` bytes of it.
    static RecordLayout writeRecord(char* out, const RecordView& record, LineWidth width);

    /// Writes `sequence` at `out` as a record's sequence lines, each ending in LF; `out` must
    /// have room for `sequence.size() + width.linesFor(sequence.size())` bytes. Returns the
    /// bytes written.
    static std::size_t writeSequence(char* out, std::string_view sequence, LineWidth width);

    /// The most bytes one record can take: exact for an ASCII sequence without CR, never less
    /// than the record (a header never grows, and a line holds at least one byte).
    static std::size_t recordSizeBound(std::size_t identifierBytes, std::size_t sequenceBytes,
                                       std::size_t descriptionBytes, LineWidth width) noexcept;
    /// The same bound for `record`.
    static std::size_t recordSizeBound(const RecordView& record, LineWidth width) noexcept;
    /// The most bytes of FASTA text, at `width`, that the records of a delimited table of
    /// `tableBytes` can render to. A record's text outgrows its row only by the line breaks of
    /// its sequence, and a row takes at least four bytes. Reserving this much costs address
    /// space, not memory: pages count only once written.
    static std::size_t tableSizeBound(std::size_t tableBytes, LineWidth width) noexcept;

    /// `entry` as the record view the writer takes.
    static RecordView viewOf(const SequenceEntry& entry) noexcept {
        return {entry.identifier, entry.sequence, entry.descriptionView()};
    }
};

} // namespace pellacor
