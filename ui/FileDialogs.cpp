#include "ui/FileDialogs.h"

#include <QFileDialog>

namespace pellacor {

FileDialogs::FileDialogs(QWidget* window) : window_(window) {}

void FileDialogs::chooseInputFile(const QStringList& nameFilters,
                                  std::function<void(FileChoice)> done) {
    auto* dialog = new QFileDialog(window_, tr("Import File"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(nameFilters);
    QObject::connect(
        dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
            done(FileChoice::chosen(result == QDialog::Accepted ? dialog->selectedFiles()
                                                                : QStringList()));
        });
    dialog->open();
}

void FileDialogs::chooseSaveTarget(const QString& proposedName, const QStringList& nameFilters,
                                   std::function<void(std::optional<QString>)> done) {
    auto* dialog = new QFileDialog(window_, tr("Save as File"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(nameFilters);
    dialog->selectFile(proposedName);
    QObject::connect(dialog, &QFileDialog::finished, dialog,
                     [dialog, done = std::move(done)](int result) {
                         const QStringList files = dialog->selectedFiles();
                         if (result == QDialog::Accepted && !files.isEmpty())
                             done(files.first());
                         else
                             done(std::nullopt);
                     });
    dialog->open();
}

} // namespace pellacor
