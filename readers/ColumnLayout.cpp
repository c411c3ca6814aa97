#include "readers/ColumnLayout.h"

#include "core/UnicodeText.h"
#include "files/DisplayName.h"
#include "readers/ColumnGuess.h"
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

// "C" as a spreadsheet numbers its columns: 3; 0 for anything but one to three letters.
std::size_t letterColumn(std::string_view text) {
    if (text.empty() || text.size() > 3)
        return 0;
    std::size_t number = 0;
    for (const char c : text) {
        const auto folded = static_cast<unsigned char>(c) | 0x20;
        if (folded < 'a' || folded > 'z')
            return 0;
        number = number * 26 + (folded - 'a' + 1);
    }
    return number;
}

// The names a header row gives its columns, trimmed.
std::vector<std::string> namesOf(std::span<const std::string_view> row) {
    std::vector<std::string> names;
    for (const std::string_view field : row)
        names.emplace_back(UnicodeText::trim(field, true));
    return names;
}

// Resolves the columns the user chose: numbers as the table shows them, header names, or
// letters in a worksheet. A chosen part left out takes identifier column 1, sequence column 2
// and no description.
void resolveChoice(ColumnLayout& layout, const TableShape& shape, const ColumnChoice& choice) {
    const std::size_t leadingEmpty = layout.leadingEmpty;
    // Where a table lacks a chosen description, it has none; other parts it cannot lack.
    const auto resolve = [&](const ColumnRef& ref, const char* role,
                             bool mayLack = false) -> std::optional<std::size_t> {
        if (ref.kind == ColumnRef::Kind::none)
            return std::nullopt;
        const auto byNumber = [&](std::size_t number) -> std::optional<std::size_t> {
            if (number <= leadingEmpty || number - leadingEmpty > layout.columns) {
                if (mayLack && number > leadingEmpty)
                    return std::nullopt;
                throw ChoiceError("There is no column " + std::to_string(number) + " for the " +
                                  role + " in this table; it has " + layout.list() + ".");
            }
            return number - leadingEmpty - 1;
        };
        if (ref.kind == ColumnRef::Kind::number)
            return byNumber(ref.number);
        const std::string wanted = UnicodeText::toLower(UnicodeText::trim(ref.name, true));
        const std::string asked = "\u201C" + DisplayName::oneLine(ref.name) + "\u201D";
        std::optional<std::size_t> found;
        for (std::size_t i = 0; i < layout.names.size(); ++i)
            if (UnicodeText::toLower(layout.names[i]) == wanted) {
                if (found)
                    throw ChoiceError("Columns " + std::to_string(layout.number(*found)) +
                                      " and " + std::to_string(layout.number(i)) +
                                      " are both named " + asked + "; choose the " + role +
                                      " by its number.");
                found = i;
            }
        if (found)
            return *found;
        if (shape.acceptsLetters)
            if (const std::size_t number = letterColumn(wanted))
                return byNumber(number);
        throw ChoiceError("There is no column named " + asked + " for the " + role +
                          " in this table; it has " + layout.list() + ".");
    };
    layout.identifier =
        resolve(choice.identifier.value_or(ColumnRef::column(leadingEmpty + 1)), "identifier");
    const std::optional<std::size_t> sequence =
        resolve(choice.sequence.value_or(ColumnRef::column(leadingEmpty + 2)), "sequence");
    if (!sequence)
        throw ChoiceError("The sequence cannot be left out; choose its column.");
    layout.sequence = *sequence;
    for (const ColumnRef& ref : choice.moreSequences)
        if (const std::optional<std::size_t> more = resolve(ref, "sequence"))
            if (*more != layout.sequence &&
                std::find(layout.moreSequences.begin(), layout.moreSequences.end(), *more) ==
                    layout.moreSequences.end())
                layout.moreSequences.push_back(*more);
    layout.description =
        choice.description ? resolve(*choice.description, "description", true) : std::nullopt;
    // One column for two roles would write the residues into the header.
    const auto isSequence = [&](std::optional<std::size_t> column) {
        return column && (*column == layout.sequence ||
                          std::find(layout.moreSequences.begin(), layout.moreSequences.end(),
                                    *column) != layout.moreSequences.end());
    };
    if (isSequence(layout.identifier) || isSequence(layout.description)) {
        const bool isIdentifier = isSequence(layout.identifier);
        const std::size_t column = isIdentifier ? *layout.identifier : *layout.description;
        throw ChoiceError("Column " + std::to_string(layout.number(column)) +
                          " cannot be the sequence and the " +
                          (isIdentifier ? "identifier" : "description") +
                          " both; choose another column for one of them.");
    }
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

ColumnLayout ColumnLayout::decide(const TableShape& shape, const ColumnChoice& choice) {
    ColumnLayout layout;
    layout.columns = std::max(shape.columns, shape.firstRow.size());
    layout.leadingEmpty = shape.leadingEmpty;
    const ColumnGuess::Header header = ColumnGuess::header(shape, choice);
    layout.hasHeader = header.firstRowIsHeader;
    if (header.firstRowIsHeader)
        layout.names = namesOf(shape.firstRow);
    else if (header.fromComment)
        layout.names = shape.commentNames;
    if (choice.isExplicit()) {
        resolveChoice(layout, shape, choice);
        ColumnGuess::noteChoice(layout, shape, header);
        return layout;
    }
    ColumnGuess::roles(layout, shape, header);
    return layout;
}

} // namespace pellacor
