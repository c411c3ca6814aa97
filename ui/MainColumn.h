#pragma once

#include <QWidget>

#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;
class QSpacerItem;
class QStackedLayout;

namespace pellacor {

struct ColumnLayout;
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

    /// Shows the progress bar and the Cancel button of the progress row when `shown`, the bar
    /// at `percent` (-1: going, amount not known).
    void showProgress(bool shown, int percent);
    /// Enables the result block's "Show FASTA" control, for while the panel is closed.
    void setShowFastaEnabled(bool enabled);

    /// The import button.
    FilledActionButton* importButton() const noexcept { return importButton_; }
    /// The result block's export button.
    FilledActionButton* exportButton() const noexcept { return exportButton_; }
    /// The progress row (visible while processing).
    QWidget* progressRow() const noexcept { return progressRow_; }
    /// The result block (visible after a successful import, when not processing).
    QWidget* resultBlock() const noexcept { return resultBlock_; }
    /// The progress row's bar, shown once an import has run for a while.
    QProgressBar* progressBar() const noexcept { return progressBar_; }
    /// The progress row's "Cancel" button, shown with the bar.
    QPushButton* cancelButton() const noexcept { return cancelButton_; }
    /// The result block's "Show FASTA" control, which reopens the panel.
    QPushButton* showFastaButton() const noexcept { return showFastaButton_; }
    /// The count line of the result block.
    QLabel* countLabel() const noexcept { return countLabel_; }
    /// The type line of the result block.
    QLabel* typeLabel() const noexcept { return typeLabel_; }
    /// The warnings under the count, each on its own line with a warning sign; hidden when
    /// there are none.
    QWidget* notesBlock() const noexcept { return notes_; }
    /// The text of each warning line, in order.
    QList<QLabel*> noteLabels() const noexcept { return noteLabels_; }
    /// Shows `notes` under the count as warnings, one a line; none hides the block.
    void showNotes(const QStringList& notes);
    /// Makes the instructions tell the columns `layout` used (header, identifier, sequence,
    /// description); null brings back the general instructions.
    void showColumnsUsed(const ColumnLayout* layout);
    /// The instructions' heading and their lines, in order.
    QLabel* instructionsTitle() const noexcept { return instructionsTitle_; }
    QList<QLabel*> instructionLabels() const noexcept { return stepLabels_; }

signals:
    /// The import button was pressed.
    void importRequested();
    /// The export button was pressed.
    void exportRequested();
    /// "Cancel" was pressed.
    void cancelRequested();
    /// "Show FASTA" was pressed.
    void showFastaRequested();

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
    QProgressBar* progressBar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* showFastaButton_ = nullptr;
    QWidget* resultBlock_ = nullptr;
    QLabel* iconLabel_ = nullptr;
    QLabel* checkLabel_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QLabel* typeLabel_ = nullptr;
    QWidget* notes_ = nullptr;
    QList<QLabel*> noteLabels_;
    QList<QLabel*> noteIcons_;
    QSpacerItem* notesBalance_ = nullptr;
    QList<QLabel*> stepIcons_;
    QList<QLabel*> stepLabels_;
    QLabel* instructionsTitle_ = nullptr;
};

} // namespace pellacor
