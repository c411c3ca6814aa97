#pragma once

#include <QWidget>

namespace pellacor {

/// Lies over the whole window while a file is dragged over it, so the person sees that
/// letting go will import it: a tint and an outline in the highlight colour and a short note.
/// It lets every mouse event through.
class DropHighlight : public QWidget {
    Q_OBJECT

public:
    /// A hidden highlight over `parent`, following its size.
    explicit DropHighlight(QWidget* parent);

    /// Centres the note in `area` (in the parent's coordinates), so that it stays clear of
    /// lines and panels; a null area centres it in the whole highlight.
    void setNoteArea(const QRect& area);
    /// Where the note is drawn.
    QRect noteRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString note() const { return tr("Drop the table to import it"); }

    QRect noteArea_;
};

} // namespace pellacor
