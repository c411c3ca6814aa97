#include "session/ConversionSession.h"
#include "ui/ContentView.h"
#include "ui/Icons.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

using pellacor::Icons;
using pellacor::MainWindow;

TEST(MainWindowTest, a_titled_window_opens_another_with_its_own_session_on_ctrl_n) {
    QPointer<MainWindow> first = MainWindow::openNew();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(first));
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Pellacor"));
    EXPECT_FALSE(first->windowIcon().isNull());
    const auto before = QApplication::topLevelWidgets().size();
    QTest::keyClick(first, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(QApplication::topLevelWidgets().size(), before + 1);

    MainWindow* second = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<MainWindow*>(widget); window && window != first)
            second = window;
    ASSERT_NE(second, nullptr);

    first->content()->session().applyImportedEntries({{"a", "ACGT", std::nullopt}},
                                                     QStringLiteral("CSV"));
    EXPECT_EQ(first->content()->session().parsedEntryCount(), 1);
    EXPECT_EQ(second->content()->session().parsedEntryCount(), 0);
    EXPECT_FALSE(second->content()->session().showOutputWindow());

    QPointer<MainWindow> closing = second;
    second->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closing.isNull()) << "a closed window goes away with its session";
    EXPECT_FALSE(first.isNull()) << "closing one window leaves the others";
    first->close();
}

TEST(IconsTest, every_icon_renders_from_the_resources_in_the_colour_asked_for) {
    const Icons::Name names[] = {Icons::Name::Import, Icons::Name::Export, Icons::Name::Check,
                                 Icons::Name::Close,  Icons::Name::Copy,   Icons::Name::Step1,
                                 Icons::Name::Step2,  Icons::Name::Step3,  Icons::Name::Step4};
    for (const Icons::Name name : names) {
        const QImage image = Icons::pixmap(name, Qt::red, 24, 1.0).toImage();
        int inked = 0;
        bool onlyRed = true;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() < 128)
                    continue;
                ++inked;
                onlyRed = onlyRed && pixel.red() > 200 && pixel.green() < 60 && pixel.blue() < 60;
            }
        EXPECT_GT(inked, 20) << static_cast<int>(name);
        EXPECT_TRUE(onlyRed) << static_cast<int>(name);
    }
    EXPECT_FALSE(Icons::applicationPixmap(128, 1.0).toImage().isNull());
}
