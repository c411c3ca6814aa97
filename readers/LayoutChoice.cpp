#include "readers/LayoutChoice.h"

#include "core/UnicodeText.h"
#include "files/DisplayName.h"
#include "readers/ColumnGuess.h"

#include <algorithm>

namespace pellacor {
namespace {

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

ColumnLayout LayoutChoice::decide(const TableShape& shape, const ColumnChoice& choice) {
    ColumnLayout layout;
    layout.columns = std::max(shape.columns, shape.firstRow.size());
    layout.leadingEmpty = shape.leadingEmpty;
    const ColumnGuess::Header header = ColumnGuess::header(shape, choice);
    layout.hasHeader = header.firstRowIsHeader;
    if (header.firstRowIsHeader)
        layout.names = namesOf(shape.firstRow);
    else if (header.fromComment)
        layout.names = shape.commentNames;
    // Kept whatever decides the roles, so that a table converted as chosen still offers them.
    layout.sequenceColumns = ColumnGuess::sequenceColumns(layout, shape, header);
    if (choice.isExplicit()) {
        resolveChoice(layout, shape, choice);
        ColumnGuess::noteChoice(layout, shape, header);
        return layout;
    }
    ColumnGuess::roles(layout, shape, header);
    return layout;
}

} // namespace pellacor
