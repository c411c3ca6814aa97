#pragma once

#include "core/SequenceEntry.h"

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

    /// The FASTA text of `entries`; `lineWidth` must be at least 1.
    static std::string convert(const std::vector<SequenceEntry>& entries,
                               int lineWidth = defaultLineWidth);

    /// Appends one record to `out`, as `convert` writes it.
    static void appendRecord(std::string& out, std::string_view identifier,
                             std::string_view sequence,
                             std::optional<std::string_view> description, int lineWidth);

    /// Exact byte size that `appendRecord` adds for an ASCII sequence without CR (for reserving).
    static std::size_t asciiRecordSize(std::size_t identifierBytes, std::size_t sequenceBytes,
                                       std::size_t descriptionBytes, int lineWidth) noexcept;

private:
    static void appendHeaderText(std::string& out, std::string_view text);
};

} // namespace pellacor
