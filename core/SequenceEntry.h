#pragma once

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

    /// The description as a view into this entry; absent when there is none.
    std::optional<std::string_view> descriptionView() const noexcept {
        return description ? std::optional<std::string_view>(*description) : std::nullopt;
    }

    bool operator==(const SequenceEntry&) const = default;
};

} // namespace pellacor
