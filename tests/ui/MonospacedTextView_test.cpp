#include "ui/MonospacedTextView.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using pellacor::MonospacedTextView;

namespace {

class MonospacedTextViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(400, 200);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    // Centre of the cell of `column` on visible row `row`, in viewport coordinates.
    QPoint cell(int column, int row) const {
        return QPoint(static_cast<int>(view.columnX(column) + view.columnWidth() / 2),
                      view.lineTop() + row * view.lineHeight() + view.lineHeight() / 2);
    }

    QImage render() {
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        view.viewport()->render(&painter);
        return image;
    }

    // How dark each pixel column of visible row `row` is, between x0 and x1.
    std::vector<int> inkProfile(const QImage& image, int row, int x0, int x1) const {
        std::vector<int> profile;
        const int top = view.lineTop() + row * view.lineHeight();
        for (int x = x0; x < x1; ++x) {
            int darkest = 0;
            for (int y = top; y < top + view.lineHeight(); ++y)
                darkest = std::max(darkest, 255 - qGray(image.pixel(x, y)));
            profile.push_back(darkest);
        }
        return profile;
    }

    // The lines drawn one character at a time, each at its column, scrolled left by `scrollX`.
    QImage drawnOneByOne(const QList<QByteArray>& lines, int scrollX) const {
        QImage reference(view.viewport()->size(), QImage::Format_RGB32);
        reference.fill(view.palette().color(QPalette::Base));
        QPainter painter(&reference);
        painter.setFont(view.font());
        painter.setPen(view.palette().color(QPalette::Text));
        const qreal ascent = std::ceil(QFontMetricsF(view.font()).ascent());
        for (int row = 0; row < lines.size(); ++row)
            for (int column = 0; column < lines[row].size(); ++column)
                painter.drawText(QPointF(view.columnX(column) - scrollX,
                                         view.lineTop() + row * view.lineHeight() + ascent),
                                 QString(QLatin1Char(lines[row][column])));
        return reference;
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&view, key, modifiers);
    }

    MonospacedTextView view;
};

int peak(const std::vector<int>& profile) {
    return profile.empty() ? 0 : *std::max_element(profile.begin(), profile.end());
}

int mismatches(const std::vector<int>& a, const std::vector<int>& b) {
    int count = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if ((a[i] > 128 && b[i] < 32) || (b[i] > 128 && a[i] < 32))
            ++count;
    return count;
}

} // namespace

// ---- What is shown ----

TEST_F(MonospacedTextViewTest, shows_each_stored_line_as_one_line) {
    view.setText(QByteArray(">seq1 first\nACGT\n>seq2\nTT--AA\n"));
    ASSERT_EQ(view.lineCount(), 5u);
    EXPECT_EQ(view.lineText(0), QStringLiteral(">seq1 first"));
    EXPECT_EQ(view.lineText(1), QStringLiteral("ACGT"));
    EXPECT_EQ(view.lineText(3), QStringLiteral("TT--AA"));
    EXPECT_EQ(view.lineText(4), QString());
}

TEST_F(MonospacedTextViewTest, shows_multi_byte_characters_as_stored) {
    view.setText(QStringLiteral(">caf\u00e9 \u03b1-helix\nAC\u2014GT"));
    EXPECT_EQ(view.lineText(0), QStringLiteral(">caf\u00e9 \u03b1-helix"));
    EXPECT_EQ(view.lineText(1), QStringLiteral("AC\u2014GT"));
}

TEST_F(MonospacedTextViewTest, replaces_everything_on_every_update_even_with_the_same_text) {
    QByteArray text;
    for (int i = 0; i < 200; ++i)
        text += "ACGTACGT\n";
    view.setText(text);
    view.verticalScrollBar()->setValue(50);
    view.setSelection(3, 30);
    QSignalSpy changed(&view, &MonospacedTextView::selectionChanged);

    view.setText(text);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    EXPECT_FALSE(view.hasSelection());
    EXPECT_EQ(changed.count(), 1);

    view.setText(QByteArray("short"));
    EXPECT_EQ(view.lineCount(), 1u);
    EXPECT_EQ(view.lineText(0), QStringLiteral("short"));
}

