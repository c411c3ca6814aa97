#include "readers/ColumnLayout.h"

#include "core/UnicodeText.h"
#include "files/DisplayName.h"
#include "readers/HeaderRow.h"

#include <algorithm>

namespace pellacor {
namespace {

bool hasWord(const std::vector<std::string>& words,
             std::initializer_list<std::string_view> wanted) {
    return std::any_of(words.begin(), words.end(), [&](const std::string& word) {
        return std::find(wanted.begin(), wanted.end(), word) != wanted.end();
    });
}

} // namespace

bool ColumnLayout::isDescriptionName(std::string_view title) {
    return hasWord(HeaderRow::wordsOf(title),
                   {"description", "desc", "title", "name", "names", "annotation"});
}

bool ColumnLayout::isIdentifierName(std::string_view title) {
    return hasWord(HeaderRow::wordsOf(title),
                   {"id", "ids", "identifier", "identifiers", "name", "names", "accession"});
}

bool ColumnLayout::isIdentifierLikeName(std::string_view title) {
    return isIdentifierName(title) ||
           hasWord(HeaderRow::wordsOf(title),
                   {"oligo", "oligos", "primer", "primers", "sample", "samples", "entry", "probe",
                    "probes", "guide", "guides", "label", "sgrna", "grna", "mirna", "clone"});
}

bool ColumnLayout::isSequenceName(std::string_view title) {
    const std::vector<std::string> words = HeaderRow::wordsOf(title);
    return hasWord(words, {"sequence", "seq", "sequences", "seqs"}) &&
           !hasWord(words, {"id", "ids", "identifier", "name", "names"});
}

std::string ColumnLayout::nameOf(std::size_t index) const {
    const bool named = index < names.size() && !names[index].empty();
    return named ? "\u201C" + title(index) + "\u201D" : title(index);
}

std::string ColumnLayout::title(std::size_t index) const {
    if (index < names.size() && !names[index].empty())
        return DisplayName::oneLine(names[index]);
    return "column " + std::to_string(number(index));
}

std::string ColumnLayout::describe() const {
    std::string text = "Identifier: " + (identifier ? title(*identifier) : "row number");
    text += " \u00B7 Sequence: " + title(sequence);
    for (const std::size_t more : moreSequences)
        text += ", " + title(more);
    text += " \u00B7 Description: " + (description ? title(*description) : "none");
    return text;
}

std::string ColumnLayout::list() const {
    constexpr std::size_t listed = 10;
    std::string text;
    for (std::size_t i = 0; i < std::min(columns, listed); ++i) {
        if (!text.empty())
            text += ", ";
        text += nameOf(i);
    }
    if (columns > listed)
        text += " and " + std::to_string(columns - listed) + " more";
    return text;
}

} // namespace pellacor
