#pragma once

#include "ui/widgets/Icons.h"

#include <QAbstractButton>
#include <QColor>

namespace pellacor {

/// A push button drawn as a rounded, colour-filled block with a white icon and text: the
/// import and export buttons of the main column and the panel's "Save as File".
class FilledActionButton : public QAbstractButton {
    Q_OBJECT

public:
    /// A button showing `icon` and `text` in white on `fill`, with the standard padding and a
    /// corner radius of 10.
    FilledActionButton(Icons::Name icon, const QString& text, const QColor& fill,
                       QWidget* parent = nullptr);

    /// Sets the fill colour.
    void setFill(const QColor& fill);
    /// Sets the margin between the fill's edge and the content.
    void setPadding(int horizontal, int vertical);
    /// Sets the corner radius.
    void setRadius(qreal radius);
    /// Sets the widest the content may be; the fill adds the padding to it (-1: just the content).
    void setContentWidth(int width);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QSize contentSize() const;

    Icons::Name iconName_;
    QColor fill_;
    int paddingX_;
    int paddingY_;
    qreal radius_ = 10;
    int contentWidth_ = -1;
    bool hovered_ = false;
};

} // namespace pellacor
