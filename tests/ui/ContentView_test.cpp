#include "session/ConversionSession.h"
#include "tests/session/TwoSheetWorkbook.h"
#include "ui/ColumnChooser.h"
#include "ui/ContentView.h"
#include "ui/MainColumn.h"
#include "ui/OutputPanel.h"
#include "ui/TablePreview.h"
#include "ui/textview/FindBar.h"
#include "ui/textview/MonospacedTextView.h"
#include "ui/widgets/DropHighlight.h"
#include "ui/widgets/FilledActionButton.h"
#include "ui/widgets/IconButton.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <gtest/gtest.h>

using pellacor::FileChoice;

namespace {

const QByteArray oneRecord = "id,sequence\nseq1,ACGT--AC\n";
const QByteArray twoRecords = "seq1,AAAA,first\nseq2,CCCC\n";

class ScriptedDialogs : public pellacor::SessionDialogs {
public:
    void chooseInputFile(const QStringList&, std::function<void(FileChoice)> done) override {
        ++inputRequests;
        done(FileChoice::chosen(choice));
    }
    void chooseSaveTarget(const QString&, const QStringList&,
                          std::function<void(std::optional<QString>)> done) override {
        ++saveRequests;
        done(saveTarget);
    }
    QStringList choice;
    std::optional<QString> saveTarget;
    int inputRequests = 0;
    int saveRequests = 0;
};

class ContentViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(560, 700);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    pellacor::ConversionSession& session() { return view.session(); }
    pellacor::MainColumn& column() { return *view.mainColumn(); }
    pellacor::OutputPanel& panel() { return *view.outputPanel(); }

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
    }

    void waitForPanel(bool shown) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return view.panelReveal() == (shown ? 1.0 : 0.0); }));
        QApplication::processEvents();
    }

    QStringList visibleTexts() const {
        QStringList texts;
        for (const QLabel* label : view.findChildren<QLabel*>())
            if (label->isVisible() && !label->text().isEmpty())
                texts << label->text();
        return texts;
    }

    QMessageBox* waitForAlert() {
        const bool shown = QTest::qWaitFor(
            [this] { return view.currentAlert() && view.currentAlert()->isVisible(); });
        return shown ? view.currentAlert() : nullptr;
    }

    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    pellacor::ContentView view{dialogs};
};

} // namespace

