#pragma once

#include "session/SessionDialogs.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

namespace pellacor {

/// The session's file chooser and save dialog as window-modal file dialogs over one window.
/// Each opens in the folder last used by either of them for this window; a name typed
/// without an extension gets the proposed name's one.
class FileDialogs : public SessionDialogs {
    Q_DECLARE_TR_FUNCTIONS(FileDialogs)

public:
    /// Dialogs shown over `window`, which may go away before a dialog closes.
    explicit FileDialogs(QWidget* window);

    void chooseInputFile(const QStringList& nameFilters,
                         std::function<void(FileChoice)> done) override;
    void chooseSaveTarget(const QString& proposedName, const QStringList& nameFilters,
                          std::function<void(std::optional<QString>)> done) override;

    /// `path`, or `path` with `suffix` added when its own extension is none the filters list
    /// (a typed "sample.v2" is saved as "sample.v2.fasta", "result.txt" stays).
    static QString withListedSuffix(const QString& path, const QStringList& nameFilters,
                                    const QString& suffix);

private:
    void remember(const QString& chosenFile);

    QPointer<QWidget> window_;
    QString lastFolder_;
};

} // namespace pellacor
