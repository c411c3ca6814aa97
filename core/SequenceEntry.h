#pragma once

#include "core/RecordView.h"

#include <optional>
#include <string>
#include <string_view>

namespace pellacor {

/// One row of an input table: identifier, residues and an optional description, all UTF-8.
/// An absent description and an empty one render alike; readers keep the difference.
struct SequenceEntry {
    std::string identifier;
    std::string sequence;
    std::optional<std::string> description;

    /// A copy of the record `record` views, to keep after the reader has moved on.
    static SequenceEntry of(const RecordView& record) {
        return {std::string(record.identifier), std::string(record.sequence),
                record.description ? std::optional<std::string>(*record.description)
                                   : std::nullopt};
    }

    /// The description as a view into this entry; absent when there is none.
    std::optional<std::string_view> descriptionView() const noexcept {
        return description ? std::optional<std::string_view>(*description) : std::nullopt;
    }

    bool operator==(const SequenceEntry&) const = default;
};

} // namespace pellacor