TEST_F(ContentViewTest, a_new_window_shows_header_import_button_and_instructions_only) {
    const QStringList texts = visibleTexts();
    for (const char* expected :
         {"Pellacor", "Convert CSV/TSV/Excel files to FASTA format",
          "Instructions:", "File should have at least 2 columns", "Column 1: Sequence identifier",
          "Column 2: Sequence data", "Column 3 (optional): Description"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_TRUE(column().importButton()->isEnabled());
    EXPECT_EQ(column().importButton()->text(), QStringLiteral("Import File (CSV/TSV/Excel)"));
    EXPECT_FALSE(column().progressRow()->isVisible());
    EXPECT_FALSE(column().resultBlock()->isVisible());
    EXPECT_FALSE(panel().isVisible());
    EXPECT_FALSE(view.divider()->isVisible());
    EXPECT_EQ(column().width(), view.width()) << "the column spans the window";
    view.resize(200, 700);
    QApplication::processEvents();
    EXPECT_GE(column().width(), 400) << "but never gets narrower than 400";
}

TEST_F(ContentViewTest, an_import_shows_the_result_and_the_panel_and_the_next_one_shows_progress) {
    import(write("one.csv", oneRecord));
    EXPECT_TRUE(column().resultBlock()->isVisible());
    EXPECT_EQ(column().countLabel()->text(), QStringLiteral("Parsed 1 sequence(s)"));
    EXPECT_EQ(column().typeLabel()->text(), QStringLiteral("Detected: CSV format"));
    EXPECT_TRUE(column().exportButton()->isVisible());
    EXPECT_EQ(column().exportButton()->text(), QStringLiteral("Export as FASTA"));
    waitForPanel(true);
    EXPECT_TRUE(panel().isVisible());
    EXPECT_TRUE(view.divider()->isVisible());
    EXPECT_EQ(panel().textView()->text(), session().fastaContent());
    EXPECT_EQ(panel().textView()->lineText(1), QStringLiteral("ACGT--AC"));
    EXPECT_TRUE(visibleTexts().contains(QStringLiteral("FASTA Output")));
    EXPECT_EQ(panel().typeLabel()->text(), QStringLiteral("Converted from CSV"));
    EXPECT_EQ(column().width(), 400);
    EXPECT_GE(panel().width(), 500);
    EXPECT_GE(view.width(), 901) << "the window grows to make room for the panel";

    // The reader runs on a worker; until its result comes back the window shows the progress.
    session().handleFileImport(FileChoice::chosen({write("second.csv", twoRecords)}));
    ASSERT_TRUE(session().isProcessing());
    EXPECT_FALSE(column().importButton()->isEnabled());
    EXPECT_TRUE(column().progressRow()->isVisible());
    EXPECT_FALSE(column().resultBlock()->isVisible());
    EXPECT_FALSE(column().exportButton()->isVisible());
    EXPECT_TRUE(visibleTexts().contains(QStringLiteral("Processing file...")));
    QTest::mouseClick(column().importButton(), Qt::LeftButton);
    EXPECT_EQ(dialogs.inputRequests, 1) << "a disabled import button opens no chooser";

    ASSERT_TRUE(QTest::qWaitFor([this] { return !session().isProcessing(); }, 20000));
    EXPECT_TRUE(column().importButton()->isEnabled());
    EXPECT_FALSE(column().progressRow()->isVisible());
    EXPECT_EQ(column().countLabel()->text(), QStringLiteral("Parsed 2 sequence(s)"));
}

TEST_F(ContentViewTest, every_example_table_opens_with_the_same_text_and_its_own_label) {
    // The README sends new users to these files; they must all work and agree.
    const QString examples =
        QDir::cleanPath(QStringLiteral(PELLACOR_FIXTURES "/../../examples")) + u'/';
    const std::pair<const char*, const char*> cases[] = {
        {"example.csv", "CSV"}, {"example.tsv", "TSV"}, {"example.xlsx", "Excel (XLSX)"}};
    QByteArray first;
    for (const auto& [file, label] : cases) {
        import(examples + QString::fromUtf8(file));
        EXPECT_FALSE(session().showError())
            << file << ": " << session().errorAlertText().toStdString();
        EXPECT_EQ(column().typeLabel()->text(), QStringLiteral("Detected: %1 format").arg(label));
        EXPECT_EQ(column().countLabel()->text(), QStringLiteral("Parsed 5 sequence(s)")) << file;
        if (first.isEmpty())
            first = session().fastaContent();
        EXPECT_EQ(session().fastaContent(), first) << file;
    }
    waitForPanel(true);
    EXPECT_EQ(panel().typeLabel()->text(), QStringLiteral("Converted from Excel (XLSX)"));
}

TEST_F(ContentViewTest, closing_keeps_the_result_reimporting_reopens_and_a_failure_leaves_it) {
    import(write("one.csv", oneRecord));
    waitForPanel(true);
    QTest::mouseClick(panel().closeButton(), Qt::LeftButton);
    waitForPanel(false);
    EXPECT_FALSE(panel().isVisible());
    EXPECT_FALSE(view.divider()->isVisible());
    EXPECT_TRUE(column().resultBlock()->isVisible());
    EXPECT_EQ(column().width(), view.width()) << "the column widens to the whole window again";

    import(write("two.csv", twoRecords));
    waitForPanel(true);
    EXPECT_EQ(panel().textView()->lineText(0), QStringLiteral(">seq1 first"));
    const QByteArray shown = panel().textView()->text();

    import(dir.filePath(QStringLiteral("<b>gone &amp; lost.csv")));
    QMessageBox* alert = waitForAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->windowTitle(), QStringLiteral("Error"));
    EXPECT_EQ(alert->text(), *session().errorMessage());
    EXPECT_TRUE(alert->text().contains(QStringLiteral("<b>gone &amp; lost.csv")));
    EXPECT_EQ(alert->textFormat(), Qt::PlainText) << "messages are never shown as markup";
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons().first()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(panel().isVisible());
    EXPECT_EQ(panel().textView()->text(), shown);
    alert->buttons().first()->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !view.currentAlert(); }));
    EXPECT_FALSE(session().showError());
}

