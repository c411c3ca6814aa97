#include "ui/textview/MonospacedTextView.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QImage>
#include <QMimeData>
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

TEST_F(MonospacedTextViewTest, shows_each_stored_line_as_one_line_with_its_characters_as_stored) {
    view.setText(QByteArray(">seq1 first\nACGT\n>seq2\nTT--AA\n"));
    ASSERT_EQ(view.lineCount(), 5u);
    EXPECT_EQ(view.lineText(0), QStringLiteral(">seq1 first"));
    EXPECT_EQ(view.lineText(1), QStringLiteral("ACGT"));
    EXPECT_EQ(view.lineText(3), QStringLiteral("TT--AA"));
    EXPECT_EQ(view.lineText(4), QString());
    view.setText(QStringLiteral(">caf\u00e9 \u03b1-helix\nAC\u2014GT"));
    EXPECT_EQ(view.lineText(0), QStringLiteral(">caf\u00e9 \u03b1-helix"));
    EXPECT_EQ(view.lineText(1), QStringLiteral("AC\u2014GT"));
}

TEST_F(MonospacedTextViewTest, replaces_everything_on_every_update_even_with_the_same_or_no_text) {
    const QByteArray text = QByteArray("ACGTACGT\n").repeated(200);
    view.setText(text);
    view.verticalScrollBar()->setValue(50);
    view.setSelection(3, 30);
    QSignalSpy changed(&view, &MonospacedTextView::selectionChanged);

    view.setText(text);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    EXPECT_FALSE(view.hasSelection());
    EXPECT_EQ(changed.count(), 1);

    view.setText(QByteArray());
    EXPECT_EQ(view.lineCount(), 1u);
    EXPECT_EQ(view.lineText(0), QString());
    view.selectAll();
    EXPECT_FALSE(view.hasSelection());
    EXPECT_EQ(peak(inkProfile(render(), 0, 8, view.viewport()->width())), 0) << "an empty area";
}

TEST_F(MonospacedTextViewTest, draws_each_character_in_its_own_column_even_scrolled_sideways) {
    // Runs of dashes stay separate dashes. Scrolled sideways, only the columns in sight are
    // drawn; they must be the right ones at the right places.
    QByteArray longLine;
    for (int i = 0; i < 400; ++i)
        longLine += "AC-GT--T"[(i * 5 + i / 8) % 8];
    const std::pair<QList<QByteArray>, double> cases[] = {{{"A-B", "A--B", "A---B"}, 0.0},
                                                          {{longLine}, 137.4}};
    for (const auto& [lines, scrolledColumns] : cases) {
        view.setText(lines.join('\n'));
        QApplication::processEvents();
        const int scrolled = static_cast<int>(std::lround(scrolledColumns * view.columnWidth()));
        view.horizontalScrollBar()->setValue(scrolled);
        const QImage image = render();
        const QImage reference = drawnOneByOne(lines, scrolled);
        const int x0 = scrolled ? 8 : 0;
        for (int row = 0; row < lines.size(); ++row) {
            const std::vector<int> drawn = inkProfile(image, row, x0, image.width() - 20);
            EXPECT_GT(peak(drawn), 128) << "row " << row;
            EXPECT_LE(mismatches(drawn, inkProfile(reference, row, x0, image.width() - 20)), 2)
                << "row " << row << " scrolled " << scrolled;
        }
    }
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

TEST_F(MonospacedTextViewTest, draws_a_right_to_left_identifier_in_stored_order_marker_first) {
    // Reordered for right-to-left reading, the header's ">" would end up at the right.
    view.setText(QStringLiteral(">abcde\n>\u0645\u0631\u062d\u0628\u0627\n"));
    const QImage image = render();
    const int x0 = static_cast<int>(view.columnX(0));
    const int x1 = static_cast<int>(view.columnX(1));
    const std::vector<int> marker = inkProfile(image, 0, x0, x1);
    EXPECT_GT(peak(marker), 128);
    EXPECT_LE(mismatches(marker, inkProfile(image, 1, x0, x1)), 1);
    for (int column = 1; column <= 5; ++column)
        EXPECT_GT(peak(inkProfile(image, 1, static_cast<int>(view.columnX(column)),
                                  static_cast<int>(view.columnX(column + 1)))),
                  64)
            << "nothing in column " << column;
    EXPECT_EQ(peak(inkProfile(image, 1, static_cast<int>(view.columnX(6)), image.width())), 0);
}

TEST_F(MonospacedTextViewTest, keeps_the_grid_after_wide_characters_and_combining_marks) {
    // A wide character takes two columns, "e" with a combining accent one; what follows them
    // stands in the same columns as on a plain line.
    view.setText(QStringLiteral("ax-c\n\u4e2d-c\ne\u0301x-c\n"));
    const QImage image = render();
    const int x0 = static_cast<int>(view.columnX(2));
    const int x1 = static_cast<int>(view.columnX(4));
    const std::vector<int> plain = inkProfile(image, 0, x0, x1);
    EXPECT_LE(mismatches(plain, inkProfile(image, 1, x0, x1)), 1) << "after the wide character";
    EXPECT_LE(mismatches(plain, inkProfile(image, 2, x0, x1)), 1) << "after the accent";
    EXPECT_GT(peak(inkProfile(image, 1, static_cast<int>(view.columnX(1)), x0)), 128)
        << "the wide character fills its second column too";

    // The accent sits over its "e": its ink, above the x-height, stays in the first column.
    const int top = view.lineTop() + 2 * view.lineHeight();
    int left = image.width();
    int right = -1;
    for (int x = 0; x < x0; ++x)
        for (int y = top; y < top + view.lineHeight() / 3; ++y)
            if (qGray(image.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, 0) << "no accent drawn";
    EXPECT_GE(left, static_cast<int>(view.columnX(0)));
    EXPECT_LT(right, static_cast<int>(std::ceil(view.columnX(1))));
}

TEST_F(MonospacedTextViewTest, copies_the_selection_across_lines_and_select_all_takes_everything) {
    view.setText(QByteArray(">id\nACGT\nTTGG"));
    view.setSelection(6, 11);
    EXPECT_EQ(view.selectedText(), QStringLiteral("GT\nTT"));
    QApplication::clipboard()->setText(QStringLiteral("before"));
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("GT\nTT"));

    const QByteArray text(">a b\nAC--GT\n");
    view.setText(text);
    press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view.selectedText(), QString::fromUtf8(text)) << "including the last line feed";
    view.setText(QByteArray("ACGT"));
    view.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("GT\nTT"))
        << "copying without a selection leaves the clipboard alone";
}

