#include "readers/TableFindings.h"

#include "core/UnicodeText.h"
#include "files/DisplayName.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace pellacor {
namespace {

// A cell quoted in a warning: its start, on one line and without control characters.
std::string excerpt(std::string_view value) {
    const std::size_t bytes = UnicodeText::graphemePrefixBytes(value, 30);
    return DisplayName::oneLine(value.substr(0, bytes)) + (bytes < value.size() ? "\u2026" : "");
}

// A slot's top bit marks an identifier already counted as repeated.
constexpr std::uint64_t repeatMark = std::uint64_t(1) << 63;

// A 63-bit hash that is never 0, the free-slot mark. Eight bytes a step: a table's first
// hundred thousand identifiers are hashed on the reading thread.
std::uint64_t hashOf(std::string_view text) noexcept {
    constexpr std::uint64_t odd = 0x9E3779B97F4A7C15ull;
    std::uint64_t hash = text.size() * odd;
    const auto mix = [&](std::uint64_t word) {
        hash = (hash ^ word) * odd;
        hash ^= hash >> 32;
    };
    std::size_t at = 0;
    for (std::uint64_t word; at + 8 <= text.size(); at += 8) {
        std::memcpy(&word, text.data() + at, 8);
        mix(word);
    }
    if (at < text.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, text.size() - at);
        mix(word);
    }
    hash = (hash ^ (hash >> 29)) * odd;
    hash ^= hash >> 32;
    hash &= ~repeatMark;
    return hash == 0 ? 1 : hash;
}

// 2500 as "2,500": counts in messages are read at a glance.
std::string grouped(std::uint64_t number) {
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

} // namespace

void TableFindings::skipped(std::uint64_t row) {
    ++skippedCount_;
    if (skippedRows_.size() < namedRows)
        skippedRows_.push_back(row);
}

TableFindings TableFindings::forLaterPiece() const {
    TableFindings piece;
    piece.sequenceColumn_ = sequenceColumn_;
    piece.judged_ = judgedValues;
    piece.stoppedLooking_ = true;
    return piece;
}

void TableFindings::append(const TableFindings& later) {
    skippedCount_ += later.skippedCount_;
    for (const std::uint64_t row : later.skippedRows_)
        if (skippedRows_.size() < namedRows)
            skippedRows_.push_back(row);
}

std::optional<std::string> TableFindings::skippedMessage() const {
    if (skippedCount_ == 0)
        return std::nullopt;
    std::string text = grouped(skippedCount_) + (skippedCount_ == 1 ? " row" : " rows") +
                       " skipped (no identifier or sequence): ";
    for (std::size_t i = 0; i < skippedRows_.size(); ++i)
        // Row numbers as a spreadsheet shows them, without separators that a list of them
        // would confuse with its own commas.
        text += (i ? ", " : "") + std::to_string(skippedRows_[i]);
    if (skippedCount_ > skippedRows_.size())
        text += " and " + grouped(skippedCount_ - skippedRows_.size()) + " more";
    return text;
}

bool TableFindings::isImplausibleSequence(std::string_view value) noexcept {
    // The first characters tell: a sequence does not turn into words or numbers further on.
    constexpr std::size_t judgedBytes = 64;
    const std::string_view trimmed =
        UnicodeText::trim(value.substr(0, std::min(value.size(), judgedBytes)), true);
    if (trimmed.empty())
        return false;
    // Residues may be written in blocks ("ACGTACGTAC GTACGTACGT"), all as long as the first
    // but the last, which may be shorter, and each in one case. Words are not alike.
    std::size_t blocks = 0;
    std::size_t blockLength = 0;
    bool unevenBlocks = false;
    std::size_t length = 0;
    unsigned cases = 0; // bit 1: upper case seen in this block, bit 2: lower case
    const bool isWhole = value.size() <= judgedBytes;
    for (std::size_t i = 0; i <= trimmed.size(); ++i) {
        const char c = i < trimmed.size() ? trimmed[i] : ' ';
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (length > 0) {
                const bool isLastBlock = i == trimmed.size() && isWhole;
                if (blocks > 0 && (isLastBlock ? length > blockLength : length != blockLength))
                    unevenBlocks = true;
                if (blocks == 0)
                    blockLength = length;
                unevenBlocks |= cases == 3;
                ++blocks;
            }
            length = 0;
            cases = 0;
            continue;
        }
        const auto folded = static_cast<unsigned char>(c) | 0x20;
        // Letters J and O stand for no nucleotide and no common amino acid.
        const bool isLetter = folded >= 'a' && folded <= 'z';
        const bool isResidue =
            (isLetter && folded != 'j' && folded != 'o') || c == '-' || c == '.' || c == '*';
        if (!isResidue)
            return true;
        if (isLetter)
            cases |= c == static_cast<char>(folded) ? 2u : 1u;
        ++length;
    }
    return blocks > 1 && unevenBlocks;
}