TEST_F(ContentViewTest, copy_confirms_and_both_save_buttons_write_the_shown_text) {
    import(write("one.csv", oneRecord));
    waitForPanel(true);
    QApplication::clipboard()->setText(QStringLiteral("stale"));
    panel().copyButton()->click();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8(session().fastaContent()));
    QMessageBox* alert = waitForAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->windowTitle(), QStringLiteral("Success"));
    EXPECT_EQ(alert->text(), *session().successMessage() + "\n\nFile: one.csv");
    alert->buttons().first()->click();

    dialogs.saveTarget = dir.filePath(QStringLiteral("saved.fasta"));
    QTest::mouseClick(column().exportButton(), Qt::LeftButton);
    EXPECT_EQ(dialogs.saveRequests, 1);
    QFile saved(*dialogs.saveTarget);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), panel().textView()->text());
    QTest::mouseClick(panel().saveButton(), Qt::LeftButton);
    EXPECT_EQ(dialogs.saveRequests, 2);
}

TEST_F(ContentViewTest, copy_leaves_the_ui_thread_free_by_lending_the_clipboard_the_shown_bytes) {
    // Converting a 200 MB text for the clipboard froze the window for seconds; the clipboard
    // now shares the text's buffer and a pasting program receives those very bytes.
    import(write("accents.csv", "caf\xC3\xA9,ACGT,\xCE\xB1-chain\n"));
    waitForPanel(true);
    panel().copyButton()->click();
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->formats(), QStringList{QStringLiteral("text/plain")});
    const QByteArray pasted = copied->data(QStringLiteral("text/plain"));
    EXPECT_EQ(pasted, session().fastaContent());
    EXPECT_EQ(pasted.constData(), session().fastaContent().constData()) << "the text was copied";
    EXPECT_EQ(copied->text(), QString::fromUtf8(session().fastaContent()));
}

TEST_F(ContentViewTest, a_reimport_writes_into_the_shown_texts_memory_but_never_under_a_copy) {
    // Once the window has let go of the shown text, a re-import writes into its pages, which
    // spares clearing as many new ones; text still on the clipboard is never written over.
    QByteArray table = "id,sequence\n";
    for (int row = 0; row < 3000; ++row)
        table += "s" + QByteArray::number(row) + "," + QByteArray(100 + row % 200, 'A') + "\n";
    const QString file = write("t.csv", table);
    import(file);
    waitForPanel(true);
    const QByteArray expected(session().fastaContent().constData(),
                              session().fastaContent().size());
    const char* memory = session().fastaContent().constData();
    import(file);
    EXPECT_EQ(session().fastaContent().constData(), memory);
    EXPECT_EQ(panel().textView()->text(), expected);

    panel().copyButton()->click();
    import(file);
    EXPECT_NE(session().fastaContent().constData(), memory);
    EXPECT_EQ(QApplication::clipboard()->mimeData()->data(QStringLiteral("text/plain")), expected);
    EXPECT_EQ(panel().textView()->text(), expected);
}

TEST_F(ContentViewTest, tab_visits_every_control_in_reading_order_and_enter_presses_the_focused) {
    import(write("one.csv", oneRecord));
    waitForPanel(true);
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    column().importButton()->setFocus();
    // The preview takes the keyboard too: Space on a cell chooses its column's use.
    const QList<QWidget*> order = {
        column().exportButton(), panel().closeButton(), panel().preview(),      panel().textView(),
        panel().copyButton(),    panel().saveButton(),  column().importButton()};
    for (QWidget* expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected)
            << "got " << QApplication::focusWidget()->metaObject()->className();
    }

    panel().saveButton()->setFocus();
    QTest::keyClick(panel().saveButton(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([this] { return dialogs.saveRequests == 1; }));
    panel().copyButton()->setFocus();
    QTest::keyClick(panel().copyButton(), Qt::Key_Enter);
    QMessageBox* alert = waitForAlert();
    ASSERT_NE(alert, nullptr) << "Enter did not press Copy to Clipboard";
    alert->buttons().first()->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !view.currentAlert(); }));
    panel().closeButton()->setFocus();
    QTest::keyClick(panel().closeButton(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !session().showOutputWindow(); }));
}

