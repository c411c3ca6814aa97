#pragma once

#include <QTimer>
#include <QWidget>

namespace pellacor {

/// A small spinning activity indicator for work of unknown length. It turns only while shown.
class BusyIndicator : public QWidget {
    Q_OBJECT

public:
    /// An indicator `diameter` pixels wide.
    explicit BusyIndicator(int diameter, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int diameter_;
    int step_ = 0;
    QTimer timer_;
};

} // namespace pellacor
