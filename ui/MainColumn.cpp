#include "ui/MainColumn.h"

#include "readers/ColumnLayout.h"

#include "ui/widgets/Appearance.h"
#include "ui/widgets/BusyIndicator.h"
#include "ui/widgets/FilledActionButton.h"
#include "ui/widgets/Icons.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace pellacor {

namespace {

using Role = Appearance::TextRole;

constexpr int headerIconSize = 128;
constexpr int edgePadding = 40;
constexpr int buttonContentWidth = 300;
// Between the lines of the result block: the count, the notes, the detected type.
constexpr int notesSpacing = 2;
// The key that reopens the panel from the result block.
const QKeySequence showFastaKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_F);

QLabel* makeLabel(const QString& text, Role role, QWidget* parent, bool bold = false) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    Appearance::applyText(label, role, bold);
    return label;
}

int captionIconSize(const QWidget* widget) {
    return QFontMetrics(Appearance::font(Role::Caption, widget->font())).height();
}

} // namespace

MainColumn::MainColumn(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(20);
    layout->addWidget(makeHeader(), 0, Qt::AlignHCenter);
    layout->addStretch(1);
    notesBalance_ = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Preferred);
    layout->addItem(notesBalance_);

    importButton_ = new FilledActionButton(Icons::Name::Import, tr("Import File (CSV/TSV/Excel)"),
                                           Appearance::blue(), this);
    importButton_->setContentWidth(buttonContentWidth);
    importButton_->setToolTip(
        tr("Import a CSV, TSV or Excel table (%1)")
            .arg(QKeySequence(QKeySequence::Open).toString(QKeySequence::NativeText)));
    importButton_->setAccessibleDescription(tr("Choose a CSV, TSV or Excel table to convert"));
    connect(importButton_, &QAbstractButton::clicked, this, &MainColumn::importRequested);
    layout->addWidget(importButton_, 0, Qt::AlignHCenter);

    // The progress row and the result block take turns in one slot as tall as the taller of
    // them, so that the import button above stays where it is when one replaces the other.
    statusSlot_ = new QWidget(this);
    // Empty, it keeps its room, so the button does not move when the first result arrives.
    QSizePolicy keepsRoom = statusSlot_->sizePolicy();
    keepsRoom.setRetainSizeWhenHidden(true);
    statusSlot_->setSizePolicy(keepsRoom);
    status_ = new QStackedLayout(statusSlot_);
    status_->addWidget(makeProgressRow());
    status_->addWidget(makeResultBlock());
    layout->addWidget(statusSlot_, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    layout->addWidget(makeInstructions(), 0, Qt::AlignHCenter);

    setMinimumWidth(400);
    refreshIcons();
    showStatus(false, 0, std::nullopt);
}

QWidget* MainColumn::makeHeader() {
    auto* header = new QWidget(this);
    auto* layout = new QVBoxLayout(header);
    layout->setContentsMargins(0, edgePadding, 0, 0);
    layout->setSpacing(8);
    iconLabel_ = new QLabel(header);
    iconLabel_->setFixedSize(headerIconSize, headerIconSize);
    layout->addWidget(iconLabel_, 0, Qt::AlignHCenter);
    layout->addWidget(makeLabel(tr("Pellacor"), Role::LargeTitle, header, true), 0,
                      Qt::AlignHCenter);
    QLabel* subtitle =
        makeLabel(tr("Convert CSV/TSV/Excel files to FASTA format"), Role::Subheadline, header);
    Appearance::applySecondary(subtitle);
    layout->addWidget(subtitle, 0, Qt::AlignHCenter);
    return header;
}