TEST_F(ContentViewTest, the_panels_buttons_show_keyboard_focus_plainly) {
    // The close control showed nothing when focused, and the ring on "Save as File" was drawn
    // in the colour of its own fill.
    import(write("one.csv", oneRecord));
    waitForPanel(true);
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    for (QWidget* control :
         QList<QWidget*>{panel().closeButton(), panel().saveButton(), panel().copyButton()}) {
        control->clearFocus();
        const QImage plain = control->grab().toImage();
        control->setFocus(Qt::TabFocusReason);
        view.setAttribute(Qt::WA_KeyboardFocusChange);
        const QImage focused = control->grab().toImage();
        ASSERT_EQ(plain.size(), focused.size());
        int changed = 0;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x)
                if (std::abs(qGray(plain.pixel(x, y)) - qGray(focused.pixel(x, y))) > 60)
                    ++changed;
        // A ring around the control changes at least a pixel on each edge of its perimeter.
        EXPECT_GE(changed, plain.width() + plain.height())
            << control->metaObject()->className() << ": focus barely shows";
    }
}

TEST_F(ContentViewTest, ctrl_f_finds_in_the_panel_and_escape_closes_the_bar_before_the_panel) {
    import(write("two.csv", twoRecords));
    waitForPanel(true);
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    pellacor::FindBar* bar = panel().findBar();
    panel().textView()->setFocus();
    QTest::keyClick(panel().textView(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), bar->field());
    QTest::keyClicks(bar->field(), QStringLiteral(">seq"));
    EXPECT_EQ(panel().textView()->selectedText(), QStringLiteral(">seq"));
    EXPECT_EQ(panel().textView()->selectionStart(), 0u);

    QTest::keyClick(bar->field(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(session().showOutputWindow()) << "the first Escape closes only the find bar";
    EXPECT_EQ(QApplication::focusWidget(), panel().textView());
    QTest::keyClick(panel().textView(), Qt::Key_F3);
    EXPECT_TRUE(bar->isVisible()) << "F3 brings the bar back with the next hit";
    EXPECT_EQ(panel().textView()->selectionStart(), 17u);
    QTest::keyClick(bar->field(), Qt::Key_Escape);
    QTest::keyClick(panel().textView(), Qt::Key_Escape);
    EXPECT_FALSE(session().showOutputWindow());
    waitForPanel(false);
    QTest::keyClick(&view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(bar->isVisible()) << "nothing to find in while the panel is closed";
}

TEST_F(ContentViewTest, a_dragged_table_lights_the_window_and_once_imported_names_it) {
    const QString table = write("one.csv", oneRecord);
    const auto drag = [this](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&view, &enter);
        return enter.isAccepted();
    };
    EXPECT_FALSE(drag({QUrl::fromLocalFile(dir.path())})) << "a folder is no table";
    EXPECT_FALSE(view.dropHighlight()->isVisible());
    EXPECT_TRUE(drag({QUrl::fromLocalFile(table)}));
    EXPECT_TRUE(view.dropHighlight()->isVisible());
    QDragLeaveEvent leave;
    QApplication::sendEvent(&view, &leave);
    EXPECT_FALSE(view.dropHighlight()->isVisible());

    ASSERT_TRUE(drag({QUrl::fromLocalFile(table)}));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(table)});
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&view, &drop);
    EXPECT_FALSE(view.dropHighlight()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !session().isProcessing(); }, 20000));
    EXPECT_EQ(view.windowFilePath(), table);
    EXPECT_EQ(view.windowHandle()->title(), QStringLiteral("one.csv"));

    import(dir.filePath(QStringLiteral("missing.csv")));
    EXPECT_EQ(view.windowFilePath(), table) << "a failed import keeps the name";
    import(write("two.csv", twoRecords));
    EXPECT_EQ(view.windowHandle()->title(), QStringLiteral("two.csv"));
}

