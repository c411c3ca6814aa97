#pragma once

#include <optional>
#include <string>

namespace pellacor {

/// One row of an input table: identifier, residues and an optional description, all UTF-8.
/// An absent description and an empty one render alike; readers keep the difference.
struct SequenceEntry {
    std::string identifier;
    std::string sequence;
    std::optional<std::string> description;

    bool operator==(const SequenceEntry&) const = default;
};

} // namespace pellacor
