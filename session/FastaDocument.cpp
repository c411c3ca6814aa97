#include "session/FastaDocument.h"

#include "files/FileError.h"
#include "files/GzipCompressor.h"

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
    const auto write = [&](std::string_view bytes) {
        if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()))
            throwSaveError(path, file.errorString());
    };
    const std::string_view text(utf8_.constData(), static_cast<std::size_t>(utf8_.size()));
    if (GzipCompressor::namesGzip(path.toStdString())) {
        GzipCompressor compressor(write);
        compressor.write(text);
        compressor.finish();
    } else {
        write(text);
    }
    if (!file.commit())
        throwSaveError(path, file.errorString());
}

QStringList FastaDocument::nameFilters() {
    return {QStringLiteral("FASTA files (*.fasta *.fa *.fas *.fna *.faa)"),
            QStringLiteral("Text files (*.txt)"), gzipNameFilter()};
}

} // namespace pellacor