TEST_F(ContentViewTest, the_import_button_stays_put_when_the_progress_row_or_notes_come_and_go) {
    import(write("one.csv", oneRecord));
    waitForPanel(true);
    const auto buttonTop = [this] {
        // Layouts settle as their posted requests are handled, as the event loop would.
        for (int round = 0; round < 4; ++round)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        return column().importButton()->mapTo(&view, QPoint()).y();
    };
    const int withResult = buttonTop();
    session().handleFileImport(FileChoice::chosen({write("two.csv", twoRecords)}));
    ASSERT_TRUE(column().progressRow()->isVisible());
    EXPECT_EQ(buttonTop(), withResult);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !session().isProcessing(); }, 20000));
    EXPECT_EQ(buttonTop(), withResult);
    // Skipped rows and a repeated identifier: three lines of notes under the count.
    import(write("notes.csv", "s1,ACGT\n,GG\ns3,\ns1,TT\n"));
    ASSERT_TRUE(column().notesBlock()->isVisible());
    EXPECT_EQ(buttonTop(), withResult);
    EXPECT_FALSE(view.findChild<QScrollArea*>()->verticalScrollBar()->isVisible())
        << "the column fits; nothing to scroll";
    import(write("one.csv", oneRecord));
    EXPECT_FALSE(column().notesBlock()->isVisible());
    EXPECT_EQ(buttonTop(), withResult);
}

TEST_F(ContentViewTest, the_panel_names_the_columns_used_and_another_choice_converts_again) {
    import(write("t.csv", "Name,Score,DNA sequence\nx1,0.9,ACGT\n,0.1,GG\n"));
    waitForPanel(true);
    pellacor::ColumnChooser& chooser = *panel().columnChooser();
    EXPECT_TRUE(chooser.isVisible());
    // The menus say which columns were used, and nothing repeats them.
    EXPECT_EQ(chooser.identifierBox()->currentText(), QStringLiteral("Name"));
    EXPECT_EQ(chooser.sequenceBox()->currentText(), QStringLiteral("DNA sequence"));
    EXPECT_EQ(chooser.descriptionBox()->currentText(), QStringLiteral("none"));
    EXPECT_FALSE(chooser.sheetBox()->isVisible()) << "a table has no sheets to choose";
    ASSERT_EQ(column().noteLabels().size(), 1);
    EXPECT_EQ(column().noteLabels()[0]->text(),
              QStringLiteral("1 row skipped (no identifier or sequence): 3"));
    EXPECT_TRUE(column().notesBlock()->isVisible());
    // The score as the sequence: the file is read again, off the UI thread, as an import is.
    QSignalSpy finished(&session(), &pellacor::ConversionSession::importFinished);
    chooser.sequenceBox()->setCurrentIndex(
        chooser.sequenceBox()->findText(QStringLiteral("Score")));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(session().fastaContent(), QByteArray(">x1\n0.9\n"));
    ASSERT_FALSE(column().noteLabels().isEmpty());
    EXPECT_NE(column().noteLabels().back()->text().indexOf(QStringLiteral("mostly holds values")),
              -1);
    // Two columns: nothing to choose.
    import(write("two.csv", "s1,ACGT\n"));
    EXPECT_FALSE(chooser.isVisible());
    EXPECT_FALSE(column().notesBlock()->isVisible());
}

TEST_F(ContentViewTest, the_sheet_and_columns_chosen_in_the_menus_are_the_ones_read) {
    import(write("book.xlsx", pellacor::test::twoSheetWorkbook()));
    waitForPanel(true);
    pellacor::ColumnChooser& chooser = *panel().columnChooser();
    ASSERT_TRUE(chooser.sheetBox()->isVisible());
    QSignalSpy finished(&session(), &pellacor::ConversionSession::importFinished);
    const auto choose = [&](QComboBox* box, int index) {
        box->setCurrentIndex(index);
        EXPECT_TRUE(finished.wait(10000));
        EXPECT_FALSE(session().showError()) << session().errorAlertText().toStdString();
    };
    choose(chooser.sheetBox(), 1);
    EXPECT_EQ(session().fastaContent(), QByteArray(">Second note\nCCCC\n"));
    EXPECT_EQ(chooser.sheetBox()->currentText(), QStringLiteral("Second"));
    // Each menu on its own; the sheet chosen stays. The identifier and description menus
    // begin with "row number" and "none", the sequence menu with column 1.
    choose(chooser.descriptionBox(), 0);
    EXPECT_EQ(session().fastaContent(), QByteArray(">Second\nCCCC\n"));
    choose(chooser.identifierBox(), 0);
    EXPECT_EQ(session().fastaContent(), QByteArray(">1\nCCCC\n"));
    choose(chooser.sequenceBox(), 2);
    EXPECT_EQ(session().fastaContent(), QByteArray(">1\nnote\n"));
    choose(chooser.descriptionBox(), 2);
    EXPECT_EQ(session().fastaContent(), QByteArray(">1 CCCC\nnote\n"));
}

