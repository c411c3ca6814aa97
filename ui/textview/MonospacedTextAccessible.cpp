#include "ui/textview/MonospacedTextAccessible.h"

#include "ui/textview/MonospacedTextView.h"

#include <QScrollBar>

#include <algorithm>
#include <climits>

namespace pellacor {
namespace {

bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// UTF-16 units of the UTF-8 character that starts with `lead`.
int unitsOf(char lead) {
    return (static_cast<unsigned char>(lead) & 0xF8) == 0xF0 ? 2 : 1;
}

QAccessibleInterface* factory(const QString&, QObject* object) {
    if (auto* view = qobject_cast<MonospacedTextView*>(object))
        return new MonospacedTextAccessible(view);
    return nullptr;
}

} // namespace

MonospacedTextAccessible::MonospacedTextAccessible(MonospacedTextView* view)
    : QAccessibleWidget(view, QAccessible::EditableText) {}

void MonospacedTextAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

MonospacedTextView* MonospacedTextAccessible::view() const {
    return static_cast<MonospacedTextView*>(widget());
}

void* MonospacedTextAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State MonospacedTextAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

bool MonospacedTextAccessible::isAscii() const {
    const QByteArray& text = view()->text();
    if (checkedText_ != text.constData() || checkedSize_ != text.size()) {
        checkedText_ = text.constData();
        checkedSize_ = text.size();
        isAscii_ = std::none_of(text.begin(), text.end(),
                                [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    }
    return isAscii_;
}

std::size_t MonospacedTextAccessible::byteOffset(int offset) const {
    const QByteArray& text = view()->text();
    const auto size = static_cast<std::size_t>(text.size());
    if (offset <= 0)
        return 0;
    if (isAscii())
        return std::min(static_cast<std::size_t>(offset), size);
    std::size_t byte = 0;
    for (int units = 0; byte < size && units < offset;) {
        units += unitsOf(text[qsizetype(byte)]);
        ++byte;
        while (byte < size && isContinuation(text[qsizetype(byte)]))
            ++byte;
    }
    return byte;
}

int MonospacedTextAccessible::unitOffset(std::size_t byte) const {
    const QByteArray& text = view()->text();
    const std::size_t end = std::min(byte, static_cast<std::size_t>(text.size()));
    if (isAscii())
        return static_cast<int>(std::min<std::size_t>(end, INT_MAX));
    long long units = 0;
    for (std::size_t i = 0; i < end; ++i)
        if (!isContinuation(text[qsizetype(i)]))
            units += unitsOf(text[qsizetype(i)]);
    return static_cast<int>(std::min<long long>(units, INT_MAX));
}

int MonospacedTextAccessible::characterCount() const {
    return unitOffset(static_cast<std::size_t>(view()->text().size()));
}

QString MonospacedTextAccessible::text(int start, int end) const {
    const std::size_t from = byteOffset(start);
    const std::size_t to = std::max(from, byteOffset(end));
    return QString::fromUtf8(view()->text().constData() + from, qsizetype(to - from));
}

void MonospacedTextAccessible::selection(int index, int* start, int* end) const {
    *start = *end = 0;
    if (index != 0 || !view()->hasSelection())
        return;
    *start = unitOffset(view()->selectionStart());
    *end = unitOffset(view()->selectionEnd());
}

int MonospacedTextAccessible::selectionCount() const {
    return view()->hasSelection() ? 1 : 0;
}

void MonospacedTextAccessible::addSelection(int start, int end) {
    setSelection(0, start, end);
}

void MonospacedTextAccessible::removeSelection(int index) {
    if (index == 0)
        view()->setSelection(view()->selectionEnd(), view()->selectionEnd());
}

void MonospacedTextAccessible::setSelection(int index, int start, int end) {
    if (index == 0)
        view()->setSelection(byteOffset(start), byteOffset(end));
}

int MonospacedTextAccessible::cursorPosition() const {
    return unitOffset(view()->selectionEnd());
}

void MonospacedTextAccessible::setCursorPosition(int position) {
    const std::size_t byte = byteOffset(position);
    view()->setSelection(byte, byte);
}

QRect MonospacedTextAccessible::characterRect(int) const {
    // Finding a character's line would walk the text; readers manage with the text alone.
    return QRect();
}

int MonospacedTextAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint inViewport = view()->viewport()->mapFromGlobal(point);
    return unitOffset(view()->offsetAt(inViewport));
}

void MonospacedTextAccessible::scrollToSubstring(int start, int end) {
    view()->setSelection(byteOffset(start), byteOffset(end));
    view()->revealSelection();
}

QString MonospacedTextAccessible::attributes(int offset, int* start, int* end) const {
    // One font and colour throughout.
    *start = 0;
    *end = characterCount();
    (void)offset;
    return QString();
}

} // namespace pellacor
