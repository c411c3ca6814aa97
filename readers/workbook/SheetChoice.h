#pragma once

#include "readers/workbook/WorkbookDelegate.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pellacor {

/// Which sheet of a workbook is read, by one rule for every workbook format: the one the user
/// named (by name, or by number from 1 in tab order), else the first that is not hidden.
class SheetChoice {
public:
    SheetChoice() = delete;

    /// The position of the sheet `wanted` among `sheets`, or of the first one not hidden (the
    /// first of all when every one is). Throws `ChoiceError` for a sheet the workbook lacks.
    static std::size_t position(const std::vector<WorkbookDelegate::Sheet>& sheets,
                                const std::optional<std::string>& wanted);
    /// True when the sheet at `index` named `name` is the one `wanted` names as soon as it is
    /// seen; a number beyond the sheets may still name one by its name at the end.
    static bool isNamed(std::size_t index, const std::string& name, const std::string& wanted);
};

} // namespace pellacor