// ---- A long import stopped, the panel reopened, warnings, files that are no table ----

TEST_F(ContentViewTest, a_long_import_shows_its_progress_and_escape_stops_it_keeping_the_result) {
    import(write("one.csv", oneRecord));
    waitForPanel(true);
    QByteArray big;
    while (big.size() < (96 << 20))
        big += "s" + QByteArray::number(big.size()) + "," + QByteArray(600, 'T') + "\n";
    const QString table = write("big.csv", big);
    // As if half a second had passed at once.
    view.findChild<QTimer*>(QStringLiteral("progressDelay"))->setInterval(0);
    session().handleFileImport(FileChoice::chosen({table}));
    EXPECT_FALSE(column().cancelButton()->isVisible()) << "a quick import shows no Cancel";
    ASSERT_TRUE(QTest::qWaitFor([this] { return column().cancelButton()->isVisible(); }, 5000));
    EXPECT_TRUE(column().progressBar()->isVisible());
    QTest::keyClick(&view, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !session().isProcessing(); }, 20000));
    EXPECT_EQ(session().fastaContent(), QByteArray(">seq1\nACGT--AC\n"));
    EXPECT_EQ(panel().textView()->text(), session().fastaContent()) << "nothing half-shown";
    EXPECT_TRUE(panel().isVisible()) << "Escape stopped the import, not the panel";
    EXPECT_FALSE(view.currentAlert());
    EXPECT_FALSE(column().progressBar()->isVisible());
    EXPECT_EQ(column().countLabel()->text(), QStringLiteral("Parsed 1 sequence(s)"));
    // The Cancel button stops it too.
    session().handleFileImport(FileChoice::chosen({table}));
    ASSERT_TRUE(QTest::qWaitFor([this] { return column().cancelButton()->isVisible(); }, 5000));
    column().cancelButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !session().isProcessing(); }, 20000));
    EXPECT_EQ(session().parsedEntryCount(), 1);
}

TEST_F(ContentViewTest, show_fasta_and_ctrl_f_bring_a_closed_panel_back) {
    import(write("one.csv", oneRecord));
    waitForPanel(true);
    QPushButton* show = column().showFastaButton();
    EXPECT_FALSE(show->isEnabled()) << "the panel is there already";
    panel().closeButton()->click();
    waitForPanel(false);
    ASSERT_TRUE(show->isVisible());
    EXPECT_TRUE(show->isEnabled());
    EXPECT_FALSE(show->shortcut().isEmpty());
    show->click();
    waitForPanel(true);
    EXPECT_EQ(panel().textView()->text(), QByteArray(">seq1\nACGT--AC\n"));
    panel().closeButton()->click();
    waitForPanel(false);
    QTest::keySequence(&view, QKeySequence::Find);
    waitForPanel(true);
    EXPECT_TRUE(panel().findBar()->isVisible()) << "Ctrl+F opens the find bar on the text";
}

