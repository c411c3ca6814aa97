#pragma once

#include "readers/TableError.h"

namespace pellacor {

/// A choice the user made (a column, a sheet) that the table does not have; the message lists
/// what it has. The converter calls it a wrong command line.
class ChoiceError : public TableError {
public:
    using TableError::TableError;
};

} // namespace pellacor
