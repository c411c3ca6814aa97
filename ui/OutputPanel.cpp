#include "ui/OutputPanel.h"

#include "ui/Appearance.h"
#include "ui/FilledActionButton.h"
#include "ui/Icons.h"
#include "ui/MonospacedTextView.h"
#include "ui/RoundedTextFrame.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace pellacor {

namespace {

using Role = Appearance::TextRole;
constexpr int pad = Appearance::defaultPadding;
constexpr int closeIconSize = 22;

} // namespace

OutputPanel::OutputPanel(QWidget* parent) : QWidget(parent) {
    // The parts live on a body that keeps its width while the panel slides in and out, so they
    // glide in from the edge instead of being squeezed.
    body_ = new QWidget(this);
    body_->installEventFilter(this);
    auto* layout = new QVBoxLayout(body_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(pad, pad, pad, pad);
    header->setSpacing(Appearance::defaultSpacing);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(4);
    auto* title = new QLabel(tr("FASTA Output"), this);
    Appearance::applyText(title, Role::Headline);
    titles->addWidget(title);
    typeLabel_ = new QLabel(this);
    typeLabel_->setTextFormat(Qt::PlainText);
    Appearance::applyText(typeLabel_, Role::Caption);
    Appearance::applySecondary(typeLabel_);
    titles->addWidget(typeLabel_);
    header->addLayout(titles);
    header->addStretch(1);
    closeButton_ = new QToolButton(this);
    closeButton_->setAutoRaise(true);
    closeButton_->setToolTip(tr("Close"));
    closeButton_->setAccessibleName(tr("Close"));
    closeButton_->setIconSize(QSize(closeIconSize, closeIconSize));
    closeButton_->setCursor(Qt::PointingHandCursor);
    closeButton_->setStyleSheet(QStringLiteral("QToolButton { border: none; background: none; }"));
    connect(closeButton_, &QToolButton::clicked, this, &OutputPanel::closeRequested);
    header->addWidget(closeButton_, 0, Qt::AlignVCenter);
    layout->addLayout(header);

    auto* frame = new RoundedTextFrame(this);
    view_ = frame->view();
    auto* textRow = new QHBoxLayout;
    textRow->setContentsMargins(pad, 0, pad, 0);
    textRow->addWidget(frame);
    layout->addLayout(textRow, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(pad, pad, pad, pad);
    buttons->setSpacing(Appearance::defaultSpacing);
    copyButton_ = new QPushButton(tr("Copy to Clipboard"), this);
    connect(copyButton_, &QPushButton::clicked, this, &OutputPanel::copyRequested);
    buttons->addWidget(copyButton_, 0, Qt::AlignVCenter);
    buttons->addStretch(1);
    saveButton_ = new FilledActionButton(Icons::Name::Import, tr("Save as File"),
                                         palette().color(QPalette::Highlight), this);
    saveButton_->setPadding(12, 5);
    saveButton_->setRadius(6);
    connect(saveButton_, &QAbstractButton::clicked, this, &OutputPanel::saveRequested);
    buttons->addWidget(saveButton_, 0, Qt::AlignVCenter);
    layout->addLayout(buttons);

    setMinimumWidth(500);
    refreshIcons();
    setSourceType(std::nullopt);
}

void OutputPanel::setSlideWidth(int width) {
    slideWidth_ = width;
    placeBody();
}

QSize OutputPanel::sizeHint() const {
    return body_->sizeHint();
}

QSize OutputPanel::minimumSizeHint() const {
    return body_->minimumSizeHint();
}

void OutputPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeBody();
}

bool OutputPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == body_ && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QWidget::eventFilter(watched, event);
}

void OutputPanel::placeBody() {
    const int bodyWidth = std::max(width(), slideWidth_);
    body_->setGeometry(width() - bodyWidth, 0, bodyWidth, height());
}

void OutputPanel::setText(const QByteArray& fasta) {
    view_->setText(fasta);
}

void OutputPanel::setSourceType(const std::optional<QString>& type) {
    typeLabel_->setVisible(type.has_value());
    typeLabel_->setText(type ? tr("Converted from %1").arg(*type) : QString());
}

void OutputPanel::refreshIcons() {
    const qreal ratio = devicePixelRatioF();
    closeButton_->setIcon(
        Icons::icon(Icons::Name::Close, Appearance::secondary(this), closeIconSize, ratio));
    const int iconSize = QFontMetrics(copyButton_->font()).height();
    copyButton_->setIconSize(QSize(iconSize, iconSize));
    copyButton_->setIcon(
        Icons::icon(Icons::Name::Copy, palette().color(QPalette::ButtonText), iconSize, ratio));
}

void OutputPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        refreshIcons();
}

} // namespace pellacor
