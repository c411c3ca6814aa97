#include "readers/RecordBuilder.h"

#include "core/UnicodeText.h"
#include "readers/HeaderRow.h"
#include "readers/LayoutChoice.h"
#include "readers/TableProfile.h"

#include <algorithm>

namespace pellacor {
namespace {

std::size_t bytesOf(std::span<const std::string_view> fields) {
    std::size_t bytes = 0;
    for (const std::string_view field : fields)
        bytes += field.size();
    return bytes;
}

// The fields of a row in a list parted by runs of tabs: the empty ones dropped; a lone field
// that ends in a sequence after blanks ("RPM_rc  AGTC", aligned by spaces) cut there.
void dropEmptyFields(std::vector<std::string_view>& row) {
    std::erase_if(row, [](std::string_view f) { return f.empty(); });
    if (row.size() != 1)
        return;
    const std::string_view field = UnicodeText::trim(row.front(), true);
    const std::size_t blank = field.find_last_of(" \t");
    if (blank != std::string_view::npos && TableProfile::isSequence(field.substr(blank + 1)))
        row = {UnicodeText::trim(field.substr(0, blank), true), field.substr(blank + 1)};
}

// True when nearly every row is a name and a sequence parted by a run of tabs, some by more
// than one: an adapter list aligned with tabs rather than a table with empty cells.
bool isTabRunList(const std::vector<std::vector<std::string_view>>& rows) {
    std::size_t pairs = 0, runs = 0;
    for (const auto& row : rows) {
        const auto filled = std::count_if(row.begin(), row.end(),
                                          [](std::string_view f) { return !f.empty(); });
        if (filled > 2 || row.front().empty())
            return false;
        pairs += filled == 2;
        runs += filled == 2 && row.size() > 2 && row[1].empty();
    }
    return runs > 0 && 10 * pairs >= 9 * rows.size();
}

// The words of `field`, parted by runs of blanks.
std::vector<std::string_view> wordsOf(std::string_view field) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while ((start = field.find_first_not_of(" \t", start)) != std::string_view::npos) {
        const std::size_t end = std::min(field.find_first_of(" \t", start), field.size());
        words.push_back(field.substr(start, end - start));
        start = end;
    }
    return words;
}

// True when every row is one field of the same number of words, two or more, and one word
// in each is a sequence: text aligned by blanks rather than a table of one column.
bool isBlankPartedList(const std::vector<std::vector<std::string_view>>& rows) {
    std::size_t words = 0;
    for (const auto& row : rows) {
        if (row.size() != 1)
            return false;
        const std::vector<std::string_view> parts = wordsOf(row.front());
        if (parts.size() < 2 || (words && parts.size() != words) ||
            std::none_of(parts.begin(), parts.end(), TableProfile::isSequence))
            return false;
        words = parts.size();
    }
    return words > 0;
}

} // namespace

RecordBuilder::RecordBuilder(Style style, ColumnChoice choice, std::size_t holdingLimit)
    : style_(style), choice_(std::move(choice)), holdingLimit_(holdingLimit) {}

std::span<const std::string_view>
RecordBuilder::cut(std::span<const std::string_view> fields,
                   std::vector<std::string_view>& scratch) const {
    if (split_ == Split::whitespace) {
        scratch.clear();
        for (const std::string_view field : fields) {
            std::size_t start = 0;
            while (start < field.size()) {
                const std::size_t begin = field.find_first_not_of(" \t", start);
                if (begin == std::string_view::npos)
                    break;
                const std::size_t end = std::min(field.find_first_of(" \t", begin), field.size());
                scratch.push_back(field.substr(begin, end - begin));
                start = end;
            }
        }
        return scratch;
    }
    if (dropsEmptyFields_) {
        scratch.assign(fields.begin(), fields.end());
        dropEmptyFields(scratch);
        return scratch;
    }
    return fields;
}

void RecordBuilder::comment(std::span<const std::string_view> fields, std::uint64_t row) {
    if (layout_)
        return;
    commentNames_.clear();
    for (const std::string_view field : fields)
        commentNames_.emplace_back(UnicodeText::trim(field, true));
    // The mark is no part of the first name: "#SampleID" names "SampleID".
    if (!commentNames_.empty()) {
        const std::size_t marks = commentNames_.front().find_first_not_of('#');
        commentNames_.front() = std::string(UnicodeText::trim(
            std::string_view(commentNames_.front()).substr(std::min(marks, commentNames_.front().size())),
            true));
    }
    commentRow_ = row;
}

