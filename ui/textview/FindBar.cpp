#include "ui/textview/FindBar.h"

#include "ui/textview/MonospacedTextView.h"
#include "ui/widgets/Appearance.h"
#include "ui/widgets/IconButton.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>

#include <string_view>

namespace pellacor {

namespace {

constexpr int iconSize = 16;
// Hits counted at most: past that a count says little, and counting takes long.
constexpr int countedHits = 10000;

QString keyName(QKeySequence::StandardKey key) {
    return QKeySequence(key).toString(QKeySequence::NativeText);
}

} // namespace

FindBar::FindBar(MonospacedTextView* view, QWidget* parent) : QWidget(parent), view_(view) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    field_ = new QLineEdit(this);
    field_->setPlaceholderText(tr("Find in the FASTA text"));
    field_->setAccessibleName(tr("Find"));
    field_->setAccessibleDescription(tr("The text to find in the FASTA text"));
    field_->setClearButtonEnabled(true);
    // The field's own clear button comes unnamed.
    for (QAction* action : field_->actions())
        action->setText(tr("Clear the find field"));
    for (QToolButton* child : field_->findChildren<QToolButton*>())
        child->setAccessibleName(tr("Clear the find field"));
    field_->installEventFilter(this);
    layout->addWidget(field_, 1);

    status_ = new QLabel(this);
    status_->setTextFormat(Qt::PlainText);
    Appearance::applyText(status_, Appearance::TextRole::Caption);
    Appearance::applySecondary(status_);
    layout->addWidget(status_);
    count_ = new QLabel(this);
    count_->setTextFormat(Qt::PlainText);
    Appearance::applyText(count_, Appearance::TextRole::Caption);
    Appearance::applySecondary(count_);
    count_->setAccessibleName(tr("Matches"));
    count_->hide();
    layout->addWidget(count_);

    const QString enter = QKeySequence(Qt::Key_Return).toString(QKeySequence::NativeText);
    previous_ = new IconButton(
        Icons::Name::Previous, iconSize,
        tr("Previous match (Shift+%1, %2)").arg(enter, keyName(QKeySequence::FindPrevious)), this);
    next_ =
        new IconButton(Icons::Name::Next, iconSize,
                       tr("Next match (%1, %2)").arg(enter, keyName(QKeySequence::FindNext)), this);
    close_ = new IconButton(Icons::Name::Close, iconSize, tr("Close the find bar (Esc)"), this);
    layout->addWidget(previous_);
    layout->addWidget(next_);
    layout->addWidget(close_);

    connect(field_, &QLineEdit::textChanged, this, &FindBar::typed);
    connect(previous_, &QAbstractButton::clicked, this, &FindBar::findPrevious);
    connect(next_, &QAbstractButton::clicked, this, &FindBar::findNext);
    connect(close_, &QAbstractButton::clicked, this, &FindBar::closeRequested);
    hide();
}

void FindBar::open() {
    show();
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

void FindBar::dismiss() {
    hide();
    showStatus(QString());
    view_->setFocus(Qt::OtherFocusReason);
}

void FindBar::reset() {
    // A term typed for another text is rarely wanted for this one.
    field_->blockSignals(true);
    field_->clear();
    field_->blockSignals(false);
    hasHit_ = false;
    missedNeedle_.clear();
    showStatus(QString());
    count_->hide();
}

bool FindBar::ownsSelection() const {
    return hasHit_ && view_->selectionStart() == shownStart_ && view_->selectionEnd() == shownEnd_;
}

void FindBar::typed() {
    // As the needle grows, the hit stays where it is if the longer needle is found there too.
    const std::size_t from = ownsSelection() ? hitStart_ : view_->selectionStart();
    if (field_->text().isEmpty()) {
        hasHit_ = false;
        showStatus(QString());
        count_->hide();
        view_->setSelection(from, from);
        return;
    }
    find(from, TextSearch::Direction::Forward);
}

bool FindBar::findNext() {
    return find(ownsSelection() ? hitEnd_ : view_->selectionEnd(), TextSearch::Direction::Forward);
}

bool FindBar::findPrevious() {
    return find(ownsSelection() ? hitStart_ : view_->selectionStart(),
                TextSearch::Direction::Backward);
}

bool FindBar::find(std::size_t from, TextSearch::Direction direction) {
    const QByteArray needle = field_->text().toUtf8();
    if (needle.isEmpty())
        return false;
    const QByteArray& text = view_->text();
    const bool knownMissing = !missedNeedle_.isEmpty() && needle.contains(missedNeedle_);
    const auto hit =
        knownMissing
            ? std::nullopt
            : TextSearch::wrapping(std::string_view(text.constData(), std::size_t(text.size())),
                                   std::string_view(needle.constData(), std::size_t(needle.size())),
                                   from, direction);
    if (!hit) {
        // The search went round the whole text.
        missedNeedle_ = needle;
        hasHit_ = false;
        showStatus(tr("Not found"));
        count_->hide();
        return false;
    }
    hitStart_ = hit->offset;
    hitEnd_ = hit->offset + static_cast<std::size_t>(needle.size());
    view_->setSelection(hitStart_, hitEnd_);
    view_->revealSelection();
    shownStart_ = view_->selectionStart();
    shownEnd_ = view_->selectionEnd();
    hasHit_ = true;
    showCount(needle);
    if (!hit->wrapped)
        showStatus(QString());
    else if (direction == TextSearch::Direction::Forward)
        showStatus(tr("Continued from the top"));
    else
        showStatus(tr("Continued from the bottom"));
    return true;
}

void FindBar::showCount(const QByteArray& needle) {
    const QByteArray& text = view_->text();
    const std::string_view haystack(text.constData(), std::size_t(text.size()));
    const std::string_view sought(needle.constData(), std::size_t(needle.size()));
    int before = 0;
    int total = 0;
    for (std::optional<std::size_t> at = TextSearch::forward(haystack, sought, 0);
         at && total < countedHits; at = TextSearch::forward(haystack, sought, *at + 1)) {
        if (*at < hitStart_)
            ++before;
        ++total;
    }
    const QLocale locale;
    count_->setText(total >= countedHits && before + 1 >= countedHits
                        ? tr("%1+ of %1+").arg(locale.toString(countedHits))
                    : total >= countedHits
                        ? tr("%1 of %2+").arg(locale.toString(before + 1), locale.toString(total))
                        : tr("%1 of %2").arg(locale.toString(before + 1), locale.toString(total)));
    count_->show();
}

void FindBar::showStatus(const QString& text) {
    status_->setText(text);
    status_->setVisible(!text.isEmpty());
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ShiftModifier)
                findPrevious();
            else
                findNext();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace pellacor
