#pragma once

#include "readers/ColumnChoice.h"
#include "readers/ColumnLayout.h"

namespace pellacor {

/// Decides a table's layout on its first rows: the columns the user chose, resolved against
/// the table; else what the header's titles and the rows' content tell (`ColumnGuess`).
class LayoutChoice {
public:
    LayoutChoice() = delete;

    /// The layout for a table of `shape`. Throws `ChoiceError` for a chosen column it lacks.
    static ColumnLayout decide(const TableShape& shape, const ColumnChoice& choice);
};

} // namespace pellacor