void RecordBuilder::addRow(std::span<const std::string_view> input, std::uint64_t row,
                           bool sequenceMayNeedCleaning, const RecordSink& sink) {
    const std::span<const std::string_view> fields = cut(input, cutFields_);
    const auto firstValue = std::find_if(fields.begin(), fields.end(),
                                         [](std::string_view field) { return !field.empty(); });
    // A row of nothing (written for its formatting, or bare delimiters) is no row at all.
    if (firstValue == fields.end())
        return;
    if (layout_) {
        take(fields.subspan(std::min(layout_->leadingEmpty, fields.size())), row,
             sequenceMayNeedCleaning, sink);
        return;
    }
    // The first rows wait to be looked at together; and while every one begins with an empty
    // column, until a row shows whether that column is part of the table.
    const auto empty = static_cast<std::size_t>(firstValue - fields.begin());
    leadingEmpty_ = std::min(leadingEmpty_.value_or(empty), empty);
    const std::size_t bytes = heldText_.size() + bytesOf(fields);
    const bool sampled = held_.size() + 1 >= TableProfile::sampleRows ||
                         bytes > std::min(TableProfile::sampleBytes, holdingLimit_);
    const bool leadingKnown = *leadingEmpty_ == 0 || bytes > holdingLimit_;
    if (sampled && leadingKnown) {
        // The row that fills the sample is not copied: it may be a sequence of gigabytes.
        const Row last{fields, row, sequenceMayNeedCleaning};
        settle(&last, sink);
        return;
    }
    held_.push_back({heldEnds_.size(), fields.size(), row, sequenceMayNeedCleaning});
    for (const std::string_view field : fields) {
        heldText_.append(field);
        heldEnds_.push_back(heldText_.size());
    }
}

RecordBuilder RecordBuilder::continued() const {
    // Member by member: the findings' table of identifiers is megabytes, and each piece has
    // one of its own.
    RecordBuilder piece(style_, choice_, holdingLimit_);
    piece.layout_ = layout_;
    piece.findings_ = findings_.forLaterPiece();
    piece.leadingEmpty_ = leadingEmpty_;
    piece.split_ = split_;
    piece.guessesTabRuns_ = guessesTabRuns_;
    piece.dropsEmptyFields_ = dropsEmptyFields_;
    piece.commentNames_ = commentNames_;
    piece.commentRow_ = commentRow_;
    return piece;
}

void RecordBuilder::absorb(
    const RecordBuilder& piece,
    std::span<const std::pair<std::string_view, std::uint64_t>> identifiers) {
    records_ += piece.records_;
    findings_.identifiers(identifiers);
    findings_.append(piece.findings_);
}

void RecordBuilder::finish(const RecordSink& sink) {
    if (!layout_ && !held_.empty())
        settle(nullptr, sink);
}

void RecordBuilder::settle(const Row* last, const RecordSink& sink) {
    const std::vector<HeldRow> held = std::move(held_);
    held_.clear();
    std::vector<std::vector<std::string_view>> rows;
    std::vector<std::uint64_t> numbers;
    std::vector<bool> cleaning;
    for (const HeldRow& row : held) {
        std::vector<std::string_view>& fields = rows.emplace_back();
        for (std::size_t i = row.firstField; i < row.firstField + row.fields; ++i) {
            const std::size_t start = i == 0 ? 0 : heldEnds_[i - 1];
            fields.push_back(heldText_.view().substr(start, heldEnds_[i] - start));
        }
        numbers.push_back(row.row);
        cleaning.push_back(row.mayNeedCleaning);
    }
    if (last) {
        rows.emplace_back(last->fields.begin(), last->fields.end());
        numbers.push_back(last->row);
        cleaning.push_back(last->mayNeedCleaning);
    }
    if (split_ == Split::guessed && guessesTabRuns_ && isTabRunList(rows)) {
        dropsEmptyFields_ = true;
        for (auto& row : rows)
            dropEmptyFields(row);
        leadingEmpty_ = 0;
    } else if (split_ == Split::guessed && isBlankPartedList(rows)) {
        split_ = Split::whitespace;
        for (auto& row : rows)
            row = wordsOf(row.front());
    }
    for (auto& row : rows)
        row.erase(row.begin(), row.begin() + std::min(*leadingEmpty_, row.size()));
    decide(rows, numbers);
    for (std::size_t i = layout_->hasHeader ? 1 : 0; i < rows.size(); ++i)
        take(rows[i], numbers[i], cleaning[i], sink);
    heldText_ = {};
    heldEnds_ = {};
}

