#pragma once

#include <QPointer>
#include <QWidget>

namespace pellacor {

/// A ring in the highlight colour drawn around a control while it has the keyboard focus,
/// for controls whose style marks focus with little more than a tint. It lies over `host`, an
/// ancestor with room around the control, and lets every mouse event through.
class FocusRing : public QWidget {
    Q_OBJECT

public:
    /// Rings `target` whenever it has focus, drawn on `host` (an ancestor of `target`); lives
    /// as long as `target`.
    static FocusRing* around(QWidget* target, QWidget* host);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    FocusRing(QWidget* target, QWidget* host);
    void follow();

    QPointer<QWidget> target_;
};

} // namespace pellacor