TEST_F(MonospacedTextViewTest, selects_with_the_mouse_and_the_keyboard) {
    view.setText(QByteArray("ACGTACGT\nTTTTGGGG\nCCCC"));
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, cell(2, 0) - QPoint(3, 0));
    QTest::mouseMove(view.viewport(), cell(5, 1) - QPoint(3, 0));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, cell(5, 1) - QPoint(3, 0));
    EXPECT_EQ(view.selectedText(), QStringLiteral("GTACGT\nTTTTG"));

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
}

TEST_F(MonospacedTextViewTest, selection_steps_over_whole_characters_never_inside_one) {
    // "e" with a combining acute accent is one character of three bytes; "é" is two bytes.
    view.setText(QStringLiteral("e\u0301\u00e9A"));
    view.setFocus();
    press(Qt::Key_Home, Qt::ControlModifier);
    press(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedText(), QStringLiteral("e\u0301"));
    press(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedText(), QStringLiteral("e\u0301\u00e9"));
    view.setText(QStringLiteral("A\u00e9B"));
    view.setSelection(2, 4); // byte 2 is the middle of "\u00e9"
    EXPECT_EQ(view.selectionStart(), 1u);
    EXPECT_EQ(view.selectedText(), QStringLiteral("\u00e9B"));
}

TEST_F(MonospacedTextViewTest, holds_little_memory_beyond_the_text) {
    const QByteArray text = (QByteArray(80, 'A') + '\n').repeated(50000);
    view.setText(text);
    EXPECT_LE(view.memoryOverhead(), static_cast<std::size_t>(text.size()) / 10);
    EXPECT_EQ(view.text().constData(), text.constData()) << "the bytes are shared, not copied";
}

TEST_F(MonospacedTextViewTest, copying_everything_lends_the_clipboard_the_texts_own_bytes) {
    // Converting a whole large text for the clipboard would hold the window for seconds.
    const QByteArray text = QByteArray(">a\nACGT\n").repeated(1000);
    view.setText(text);
    press(Qt::Key_A, Qt::ControlModifier);
    press(Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->data(QStringLiteral("text/plain")).constData(), text.constData());
    view.setSelection(3, 7);
    view.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("ACGT"));
}

TEST_F(MonospacedTextViewTest, selecting_with_the_mouse_offers_the_text_for_middle_click_paste) {
    if (!QApplication::clipboard()->supportsSelection())
        GTEST_SKIP() << "this platform has no primary selection (run under X11 to check)";
    view.setText(QByteArray("ACGTACGT\nTTTTGGGG\n"));
    QApplication::clipboard()->setText(QStringLiteral("before"), QClipboard::Selection);
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, cell(2, 0) - QPoint(3, 0));
    QTest::mouseMove(view.viewport(), cell(4, 1) - QPoint(3, 0));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, cell(4, 1) - QPoint(3, 0));
    EXPECT_EQ(QApplication::clipboard()->text(QClipboard::Selection),
              QStringLiteral("GTACGT\nTTTT"));
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cell(1, 1));
    EXPECT_EQ(QApplication::clipboard()->text(QClipboard::Selection), QStringLiteral("TTTTGGGG"));
}
