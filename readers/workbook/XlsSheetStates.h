#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// Which sheets of a legacy .xls workbook are hidden, which FreeXL does not tell: found from the
/// sheet records (BOUNDSHEET) in the file's bytes, each matched by the name FreeXL gives.
class XlsSheetStates {
public:
    XlsSheetStates() = delete;

    /// For each of `names` (UTF-8, in tab order), whether its sheet record in `bytes` marks it
    /// hidden or very hidden. A sheet whose record is not found, for instance one split across
    /// two sectors of the compound file or named in another code page, counts as shown.
    static std::vector<bool> hidden(std::string_view bytes, const std::vector<std::string>& names);
};

} // namespace pellacor