TEST_F(MonospacedTextViewTest, an_empty_text_shows_an_empty_area) {
    view.setText(QByteArray("ACGT"));
    view.setText(QByteArray());
    EXPECT_EQ(view.lineCount(), 1u);
    EXPECT_EQ(view.lineText(0), QString());
    view.selectAll();
    EXPECT_FALSE(view.hasSelection());
    const QImage image = render();
    const std::vector<int> ink = inkProfile(image, 0, 8, image.width());
    EXPECT_EQ(peak(ink), 0);
}

// ---- Drawn exactly as stored ----

TEST_F(MonospacedTextViewTest, draws_runs_of_dashes_as_separate_dashes_in_their_own_columns) {
    view.setText(QByteArray("A-B\nA--B\nA---B\n"));
    const QImage image = render();
    const QImage reference = drawnOneByOne({"A-B", "A--B", "A---B"}, 0);
    const int right = static_cast<int>(view.columnX(6));
    for (int row = 0; row < 3; ++row) {
        const std::vector<int> drawn = inkProfile(image, row, 0, right);
        const std::vector<int> expected = inkProfile(reference, row, 0, right);
        EXPECT_LE(mismatches(drawn, expected), 2) << "row " << row;
    }
}

TEST_F(MonospacedTextViewTest, a_line_scrolled_sideways_shows_the_columns_in_sight) {
    // Only the columns in sight are drawn; they must be the right ones at the right places.
    QByteArray line;
    for (int i = 0; i < 400; ++i)
        line += "AC-GT--T"[(i * 5 + i / 8) % 8];
    view.setText(line);
    QApplication::processEvents();
    const int scrolled = static_cast<int>(std::lround(137.4 * view.columnWidth()));
    view.horizontalScrollBar()->setValue(scrolled);
    const QImage image = render();
    const QImage reference = drawnOneByOne({line}, scrolled);
    const std::vector<int> drawn = inkProfile(image, 0, 8, image.width() - 20);
    const std::vector<int> expected = inkProfile(reference, 0, 8, image.width() - 20);
    EXPECT_GT(peak(drawn), 128);
    EXPECT_LE(mismatches(drawn, expected), 2);
}

TEST_F(MonospacedTextViewTest, puts_a_gap_in_the_same_column_on_lines_with_and_without_accents) {
    // The second line goes through shaping (a multi-byte character); its dash must still sit
    // in the third column like the first line's.
    view.setText(QStringLiteral("ee-x\n\u00e9e-x\n"));
    const QImage image = render();
    const int x0 = static_cast<int>(view.columnX(2));
    const int x1 = static_cast<int>(view.columnX(3));
    const std::vector<int> plain = inkProfile(image, 0, x0, x1);
    const std::vector<int> shaped = inkProfile(image, 1, x0, x1);
    EXPECT_GT(peak(plain), 128);
    EXPECT_LE(mismatches(plain, shaped), 1);
}

TEST_F(MonospacedTextViewTest, never_wraps_and_shows_scroll_bars_only_when_needed) {
    view.setText(QByteArray(300, 'A') + "\nAC");
    QApplication::processEvents();
    EXPECT_EQ(view.lineCount(), 2u);
    EXPECT_TRUE(view.horizontalScrollBar()->isVisible());
    EXPECT_FALSE(view.verticalScrollBar()->isVisible());
    EXPECT_GE(view.horizontalScrollBar()->maximum(),
              static_cast<int>(300 * view.columnWidth()) - view.viewport()->width());

    QByteArray tall;
    for (int i = 0; i < 100; ++i)
        tall += "ACGT\n";
    view.setText(tall);
    QApplication::processEvents();
    EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
    EXPECT_TRUE(view.verticalScrollBar()->isVisible());

    view.setText(QByteArray("AC"));
    QApplication::processEvents();
    EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
    EXPECT_FALSE(view.verticalScrollBar()->isVisible());
}

TEST_F(MonospacedTextViewTest, paints_the_lines_scrolled_into_sight) {
    QByteArray text;
    for (int i = 0; i < 100; ++i)
        text += i == 60 ? "-----\n" : "\n";
    view.setText(text);
    EXPECT_EQ(peak(inkProfile(render(), 0, 8, 100)), 0);
    view.verticalScrollBar()->setValue(60);
    EXPECT_GT(peak(inkProfile(render(), 0, 8, 100)), 128);
}

// ---- Selection and copy ----

