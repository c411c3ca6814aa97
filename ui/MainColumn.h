#pragma once

#include <QWidget>

#include <optional>

class QLabel;
class QSpacerItem;
class QStackedLayout;

namespace pellacor {

class BusyIndicator;
class FilledActionButton;

/// The window's main column: header, import button, status (progress row or result block)
/// and instructions. It shows what it is told and reports its two buttons; it keeps no state.
class MainColumn : public QWidget {
    Q_OBJECT

public:
    /// A column in the initial state: enabled import button, empty status slot.
    explicit MainColumn(QWidget* parent = nullptr);

    /// Shows the progress row in the status slot and disables the import button while
    /// `processing`; otherwise shows the result block when `entryCount` is positive, else nothing.
    void showStatus(bool processing, qsizetype entryCount,
                    const std::optional<QString>& detectedFileType);

    /// The import button.
    FilledActionButton* importButton() const noexcept { return importButton_; }
    /// The result block's export button.
    FilledActionButton* exportButton() const noexcept { return exportButton_; }
    /// The progress row (visible while processing).
    QWidget* progressRow() const noexcept { return progressRow_; }
    /// The result block (visible after a successful import, when not processing).
    QWidget* resultBlock() const noexcept { return resultBlock_; }
    /// The count line of the result block.
    QLabel* countLabel() const noexcept { return countLabel_; }
    /// The type line of the result block.
    QLabel* typeLabel() const noexcept { return typeLabel_; }
    /// The secondary lines under the count: rows skipped, then other warnings; hidden when
    /// there are none.
    QLabel* notesLabel() const noexcept { return notesLabel_; }
    /// Shows `notes` under the count, one a line; none hides the line.
    void showNotes(const QStringList& notes);

signals:
    /// The import button was pressed.
    void importRequested();
    /// The export button was pressed.
    void exportRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeProgressRow();
    QWidget* makeResultBlock();
    QWidget* makeInstructions();
    void refreshIcons();
    void fitNotes();

    FilledActionButton* importButton_ = nullptr;
    FilledActionButton* exportButton_ = nullptr;
    QWidget* statusSlot_ = nullptr;
    QStackedLayout* status_ = nullptr;
    QWidget* progressRow_ = nullptr;
    BusyIndicator* busy_ = nullptr;
    QWidget* resultBlock_ = nullptr;
    QLabel* iconLabel_ = nullptr;
    QLabel* checkLabel_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QLabel* typeLabel_ = nullptr;
    QLabel* notesLabel_ = nullptr;
    QSpacerItem* notesBalance_ = nullptr;
    QList<QLabel*> stepIcons_;
};

} // namespace pellacor
