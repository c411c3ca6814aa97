#include "ui/ContentView.h"

#include "session/ConversionSession.h"
#include "ui/ChoiceRecorder.h"
#include "ui/DropHighlight.h"
#include "ui/FileDialogs.h"
#include "ui/MainColumn.h"
#include "ui/OutputPanel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPropertyAnimation>

#include <cmath>

namespace pellacor {

namespace {

constexpr int columnWidth = 400;
constexpr int panelMinimumWidth = 500;
constexpr int slideMilliseconds = 250;

} // namespace

ContentView::ContentView(QWidget* parent)
    : QWidget(parent), ownDialogs_(std::make_unique<FileDialogs>(this)),
      recorder_(std::make_unique<ChoiceRecorder>(*ownDialogs_)),
      session_(std::make_unique<ConversionSession>(*recorder_)) {
    build();
}

ContentView::ContentView(SessionDialogs& dialogs, QWidget* parent)
    : QWidget(parent), recorder_(std::make_unique<ChoiceRecorder>(dialogs)),
      session_(std::make_unique<ConversionSession>(*recorder_)) {
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

    column_ = new MainColumn(this);
    column_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    root->addWidget(column_, 1);

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

    connect(session, &ConversionSession::isProcessingChanged, this, &ContentView::refreshStatus);
    connect(session, &ConversionSession::parsedEntriesChanged, this, [this] {
        refreshStatus();
        // The window is named after the table it shows, as document windows are.
        window()->setWindowFilePath(recorder_->lastChosen());
    });
    connect(session, &ConversionSession::detectedFileTypeChanged, this, [this] {
        refreshStatus();
        panel_->setSourceType(session_->detectedFileType());
    });
    connect(session, &ConversionSession::fastaContentChanged, this, [this] {
        // Every new text replaces the shown one, even when the bytes are the same.
        panel_->setText(session_->fastaContent());
        refreshPanel(false);
    });
    // Only the panel's coming and going is animated, as the session asks.
    connect(session, &ConversionSession::showOutputWindowChanged, this,
            [this] { refreshPanel(true); });
    connect(session, &ConversionSession::showErrorChanged, this, &ContentView::presentAlerts);
    connect(session, &ConversionSession::showSuccessChanged, this, &ContentView::presentAlerts);
}

QWidget* ContentView::dropHighlight() const noexcept {
    return dropHighlight_;
}

void ContentView::refreshStatus() {
    column_->showStatus(session_->isProcessing(), session_->parsedEntryCount(),
                        session_->detectedFileType());
}

void ContentView::refreshPanel(bool animated) {
    const bool wanted = session_->showOutputWindow() && !session_->fastaContent().isEmpty();
    const qreal target = wanted ? 1.0 : 0.0;
    const bool sliding = animation_->state() == QAbstractAnimation::Running;
    if (!animated || !isVisible()) {
        animation_->stop();
        setPanelReveal(target);
        return;
    }
    if (!sliding && reveal_ == target) {
        setPanelReveal(target);
        return;
    }
    if (sliding && animation_->endValue().toReal() == target)
        return;
    // The panel slides in to fill what the 400-point column leaves (the window grows if that is
    // under 500), and out from whatever width it has; the column takes the rest meanwhile.
    slidePanelWidth_ = wanted ? std::max(panelMinimumWidth, width() - columnWidth - 1)
                              : std::max(1, panel_->width());
    panel_->setSlideWidth(slidePanelWidth_);
    animation_->stop();
    animation_->setStartValue(reveal_);
    animation_->setEndValue(target);
    animation_->start();
}

void ContentView::setPanelReveal(qreal reveal) {
    reveal_ = std::clamp(reveal, 0.0, 1.0);
    const bool holdColumn = session_->showOutputWindow();
    const bool sliding = animation_->state() == QAbstractAnimation::Running;

    if (reveal_ <= 0 || (!sliding && reveal_ < 1)) {
        panel_->hide();
        divider_->hide();
        panel_->setMinimumWidth(panelMinimumWidth);
        panel_->setMaximumWidth(QWIDGETSIZE_MAX);
        if (!sliding)
            panel_->setSlideWidth(0);
        // The first frame of a slide keeps the column wide; a column held at 400 with nothing
        // beside it stands in the middle, not at the left.
        const bool held = holdColumn && !sliding;
        column_->setMaximumWidth(held ? columnWidth : QWIDGETSIZE_MAX);
        layout()->setAlignment(column_, held ? Qt::AlignHCenter : Qt::Alignment());
        return;
    }
    layout()->setAlignment(column_, Qt::Alignment());
    panel_->show();
    divider_->show();
    if (reveal_ >= 1) {
        panel_->setMinimumWidth(panelMinimumWidth);
        panel_->setMaximumWidth(QWIDGETSIZE_MAX);
        if (!sliding)
            panel_->setSlideWidth(0);
        column_->setMaximumWidth(holdColumn ? columnWidth : QWIDGETSIZE_MAX);
        return;
    }
    const int panelWidth = static_cast<int>(std::lround(reveal_ * slidePanelWidth_));
    panel_->setMinimumWidth(panelWidth);
    panel_->setMaximumWidth(panelWidth);
    column_->setMaximumWidth(QWIDGETSIZE_MAX);
}

} // namespace pellacor
