#pragma once

#include "ui/widgets/Icons.h"

#include <QAbstractButton>

namespace pellacor {

/// A button that is only an icon, with no frame of its own (the panel's close control, the
/// find bar's arrows). It shows hover and press with a soft backdrop and keyboard focus with a
/// ring in the highlight colour, since there is no frame to show it otherwise.
class IconButton : public QAbstractButton {
    Q_OBJECT

public:
    /// A button showing icon `name`, `size` pixels square, in the secondary text colour; its
    /// accessible name and tool tip are `label`.
    IconButton(Icons::Name name, int size, const QString& label, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    Icons::Name name_;
    int size_;
    QPixmap icon_; // drawn for the current palette and pixel ratio; null until needed
};

} // namespace pellacor