TEST_F(ContentViewTest, warnings_stand_one_a_line_with_their_counts_and_a_sign_of_their_own) {
    QByteArray table;
    for (int row = 1; row <= 2600; ++row)
        table += row <= 100 ? "s" + QByteArray::number(row % 12) + ",ACGT\n" : ",GG\n";
    import(write("warn.csv", table));
    ASSERT_EQ(column().noteLabels().size(), 2);
    EXPECT_EQ(column().noteLabels()[0]->text(),
              QStringLiteral("2,500 rows skipped (no identifier or sequence): 101, 102, 103, "
                             "104, 105 and 2,495 more"));
    EXPECT_TRUE(column().noteLabels()[1]->text().startsWith(
        QStringLiteral("12 identifiers repeat, such as \u201Cs1\u201D, \u201Cs2\u201D")))
        << column().noteLabels()[1]->text().toStdString();
    const QColor warning = column().noteLabels()[0]->palette().color(QPalette::WindowText);
    EXPECT_NE(warning, column().countLabel()->palette().color(QPalette::WindowText));
    EXPECT_NE(warning, column().typeLabel()->palette().color(QPalette::WindowText));
    for (QLabel* icon : column().notesBlock()->findChildren<QLabel*>()) {
        if (!column().noteLabels().contains(icon)) {
            EXPECT_FALSE(icon->pixmap().isNull()) << "each warning has its sign";
        }
    }
}

TEST_F(ContentViewTest, a_dropped_picture_is_named_for_what_it_is_and_the_result_stays) {
    import(write("one.csv", oneRecord));
    waitForPanel(true);
    const QString picture =
        write("photo.png", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x01", 20));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(picture)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&view, &enter);
    ASSERT_TRUE(enter.isAccepted());
    EXPECT_TRUE(view.rect().contains(
        static_cast<pellacor::DropHighlight*>(view.dropHighlight())->noteRect()));
    EXPECT_LE(static_cast<pellacor::DropHighlight*>(view.dropHighlight())->noteRect().right(),
              view.divider()->geometry().left())
        << "the note stays clear of the divider and the panel";
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&view, &drop);
    QMessageBox* alert = waitForAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), QStringLiteral("\u201Cphoto.png\u201D looks like a PNG image, not a "
                                            "table. Choose a CSV, TSV or Excel file."));
    EXPECT_EQ(session().fastaContent(), QByteArray(">seq1\nACGT--AC\n"));
    alert->buttons().first()->click();
    // A reader's message that does not name the file gets a line that does.
    import(write("empty.csv", ""));
    alert = waitForAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_TRUE(alert->text().endsWith(QStringLiteral("\n\nFile: empty.csv")))
        << alert->text().toStdString();
    alert->buttons().first()->click();
}

TEST_F(ContentViewTest, every_control_has_a_name_for_screen_readers_and_the_text_can_be_read) {
    import(write("t.csv", "Name,Score,DNA sequence\nx1,0.9,ACGT\nx2,0.1,GG\n"));
    waitForPanel(true);
    panel().findBar()->open();
    QApplication::processEvents();
    for (QWidget* widget : view.findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->focusPolicy() == Qt::NoFocus)
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(accessible, nullptr);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
            << widget->metaObject()->className() << " " << widget->objectName().toStdString();
    }
    // Menus are named by what they choose, not by what they show (where a menu's name is its
    // value, as on X11, the label they belong to says it).
    pellacor::ColumnChooser& chooser = *panel().columnChooser();
    const auto labelOf = [](QWidget* box) {
        for (const auto& [other, relation] :
             QAccessible::queryAccessibleInterface(box)->relations(QAccessible::Label))
            return other->text(QAccessible::Name);
        return QString();
    };
    EXPECT_EQ(chooser.identifierBox()->accessibleName(), QStringLiteral("Identifier column"));
    EXPECT_EQ(labelOf(chooser.identifierBox()), QStringLiteral("Identifier"));
    EXPECT_EQ(chooser.sequenceBox()->accessibleName(), QStringLiteral("Sequence column"));
    EXPECT_EQ(labelOf(chooser.sequenceBox()), QStringLiteral("Sequence"));
    EXPECT_EQ(labelOf(chooser.descriptionBox()), QStringLiteral("Description"));
    // The find field's clear button.
    bool namedClear = false;
    for (QToolButton* button : panel().findBar()->field()->findChildren<QToolButton*>())
        namedClear |= button->accessibleName() == QStringLiteral("Clear the find field");
    EXPECT_TRUE(namedClear);
    // The FASTA text through the text interface, in pieces and whole, with its selection.
    QAccessibleInterface* text = QAccessible::queryAccessibleInterface(panel().textView());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(QAccessible::Name), QStringLiteral("FASTA text"));
    QAccessibleTextInterface* reader = text->textInterface();
    ASSERT_NE(reader, nullptr);
    const QString fasta = QString::fromUtf8(session().fastaContent());
    EXPECT_EQ(reader->characterCount(), fasta.size());
    EXPECT_EQ(reader->text(0, reader->characterCount()), fasta);
    EXPECT_EQ(reader->text(1, 3), QStringLiteral("x1"));
    reader->setSelection(0, 4, 8);
    EXPECT_EQ(panel().textView()->selectedText(), QStringLiteral("ACGT"));
    int start = 0, end = 0;
    reader->selection(0, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(4, 8));
    EXPECT_TRUE(text->state().readOnly);
    // Characters beyond ASCII count as Qt counts them.
    import(write("u.csv", "caf\xC3\xA9,AC\n\xF0\x9F\x98\x80,GG\n"));
    waitForPanel(true);
    reader = QAccessible::queryAccessibleInterface(panel().textView())->textInterface();
    const QString unicode = QString::fromUtf8(session().fastaContent());
    EXPECT_EQ(reader->characterCount(), unicode.size());
    EXPECT_EQ(reader->text(6, unicode.size()), unicode.mid(6));
}

