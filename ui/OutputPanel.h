#pragma once

#include <QByteArray>
#include <QWidget>

#include <optional>

class QBoxLayout;
class QLabel;
class QPushButton;

namespace pellacor {

class ColumnChooser;
struct ConversionSummary;
class TablePreview;
class FilledActionButton;
class FindBar;
class IconButton;
class MonospacedTextView;

/// The panel beside the main column that shows the FASTA text: title, source type, close
/// control, the text itself, and buttons to copy and to save it. It keeps no state of its own.
class OutputPanel : public QWidget {
    Q_OBJECT

public:
    /// An empty panel.
    explicit OutputPanel(QWidget* parent = nullptr);

    /// Shows `fasta` in the text area, replacing whatever it showed.
    void setText(const QByteArray& fasta);
    /// Shows the columns, note and first rows of `summary`, each column a choice. With a
    /// `failure` (a table a choice of columns may mend) it shows that message beside them in
    /// place of the text and its buttons.
    void showColumns(const ConversionSummary& summary, const QString& failure = {});
    /// Shows "Converted from <type>" under the title, or no such line when `type` is absent.
    void setSourceType(const std::optional<QString>& type);

    /// Lays the parts out `width` wide, right-aligned and clipped, while the panel itself is
    /// narrower during a slide; 0 lays them out at the panel's own width.
    void setSlideWidth(int width);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    /// The text area.
    MonospacedTextView* textView() const noexcept { return view_; }
    /// The type line under the title.
    QLabel* typeLabel() const noexcept { return typeLabel_; }
    /// The columns and the sheet the text was made of, each a choice.
    ColumnChooser* columnChooser() const noexcept { return chooser_; }
    /// The first rows of the table, above the text.
    TablePreview* preview() const noexcept { return preview_; }
    /// Why the table gave no text, while its columns are offered to mend it.
    QLabel* failureLabel() const noexcept { return failure_; }
    /// The close control.
    IconButton* closeButton() const noexcept { return closeButton_; }
    /// The find bar above the text, hidden until asked for.
    FindBar* findBar() const noexcept { return findBar_; }
    /// The "Copy to Clipboard" button.
    QPushButton* copyButton() const noexcept { return copyButton_; }
    /// The "Save as File" button.
    FilledActionButton* saveButton() const noexcept { return saveButton_; }

signals:
    /// The close control was pressed.
    void closeRequested();
    /// "Copy to Clipboard" was pressed.
    void copyRequested();
    /// "Save as File" was pressed.
    void saveRequested();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The panel is a column of rows, top to bottom, each made by one of these.
    QBoxLayout* makeHeader();
    QWidget* makeTextArea();
    QWidget* makeButtonRow();
    void refreshIcons();
    void placeBody();

    QWidget* body_ = nullptr;
    int slideWidth_ = 0;
    QLabel* typeLabel_ = nullptr;
    ColumnChooser* chooser_ = nullptr;
    TablePreview* preview_ = nullptr;
    QLabel* failure_ = nullptr;
    QWidget* textArea_ = nullptr;
    QWidget* buttonRow_ = nullptr;
    QWidget* filler_ = nullptr;
    IconButton* closeButton_ = nullptr;
    MonospacedTextView* view_ = nullptr;
    FindBar* findBar_ = nullptr;
    QPushButton* copyButton_ = nullptr;
    FilledActionButton* saveButton_ = nullptr;
};

} // namespace pellacor
