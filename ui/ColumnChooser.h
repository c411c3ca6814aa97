#pragma once

#include "conversion/Conversion.h"
#include "ui/ColumnRole.h"

#include <QWidget>

#include <cstddef>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;

namespace pellacor {

/// The output panel's menus of where the records came from: the columns used for identifier,
/// sequence and description, and the sheet of a workbook, each one a choice the user may
/// change, which converts the table again.
class ColumnChooser : public QWidget {
    Q_OBJECT

public:
    /// An empty chooser, hidden until it has something to offer.
    explicit ColumnChooser(QWidget* parent = nullptr);

    /// Shows what an import found; hides the chooser when the table had two columns or fewer
    /// and a single sheet, unless `offerColumns` (a failure a choice may mend) asks for them.
    void show(const ConversionSummary& summary, bool offerColumns = false);
    /// Chooses the column numbered `number` (as the table counts) for `role`, as if picked in
    /// its menu: another role that held it lets it go, and the table is converted again.
    void useColumn(ColumnRole role, std::size_t number);

    QComboBox* identifierBox() const noexcept { return identifier_; }
    QComboBox* sequenceBox() const noexcept { return sequence_; }
    QComboBox* descriptionBox() const noexcept { return description_; }
    QComboBox* sheetBox() const noexcept { return sheet_; }
    /// The encoding menu, shown once the table was read in an encoding the user chose.
    QComboBox* encodingBox() const noexcept { return encoding_; }
    /// Whether the first row names the columns, as the table was read; a change reads it again.
    QCheckBox* headerBox() const noexcept { return header_; }
    /// What was guessed of the table's layout, above the menus; hidden when nothing was.
    QLabel* noteLabel() const noexcept { return note_; }

signals:
    /// The user chose other columns, another sheet or another encoding: `request` asks for them, with no input.
    void choiceChanged(const pellacor::ConversionRequest& request);

private:
    // The choice the boxes show; `sheetChanged` when the sheet was what changed.
    ConversionRequest choiceShown(bool sheetChanged) const;
    // After `chosen` changed: the identifier or description that held its column lets it go.
    void releaseOthers(const QComboBox* chosen);

    QLabel* note_ = nullptr;
    QWidget* columnsRow_ = nullptr;
    QWidget* sheetRow_ = nullptr;
    QWidget* encodingRow_ = nullptr;
    QComboBox* identifier_ = nullptr;
    QComboBox* sequence_ = nullptr;
    QComboBox* description_ = nullptr;
    QComboBox* sheet_ = nullptr;
    QComboBox* encoding_ = nullptr;
    QCheckBox* header_ = nullptr;
    bool isFilling_ = false;
    // The numbers of the columns that hold sequences, for "all sequence columns".
    std::vector<std::size_t> sequenceColumns_;
};

} // namespace pellacor
