#include "ui/OutputPanel.h"

#include "ui/ColumnChooser.h"
#include "ui/TablePreview.h"
#include "ui/textview/FindBar.h"
#include "ui/textview/MonospacedTextView.h"
#include "ui/textview/RoundedTextFrame.h"
#include "ui/widgets/Appearance.h"
#include "ui/widgets/FilledActionButton.h"
#include "ui/widgets/FocusRing.h"
#include "ui/widgets/IconButton.h"
#include "ui/widgets/Icons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
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

    layout->addLayout(makeHeader());
    chooser_ = new ColumnChooser(this);
    auto* chooserRow = new QHBoxLayout;
    chooserRow->setContentsMargins(pad, 0, pad, 0);
    chooserRow->addWidget(chooser_);
    layout->addLayout(chooserRow);
    failure_ = new QLabel(this);
    failure_->setTextFormat(Qt::PlainText);
    failure_->setWordWrap(true);
    failure_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Appearance::applyText(failure_, Role::Caption);
    QPalette warning = failure_->palette();
    warning.setColor(QPalette::WindowText, Appearance::amber());
    failure_->setPalette(warning);
    failure_->setVisible(false);
    preview_ = new TablePreview(this);
    connect(preview_, &TablePreview::roleChosen, chooser_, &ColumnChooser::useColumn);
    auto* previewRow = new QVBoxLayout;
    previewRow->setContentsMargins(pad, 0, pad, 0);
    previewRow->setSpacing(8);
    previewRow->addWidget(failure_);
    previewRow->addWidget(preview_);
    layout->addLayout(previewRow);
    QWidget* textArea = makeTextArea();
    textArea_ = textArea;
    findBar_ = new FindBar(view_, this);
    connect(findBar_, &FindBar::closeRequested, findBar_, &FindBar::dismiss);
    auto* findRow = new QHBoxLayout;
    findRow->setContentsMargins(pad, 0, pad, 0);
    findRow->addWidget(findBar_);
    layout->addLayout(findRow);
    layout->addWidget(textArea, 1);
    // Takes the text's room while there is none, so that the rows above keep their height.
    filler_ = new QWidget(this);
    filler_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    filler_->setVisible(false);
    layout->addWidget(filler_, 1);
    buttonRow_ = makeButtonRow();
    layout->addWidget(buttonRow_);

    // Tab goes through the rows as they stand, the find bar before the text it searches.
    QWidget::setTabOrder(closeButton_, chooser_->sheetBox());
    QWidget::setTabOrder(chooser_->sheetBox(), chooser_->identifierBox());
    QWidget::setTabOrder(chooser_->identifierBox(), chooser_->sequenceBox());
    QWidget::setTabOrder(chooser_->sequenceBox(), chooser_->descriptionBox());
    QWidget::setTabOrder(chooser_->descriptionBox(), chooser_->headerBox());
    QWidget::setTabOrder(chooser_->headerBox(), preview_);
    QWidget::setTabOrder(preview_, findBar_->field());
    QWidget::setTabOrder(findBar_->field(), findBar_->previousButton());
    QWidget::setTabOrder(findBar_->previousButton(), findBar_->nextButton());
    QWidget::setTabOrder(findBar_->nextButton(), findBar_->closeButton());
    QWidget::setTabOrder(findBar_->closeButton(), view_);
    QWidget::setTabOrder(view_, copyButton_);
    QWidget::setTabOrder(copyButton_, saveButton_);

    // The style marks the focus on these with a faint tint only.
    for (QWidget* control :
         {static_cast<QWidget*>(copyButton_), static_cast<QWidget*>(chooser_->sheetBox()),
          static_cast<QWidget*>(chooser_->identifierBox()),
          static_cast<QWidget*>(chooser_->sequenceBox()),
          static_cast<QWidget*>(chooser_->descriptionBox())})
        FocusRing::around(control, body_);

    setMinimumWidth(500);
    refreshIcons();
    setSourceType(std::nullopt);
}

QBoxLayout* OutputPanel::makeHeader() {
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
    closeButton_ = new IconButton(Icons::Name::Close, closeIconSize, tr("Close (Esc)"), this);
    closeButton_->setAccessibleDescription(tr("Close the FASTA panel; the text stays"));
    connect(closeButton_, &QAbstractButton::clicked, this, &OutputPanel::closeRequested);
    header->addWidget(closeButton_, 0, Qt::AlignVCenter);
    return header;
}

QWidget* OutputPanel::makeTextArea() {
    auto* area = new QWidget(this);
    auto* row = new QHBoxLayout(area);
    row->setContentsMargins(pad, 0, pad, 0);
    auto* frame = new RoundedTextFrame(area);
    view_ = frame->view();
    view_->setAccessibleName(tr("FASTA text"));
    view_->setAccessibleDescription(tr("The FASTA text made from the table, read-only"));
    row->addWidget(frame);
    return area;
}

QWidget* OutputPanel::makeButtonRow() {
    auto* row = new QWidget(this);
    auto* buttons = new QHBoxLayout(row);
    buttons->setContentsMargins(pad, pad, pad, pad);
    buttons->setSpacing(Appearance::defaultSpacing);
    copyButton_ = new QPushButton(tr("Copy to Clipboard"), this);
    copyButton_->setToolTip(tr("Copy the whole FASTA text to the clipboard"));
    copyButton_->setAccessibleDescription(copyButton_->toolTip());
    connect(copyButton_, &QPushButton::clicked, this, &OutputPanel::copyRequested);
    buttons->addWidget(copyButton_, 0, Qt::AlignVCenter);
    buttons->addStretch(1);
    saveButton_ = new FilledActionButton(Icons::Name::Import, tr("Save as File"),
                                         palette().color(QPalette::Highlight), this);
    saveButton_->setPadding(12, 5);
    saveButton_->setRadius(6);
    saveButton_->setToolTip(
        tr("Save the FASTA text as a file (%1)")
            .arg(QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText)));
    saveButton_->setAccessibleDescription(tr("Save the FASTA text as a file"));
    connect(saveButton_, &QAbstractButton::clicked, this, &OutputPanel::saveRequested);
    buttons->addWidget(saveButton_, 0, Qt::AlignVCenter);
    return row;
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
    findBar_->reset();
}

void OutputPanel::showColumns(const ConversionSummary& summary, const QString& failure) {
    const bool mending = !failure.isEmpty();
    chooser_->show(summary, mending);
    preview_->showTable(summary.layout ? &*summary.layout : nullptr);
    failure_->setText(failure);
    failure_->setVisible(mending);
    // The text below would belong to another table; what stays is what mends this one.
    textArea_->setVisible(!mending);
    buttonRow_->setVisible(!mending);
    filler_->setVisible(mending);
    typeLabel_->setVisible(!mending && !typeLabel_->text().isEmpty());
    if (mending)
        findBar_->dismiss();
}

void OutputPanel::setSourceType(const std::optional<QString>& type) {
    typeLabel_->setVisible(type.has_value());
    typeLabel_->setText(type ? tr("Converted from %1").arg(*type) : QString());
}

void OutputPanel::refreshIcons() {
    const qreal ratio = devicePixelRatioF();
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
