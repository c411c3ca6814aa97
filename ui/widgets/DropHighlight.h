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

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace pellacor
