#include "readers/TableProfile.h"

#include "core/UnicodeText.h"

#include <algorithm>
#include <charconv>

namespace pellacor {

void TableProfile::add(std::span<const std::string_view> row) {
    ++rows_;
    const std::size_t columns = std::min(row.size(), profiledColumns);
    if (columns_.size() < columns)
        columns_.resize(columns);
    for (std::size_t i = 0; i < columns; ++i) {
        const std::string_view value = UnicodeText::trim(row[i], true);
        Tally& tally = columns_[i];
        if (value.empty())
            continue;
        ++tally.column.values;
        if (isSequence(value)) {
            ++tally.column.sequences;
            tally.column.nucleotides += isNucleotideSequence(value);
        }
        const bool number = isNumber(value);
        tally.column.numbers += number;
        if (tally.column.isRunning) {
            long long whole = 0;
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), whole);
            const bool isWhole = error == std::errc() && end == value.data() + value.size();
            tally.column.isRunning = isWhole && (!tally.last || whole == *tally.last + 1);
            tally.last = whole;
        }
        if (tally.column.isUnique && !tally.seen.emplace(value).second) {
            tally.column.isUnique = false;
            tally.seen = {};
        }
    }
}

const TableProfile::Column& TableProfile::column(std::size_t index) const noexcept {
    static const Column none;
    return index < columns_.size() ? columns_[index].column : none;
}

double TableProfile::sequenceShareOf(std::size_t index) const noexcept {
    const Column& c = column(index);
    return c.values == 0 ? 0.0 : double(c.sequences) / double(c.values);
}

bool TableProfile::holdsSequences(std::size_t index) const noexcept {
    return sequenceShareOf(index) >= sequenceShare;
}

bool TableProfile::holdsNumbers(std::size_t index) const noexcept {
    const Column& c = column(index);
    return c.values > 0 && c.numbers == c.values;
}

bool TableProfile::holdsRunningNumbers(std::size_t index) const noexcept {
    const Column& c = column(index);
    return c.values == 0 || (c.isRunning && c.values == c.numbers);
}

bool TableProfile::holdsNucleotides(std::size_t index) const noexcept {
    const Column& c = column(index);
    return holdsSequences(index) && 2 * c.nucleotides > c.sequences;
}

bool TableProfile::isNucleotideSequence(std::string_view value) noexcept {
    if (!isSequence(value))
        return false;
    std::size_t letters = 0, nucleotides = 0;
    for (const char c : value.substr(0, std::min<std::size_t>(value.size(), 256))) {
        const auto folded = static_cast<unsigned char>(c) | 0x20;
        if (folded < 'a' || folded > 'z')
            continue;
        ++letters;
        nucleotides += folded == 'a' || folded == 'c' || folded == 'g' || folded == 't' ||
                       folded == 'u' || folded == 'n';
    }
    return 10 * nucleotides >= 9 * letters;
}

bool TableProfile::isSequence(std::string_view value) noexcept {
    // Long cells are judged on their start: a sequence does not turn into words further on.
    constexpr std::size_t judged = 256;
    const std::string_view text = value.substr(0, std::min(value.size(), judged));
    std::size_t letters = 0, nucleotides = 0, length = 0;
    bool upper = false, lower = false;
    for (const char c : text) {
        const auto folded = static_cast<unsigned char>(c) | 0x20;
        if (folded >= 'a' && folded <= 'z') {
            // J and O stand for no nucleotide and no common amino acid.
            if (folded == 'j' || folded == 'o')
                return false;
            ++letters;
            nucleotides += folded == 'a' || folded == 'c' || folded == 'g' || folded == 't' ||
                           folded == 'u' || folded == 'n';
            (c == static_cast<char>(folded) ? lower : upper) = true;
        } else if (c != '-' && c != '.' && c != '*') {
            return false;
        }
        ++length;
    }
    // Words are written in mixed case ("Reverse"), residues in one case (soft-masked stretches
    // aside, which come in long sequences).
    if (length < 6 || letters == 0 || (upper && lower && length < 20))
        return false;
    return 10 * nucleotides >= 9 * letters || length >= 15;
}

bool TableProfile::isNumber(std::string_view value) noexcept {
    std::size_t i = 0;
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        ++i;
    bool digits = false, point = false;
    for (; i < value.size(); ++i) {
        const char c = value[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
        } else if ((c == 'e' || c == 'E') && digits) {
            std::size_t j = i + 1;
            if (j < value.size() && (value[j] == '-' || value[j] == '+'))
                ++j;
            if (j == value.size())
                return false;
            for (; j < value.size(); ++j)
                if (value[j] < '0' || value[j] > '9')
                    return false;
            return true;
        } else if (c == '%' && i + 1 == value.size() && digits) {
            return true;
        } else {
            return false;
        }
    }
    return digits;
}

} // namespace pellacor
