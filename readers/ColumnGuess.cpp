#include "readers/ColumnGuess.h"

#include "core/UnicodeText.h"
#include "readers/ColumnLayout.h"
#include "readers/HeaderRow.h"

#include <algorithm>
#include <array>

namespace pellacor {
namespace {

const TableProfile noRows;

// True when an option names a column by a value of `row`: then that row names the columns.
bool namesAnOption(std::span<const std::string_view> row, const ColumnChoice& choice) {
    std::vector<const ColumnRef*> refs;
    for (const auto* ref : {&choice.identifier, &choice.sequence, &choice.description})
        if (*ref && (*ref)->kind == ColumnRef::Kind::name)
            refs.push_back(&**ref);
    for (const ColumnRef& ref : choice.moreSequences)
        if (ref.kind == ColumnRef::Kind::name)
            refs.push_back(&ref);
    return std::any_of(refs.begin(), refs.end(), [&](const ColumnRef* ref) {
        const std::string wanted = UnicodeText::toLower(UnicodeText::trim(ref->name, true));
        return std::any_of(row.begin(), row.end(), [&](std::string_view field) {
            return UnicodeText::toLower(UnicodeText::trim(field, true)) == wanted;
        });
    });
}

std::string nameAt(const ColumnLayout& layout, std::size_t index) {
    return index < layout.names.size() ? layout.names[index] : std::string();
}

// The header's own rule: a title naming one sequence column elsewhere than column 2 takes the
// sequence from there, and the description from a column named like one.
void byTitles(ColumnLayout& layout) {
    if (layout.names.size() < 2 || ColumnLayout::isSequenceName(layout.names[1]))
        return;
    std::optional<std::size_t> sequence;
    for (std::size_t i = 0; i < layout.names.size(); ++i)
        if (ColumnLayout::isSequenceName(layout.names[i])) {
            if (sequence)
                return; // two of them: the titles do not tell
            sequence = i;
        }
    if (!sequence)
        return;
    layout.sequence = *sequence;
    // A sequence in column 1 ("Sequence,Name") leaves the identifier to the column named like
    // one, else to column 2.
    if (*sequence == 0) {
        layout.identifier = 1;
        for (std::size_t i = 1; i < layout.names.size(); ++i)
            if (ColumnLayout::isIdentifierName(layout.names[i])) {
                layout.identifier = i;
                break;
            }
    }
    layout.description.reset();
    for (std::size_t i = 0; i < layout.names.size(); ++i)
        if (i != *sequence && i != layout.identifier &&
            ColumnLayout::isDescriptionName(layout.names[i])) {
            layout.description = i;
            break;
        }
}

// The column that holds sequences where the one taken holds none: by title where one such
// column is named for sequences, else the most sequence-like, the leftmost of equals.
bool bySequences(ColumnLayout& layout, const TableProfile& rows) {
    if (rows.rows() == 0 || rows.holdsSequences(layout.sequence))
        return false;
    std::vector<std::size_t> candidates;
    for (std::size_t i = 0; i < layout.columns; ++i)
        if (rows.holdsSequences(i))
            candidates.push_back(i);
    if (candidates.empty())
        return false;
    std::vector<std::size_t> named;
    std::copy_if(candidates.begin(), candidates.end(), std::back_inserter(named),
                 [&](std::size_t i) { return ColumnLayout::isSequenceName(nameAt(layout, i)); });
    std::size_t pick = named.size() == 1 ? named.front() : candidates.front();
    if (named.size() != 1)
        for (const std::size_t i : candidates)
            if (rows.sequenceShareOf(i) > rows.sequenceShareOf(pick))
                pick = i;
    layout.sequence = pick;
    if (candidates.size() > 1) {
        std::string numbers;
        std::string list;
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            const std::string number = std::to_string(layout.number(candidates[i]));
            numbers += (i ? "," : "") + number;
            list += (i == 0 ? "" : i + 1 == candidates.size() ? " and " : ", ") + number;
        }
        layout.doubts.push_back("Columns " + list + " all hold sequences; " +
                                layout.nameOf(pick) + " was taken. To take another, or a record " +
                                "for each: --sequence-column " + numbers + ".");
    }
    return true;
}

// A column of unique names, other than the sequence's, that may stand for the identifier;
// `named` asks for a title that names identifiers.
std::optional<std::size_t> identifierColumn(const ColumnLayout& layout, const TableProfile& rows,
                                            bool named) {
    for (std::size_t i = 0; i < layout.columns; ++i) {
        if (i == layout.sequence || rows.holdsSequences(i))
            continue;
        const TableProfile::Column& column = rows.column(i);
        if (column.values == 0 || !column.isUnique)
            continue;
        if (!named || ColumnLayout::isIdentifierLikeName(nameAt(layout, i)))
            return i;
    }
    return std::nullopt;
}

// Why the identifier moved, or nothing when it stays.
std::string byNames(ColumnLayout& layout, const TableProfile& rows) {
    if (layout.identifier == layout.sequence) {
        // The sequence stands in the identifier's column: a column of unique names takes it,
        // named as identifiers if there is one; else the records are numbered by row.
        std::optional<std::size_t> other = identifierColumn(layout, rows, true);
        if (!other)
            other = identifierColumn(layout, rows, false);
        layout.identifier = other;
        return other ? "" : "no column of names";
    }
    // Column 1 gives way only to a column named for identifiers that holds unique values, and
    // only where its own title does not name identifiers and its values cannot serve: running
    // numbers, nothing, or the same value again (a locus, a flow cell).
    if (layout.identifier != 0 || rows.rows() == 0 ||
        ColumnLayout::isIdentifierName(nameAt(layout, 0)))
        return "";
    const std::string first = "column " + std::to_string(layout.number(0));
    std::string reason;
    if (rows.column(0).values == 0)
        reason = first + " is empty";
    else if (rows.holdsRunningNumbers(0))
        reason = first + " holds running numbers";
    else if (!rows.column(0).isUnique && !layout.names.empty() &&
             !HeaderRow::test(std::array{std::string_view(nameAt(layout, 0))}))
        reason = first + " repeats its values";
    else
        return "";
    const std::optional<std::size_t> named = identifierColumn(layout, rows, true);
    if (!named)
        return "";
    layout.identifier = named;
    return reason;
}

std::string headerPart(const TableShape& shape, const ColumnGuess::Header& header) {
    std::string text = "Header: ";
    if (header.firstRowIsHeader)
        text += "row " + std::to_string(shape.firstRowNumber);
    else if (header.fromComment)
        text += "the \u201C#\u201D line above row " + std::to_string(shape.firstRowNumber);
    else
        text += "none";
    if (!header.reason.empty())
        text += " (" + header.reason + ")";
    return text;
}

} // namespace

