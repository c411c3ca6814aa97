#include "ui/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace pellacor {

FileDialogs::FileDialogs(QWidget* window) : window_(window) {}

void FileDialogs::remember(const QString& chosenFile) {
    lastFolder_ = QFileInfo(chosenFile).absolutePath();
}

void FileDialogs::chooseInputFile(const QStringList& nameFilters,
                                  std::function<void(FileChoice)> done) {
    auto* dialog = new QFileDialog(window_, tr("Import File"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(nameFilters);
    if (!lastFolder_.isEmpty())
        dialog->setDirectory(lastFolder_);
    // The dialog is this window's child, and this object lives as long as the window.
    QObject::connect(dialog, &QFileDialog::finished, dialog,
                     [this, dialog, done = std::move(done)](int result) {
                         const QStringList files =
                             result == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
                         if (!files.isEmpty())
                             remember(files.first());
                         done(FileChoice::chosen(files));
                     });
    dialog->open();
}

QString FileDialogs::withListedSuffix(const QString& path, const QStringList& nameFilters,
                                      const QString& suffix) {
    // The dialog adds the suffix only to a name without any: "sample.v2" would be saved
    // without it, and not be found as FASTA text.
    const QString typed = QFileInfo(path).suffix();
    if (suffix.isEmpty() || typed.isEmpty())
        return path;
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([^ )]+)"));
    for (const QString& filter : nameFilters)
        for (const QRegularExpressionMatch& match : pattern.globalMatch(filter))
            if (match.captured(1).compare(typed, Qt::CaseInsensitive) == 0)
                return path;
    return path + QLatin1Char('.') + suffix;
}

void FileDialogs::chooseSaveTarget(const QString& proposedName, const QStringList& nameFilters,
                                   std::function<void(std::optional<QString>)> done) {
    auto* dialog = new QFileDialog(window_, tr("Save as File"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(nameFilters);
    dialog->setDefaultSuffix(QFileInfo(proposedName).suffix());
    if (!lastFolder_.isEmpty())
        dialog->setDirectory(lastFolder_);
    dialog->selectFile(proposedName);
    QObject::connect(
        dialog, &QFileDialog::finished, dialog, [this, dialog, done = std::move(done)](int result) {
            const QStringList files = dialog->selectedFiles();
            if (result == QDialog::Accepted && !files.isEmpty()) {
                const QString file =
                    withListedSuffix(files.first(), dialog->nameFilters(), dialog->defaultSuffix());
                remember(file);
                done(file);
            } else {
                done(std::nullopt);
            }
        });
    dialog->open();
}

} // namespace pellacor
