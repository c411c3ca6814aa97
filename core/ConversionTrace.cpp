#include "core/ConversionTrace.h"

#include "core/UnicodeText.h"

#include <algorithm>

namespace pellacor {
namespace {

constexpr std::size_t excerptLength = 200;

std::size_t dashes(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '-'));
}

} // namespace

std::string ConversionTrace::entryLines(std::size_t totalEntries,
                                        std::span<const SequenceEntry> firstEntries) {
    std::string out = "DEBUG: Total entries: " + std::to_string(totalEntries) + "\n";
    const std::size_t shown = std::min({totalEntries, detailedEntries, firstEntries.size()});
    for (std::size_t i = 0; i < shown; ++i) {
        const SequenceEntry& e = firstEntries[i];
        out += "DEBUG: Entry '" + e.identifier +
               "' - sequence length: " + std::to_string(UnicodeText::graphemeCount(e.sequence)) +
               ", dashes: " + std::to_string(dashes(e.sequence)) + "\n";
    }
    return out;
}

std::string ConversionTrace::fastaLines(std::string_view fasta) {
    std::string out = "DEBUG: FASTA output length: " +
                      std::to_string(UnicodeText::graphemeCount(fasta)) +
                      ", total dashes: " + std::to_string(dashes(fasta)) + "\n";
    out += "DEBUG: First 200 chars of FASTA:\n";
    out.append(fasta.substr(0, UnicodeText::graphemePrefixBytes(fasta, excerptLength)));
    out += '\n';
    return out;
}

} // namespace pellacor
