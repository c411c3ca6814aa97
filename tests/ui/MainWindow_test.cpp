// A whole window on a screen too small for the widths it is designed for (what a 1600 x 1000
// screen offers at twice the scale): everything must stay on the screen and within reach.
#include "ui/MainWindow.h"

#include "session/ConversionSession.h"
#include "ui/ContentView.h"
#include "ui/MainColumn.h"
#include "ui/OutputPanel.h"
#include "ui/ScreenFit.h"
#include "ui/widgets/FilledActionButton.h"
#include "ui/widgets/IconButton.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QScreen* smallScreen() {
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == QLatin1String("small"))
            return screen;
    return nullptr;
}

QRect globalRect(const QWidget* widget) {
    return QRect(widget->mapToGlobal(QPoint()), widget->size());
}

} // namespace

TEST(MainWindow, fits_a_small_screen_with_the_panel_open_and_its_buttons_in_reach) {
    QScreen* screen = smallScreen();
    if (!screen)
        GTEST_SKIP() << "needs the offscreen platform with the screens of QtTestMain";
    const QRect area = screen->availableGeometry();
    pellacor::MainWindow window;
    window.move(area.topLeft() + QPoint(40, 40));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.screen(), screen);
    pellacor::ScreenFit::keepOnScreen(&window);
    EXPECT_TRUE(area.contains(window.frameGeometry()))
        << "the 700-point window is taller than the screen";

    pellacor::ConversionSession& session = window.content()->session();
    QTemporaryDir folder;
    QFile table(folder.filePath(QStringLiteral("t.csv")));
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    for (int i = 0; i < 50; ++i)
        table.write(
            ("seq" + std::to_string(i) + "," + std::string(300, 'A') + ",sample\n").c_str());
    table.close();
    session.handleFileImport(pellacor::FileChoice::chosen({table.fileName()}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.content()->panelReveal() == 1.0; }));
    QTest::qWait(50);

    EXPECT_TRUE(area.contains(window.frameGeometry())) << "the panel pushed the window off";
    pellacor::OutputPanel* panel = window.content()->outputPanel();
    EXPECT_TRUE(area.contains(globalRect(panel->copyButton())));
    EXPECT_TRUE(area.contains(globalRect(panel->saveButton())));
    EXPECT_TRUE(area.contains(globalRect(panel->closeButton())));
    EXPECT_EQ(window.content()->mainColumn()->width(), 400) << "the column keeps its width";
    EXPECT_GT(panel->width(), 300) << "the panel has the rest";
    EXPECT_LT(panel->width(), 500) << "which the screen does not allow to be 500";
}

TEST(MainWindow, each_file_named_opens_in_a_window_of_its_own) {
    QTemporaryDir dir;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    // A relative name is found from the current folder, as a shell gives it.
    const QString current = QDir::currentPath();
    QDir::setCurrent(dir.path());
    write(QStringLiteral("a.csv"), "a1,ACGT\n");
    const QList<pellacor::MainWindow*> windows = pellacor::MainWindow::openFiles(
        {QStringLiteral("a.csv"), write(QStringLiteral("b.tsv"), "b1\tGG\nb2\tTT\n")});
    QDir::setCurrent(current);
    ASSERT_EQ(windows.size(), 2);
    for (pellacor::MainWindow* window : windows)
        ASSERT_TRUE(QTest::qWaitFor(
            [window] { return !window->content()->session().isProcessing(); }, 20000));
    EXPECT_EQ(windows[0]->content()->session().fastaContent(), QByteArray(">a1\nACGT\n"));
    EXPECT_EQ(windows[1]->content()->session().fastaContent(), QByteArray(">b1\nGG\n>b2\nTT\n"));
    EXPECT_TRUE(windows[0]->isVisible());
    for (pellacor::MainWindow* window : windows)
        window->close();
    const QList<pellacor::MainWindow*> empty = pellacor::MainWindow::openFiles({});
    ASSERT_EQ(empty.size(), 1);
    EXPECT_TRUE(empty[0]->content()->session().fastaContent().isEmpty());
    empty[0]->close();
}