ColumnGuess::Header ColumnGuess::header(const TableShape& shape, const ColumnChoice& choice) {
    const bool titled = HeaderRow::test(shape.firstRow);
    if (choice.header)
        return {*choice.header, false, *choice.header == titled ? "" : "as chosen"};
    if (titled)
        return {true, false, ""};
    if (!shape.commentNames.empty())
        return {false, true, ""};
    if (namesAnOption(shape.firstRow, choice))
        return {true, false, "it holds a column named in an option"};
    if (shape.below && HeaderRow::differsInKind(shape.firstRow, *shape.below))
        return {true, false, "it differs from the rows below"};
    return {};
}

namespace {

// The rows that say what the columns hold: all of them unless the first is a header.
const TableProfile& dataRows(const TableShape& shape, const ColumnGuess::Header& header) {
    return !header.firstRowIsHeader && shape.all ? *shape.all : shape.below ? *shape.below : noRows;
}

} // namespace

std::vector<std::size_t> ColumnGuess::sequenceColumns(const ColumnLayout& layout,
                                                      const TableShape& shape,
                                                      const Header& header) {
    const TableProfile& rows = dataRows(shape, header);
    std::vector<std::size_t> columns;
    if (rows.rows() == 0)
        return columns;
    for (std::size_t i = 0; i < layout.columns; ++i)
        if (rows.holdsSequences(i))
            columns.push_back(i);
    return columns;
}

void ColumnGuess::roles(ColumnLayout& layout, const TableShape& shape, const Header& header) {
    const TableProfile& rows = dataRows(shape, header);
    byTitles(layout);
    const std::optional<std::size_t> titledIdentifier = layout.identifier;
    const bool sequenceMoved = bySequences(layout, rows);
    const std::string identifierReason = byNames(layout, rows);
    const bool identifierMoved = layout.identifier != titledIdentifier;
    if (sequenceMoved || identifierMoved) {
        // A moved layout takes no column for the description that another role has, that
        // holds sequences or numbers, or whose title does not name a description.
        layout.description.reset();
        for (std::size_t i = 0; i < layout.columns; ++i)
            if (i != layout.sequence && i != layout.identifier && !rows.holdsSequences(i) &&
                !rows.holdsNumbers(i) && ColumnLayout::isDescriptionName(nameAt(layout, i))) {
                layout.description = i;
                break;
            }
    }
    const bool plain = layout.identifier == 0 && layout.sequence == 1 &&
                       layout.description == 2 && header.reason.empty() && !header.fromComment;
    if (plain)
        return;
    std::string note = headerPart(shape, header);
    note += " \u00B7 Identifier: " +
            (layout.identifier ? layout.title(*layout.identifier) : std::string("row number"));
    if (!identifierReason.empty())
        note += " (" + identifierReason + ")";
    note += " \u00B7 Sequence: " + layout.title(layout.sequence);
    if (sequenceMoved)
        note += " (the column that holds sequences)";
    // Column 3 of a table that no row of the sample reaches describes nothing so far.
    const bool described = layout.description && *layout.description < layout.columns;
    note += " \u00B7 Description: " +
            (described ? layout.title(*layout.description) : std::string("none"));
    layout.note = std::move(note);
}

void ColumnGuess::noteChoice(ColumnLayout& layout, const TableShape& shape, const Header& header) {
    if (!header.reason.empty() || header.fromComment)
        layout.note = headerPart(shape, header);
}

} // namespace pellacor
