#pragma once

#include "session/LocalFileName.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

namespace pellacor {

/// What the file chooser reported when it closed: the chosen files in order, or its failure.
struct FileChoice {
    /// The chosen files; empty when the user chose nothing.
    QStringList paths;
    /// The chooser's own description of why it failed; absent when it did not fail.
    std::optional<QString> failure;
    /// The same files as the file system names them, when known: a name that is not UTF-8
    /// loses bytes on its way into `paths`, never here.
    QList<QByteArray> localPaths;

    /// A chooser that closed with `chosen` (possibly empty).
    static FileChoice chosen(QStringList chosen) { return {std::move(chosen), std::nullopt, {}}; }
    /// A chooser that failed with `description`.
    static FileChoice failed(QString description) { return {{}, std::move(description), {}}; }
    /// Files given as local URLs (a drop): their encoded paths keep every byte of the name.
    static FileChoice fromUrls(const QList<QUrl>& urls) {
        FileChoice choice;
        for (const QUrl& url : urls) {
            choice.paths << url.toLocalFile();
            choice.localPaths << QByteArray::fromPercentEncoding(
                url.path(QUrl::FullyEncoded).toLatin1());
        }
        return choice;
    }
    /// File `index` as the file system names it.
    QByteArray localPath(qsizetype index) const;
};

inline QByteArray FileChoice::localPath(qsizetype index) const {
    return index < localPaths.size() ? localPaths[index] : localFileName(paths[index]);
}

/// The dialogs a conversion session needs from its window. The window implements them with
/// QFileDialog (modal or not); tests replace them. Each call must end in exactly one call of
/// `done`, possibly before the call returns, and always on the UI thread.
class SessionDialogs {
public:
    virtual ~SessionDialogs() = default;

    /// Lets the user pick one input file, offering `nameFilters` (QFileDialog filter strings,
    /// the first one selected); reports the choice, or the chooser's failure, to `done`.
    virtual void chooseInputFile(const QStringList& nameFilters,
                                 std::function<void(FileChoice)> done) = 0;

    /// Lets the user pick where to save, proposing the file name `proposedName` and offering
    /// `nameFilters`; reports the chosen path to `done`, or std::nullopt when cancelled.
    virtual void chooseSaveTarget(const QString& proposedName, const QStringList& nameFilters,
                                  std::function<void(std::optional<QString>)> done) = 0;
};

} // namespace pellacor
