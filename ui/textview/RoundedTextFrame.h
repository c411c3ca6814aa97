#pragma once

#include <QWidget>

namespace pellacor {

class MonospacedTextView;

/// Holds the output text view inside a rounded rectangle (radius 8) on the text background,
/// outlined by a thin translucent gray line, or a line in the highlight colour while the view
/// has the keyboard.
class RoundedTextFrame : public QWidget {
    Q_OBJECT

public:
    /// A frame around a new, frameless text view.
    explicit RoundedTextFrame(QWidget* parent = nullptr);

    /// The text view inside.
    MonospacedTextView* view() const noexcept { return view_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MonospacedTextView* view_;
};

} // namespace pellacor
