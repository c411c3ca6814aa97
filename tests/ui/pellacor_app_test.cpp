// The pellacor binary started where there is no display, as over SSH or in a container.
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    QProcess::ExitStatus exit;
    int status;
    QString err;
};

Outcome startApp(const QString& display) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), display);
    QProcess app;
    app.setProcessEnvironment(environment);
    app.start(QStringLiteral(PELLACOR_APP), {});
    if (!app.waitForFinished(60000))
        app.kill();
    return {app.exitStatus(), app.exitCode(), QString::fromLocal8Bit(app.readAllStandardError())};
}

} // namespace

TEST(PellacorApp, without_a_display_says_so_names_the_converter_and_exits_with_1) {
    // An X display number that nothing serves.
    for (const QString& display : {QString(), QStringLiteral(":987")}) {
        const Outcome outcome = startApp(display);
        EXPECT_EQ(outcome.exit, QProcess::NormalExit)
            << "it aborted: " << outcome.err.toStdString();
        EXPECT_EQ(outcome.status, 1);
        EXPECT_TRUE(outcome.err.startsWith(QStringLiteral("pellacor: no display found")))
            << outcome.err.toStdString();
        EXPECT_TRUE(outcome.err.contains(QStringLiteral("pellacor-convert")));
        EXPECT_FALSE(outcome.err.contains(QStringLiteral("Reinstalling")));
    }
}
