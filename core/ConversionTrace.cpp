#include "core/ConversionTrace.h"

#include "core/UnicodeText.h"

#include <algorithm>
#include <cstdint>

// Built for AVX2 too where the loader picks a function's build by the processor (ELF on
// x86-64).
#if defined(__x86_64__) && defined(__ELF__) && (defined(__GNUC__) || defined(__clang__))
#define PELLACOR_WIDEST_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define PELLACOR_WIDEST_VECTORS
#endif

namespace pellacor {
namespace {

constexpr std::size_t excerptLength = 200;

std::size_t dashCount(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '-'));
}

struct TextCounts {
    std::size_t characters = 0;
    std::size_t dashes = 0;
};

// Characters and dashes of a whole FASTA text. The output of a large table runs to hundreds
// of megabytes, so ASCII (the usual case) is settled in one pass: byte counters over runs of
// 255 bytes, which the compiler turns into vector steps without widening, as wide as the
// processor has.
PELLACOR_WIDEST_VECTORS TextCounts countText(std::string_view text) {
    TextCounts counts;
    unsigned char high = 0;
    unsigned char carriageReturn = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t left = text.size();
    while (left > 0) {
        const std::size_t run = std::min<std::size_t>(left, 255);
        unsigned char runDashes = 0;
        for (std::size_t i = 0; i < run; ++i) {
            runDashes += static_cast<unsigned char>(p[i] == '-');
            high |= p[i];
            carriageReturn |= static_cast<unsigned char>(p[i] == '\r');
        }
        counts.dashes += runDashes;
        p += run;
        left -= run;
    }
    counts.characters =
        (high & 0x80) || carriageReturn ? UnicodeText::graphemeCount(text) : text.size();
    return counts;
}

} // namespace

ConversionTrace::EntryDetail ConversionTrace::EntryDetail::of(std::string_view identifier,
                                                              std::string_view sequence) {
    return {std::string(identifier), UnicodeText::graphemeCount(sequence), dashCount(sequence)};
}

std::string ConversionTrace::entryLines(std::size_t totalEntries,
                                        std::span<const EntryDetail> firstEntries) {
    std::string out = "DEBUG: Total entries: " + std::to_string(totalEntries) + "\n";
    const std::size_t shown = std::min({totalEntries, detailedEntries, firstEntries.size()});
    for (std::size_t i = 0; i < shown; ++i) {
        const EntryDetail& e = firstEntries[i];
        out += "DEBUG: Entry '" + e.identifier +
               "' - sequence length: " + std::to_string(e.length) +
               ", dashes: " + std::to_string(e.dashes) + "\n";
    }
    return out;
}

std::string ConversionTrace::fastaLines(std::string_view fasta) {
    FastaCounter counter;
    counter.add(fasta);
    return counter.lines();
}

void ConversionTrace::FastaCounter::add(std::string_view piece) {
    const TextCounts counts = countText(piece);
    characters_ += counts.characters;
    dashes_ += counts.dashes;
    if (excerptCharacters_ < excerptLength) {
        const std::size_t wanted = excerptLength - excerptCharacters_;
        const std::size_t bytes = UnicodeText::graphemePrefixBytes(piece, wanted);
        excerpt_.append(piece.substr(0, bytes));
        excerptCharacters_ += std::min(wanted, counts.characters);
    }
}

std::string ConversionTrace::FastaCounter::lines() const {
    return "DEBUG: FASTA output length: " + std::to_string(characters_) +
           ", total dashes: " + std::to_string(dashes_) + "\nDEBUG: First 200 chars of FASTA:\n" +
           excerpt_ + "\n";
}

} // namespace pellacor