void TableFindings::sequenceValue(std::string_view value, std::uint64_t row) {
    if (judged_ >= judgedValues || UnicodeText::trim(value, true).empty())
        return;
    ++judged_;
    if (!isImplausibleSequence(value))
        return;
    ++implausible_;
    if (!implausibleExample_)
        implausibleExample_.emplace(row, excerpt(UnicodeText::trim(value, true)));
}

void TableFindings::identifier(std::string_view identifier, std::uint64_t row) {
    if (!stoppedLooking_)
        note(identifier, hashOf(identifier), row);
}

void TableFindings::identifiers(
    std::span<const std::pair<std::string_view, std::uint64_t>> identifiers) {
    // Each lookup in a table of megabytes misses the cache: the slots of the identifiers a few
    // ahead are asked for while this one is noted.
    constexpr std::size_t ahead = 8;
    std::uint64_t hashes[ahead];
    const auto hashAhead = [&](std::size_t i) {
        const std::uint64_t hash = hashOf(identifiers[i].first);
        hashes[i % ahead] = hash;
        if (seen_.data())
            __builtin_prefetch(&slotTable()[hash & (slotCount - 1)]);
    };
    for (std::size_t i = 0; i < std::min(ahead, identifiers.size()); ++i)
        hashAhead(i);
    for (std::size_t i = 0; i < identifiers.size() && !stoppedLooking_; ++i) {
        note(identifiers[i].first, hashes[i % ahead], identifiers[i].second);
        if (i + ahead < identifiers.size())
            hashAhead(i + ahead);
    }
}

void TableFindings::note(std::string_view identifier, std::uint64_t hash, std::uint64_t row) {
    if (seenCount_ >= rememberedIdentifiers) {
        stoppedLooking_ = true;
        seen_ = {};
        return;
    }
    // Made whole at once: fresh, its pages are zeros, where a table grown by doubling paid a
    // fault for each of its pages again.
    if (seen_.size() == 0)
        seen_ = HugePages(slotCount * sizeof(std::uint64_t));
    const std::span<std::uint64_t> table = slotTable();
    for (std::size_t slot = hash & (slotCount - 1);; slot = (slot + 1) & (slotCount - 1)) {
        if ((table[slot] & ~repeatMark) == hash) {
            if (table[slot] & repeatMark)
                return;
            table[slot] |= repeatMark;
            ++repeatedCount_;
            if (repeated_.size() < namedRepeats)
                repeated_.emplace_back(excerpt(identifier), row);
            return;
        }
        if (table[slot] == 0) {
            table[slot] = hash;
            ++seenCount_;
            return;
        }
    }
}

std::vector<std::string> TableFindings::warnings() const {
    std::vector<std::string> out;
    // Most values judged are not residues: the column is likely not the sequence.
    if (judged_ > 0 && 2 * implausible_ > judged_ && implausibleExample_)
        out.push_back("The sequence column (" + sequenceColumn_ +
                      ") mostly holds values that are not sequences, such as \u201C" +
                      implausibleExample_->second + "\u201D in row " +
                      std::to_string(implausibleExample_->first) + ".");
    const char* refused = "; many FASTA tools refuse repeated identifiers.";
    if (repeatedCount_ == 1) {
        out.push_back("The identifier \u201C" + repeated_[0].first +
                      "\u201D appears more than once (again in row " +
                      std::to_string(repeated_[0].second) + ")" + refused);
    } else if (repeatedCount_ > 1) {
        // Past the identifiers remembered, more may repeat unseen.
        std::string text = (stoppedLooking_ ? "At least " : "") + grouped(repeatedCount_) +
                           " identifiers repeat, such as ";
        for (std::size_t i = 0; i < repeated_.size(); ++i)
            text += (i ? ", \u201C" : "\u201C") + repeated_[i].first + "\u201D";
        out.push_back(text + refused);
    }
    return out;
}

} // namespace pellacor
