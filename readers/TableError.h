#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace pellacor {

struct ColumnLayout;

/// Base of every failure a table reader reports; `what()` is the message the user reads.
class TableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;

    /// For a failure a choice of columns can mend (no record, a column the table lacks): the
    /// table's columns and first rows as read, so that the choice can be offered; else null.
    const ColumnLayout* layout() const noexcept { return layout_.get(); }
    void setLayout(std::shared_ptr<const ColumnLayout> layout) noexcept {
        layout_ = std::move(layout);
    }

private:
    std::shared_ptr<const ColumnLayout> layout_;
};

} // namespace pellacor
