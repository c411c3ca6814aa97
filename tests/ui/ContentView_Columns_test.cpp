// The window's view of a table's columns: the preview above the text, choosing a column's
// role from it, the columns of a failed table offered beside its error, the instructions
// telling the columns used, and a record for each column of sequences.
#include "session/ConversionSession.h"
#include "ui/ColumnChooser.h"
#include "ui/ContentView.h"
#include "ui/MainColumn.h"
#include "ui/OutputPanel.h"
#include "ui/TablePreview.h"
#include "ui/textview/MonospacedTextView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using pellacor::FileChoice;

namespace {

class ScriptedDialogs : public pellacor::SessionDialogs {
public:
    void chooseInputFile(const QStringList&, std::function<void(FileChoice)> done) override {
        done(FileChoice::chosen(choice));
    }
    void chooseSaveTarget(const QString&, const QStringList&,
                          std::function<void(std::optional<QString>)> done) override {
        done(std::nullopt);
    }
    QStringList choice;
};

class ColumnsViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(1000, 700);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    pellacor::ConversionSession& session() { return view.session(); }
    pellacor::OutputPanel& panel() { return *view.outputPanel(); }
    pellacor::ColumnChooser& chooser() { return *panel().columnChooser(); }
    pellacor::TablePreview& preview() { return *panel().preview(); }

    QString write(const QString& name, const QByteArray& bytes) const {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return file.fileName();
    }
    void import(const QString& path) {
        dialogs.choice = {path};
        session().startImport();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !session().isProcessing(); }, 20000));
        ASSERT_TRUE(QTest::qWaitFor([this] { return view.panelReveal() == 1.0; }));
        QApplication::processEvents();
    }
    void dismissAlert() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return view.currentAlert() != nullptr; }));
        view.currentAlert()->defaultButton()->click();
    }
    // Chooses `item` of the role menu a click on column `column`'s header opens, and waits for
    // the conversion that follows.
    void chooseFromHeader(int column, int item) {
        QHeaderView* header = preview().horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
        ASSERT_NE(preview().roleMenu(), nullptr);
        QSignalSpy finished(&session(), &pellacor::ConversionSession::importFinished);
        preview().roleMenu()->actions().at(item)->trigger();
        ASSERT_TRUE(finished.wait(10000));
        QApplication::processEvents();
    }
    QStringList instructions() {
        QStringList texts{view.mainColumn()->instructionsTitle()->text()};
        for (const QLabel* label : view.mainColumn()->instructionLabels())
            texts << label->text();
        return texts;
    }

    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    pellacor::ContentView view{dialogs};
};

} // namespace

TEST_F(ColumnsViewTest, the_preview_marks_the_columns_used_and_a_header_choice_converts_again) {
    import(write("t.csv", "Name,Score,DNA sequence\nx1,0.9,ACGT\nx2,0.1,GG\n"));
    ASSERT_TRUE(preview().isVisible());
    EXPECT_EQ(preview().rowCount(), 3);
    EXPECT_EQ(preview().horizontalHeaderItem(0)->text(), "ID: Name");
    EXPECT_EQ(preview().horizontalHeaderItem(1)->text(), "Score");
    EXPECT_EQ(preview().horizontalHeaderItem(2)->text(), "Sequence: DNA sequence");
    EXPECT_TRUE(preview().item(0, 1)->font().bold()) << "the header row reads as one";
    // It sits above the text, compact.
    EXPECT_LT(preview().geometry().bottom(), panel().textView()->mapTo(&panel(), QPoint(0, 0)).y());
    EXPECT_LT(preview().height(), 300);
    EXPECT_EQ(
        instructions(),
        (QStringList{"Columns used:", "Row 1: column names", "Column 1 (Name): Sequence identifier",
                     "Column 3 (DNA sequence): Sequence data", "Description: none"}));

    // The score as the description, from its header: converted again, the menus following.
    chooseFromHeader(1, 2);
    EXPECT_EQ(session().fastaContent(), QByteArray(">x1 0.9\nACGT\n>x2 0.1\nGG\n"));
    EXPECT_EQ(chooser().descriptionBox()->currentText(), "Score");
    EXPECT_EQ(preview().horizontalHeaderItem(1)->text(), "Description: Score");
    EXPECT_EQ(instructions().back(), "Column 2 (Score): Description");
    // The description column as the sequence: it gives up the description.
    chooseFromHeader(1, 1);
    EXPECT_EQ(session().fastaContent(), QByteArray(">x1\n0.9\n>x2\n0.1\n"));
    EXPECT_EQ(chooser().descriptionBox()->currentText(), "none");

    // The first row taken as data: it gives a record too, and the choice of columns stays.
    ASSERT_TRUE(chooser().headerBox()->isChecked());
    QSignalSpy finished(&session(), &pellacor::ConversionSession::importFinished);
    chooser().headerBox()->setChecked(false);
    ASSERT_TRUE(finished.wait(10000));
    QApplication::processEvents();
    EXPECT_TRUE(session().fastaContent().startsWith(">Name\n"))
        << session().fastaContent().toStdString();
    EXPECT_TRUE(session().fastaContent().endsWith(">x1\n0.9\n>x2\n0.1\n"));
    EXPECT_FALSE(chooser().headerBox()->isChecked());
    EXPECT_FALSE(preview().item(0, 0)->font().bold());
}

