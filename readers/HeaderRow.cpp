#include "readers/HeaderRow.h"

#include "core/UnicodeText.h"
#include "readers/TableFindings.h"
#include "readers/TableProfile.h"

#include <algorithm>

namespace pellacor {
namespace {

bool isKeywordWord(std::string_view word) {
    for (std::string_view keyword : HeaderRow::keywords) {
        if (word == keyword)
            return true;
        if (word.size() == keyword.size() + 1 && word.back() == 's' && word.starts_with(keyword))
            return true;
    }
    return false;
}

} // namespace

std::vector<std::string> HeaderRow::wordsOf(std::string_view text) {
    std::vector<std::string> words;
    std::size_t pos = 0;
    std::size_t wordStart = std::string_view::npos;
    char32_t previous = 0;
    auto close = [&](std::size_t end) {
        if (wordStart != std::string_view::npos)
            words.push_back(UnicodeText::toLower(text.substr(wordStart, end - wordStart)));
        wordStart = std::string_view::npos;
    };
    while (pos < text.size()) {
        const std::size_t start = pos;
        const char32_t c = UnicodeText::decodeAt(text, pos);
        if (!UnicodeText::isLetterOrDigit(c)) {
            close(start);
        } else {
            if (wordStart != std::string_view::npos && UnicodeText::isLowercase(previous) &&
                UnicodeText::isUppercase(c))
                close(start);
            if (wordStart == std::string_view::npos)
                wordStart = start;
        }
        previous = c;
    }
    close(text.size());
    return words;
}

namespace {

bool isHeaderField(std::string_view field, bool isSequenceField) {
    const std::string_view trimmed = UnicodeText::trim(field, false);
    // Only whether it is shorter counts: a field of gigabytes is not walked to its end.
    if (trimmed.empty() || UnicodeText::graphemePrefixBytes(
                               trimmed, HeaderRow::examinedLengthLimit - 1) < trimmed.size())
        return false;
    const std::vector<std::string> words = HeaderRow::wordsOf(trimmed);
    if (words.empty())
        return false;
    // A column title may qualify "sequence" ("DNA Sequence"); other titles are made only of
    // keywords, so data such as "seq_1" or "gene2" is not mistaken for one.
    if (isSequenceField)
        return std::any_of(words.begin(), words.end(), isKeywordWord);
    return std::all_of(words.begin(), words.end(), isKeywordWord);
}

} // namespace

bool HeaderRow::test(std::span<const std::string_view> fields) {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (isHeaderField(fields[i], i == 1))
            return true;
    return false;
}

namespace {

// True when `value`, above a column of sequences, reads as a word and not as a short sequence
// of the same kind: it holds what no residue is, mixes cases, or, above nucleotides, holds
// letters that stand for none.
bool readsAsWord(std::string_view value, bool aboveNucleotides) {
    if (TableFindings::isImplausibleSequence(value))
        return true;
    bool upper = false, lower = false, beyondNucleotides = false;
    for (const char c : value) {
        const auto folded = static_cast<unsigned char>(c) | 0x20;
        if (folded < 'a' || folded > 'z')
            continue;
        (c == static_cast<char>(folded) ? lower : upper) = true;
        beyondNucleotides |= std::string_view("acgtunrykmswbdhv").find(static_cast<char>(
                                 folded)) == std::string_view::npos;
    }
    return (upper && lower) || (beyondNucleotides && (aboveNucleotides || lower));
}

bool hasLetter(std::string_view value) {
    return std::any_of(value.begin(), value.end(), [](char c) {
        const auto folded = static_cast<unsigned char>(c) | 0x20;
        return folded >= 'a' && folded <= 'z';
    });
}

} // namespace

bool HeaderRow::differsInKind(std::span<const std::string_view> fields,
                              const TableProfile& below) {
    if (below.rows() == 0)
        return false;
    std::size_t wordsOverNumbers = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string_view value = UnicodeText::trim(fields[i], true);
        if (value.empty())
            continue;
        if (below.holdsSequences(i) && !TableProfile::isSequence(value) &&
            readsAsWord(value, below.holdsNucleotides(i)))
            return true;
        if (below.holdsNumbers(i) && !TableProfile::isNumber(value) && hasLetter(value))
            ++wordsOverNumbers;
    }
    return wordsOverNumbers >= 2;
}

} // namespace pellacor