void RecordBuilder::decide(const std::vector<std::vector<std::string_view>>& rows,
                           const std::vector<std::uint64_t>& numbers) {
    TableProfile below;
    TableProfile all;
    std::size_t columns = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        columns = std::max(columns, rows[i].size());
        all.add(rows[i]);
        if (i > 0)
            below.add(rows[i]);
    }
    TableShape shape;
    shape.firstRow = rows.front();
    shape.firstRowNumber = numbers.front();
    // A "#" line names the columns only where it stands right above the first row, as wide.
    if (!commentNames_.empty() && commentRow_ + 1 == numbers.front() &&
        *leadingEmpty_ == 0 && commentNames_.size() == rows.front().size())
        shape.commentNames = commentNames_;
    shape.columns = columns;
    shape.leadingEmpty = *leadingEmpty_;
    shape.below = &below;
    shape.all = &all;
    shape.acceptsLetters = style_.namesColumnsByLetter;
    const auto withPreview = [&](ColumnLayout layout) {
        for (std::size_t i = 0; i < rows.size() && i < ColumnLayout::previewRows; ++i) {
            std::vector<std::string>& cells = layout.preview.emplace_back();
            for (const std::string_view field : rows[i])
                cells.emplace_back(field.substr(
                    0, UnicodeText::graphemePrefixBytes(field, ColumnLayout::previewCellBytes)));
        }
        return layout;
    };
    try {
        layout_ = withPreview(LayoutChoice::decide(shape, choice_));
    } catch (TableError& error) {
        // A column the table lacks: what the table has goes with the failure, for a choice.
        error.setLayout(std::make_shared<const ColumnLayout>(
            withPreview(LayoutChoice::decide(shape, ColumnChoice{{}, {}, {}, {}, choice_.header}))));
        throw;
    }
    findings_.setSequenceColumn(layout_->nameOf(layout_->sequence));
}

void RecordBuilder::take(std::span<const std::string_view> fields, std::uint64_t row,
                         bool sequenceMayNeedCleaning, const RecordSink& sink) {
    const ColumnLayout& layout = *layout_;
    const auto field = [&](std::size_t index) -> std::optional<std::string_view> {
        return index < fields.size() ? std::optional(fields[index]) : std::nullopt;
    };
    std::string_view identifier;
    if (layout.identifier) {
        identifier = UnicodeText::trim(field(*layout.identifier).value_or(std::string_view()),
                                       style_.trimsLineBreaks);
    } else {
        rowName_ = std::to_string(row);
        identifier = rowName_;
    }
    std::optional<std::string_view> description;
    if (layout.description)
        if (const std::optional<std::string_view> text = field(*layout.description)) {
            const std::string_view trimmed = UnicodeText::trim(*text, style_.trimsLineBreaks);
            if (!trimmed.empty() || style_.keepsEmptyDescription)
                description = trimmed;
        }
    const auto record = [&](std::size_t column, std::string_view name) {
        const std::string_view raw = field(column).value_or(std::string_view());
        std::string_view sequence = raw;
        // What the reader knows of blanks is about column 2 as it stands in the table.
        const bool isColumnTwo = layout.leadingEmpty == 0 && column == 1 && !dropsEmptyFields_ &&
                                 split_ != Split::whitespace;
        if ((sequenceMayNeedCleaning || !isColumnTwo) && needsCleaning(sequence)) {
            cleaned_ = cleanSequence(sequence);
            sequence = cleaned_;
        }
        if (column == layout.sequence)
            findings_.sequenceValue(raw, row);
        if (name.empty() || sequence.empty())
            return false;
        findings_.identifier(name, row);
        ++records_;
        sink(RecordView{name, sequence, description});
        return true;
    };
    if (layout.moreSequences.empty()) {
        if (identifier.empty() || !record(layout.sequence, identifier))
            findings_.skipped(row);
        return;
    }
    // Several sequence columns: a record for each, named after its column.
    bool any = false;
    for (std::size_t i = 0; i <= layout.moreSequences.size(); ++i) {
        const std::size_t column = i == 0 ? layout.sequence : layout.moreSequences[i - 1];
        madeName_.assign(identifier);
        if (!identifier.empty()) {
            // The column's title joins the identifier, which ends at the first blank.
            std::string title = column < layout.names.size() && !layout.names[column].empty()
                                    ? layout.names[column]
                                    : std::to_string(layout.number(column));
            std::replace_if(title.begin(), title.end(),
                            [](char c) { return c == ' ' || c == '\t'; }, '_');
            madeName_ += "_" + title;
        }
        any |= record(column, identifier.empty() ? std::string_view() : madeName_);
    }
    if (!any)
        findings_.skipped(row);
}

bool RecordBuilder::needsCleaning(std::string_view text) noexcept {
    // Most sequences hold no byte up to the space at all, which one branch-free pass
    // (vectorised by the compiler) tells; only the rest are searched exactly. The cells are
    // long and out of cache, so memory speed is what counts.
    unsigned char least = 0xFF;
    for (const char c : text)
        least = std::min(least, static_cast<unsigned char>(c));
    return least <= ' ' && text.find_first_of("\n\r \t") != std::string_view::npos;
}

std::string RecordBuilder::cleanSequence(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\n' && c != '\r' && c != ' ' && c != '\t')
            out += c;
    return out;
}

} // namespace pellacor
