#pragma once

#include "ui/textview/TextSearch.h"

#include <QByteArray>
#include <QWidget>

#include <cstddef>

class QLabel;
class QLineEdit;

namespace pellacor {

class IconButton;
class MonospacedTextView;

/// The output panel's find bar: finds the typed text in the text view as it is typed, then the
/// next hit (Enter, F3) or the previous one (Shift+Enter, Shift+F3), going on from the other
/// end after the last one, and selects each hit, scrolls it into sight and says which hit it
/// is of how many. Which key closes
/// it is the window's affair, since Escape closes the panel too.
class FindBar : public QWidget {
    Q_OBJECT

public:
    /// A hidden bar that searches `view`, which must outlive it.
    explicit FindBar(MonospacedTextView* view, QWidget* parent = nullptr);

    /// Shows the bar and puts the keyboard in its field, with the field's text selected.
    void open();
    /// Hides the bar and gives the keyboard back to the text view; the last hit stays selected.
    void dismiss();
    /// Selects the next hit after the selection (or the first of all); false when there is none.
    bool findNext();
    /// Selects the last hit before the selection (or the last of all); false when there is none.
    bool findPrevious();
    /// Forgets the term, the last hit and its message; for when the view shows a new text.
    void reset();

    /// The field the text to find is typed in.
    QLineEdit* field() const noexcept { return field_; }
    /// The line that says "Not found" or that the search went on from the other end.
    QLabel* statusLabel() const noexcept { return status_; }
    /// The line that says which hit is selected of how many: "3 of 12".
    QLabel* countLabel() const noexcept { return count_; }
    /// The "previous hit" button.
    IconButton* previousButton() const noexcept { return previous_; }
    /// The "next hit" button.
    IconButton* nextButton() const noexcept { return next_; }
    /// The button that closes the bar.
    IconButton* closeButton() const noexcept { return close_; }

signals:
    /// The bar's own close button was pressed.
    void closeRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void typed();
    bool ownsSelection() const;
    bool find(std::size_t from, TextSearch::Direction direction);
    void showStatus(const QString& text);
    void showCount(const QByteArray& needle);

    MonospacedTextView* view_;
    QLineEdit* field_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* count_ = nullptr;
    IconButton* previous_ = nullptr;
    IconButton* next_ = nullptr;
    IconButton* close_ = nullptr;

    // The last hit as found, and the selection that shows it, which may be shorter (it never
    // ends inside a character): while that selection stands, searches go on from the hit.
    std::size_t hitStart_ = 0;
    std::size_t hitEnd_ = 0;
    std::size_t shownStart_ = 0;
    std::size_t shownEnd_ = 0;
    bool hasHit_ = false;
    // A longer needle cannot be found where a shorter one it begins with was not.
    QByteArray missedNeedle_;
};

} // namespace pellacor
