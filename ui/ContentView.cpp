#include "ui/ContentView.h"

#include "session/ConversionSession.h"
#include "ui/ColumnChooser.h"
#include "ui/FileDialogs.h"
#include "ui/MainColumn.h"
#include "ui/OutputPanel.h"
#include "ui/widgets/DropHighlight.h"

#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace pellacor {

namespace {

constexpr int slideMilliseconds = 250;
// How long an import runs before it shows its progress and a way to stop it.
constexpr int progressDelayMilliseconds = 500;

} // namespace

ContentView::ContentView(QWidget* parent)
    : QWidget(parent), ownDialogs_(std::make_unique<FileDialogs>(this)),
      session_(std::make_unique<ConversionSession>(*ownDialogs_)) {
    build();
}

ContentView::ContentView(SessionDialogs& dialogs, QWidget* parent)
    : QWidget(parent), session_(std::make_unique<ConversionSession>(dialogs)) {
    build();
}

ContentView::~ContentView() {
    // The session may call back into its dialogs while it winds down; they must still exist.
    session_.reset();
}

void ContentView::build() {
    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    // The column scrolls where the screen is too short for it, so that the window never has to
    // be taller than the screen.
    column_ = new MainColumn(this);
    columnArea_ = new QScrollArea(this);
    columnArea_->setFrameShape(QFrame::NoFrame);
    columnArea_->setWidgetResizable(true);
    columnArea_->setWidget(column_);
    columnArea_->setFocusPolicy(Qt::NoFocus);
    columnArea_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    // Its scroll bar takes width; while the column is held at its width the area makes room.
    columnArea_->verticalScrollBar()->installEventFilter(this);
    root->addWidget(columnArea_, 1);

    divider_ = new QFrame(this);
    divider_->setFrameShape(QFrame::VLine);
    divider_->setFrameShadow(QFrame::Plain);
    divider_->setFixedWidth(1);
    divider_->setForegroundRole(QPalette::Mid);
    root->addWidget(divider_);

    panel_ = new OutputPanel(this);
    panel_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    root->addWidget(panel_, 1);

    animation_ = new QPropertyAnimation(this, "panelReveal", this);
    animation_->setDuration(slideMilliseconds);
    animation_->setEasingCurve(QEasingCurve::InOutCubic);
    // Once a slide ends the panel's parts follow its own width again.
    connect(animation_, &QAbstractAnimation::finished, this, [this] { panel_->setSlideWidth(0); });

    dropHighlight_ = new DropHighlight(this);
    setAcceptDrops(true);
    bindSession();
    installShortcuts();
    refreshStatus();
    setPanelReveal(0);
}

void ContentView::bindSession() {
    ConversionSession* session = session_.get();
    connect(column_, &MainColumn::importRequested, session, &ConversionSession::startImport);
    connect(column_, &MainColumn::exportRequested, session, &ConversionSession::startExport);
    connect(panel_, &OutputPanel::closeRequested, session, &ConversionSession::closeOutputWindow);
    connect(panel_, &OutputPanel::copyRequested, session, &ConversionSession::copyToClipboard);
    connect(panel_, &OutputPanel::saveRequested, session, &ConversionSession::startExport);
    connect(panel_->columnChooser(), &ColumnChooser::choiceChanged, session,
            &ConversionSession::convertAgain);
    connect(session, &ConversionSession::conversionSummaryChanged, this, [this] {
        const ConversionSummary& summary = session_->conversionSummary();
        refreshColumns();
        QStringList warnings;
        for (const std::string& warning : summary.warnings())
            warnings << QString::fromStdString(warning);
        column_->showNotes(warnings);
        column_->showColumnsUsed(summary.layout ? &*summary.layout : nullptr);
    });
    connect(session, &ConversionSession::mendableLayoutChanged, this, [this] {
        refreshColumns();
        refreshPanel(true);
    });

    connect(column_, &MainColumn::cancelRequested, session, &ConversionSession::cancelImport);
    connect(column_, &MainColumn::showFastaRequested, session,
            &ConversionSession::reopenOutputWindow);
    connect(session, &ConversionSession::isProcessingChanged, this, &ContentView::refreshStatus);
    // The bar and Cancel come only when an import lasts: a quick one shows just the spinner.
    progressDelay_ = new QTimer(this);
    progressDelay_->setObjectName(QStringLiteral("progressDelay"));
    progressDelay_->setSingleShot(true);
    progressDelay_->setInterval(progressDelayMilliseconds);
    connect(progressDelay_, &QTimer::timeout, this, [this] {
        column_->showProgress(session_->isProcessing(), session_->importProgress());
    });
    connect(session, &ConversionSession::isProcessingChanged, this, [this](bool processing) {
        if (processing)
            progressDelay_->start();
        else
            progressDelay_->stop();
        column_->showProgress(false, -1);
    });
    connect(session, &ConversionSession::importProgressChanged, this, [this](int percent) {
        if (session_->isProcessing() && !progressDelay_->isActive())
            column_->showProgress(true, percent);
    });
    connect(session, &ConversionSession::parsedEntriesChanged, this, [this] {
        refreshStatus();
        // The window is named after the table it shows, as document windows are.
        window()->setWindowFilePath(QFile::decodeName(session_->importedPath()));
        // Every new text replaces the shown one, even when the bytes are the same.
        panel_->setText(session_->fastaContent());
        refreshPanel(false);
    });
    connect(session, &ConversionSession::detectedFileTypeChanged, this, [this] {
        refreshStatus();
        panel_->setSourceType(session_->detectedFileType());
    });
    // Only the panel's coming and going is animated, as the session asks.
    connect(session, &ConversionSession::showOutputWindowChanged, this, [this] {
        refreshPanel(true);
        column_->setShowFastaEnabled(!session_->showOutputWindow());
    });
    connect(session, &ConversionSession::showErrorChanged, this, &ContentView::presentAlerts);
    connect(session, &ConversionSession::showSuccessChanged, this, &ContentView::presentAlerts);
}

QWidget* ContentView::dropHighlight() const noexcept {
    return dropHighlight_;
}

void ContentView::refreshColumns() {
    const std::optional<ColumnLayout>& mendable = session_->mendableLayout();
    if (!mendable) {
        panel_->showColumns(session_->conversionSummary());
        return;
    }
    ConversionSummary failed;
    failed.layout = *mendable;
    panel_->showColumns(failed, session_->errorAlertText());
}

void ContentView::refreshStatus() {
    column_->showStatus(session_->isProcessing(), session_->parsedEntryCount(),
                        session_->detectedFileType());
}

} // namespace pellacor
