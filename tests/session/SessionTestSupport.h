#pragma once

// Shared pieces of the session tests: a GUI application object, fake dialogs, table files in
// a temporary folder and a way to wait for an import to end.

#include "session/ConversionSession.h"
#include "session/SessionDialogs.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace pellacor::test {

/// The QGuiApplication every session test needs (clipboard, event loop), made once.
inline void ensureApplication() {
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "session_test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

/// Dialogs that answer as the test says. By default they answer at once; with `deferAnswers`
/// they keep the callback so the test can look at the session while a dialog is open.
class FakeDialogs : public SessionDialogs {
public:
    FileChoice nextChoice = FileChoice::chosen({});
    std::optional<QString> nextSaveTarget;
    bool deferAnswers = false;

    int chooserOpened = 0;
    int saveDialogOpened = 0;
    QStringList lastImportFilters;
    QStringList lastExportFilters;
    QString lastProposedName;
    std::function<void()> pendingAnswer;

    void chooseInputFile(const QStringList& nameFilters,
                         std::function<void(FileChoice)> done) override {
        ++chooserOpened;
        lastImportFilters = nameFilters;
        answer([done = std::move(done), choice = nextChoice] { done(choice); });
    }

    void chooseSaveTarget(const QString& proposedName, const QStringList& nameFilters,
                          std::function<void(std::optional<QString>)> done) override {
        ++saveDialogOpened;
        lastProposedName = proposedName;
        lastExportFilters = nameFilters;
        answer([done = std::move(done), target = nextSaveTarget] { done(target); });
    }

    /// Closes the dialog that was left open.
    void closePending() { std::exchange(pendingAnswer, nullptr)(); }

private:
    void answer(std::function<void()> reply) {
        if (deferAnswers)
            pendingAnswer = std::move(reply);
        else
            reply();
    }
};

/// Runs `handleFileImport(choice)` and waits until the flow has ended.
inline void importAndWait(ConversionSession& session, const FileChoice& choice) {
    QSignalSpy finished(&session, &ConversionSession::importFinished);
    session.handleFileImport(choice);
    if (finished.isEmpty()) {
        ASSERT_TRUE(finished.wait(30000)) << "the import never finished";
    }
}

/// A temporary folder holding the files a test imports.
class TableFolder {
public:
    TableFolder() { EXPECT_TRUE(dir_.isValid()); }

    /// Writes `bytes` to the file `name` in the folder and returns its path.
    QString write(const QString& name, const QByteArray& bytes) const {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    /// Builds an .xlsx-style zip archive `name` from (part path, XML text) pairs.
    QString zip(const QString& name, const std::vector<std::pair<QString, QByteArray>>& parts) {
        QTemporaryDir staging;
        for (const auto& [part, xml] : parts) {
            const QString path = staging.filePath(part);
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(xml);
        }
        const QString archive = dir_.filePath(name);
        QProcess zip;
        zip.setWorkingDirectory(staging.path());
        zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-X"),
                                          QStringLiteral("-r"), archive, QStringLiteral(".")});
        EXPECT_TRUE(zip.waitForFinished(30000));
        EXPECT_EQ(zip.exitCode(), 0) << "zip failed";
        return archive;
    }

    /// The path of `name` in the folder, whether or not it exists.
    QString path(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

} // namespace pellacor::test