TEST_F(ColumnsViewTest, a_failure_a_choice_can_mend_shows_the_columns_beside_the_error) {
    // Column 2 is empty throughout: by default no row gives a record.
    import(write("gap.csv", "a,,c\nx,,ACGT\ny,,GG\n"));
    dismissAlert();
    ASSERT_TRUE(panel().isVisible());
    EXPECT_TRUE(chooser().isVisible());
    EXPECT_TRUE(chooser().sequenceBox()->isVisible());
    ASSERT_TRUE(preview().isVisible());
    EXPECT_EQ(preview().columnCount(), 3);
    ASSERT_TRUE(panel().failureLabel()->isVisible());
    EXPECT_TRUE(panel().failureLabel()->text().startsWith("Missing required columns"));
    EXPECT_FALSE(panel().textView()->isVisible()) << "no text belongs to this table";
    // The instructions keep to what was converted: nothing yet.
    EXPECT_EQ(instructions().first(), "Instructions:");

    // Column 3 as the sequence, chosen in its menu, converts the failed table.
    QSignalSpy finished(&session(), &pellacor::ConversionSession::importFinished);
    chooser().sequenceBox()->setCurrentIndex(chooser().sequenceBox()->findData(3));
    ASSERT_TRUE(finished.wait(10000));
    QApplication::processEvents();
    EXPECT_FALSE(session().mendableLayout()) << session().errorAlertText().toStdString();
    EXPECT_FALSE(session().fastaContent().isEmpty());
    EXPECT_TRUE(session().fastaContent().endsWith(">x\nACGT\n>y\nGG\n"))
        << session().fastaContent().toStdString();
    EXPECT_FALSE(panel().failureLabel()->isVisible());
    EXPECT_TRUE(panel().textView()->isVisible());
    EXPECT_EQ(instructions().first(), "Columns used:");
}

TEST_F(ColumnsViewTest, the_note_shows_above_the_menus_and_several_sequence_columns_are_offered) {
    import(write("pairs.csv", "Name,Forward,Reverse\nGRB2,ACGTAC,GGTTCA\nSOS1,TTTGGG,CCCAAA\n"));
    EXPECT_FALSE(chooser().noteLabel()->isVisible()) << "the plain layout needs no note";
    const int all = chooser().sequenceBox()->findText("all sequence columns");
    ASSERT_GE(all, 0);
    QSignalSpy finished(&session(), &pellacor::ConversionSession::importFinished);
    chooser().sequenceBox()->setCurrentIndex(all);
    ASSERT_TRUE(finished.wait(10000));
    QApplication::processEvents();
    EXPECT_EQ(session().fastaContent(),
              QByteArray(">GRB2_Forward\nACGTAC\n>GRB2_Reverse\nGGTTCA\n"
                         ">SOS1_Forward\nTTTGGG\n>SOS1_Reverse\nCCCAAA\n"));
    // The menu shows the choice that was made, the preview and instructions both columns.
    EXPECT_EQ(chooser().sequenceBox()->currentText(), "all sequence columns");
    EXPECT_EQ(preview().horizontalHeaderItem(2)->text(), "Sequence: Reverse");
    EXPECT_EQ(instructions().at(3), "Column 2 (Forward), Column 3 (Reverse): Sequence data");

    // A guessed layout tells what was guessed above the menus.
    import(write("primers.csv",
                 "No.,Primer name,sgRNA Sequence\n1,GRB2_F,ACGTACGT\n2,GRB2_R,TTGGCCAA\n"));
    ASSERT_FALSE(session().conversionSummary().note().empty());
    EXPECT_TRUE(chooser().noteLabel()->isVisible());
    EXPECT_EQ(chooser().noteLabel()->text().toStdString(), session().conversionSummary().note());
}
