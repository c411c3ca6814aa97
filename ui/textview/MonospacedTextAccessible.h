#pragma once

#include <QAccessibleWidget>

#include <cstddef>

namespace pellacor {

class MonospacedTextView;

/// What a screen reader sees of a text view: a read-only, multi-line text whose characters it
/// can read, with the selection and the cursor. Offsets count UTF-16 units, as Qt's do; for
/// text all ASCII (most FASTA text), they are the view's byte offsets.
class MonospacedTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit MonospacedTextAccessible(MonospacedTextView* view);

    /// Makes every text view answer with this; call once the application exists.
    static void install();

    using QAccessibleWidget::text;
    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;

    // QAccessibleTextInterface
    void selection(int index, int* start, int* end) const override;
    int selectionCount() const override;
    void addSelection(int start, int end) override;
    void removeSelection(int index) override;
    void setSelection(int index, int start, int end) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int start, int end) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int start, int end) override;
    QString attributes(int offset, int* start, int* end) const override;

private:
    MonospacedTextView* view() const;
    // Between the view's byte offsets and UTF-16 offsets.
    std::size_t byteOffset(int offset) const;
    int unitOffset(std::size_t byte) const;
    // Whether the text shown is all ASCII, found once per text.
    bool isAscii() const;

    mutable const char* checkedText_ = nullptr;
    mutable qsizetype checkedSize_ = -1;
    mutable bool isAscii_ = true;
};

} // namespace pellacor
