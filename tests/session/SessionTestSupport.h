#pragma once

// The session flow tests' fixture: a GUI application, hand-answered dialogs, a temporary folder.

#include "session/ConversionSession.h"
#include "session/SessionDialogs.h"

#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace pellacor::test {

/// Dialogs that stay open until the test calls the answer they keep.
class FakeDialogs : public SessionDialogs {
public:
    int opened = 0;
    std::function<void(FileChoice)> chooser;
    std::function<void(std::optional<QString>)> saver;

    void chooseInputFile(const QStringList&, std::function<void(FileChoice)> done) override {
        ++opened;
        chooser = std::move(done);
    }
    void chooseSaveTarget(const QString&, const QStringList&,
                          std::function<void(std::optional<QString>)> done) override {
        ++opened;
        saver = std::move(done);
    }
};

/// Runs `handleFileImport(choice)` and waits until the flow has ended.
inline void importAndWait(ConversionSession& session, const FileChoice& choice) {
    QSignalSpy finished(&session, &ConversionSession::importFinished);
    session.handleFileImport(choice);
    ASSERT_TRUE(!finished.isEmpty() || finished.wait(30000)) << "the import never finished";
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "session_test";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }

    /// Writes `bytes` to the file `name` in the temporary folder and returns its path.
    QString write(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void importFile(const QString& file) { importAndWait(session, FileChoice::chosen({file})); }

    QTemporaryDir dir;
    FakeDialogs dialogs;
    ConversionSession session{dialogs};
};

} // namespace pellacor::test
