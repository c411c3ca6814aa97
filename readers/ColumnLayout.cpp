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

bool isDescriptionName(std::string_view title) {
    return hasWord(HeaderRow::wordsOf(title),
                   {"description", "desc", "title", "name", "names", "annotation"});
}

bool isIdentifierName(std::string_view title) {
    return hasWord(HeaderRow::wordsOf(title),
                   {"id", "ids", "identifier", "identifiers", "name", "names", "accession"});
}

// The columns as the user reads them, for a message: “Entry”, “Sequence”; the first few of a
// table of thousands, and how many more.
std::string listOf(const ColumnLayout& layout) {
    constexpr std::size_t listed = 10;
    std::string list;
    for (std::size_t i = 0; i < std::min(layout.columns, listed); ++i) {
        if (!list.empty())
            list += ", ";
        list += layout.nameOf(i);
    }
    if (layout.columns > listed)
        list += " and " + std::to_string(layout.columns - listed) + " more";
    return list;
}

} // namespace

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
    text += " \u00B7 Description: " + (description ? title(*description) : "none");
    return text;
}

ColumnLayout ColumnLayout::decide(std::span<const std::string_view> firstRow, bool isHeader,
                                  std::size_t leadingEmpty, const ColumnChoice& choice) {
    ColumnLayout layout;
    layout.columns = firstRow.size();
    layout.leadingEmpty = leadingEmpty;
    layout.hasHeader = isHeader;
    if (isHeader)
        for (const std::string_view field : firstRow)
            layout.names.emplace_back(UnicodeText::trim(field, true));

    if (!choice.isExplicit()) {
        // The header may name the sequence column elsewhere than column 2: then it is taken
        // from there, and the description from a column named like one.
        if (!isHeader || layout.names.size() < 2 || isSequenceName(layout.names[1]))
            return layout;
        std::optional<std::size_t> sequence;
        for (std::size_t i = 0; i < layout.names.size(); ++i)
            if (isSequenceName(layout.names[i])) {
                if (sequence)
                    return layout; // two of them: nothing to go by
                sequence = i;
            }
        if (!sequence)
            return layout;
        layout.sequence = *sequence;
        // A sequence in column 1 ("Sequence,Name") leaves the identifier to the column named
        // like one, else to column 2.
        if (*sequence == 0) {
            layout.identifier = 1;
            for (std::size_t i = 1; i < layout.names.size(); ++i)
                if (isIdentifierName(layout.names[i])) {
                    layout.identifier = i;
                    break;
                }
        }
        layout.description.reset();
        for (std::size_t i = 0; i < layout.names.size(); ++i)
            if (i != *sequence && i != layout.identifier && isDescriptionName(layout.names[i])) {
                layout.description = i;
                break;
            }
        return layout;
    }

    // Chosen columns: numbers as a spreadsheet counts them, names from the header.
    const auto resolve = [&](const ColumnRef& ref, const char* role) -> std::optional<std::size_t> {
        if (ref.kind == ColumnRef::Kind::none)
            return std::nullopt;
        if (ref.kind == ColumnRef::Kind::number) {
            if (ref.number <= leadingEmpty || ref.number - leadingEmpty > layout.columns)
                throw ChoiceError("There is no column " + std::to_string(ref.number) + " for the " +
                                  role + " in this table; it has " + listOf(layout) + ".");
            return ref.number - leadingEmpty - 1;
        }
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
        throw ChoiceError("There is no column named " + asked + " for the " + role +
                          " in this table; it has " + listOf(layout) + ".");
    };
    layout.identifier =
        resolve(choice.identifier.value_or(ColumnRef::column(leadingEmpty + 1)), "identifier");
    const std::optional<std::size_t> sequence =
        resolve(choice.sequence.value_or(ColumnRef::column(leadingEmpty + 2)), "sequence");
    if (!sequence)
        throw ChoiceError("The sequence cannot be left out; choose its column.");
    layout.sequence = *sequence;
    layout.description =
        choice.description ? resolve(*choice.description, "description") : std::nullopt;
    // One column for two roles would write the residues into the header.
    if (layout.identifier == layout.sequence || layout.description == layout.sequence)
        throw ChoiceError("Column " + std::to_string(layout.number(layout.sequence)) +
                          " cannot be the sequence and the " +
                          (layout.identifier == layout.sequence ? "identifier" : "description") +
                          " both; choose another column for one of them.");
    return layout;
}

} // namespace pellacor
