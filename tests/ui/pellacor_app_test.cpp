// The pellacor binary started where there is no display, as over SSH or in a container.
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

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

TEST(PellacorApp, opens_each_file_it_is_given_as_open_with_starts_it) {
    QTemporaryDir dir;
    for (const char* name : {"a.csv", "b.csv"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(name).left(1) + "1,ACGT\n");
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess app;
    app.setProcessEnvironment(environment);
    app.start(QStringLiteral(PELLACOR_APP),
              {dir.filePath(QStringLiteral("a.csv")), dir.filePath(QStringLiteral("b.csv"))});
    // Each window's import writes its trace; the app then runs until it is stopped.
    QByteArray out;
    for (int waited = 0; waited < 600 && out.count("DEBUG: Total entries: 1") < 2; ++waited) {
        app.waitForReadyRead(100);
        out += app.readAllStandardOutput();
    }
    app.kill();
    app.waitForFinished();
    EXPECT_EQ(out.count("DEBUG: Total entries: 1"), 2) << out.toStdString();
    EXPECT_TRUE(out.contains("DEBUG: Entry 'a1'")) << out.toStdString();
    EXPECT_TRUE(out.contains("DEBUG: Entry 'b1'")) << out.toStdString();
}
