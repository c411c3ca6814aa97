#pragma once

#include <functional>
#include <optional>
#include <string_view>

namespace pellacor {

/// One record as a reader hands it on: views into the reader's own memory, valid only during
/// the call that receives them.
struct RecordView {
    std::string_view identifier;
    std::string_view sequence;
    std::optional<std::string_view> description;
};

/// Where a reader hands its records, in table order.
using RecordSink = std::function<void(const RecordView&)>;

} // namespace pellacor
