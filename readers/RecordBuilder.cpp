#include "readers/RecordBuilder.h"

#include "core/UnicodeText.h"
#include "readers/HeaderRow.h"

#include <algorithm>

namespace pellacor {

RecordBuilder::RecordBuilder(Style style, ColumnChoice choice, std::size_t holdingLimit)
    : style_(style), choice_(std::move(choice)), holdingLimit_(holdingLimit) {}

void RecordBuilder::addRow(std::span<const std::string_view> fields, std::uint64_t row,
                           bool sequenceMayNeedCleaning, const RecordSink& sink) {
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
    // The first rows wait while every one begins with an empty column: whether that column is
    // part of the table shows only when a row has something in it, or the table ends.
    const auto empty = static_cast<std::size_t>(firstValue - fields.begin());
    if (empty == 0 && held_.empty()) {
        // The usual table, whose first row starts in column 1: nothing waits or is copied.
        leadingEmpty_ = 0;
        decide(fields);
        if (!layout_->hasHeader)
            take(fields, row, sequenceMayNeedCleaning, sink);
        return;
    }
    leadingEmpty_ = std::min(leadingEmpty_.value_or(empty), empty);
    held_.push_back({heldEnds_.size(), fields.size(), row, sequenceMayNeedCleaning});
    for (const std::string_view field : fields) {
        heldText_.append(field);
        heldEnds_.push_back(heldText_.size());
    }
    if (*leadingEmpty_ == 0 || heldText_.size() > holdingLimit_)
        release(sink);
}

void RecordBuilder::finish(const RecordSink& sink) {
    if (!layout_ && !held_.empty())
        release(sink);
}

void RecordBuilder::release(const RecordSink& sink) {
    std::vector<std::string_view> fields;
    const std::vector<HeldRow> held = std::move(held_);
    held_.clear();
    for (const HeldRow& row : held) {
        fields.clear();
        for (std::size_t i = row.firstField; i < row.firstField + row.fields; ++i) {
            const std::size_t start = i == 0 ? 0 : heldEnds_[i - 1];
            fields.push_back(std::string_view(heldText_).substr(start, heldEnds_[i] - start));
        }
        const std::span<const std::string_view> shifted =
            std::span<const std::string_view>(fields).subspan(
                std::min(*leadingEmpty_, fields.size()));
        if (!layout_) {
            decide(shifted);
            if (layout_->hasHeader)
                continue;
        }
        take(shifted, row.row, row.mayNeedCleaning, sink);
    }
    heldText_ = {};
    heldEnds_ = {};
}

void RecordBuilder::decide(std::span<const std::string_view> firstRow) {
    layout_ = ColumnLayout::decide(firstRow, HeaderRow::test(firstRow), *leadingEmpty_, choice_);
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
    const std::string_view raw = field(layout.sequence).value_or(std::string_view());
    std::string_view sequence = raw;
    // What the reader knows of blanks is about column 2 as it stands in the table.
    const bool isColumnTwo = layout.leadingEmpty == 0 && layout.sequence == 1;
    if ((sequenceMayNeedCleaning || !isColumnTwo) && needsCleaning(sequence)) {
        cleaned_ = cleanSequence(sequence);
        sequence = cleaned_;
    }
    findings_.sequenceValue(raw, row);
    if (identifier.empty() || sequence.empty()) {
        findings_.skipped(row);
        return;
    }
    std::optional<std::string_view> description;
    if (layout.description)
        if (const std::optional<std::string_view> text = field(*layout.description)) {
            const std::string_view trimmed = UnicodeText::trim(*text, style_.trimsLineBreaks);
            if (!trimmed.empty() || style_.keepsEmptyDescription)
                description = trimmed;
        }
    findings_.identifier(identifier, row);
    ++records_;
    sink(RecordView{identifier, sequence, description});
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
