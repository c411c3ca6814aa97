// Runs the window's tests inside a QApplication on the offscreen platform.
#include <QApplication>
#include <QTemporaryFile>

#include <gtest/gtest.h>

namespace {

// Two screens side by side: one like the Xvfb screen of the screenshots, and one of what a
// 1600 x 1000 screen offers at twice the scale, for windows that must fit a small screen.
constexpr char screens[] = R"({"screens": [
    {"name": "large", "x": 0, "y": 0, "width": 1600, "height": 1000,
     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
    {"name": "small", "x": 1600, "y": 0, "width": 800, "height": 500,
     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";

} // namespace

int main(int argc, char** argv) {
    // Test discovery runs the binary without the test environment, so default it here too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryFile screenConfig;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && screenConfig.open()) {
        screenConfig.write(screens);
        screenConfig.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screenConfig.fileName().toLocal8Bit());
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellacor"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
