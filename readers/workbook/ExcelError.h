#pragma once

#include "readers/TableError.h"

#include <string>

namespace pellacor {

/// What can go wrong with a workbook, each with the message the user reads. Also spelled
/// `ExcelParser::ExcelError`.
class ExcelError : public TableError {
public:
    enum class Case { parsingFailed, invalidFileFormat, cannotReadFile, noDataFound };
    /// `detail` is used by `parsingFailed` only.
    explicit ExcelError(Case kind, std::string detail = {});
    Case kind() const noexcept { return kind_; }
    const std::string& detail() const noexcept { return detail_; }
    /// The user-facing message of `kind` with `detail`.
    static std::string message(Case kind, const std::string& detail = {});

private:
    Case kind_;
    std::string detail_;
};

} // namespace pellacor