QWidget* MainColumn::makeProgressRow() {
    progressRow_ = new QWidget(this);
    auto* column = new QVBoxLayout(progressRow_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    // Where the result block's first line is.
    column->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto* layout = new QHBoxLayout;
    layout->setSpacing(Appearance::defaultSpacing);
    // The stock spinner's size, scaled by 0.8.
    busy_ = new BusyIndicator(16, progressRow_);
    layout->addWidget(busy_, 0, Qt::AlignVCenter);
    QLabel* text = makeLabel(tr("Processing file..."), Role::Subheadline, progressRow_);
    Appearance::applySecondary(text);
    layout->addWidget(text, 0, Qt::AlignVCenter);
    column->addLayout(layout);
    column->setAlignment(layout, Qt::AlignHCenter);

    // Shown only once an import has taken a while: a quick one should not flash them.
    auto* bar = new QHBoxLayout;
    bar->setSpacing(Appearance::defaultSpacing);
    progressBar_ = new QProgressBar(progressRow_);
    progressBar_->setRange(0, 100);
    progressBar_->setTextVisible(true);
    progressBar_->setFormat(tr("%p%"));
    progressBar_->setFixedWidth(buttonContentWidth - 100);
    progressBar_->setAccessibleName(tr("Import progress"));
    progressBar_->setAccessibleDescription(tr("How much of the table has been read"));
    cancelButton_ = new QPushButton(tr("Cancel"), progressRow_);
    cancelButton_->setToolTip(tr("Stop reading the table; the last result stays (Esc)"));
    cancelButton_->setAccessibleDescription(cancelButton_->toolTip());
    connect(cancelButton_, &QAbstractButton::clicked, this, &MainColumn::cancelRequested);
    for (QWidget* part :
         {static_cast<QWidget*>(progressBar_), static_cast<QWidget*>(cancelButton_)}) {
        QSizePolicy keepsRoom = part->sizePolicy();
        keepsRoom.setRetainSizeWhenHidden(true);
        part->setSizePolicy(keepsRoom);
        part->setVisible(false);
        bar->addWidget(part, 0, Qt::AlignVCenter);
    }
    column->addLayout(bar);
    column->setAlignment(bar, Qt::AlignHCenter);
    return progressRow_;
}

QWidget* MainColumn::makeResultBlock() {
    resultBlock_ = new QWidget(this);
    auto* layout = new QVBoxLayout(resultBlock_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    auto* summary = new QWidget(resultBlock_);
    auto* summaryLayout = new QHBoxLayout(summary);
    summaryLayout->setContentsMargins(0, 0, 0, 0);
    summaryLayout->setSpacing(Appearance::defaultSpacing);
    checkLabel_ = new QLabel(summary);
    summaryLayout->addWidget(checkLabel_, 0, Qt::AlignVCenter);

    auto* lines = new QVBoxLayout;
    lines->setSpacing(notesSpacing);
    countLabel_ = makeLabel(QString(), Role::Subheadline, summary, true);
    typeLabel_ = makeLabel(QString(), Role::Caption, summary);
    Appearance::applySecondary(typeLabel_);
    notes_ = new QWidget(summary);
    auto* notesLayout = new QVBoxLayout(notes_);
    notesLayout->setContentsMargins(0, 0, 0, 0);
    notesLayout->setSpacing(notesSpacing);
    notes_->setVisible(false);
    lines->addWidget(countLabel_, 0, Qt::AlignLeft);
    lines->addWidget(typeLabel_, 0, Qt::AlignLeft);
    summaryLayout->addLayout(lines);
    showFastaButton_ = new QPushButton(tr("Show FASTA"), summary);
    showFastaButton_->setToolTip(
        tr("Show the FASTA text again (%1)").arg(showFastaKeys.toString(QKeySequence::NativeText)));
    showFastaButton_->setAccessibleDescription(showFastaButton_->toolTip());
    showFastaButton_->setShortcut(showFastaKeys);
    connect(showFastaButton_, &QAbstractButton::clicked, this, &MainColumn::showFastaRequested);
    summaryLayout->addWidget(showFastaButton_, 0, Qt::AlignVCenter);
    layout->addWidget(summary, 0, Qt::AlignHCenter);
    // Warnings under the lines that say what went well, as wide as the button.
    layout->addWidget(notes_, 0, Qt::AlignHCenter);

    exportButton_ = new FilledActionButton(Icons::Name::Export, tr("Export as FASTA"),
                                           Appearance::green(), resultBlock_);
    exportButton_->setContentWidth(buttonContentWidth);
    exportButton_->setAccessibleDescription(tr("Save the FASTA text as a file"));
    exportButton_->setToolTip(
        tr("Save the FASTA text as a file (%1)")
            .arg(QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText)));
    connect(exportButton_, &QAbstractButton::clicked, this, &MainColumn::exportRequested);
    layout->addWidget(exportButton_, 0, Qt::AlignHCenter);
    return resultBlock_;
}

QWidget* MainColumn::makeInstructions() {
    auto* block = new QWidget(this);
    auto* layout = new QVBoxLayout(block);
    layout->setContentsMargins(edgePadding, 0, edgePadding, edgePadding);
    layout->setSpacing(8);
    instructionsTitle_ = makeLabel(tr("Instructions:"), Role::Headline, block);
    layout->addWidget(instructionsTitle_, 0, Qt::AlignLeft);

    auto* steps = new QVBoxLayout;
    steps->setSpacing(4);
    for (int i = 0; i < 4; ++i) {
        const QString text;
        auto* row = new QHBoxLayout;
        row->setSpacing(Appearance::defaultSpacing);
        auto* icon = new QLabel(block);
        stepIcons_.append(icon);
        row->addWidget(icon, 0, Qt::AlignVCenter);
        QLabel* label = makeLabel(text, Role::Caption, block);
        Appearance::applySecondary(label);
        stepLabels_.append(label);
        row->addWidget(label, 0, Qt::AlignVCenter);
        row->addStretch(1);
        steps->addLayout(row);
    }
    layout->addLayout(steps);
    showColumnsUsed(nullptr);
    return block;
}

void MainColumn::showColumnsUsed(const ColumnLayout* layout) {
    QStringList texts;
    if (!layout) {
        instructionsTitle_->setText(tr("Instructions:"));
        texts = {tr("File should have at least 2 columns"), tr("Column 1: Sequence identifier"),
                 tr("Column 2: Sequence data"), tr("Column 3 (optional): Description")};
    } else {
        instructionsTitle_->setText(tr("Columns used:"));
        // "Column 3 (sgRNA Sequence)", or "Column 3" where the table names no columns.
        const auto column = [layout](std::size_t index) {
            const bool named = index < layout->names.size() && !layout->names[index].empty();
            const QString number = tr("Column %1").arg(layout->number(index));
            if (!named)
                return number;
            // The column is narrow; a long title keeps its start.
            QString name = QString::fromStdString(layout->names[index]);
            if (name.size() > 32)
                name = name.left(31) + QChar(0x2026);
            return tr("%1 (%2)").arg(number, name);
        };
        texts << (layout->hasHeader ? tr("Row 1: column names") : tr("No header row"));
        texts << (layout->identifier
                      ? tr("%1: Sequence identifier").arg(column(*layout->identifier))
                      : tr("Identifier: the row number"));
        QStringList sequences{column(layout->sequence)};
        for (const std::size_t more : layout->moreSequences)
            sequences << column(more);
        texts << tr("%1: Sequence data").arg(sequences.join(QStringLiteral(", ")));
        // Column 3 of a table no row reaches gave no description.
        const bool described = layout->description && *layout->description < layout->columns;
        texts << (described ? tr("%1: Description").arg(column(*layout->description))
                            : tr("Description: none"));
    }
    for (int i = 0; i < stepLabels_.size() && i < texts.size(); ++i)
        stepLabels_[i]->setText(texts[i]);
}

void MainColumn::refreshIcons() {
    const qreal ratio = devicePixelRatioF();
    iconLabel_->setPixmap(Icons::applicationPixmap(headerIconSize, ratio));
    const int checkSize = QFontMetrics(countLabel_->font()).height() + 4;
    checkLabel_->setPixmap(
        Icons::pixmap(Icons::Name::Check, Appearance::green(), checkSize, ratio));
    for (QLabel* icon : noteIcons_)
        icon->setPixmap(
            Icons::pixmap(Icons::Name::Warning, Appearance::amber(), captionIconSize(this), ratio));
    const Icons::Name steps[] = {Icons::Name::Step1, Icons::Name::Step2, Icons::Name::Step3,
                                 Icons::Name::Step4};
    const QColor ink = Appearance::secondary(this);
    for (int i = 0; i < stepIcons_.size(); ++i)
        stepIcons_[i]->setPixmap(Icons::pixmap(steps[i], ink, captionIconSize(this), ratio));
}

void MainColumn::showStatus(bool processing, qsizetype entryCount,
                            const std::optional<QString>& detectedFileType) {
    importButton_->setEnabled(!processing);
    const bool showResult = !processing && entryCount > 0;
    // An empty slot takes no room, as in a new window.
    statusSlot_->setVisible(processing || showResult);
    status_->setCurrentWidget(processing ? progressRow_ : resultBlock_);
    if (showResult) {
        countLabel_->setText(tr("Parsed %1 sequence(s)").arg(entryCount));
        typeLabel_->setVisible(detectedFileType.has_value());
        if (detectedFileType)
            typeLabel_->setText(tr("Detected: %1 format").arg(*detectedFileType));
    }
}

void MainColumn::showNotes(const QStringList& notes) {
    qDeleteAll(notes_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    noteLabels_.clear();
    noteIcons_.clear();
    auto* layout = static_cast<QVBoxLayout*>(notes_->layout());
    for (const QString& note : notes) {
        auto* row = new QWidget(notes_);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(6);
        auto* icon = new QLabel(row);
        icon->setAccessibleName(tr("Warning"));
        rowLayout->addWidget(icon, 0, Qt::AlignTop);
        QLabel* text = makeLabel(note, Role::Caption, row);
        QPalette palette = text->palette();
        palette.setColor(QPalette::WindowText, Appearance::amber());
        text->setPalette(palette);
        text->setWordWrap(true);
        // Wrapped at a set width to a height set with the text (see fitNotes): a label whose
        // height follows its width would make the scroll area around the column count every
        // part at its preferred height, and scroll where nothing needs to.
        QSizePolicy fixedLines = text->sizePolicy();
        fixedLines.setHeightForWidth(false);
        text->setSizePolicy(fixedLines);
        text->setAccessibleName(tr("Warning: %1").arg(note));
        rowLayout->addWidget(text, 1);
        layout->addWidget(row);
        noteIcons_.append(icon);
        noteLabels_.append(text);
    }
    notes_->setVisible(!notes.isEmpty());
    refreshIcons();
    fitNotes();
}

void MainColumn::fitNotes() {
    const int textWidth = buttonContentWidth - captionIconSize(this) - 6;
    int notesHeight = 0;
    for (QLabel* text : noteLabels_) {
        text->setFixedSize(textWidth, text->heightForWidth(textWidth));
        notesHeight += text->height() + notesSpacing;
    }
    if (!noteLabels_.isEmpty())
        notesHeight += 8 - notesSpacing; // the result block's spacing above the block
    // The import button sits between two equal stretches, so notes that make the block below
    // it taller would lift it by half their height: as much room goes above it, and it stays.
    notesBalance_->changeSize(0, notes_->isHidden() ? 0 : notesHeight, QSizePolicy::Minimum,
                              QSizePolicy::Preferred);
    layout()->invalidate();
}

void MainColumn::showProgress(bool shown, int percent) {
    progressBar_->setVisible(shown);
    cancelButton_->setVisible(shown);
    // A range of 0 to 0 makes the bar show that it is busy without an amount.
    progressBar_->setRange(0, percent < 0 ? 0 : 100);
    if (percent >= 0)
        progressBar_->setValue(percent);
}

void MainColumn::setShowFastaEnabled(bool enabled) {
    showFastaButton_->setEnabled(enabled);
}

void MainColumn::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        refreshIcons();
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitNotes();
}

} // namespace pellacor
