#include "session/FastaDocument.h"

#include "files/FileError.h"

#include <QFileInfo>
#include <QSaveFile>

namespace pellacor {
namespace {

[[noreturn]] void throwSaveError(const QString& path, const QString& reason) {
    const QString message =
        QStringLiteral("Could not save \u201C%1\u201D: %2").arg(QFileInfo(path).fileName(), reason);
    throw FileError(message.toStdString());
}

} // namespace

FastaDocument FastaDocument::fromUtf8(QByteArray utf8) {
    FastaDocument document;
    document.utf8_ = std::move(utf8);
    return document;
}

void FastaDocument::save(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throwSaveError(path, file.errorString());
    if (file.write(utf8_) != utf8_.size())
        throwSaveError(path, file.errorString());
    if (!file.commit())
        throwSaveError(path, file.errorString());
}

QStringList FastaDocument::nameFilters() {
    return {QStringLiteral("FASTA files (*.fasta *.fa *.fas *.fna *.faa)"),
            QStringLiteral("Text files (*.txt)")};
}

} // namespace pellacor