TEST_F(ContentViewTest, a_windows_table_offers_to_be_read_so_and_the_panel_then_offers_encodings) {
    // "µl" and "°C" as Excel on Windows saves them; in Mac Roman, 0xB5 is "µ" and 0xA1 "°".
    import(write("w.csv", "ID,Sequence,Note\ns1,ACGT,5 \xB5l at 37\xA1"
                          "C\n"));
    QMessageBox* alert = waitForAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_TRUE(alert->text().startsWith(
        QStringLiteral("The file is not valid UTF-8 text. Row 2 holds the byte 0xB5, which UTF-8 "
                       "does not allow there. Save it as UTF-8, or read it as Windows-1252.")))
        << alert->text().toStdString();
    QAbstractButton* readAs = nullptr;
    for (QAbstractButton* button : alert->buttons())
        if (button->text() == QStringLiteral("Read as Windows-1252"))
            readAs = button;
    ASSERT_NE(readAs, nullptr);
    QSignalSpy finished(&session(), &pellacor::ConversionSession::importFinished);
    readAs->click();
    ASSERT_TRUE(finished.wait(10000));
    waitForPanel(true);
    EXPECT_FALSE(session().showError());
    EXPECT_EQ(session().fastaContent(), QByteArray(">s1 5 \xC2\xB5l at 37\xC2\xA1"
                                                   "C\nACGT\n"));
    // The panel names the encoding; another one converts again.
    pellacor::ColumnChooser& chooser = *panel().columnChooser();
    ASSERT_TRUE(chooser.encodingBox()->isVisible());
    EXPECT_EQ(chooser.encodingBox()->currentText(), QStringLiteral("Windows-1252"));
    chooser.encodingBox()->setCurrentIndex(chooser.encodingBox()->findText("Mac Roman"));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(session().fastaContent(), QByteArray(">s1 5 \xC2\xB5l at 37\xC2\xB0"
                                                   "C\nACGT\n"));
    EXPECT_EQ(chooser.encodingBox()->currentText(), QStringLiteral("Mac Roman"));
    // A column chosen now keeps the encoding.
    chooser.descriptionBox()->setCurrentIndex(chooser.descriptionBox()->findText("none"));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(session().fastaContent(), QByteArray(">s1\nACGT\n"));
    EXPECT_EQ(chooser.encodingBox()->currentText(), QStringLiteral("Mac Roman"));
    // Another table starts over in UTF-8, the menu out of the way; other errors offer nothing.
    import(write("u.csv", "ID,Sequence,Note\ns1,AC,x\n"));
    EXPECT_FALSE(chooser.encodingBox()->isVisible());
    import(dir.filePath(QStringLiteral("missing.csv")));
    alert = waitForAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->buttons().size(), 1);
}
