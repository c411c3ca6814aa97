#pragma once

// Shared pieces of the window tests: dialogs that answer like a person would, and a scratch
// directory for tables.

#include "session/SessionDialogs.h"

#include <QFile>
#include <QTemporaryDir>

#include <optional>

namespace pellacor::testing {

/// Answers the file chooser and the save dialog with what the test set up, and records how
/// they were asked.
class ScriptedDialogs : public SessionDialogs {
public:
    void chooseInputFile(const QStringList& nameFilters,
                         std::function<void(FileChoice)> done) override {
        ++inputRequests;
        lastInputFilters = nameFilters;
        done(chooserFailure ? FileChoice::failed(*chooserFailure) : FileChoice::chosen(choice));
    }

    void chooseSaveTarget(const QString& proposedName, const QStringList&,
                          std::function<void(std::optional<QString>)> done) override {
        ++saveRequests;
        lastProposedName = proposedName;
        done(saveTarget);
    }

    QStringList choice;
    std::optional<QString> chooserFailure;
    std::optional<QString> saveTarget;
    int inputRequests = 0;
    int saveRequests = 0;
    QStringList lastInputFilters;
    QString lastProposedName;
};

/// A scratch directory that disappears with the test.
class Scratch {
public:
    /// Writes `bytes` to `name` in the directory and returns its path.
    QString write(const QString& name, const QByteArray& bytes) const {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }
    /// The path `name` would have in the directory.
    QString path(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

} // namespace pellacor::testing