TEST_F(MonospacedTextViewTest, copies_the_selection_across_lines) {
    view.setText(QByteArray(">id\nACGT\nTTGG"));
    view.setSelection(6, 11);
    EXPECT_EQ(view.selectedText(), QStringLiteral("GT\nTT"));
    QApplication::clipboard()->setText(QStringLiteral("before"));
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("GT\nTT"));
}

TEST_F(MonospacedTextViewTest, copying_without_a_selection_leaves_the_clipboard_alone) {
    view.setText(QByteArray("ACGT"));
    QApplication::clipboard()->setText(QStringLiteral("before"));
    view.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
}

TEST_F(MonospacedTextViewTest, select_all_takes_the_whole_text_including_the_last_line_feed) {
    const QByteArray text(">a b\nAC--GT\n");
    view.setText(text);
    press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view.selectedText(), QString::fromUtf8(text));
}

TEST_F(MonospacedTextViewTest, selects_with_the_mouse_from_press_to_release) {
    view.setText(QByteArray("ACGTACGT\nTTTTGGGG\n"));
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, cell(2, 0) - QPoint(3, 0));
    QTest::mouseMove(view.viewport(), cell(5, 1) - QPoint(3, 0));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, cell(5, 1) - QPoint(3, 0));
    EXPECT_EQ(view.selectedText(), QStringLiteral("GTACGT\nTTTTG"));
}

TEST_F(MonospacedTextViewTest, double_click_selects_the_run_of_characters_under_the_pointer) {
    view.setText(QByteArray(">seq_7 sample record"));
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cell(3, 0));
    EXPECT_EQ(view.selectedText(), QStringLiteral(">seq_7"));
}

TEST_F(MonospacedTextViewTest, selects_with_the_keyboard_by_character_line_and_line_end) {
    view.setText(QByteArray("ACGTACGT\nTTTTGGGG\nCCCC"));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell(2, 0) - QPoint(3, 0));
    press(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedText(), QStringLiteral("G"));
    press(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedText(), QStringLiteral("GTACGT"));
    press(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedText(), QStringLiteral("GTACGT\nTTTTGGGG"));
    press(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedText(), QStringLiteral("GTACGT\nTTTTGGGG\nCCCC"))
        << "moving down to a shorter line stops at its end";
    press(Qt::Key_Home);
    EXPECT_FALSE(view.hasSelection());
    press(Qt::Key_End, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(view.selectedText(), QStringLiteral("CCCC"));
}

TEST_F(MonospacedTextViewTest, keyboard_steps_over_whole_characters_never_inside_one) {
    // "e" with a combining acute accent is one character of three bytes; "é" is two bytes.
    view.setText(QStringLiteral("e\u0301\u00e9A"));
    view.setFocus();
    press(Qt::Key_Home, Qt::ControlModifier);
    press(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedText(), QStringLiteral("e\u0301"));
    press(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedText(), QStringLiteral("e\u0301\u00e9"));
}

TEST_F(MonospacedTextViewTest, a_selection_inside_a_character_moves_to_its_start) {
    view.setText(QStringLiteral("A\u00e9B"));
    view.setSelection(2, 4); // byte 2 is the middle of "é"
    EXPECT_EQ(view.selectionStart(), 1u);
    EXPECT_EQ(view.selectedText(), QStringLiteral("\u00e9B"));
}

TEST_F(MonospacedTextViewTest, page_down_scrolls_a_page_and_page_up_returns) {
    QByteArray text;
    for (int i = 0; i < 500; ++i)
        text += QByteArray::number(i) + '\n';
    view.setText(text);
    view.setFocus();
    const int page = view.verticalScrollBar()->pageStep();
    ASSERT_GT(page, 1);
    press(Qt::Key_PageDown);
    EXPECT_EQ(view.verticalScrollBar()->value(), page);
    press(Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(view.verticalScrollBar()->value(), 2 * page);
    EXPECT_EQ(view.selectedText().count(QLatin1Char('\n')), page);
    press(Qt::Key_PageUp);
    EXPECT_EQ(view.verticalScrollBar()->value(), page);
    press(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
}

TEST_F(MonospacedTextViewTest, holds_little_memory_beyond_the_text) {
    QByteArray text;
    for (int i = 0; i < 50000; ++i)
        text += QByteArray(80, 'A') + '\n';
    view.setText(text);
    EXPECT_LE(view.memoryOverhead(), static_cast<std::size_t>(text.size()) / 10);
    EXPECT_EQ(view.text().constData(), text.constData()) << "the bytes are shared, not copied";
}
