#include "ui/textview/FindBar.h"

#include "ui/textview/MonospacedTextView.h"
#include "ui/widgets/IconButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using pellacor::FindBar;
using pellacor::MonospacedTextView;

namespace {

// 6,000 lines of residues with "GATTACA" on three of them, the middle one far to the right of
// a long line, so that every hit needs scrolling to be seen.
QByteArray textWithHits() {
    QByteArray text;
    for (int line = 0; line < 6000; ++line) {
        QByteArray row(80, 'C');
        if (line == 1000)
            row.replace(10, 7, "GATTACA");
        if (line == 3000)
            row = QByteArray(500, 'C').replace(400, 7, "gattaca");
        if (line == 5000)
            row.replace(70, 7, "GATTACA");
        text += row + '\n';
    }
    return text;
}

class FindBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&bar);
        layout->addWidget(&view);
        window.resize(500, 300);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        view.setText(text);
        bar.open();
    }

    std::size_t offsetOf(int line, int column) const {
        return static_cast<std::size_t>(line) * 81 + static_cast<std::size_t>(column) +
               (line > 3000 ? 420 : 0);
    }

    // True when the selection starts on a line in sight and at a column in sight.
    bool selectionInSight() const {
        const std::size_t start = view.selectionStart();
        const QByteArray before = text.left(static_cast<qsizetype>(start));
        const int line = static_cast<int>(before.count('\n'));
        const int column =
            static_cast<int>(start - static_cast<std::size_t>(before.lastIndexOf('\n') + 1));
        const int first = view.verticalScrollBar()->value();
        const int rows = (view.viewport()->height() - view.lineTop()) / view.lineHeight();
        const qreal x =
            view.columnX(static_cast<std::size_t>(column)) - view.horizontalScrollBar()->value();
        return line >= first && line < first + rows && x >= 0 &&
               x + 7 * view.columnWidth() <= view.viewport()->width();
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(bar.field(), key, modifiers);
    }

    QString status() const {
        return bar.statusLabel()->isVisible() ? bar.statusLabel()->text() : QString();
    }

    const QByteArray text = textWithHits();
    QWidget window;
    MonospacedTextView view{&window};
    FindBar bar{&view, &window};
};

} // namespace

TEST_F(FindBarTest, typing_selects_the_first_hit_in_either_case_and_scrolls_it_into_sight) {
    QTest::keyClicks(bar.field(), QStringLiteral("gatt"));
    EXPECT_EQ(view.selectionStart(), offsetOf(1000, 10));
    EXPECT_EQ(view.selectedText(), QStringLiteral("GATT"));
    EXPECT_TRUE(selectionInSight());
    QTest::keyClicks(bar.field(), QStringLiteral("aca"));
    EXPECT_EQ(view.selectionStart(), offsetOf(1000, 10)) << "a longer needle stays on its hit";
    EXPECT_EQ(view.selectedText(), QStringLiteral("GATTACA"));
    EXPECT_EQ(status(), QString());
}

TEST_F(FindBarTest, enter_goes_to_the_next_hit_and_after_the_last_one_to_the_first) {
    QTest::keyClicks(bar.field(), QStringLiteral("GATTACA"));
    press(Qt::Key_Return);
    EXPECT_EQ(view.selectionStart(), offsetOf(3000, 400));
    EXPECT_EQ(view.selectedText(), QStringLiteral("gattaca"));
    EXPECT_TRUE(selectionInSight()) << "scrolled sideways to column 400";
    press(Qt::Key_Enter);
    EXPECT_EQ(view.selectionStart(), offsetOf(5000, 70));
    EXPECT_TRUE(selectionInSight());
    EXPECT_EQ(status(), QString());
    EXPECT_TRUE(bar.findNext());
    EXPECT_EQ(view.selectionStart(), offsetOf(1000, 10));
    EXPECT_TRUE(selectionInSight());
    EXPECT_EQ(view.horizontalScrollBar()->value(), 0) << "back at the start of the lines";
    EXPECT_EQ(status(), QStringLiteral("Continued from the top"));
}

TEST_F(FindBarTest, shift_enter_goes_back_and_before_the_first_hit_to_the_last) {
    QTest::keyClicks(bar.field(), QStringLiteral("GATTACA"));
    press(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(view.selectionStart(), offsetOf(5000, 70));
    EXPECT_EQ(status(), QStringLiteral("Continued from the bottom"));
    QTest::mouseClick(bar.previousButton(), Qt::LeftButton);
    EXPECT_EQ(view.selectionStart(), offsetOf(3000, 400));
    EXPECT_EQ(status(), QString());
}

TEST_F(FindBarTest, says_not_found_and_leaves_the_last_hit_selected) {
    QTest::keyClicks(bar.field(), QStringLiteral("GATTACA"));
    QTest::keyClicks(bar.field(), QStringLiteral("T"));
    EXPECT_EQ(status(), QStringLiteral("Not found"));
    EXPECT_EQ(view.selectedText(), QStringLiteral("GATTACA"));
    EXPECT_FALSE(bar.findNext());
    QTest::keyClick(bar.field(), Qt::Key_Backspace);
    EXPECT_TRUE(bar.findNext()) << "a shorter needle is looked for again";
    EXPECT_EQ(view.selectionStart(), offsetOf(3000, 400));
}

TEST_F(FindBarTest, goes_on_from_where_the_reader_moved_the_selection) {
    QTest::keyClicks(bar.field(), QStringLiteral("GATTACA"));
    view.setSelection(offsetOf(4000, 0), offsetOf(4000, 0));
    EXPECT_TRUE(bar.findNext());
    EXPECT_EQ(view.selectionStart(), offsetOf(5000, 70));
    view.setSelection(offsetOf(4000, 0), offsetOf(4000, 0));
    EXPECT_TRUE(bar.findPrevious());
    EXPECT_EQ(view.selectionStart(), offsetOf(3000, 400));
}

TEST_F(FindBarTest, the_bar_says_which_hit_of_how_many_and_a_new_text_clears_the_term) {
    QTest::keyClicks(bar.field(), QStringLiteral("GATTACA"));
    EXPECT_EQ(bar.countLabel()->text(), QStringLiteral("1 of 3"));
    press(Qt::Key_Return);
    EXPECT_EQ(bar.countLabel()->text(), QStringLiteral("2 of 3"));
    press(Qt::Key_Return, Qt::ShiftModifier);
    press(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(bar.countLabel()->text(), QStringLiteral("3 of 3")) << "went round to the last";
    QTest::keyClicks(bar.field(), QStringLiteral("X"));
    EXPECT_FALSE(bar.countLabel()->isVisible()) << "no count beside \"Not found\"";
    // Reopened on the same text the term stays, selected to be typed over.
    bar.dismiss();
    bar.open();
    EXPECT_EQ(bar.field()->text(), QStringLiteral("GATTACAX"));
    EXPECT_EQ(bar.field()->selectedText(), QStringLiteral("GATTACAX"));
    // Another text: the term goes with the old one.
    view.setText(QByteArray("ACGT\n"));
    bar.reset();
    EXPECT_TRUE(bar.field()->text().isEmpty());
    EXPECT_FALSE(bar.countLabel()->isVisible());
    // A needle found everywhere is counted only so far.
    view.setText(QByteArray(20000, 'A'));
    bar.reset();
    QTest::keyClicks(bar.field(), QStringLiteral("A"));
    EXPECT_EQ(bar.countLabel()->text(), QStringLiteral("1 of 10,000+"));
}
