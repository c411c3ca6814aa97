#pragma once

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

    static constexpr int defaultLineWidth = 80;

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
                               int lineWidth = defaultLineWidth);

    /// Appends one record to `out`, as `convert` writes it.
    static RecordLayout appendRecord(std::string& out, std::string_view identifier,
                                     std::string_view sequence,
                                     std::optional<std::string_view> description, int lineWidth);

    /// Writes one record at `out`, which must have room for `recordSizeBound` bytes of it.
    static RecordLayout writeRecord(char* out, std::string_view identifier,
                                    std::string_view sequence,
                                    std::optional<std::string_view> description, int lineWidth);

    /// The most bytes one record can take: exact for an ASCII sequence without CR, never less
    /// than the record (a header never grows, and a line holds at least one byte).
    static std::size_t recordSizeBound(std::size_t identifierBytes, std::size_t sequenceBytes,
                                       std::size_t descriptionBytes, int lineWidth) noexcept;
    /// The same bound for the record `entry`.
    static std::size_t recordSizeBound(const SequenceEntry& entry, int lineWidth) noexcept;
};

} // namespace pellacor
