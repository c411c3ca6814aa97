#pragma once

namespace pellacor {

/// The part of a record a column can give, as the window offers it.
enum class ColumnRole { identifier, sequence, description };

} // namespace pellacor
