// The preview of a table's first rows: titles, roles, the header row and the menu of roles.
#include "readers/ColumnLayout.h"
#include "ui/TablePreview.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace pellacor {
namespace {

// A header row and two records; the sequence in column 3, the identifier in column 2.
ColumnLayout primerSheet() {
    ColumnLayout layout;
    layout.names = {"#", "Primer name", "sgRNA Sequence", "Notes"};
    layout.columns = 4;
    layout.hasHeader = true;
    layout.identifier = 1;
    layout.sequence = 2;
    layout.description = std::nullopt;
    layout.preview = {{"#", "Primer name", "sgRNA Sequence", "Notes"},
                      {"1", "GRB2_F", "ACGTACGT", "first\nline"},
                      {"2", "GRB2_R", "TTGGCCAA"}};
    return layout;
}

QString title(const TablePreview& preview, int column) {
    return preview.horizontalHeaderItem(column)->text();
}

TEST(TablePreview, titles_mark_the_roles_and_the_header_row_reads_as_a_title) {
    TablePreview preview;
    const ColumnLayout layout = primerSheet();
    preview.showTable(&layout);
    EXPECT_FALSE(preview.isHidden());
    ASSERT_EQ(preview.columnCount(), 4);
    ASSERT_EQ(preview.rowCount(), 3);
    EXPECT_EQ(title(preview, 0), "#");
    EXPECT_EQ(title(preview, 1), "ID: Primer name");
    EXPECT_EQ(title(preview, 2), "Sequence: sgRNA Sequence");
    EXPECT_EQ(title(preview, 3), "Notes");
    // The columns used are tinted, the others not.
    EXPECT_NE(preview.item(1, 2)->background(), preview.item(1, 0)->background());
    EXPECT_NE(preview.item(1, 1)->background(), preview.item(1, 2)->background());
    EXPECT_TRUE(preview.item(0, 3)->font().bold());
    EXPECT_FALSE(preview.item(1, 3)->font().bold());
    // A line break inside a cell keeps the row one line high; a short row leaves cells empty.
    EXPECT_EQ(preview.item(1, 3)->text(), "first line");
    EXPECT_EQ(preview.item(2, 3)->text(), "");
    EXPECT_EQ(preview.wordWrap(), false);
}

TEST(TablePreview, a_table_without_a_header_is_titled_by_number_as_the_sheet_counts) {
    TablePreview preview;
    ColumnLayout layout;
    layout.columns = 2;
    layout.leadingEmpty = 1;
    layout.description = std::nullopt;
    layout.preview = {{"s1", "ACGT"}, {"s2", "GG"}};
    preview.showTable(&layout);
    EXPECT_EQ(title(preview, 0), "ID: Column 2");
    EXPECT_EQ(title(preview, 1), "Sequence: Column 3");
    EXPECT_FALSE(preview.item(0, 0)->font().bold());
    // No table, or one with no rows: nothing to show.
    preview.showTable(nullptr);
    EXPECT_TRUE(preview.isHidden());
    layout.preview.clear();
    preview.showTable(&layout);
    EXPECT_TRUE(preview.isHidden());
}

TEST(TablePreview, a_header_click_offers_the_roles_and_tells_the_column_by_its_number) {
    TablePreview preview;
    ColumnLayout layout = primerSheet();
    layout.leadingEmpty = 2;
    preview.showTable(&layout);
    preview.resize(600, preview.sizeHint().height());
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    QSignalSpy chosen(&preview, &TablePreview::roleChosen);
    QHeaderView* header = preview.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
    QMenu* menu = preview.roleMenu();
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[2]->text(), "Use as description");
    EXPECT_FALSE(actions[2]->isChecked());
    actions[2]->trigger();
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].value<ColumnRole>(), ColumnRole::description);
    // Column 4 of the grid, after two empty ones: the sheet's column 6.
    EXPECT_EQ(chosen[0][1].value<std::size_t>(), 6u);
    menu->close();

    // From the keyboard: Space on a cell opens its column's menu, the current role checked.
    preview.setFocus();
    preview.setCurrentCell(1, 2);
    QTest::keyClick(&preview, Qt::Key_Space);
    ASSERT_NE(preview.roleMenu(), nullptr);
    EXPECT_TRUE(preview.roleMenu()->actions()[1]->isChecked());
    preview.roleMenu()->actions()[0]->trigger();
    ASSERT_EQ(chosen.count(), 2);
    EXPECT_EQ(chosen[1][0].value<ColumnRole>(), ColumnRole::identifier);
    EXPECT_EQ(chosen[1][1].value<std::size_t>(), 5u);
}

} // namespace
} // namespace pellacor
