#include "session/FastaDocument.h"

#include "core/UnicodeText.h"
#include "files/FileError.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>

#include <string_view>

namespace pellacor {
namespace {

[[noreturn]] void throwSaveError(const QString& path, const QString& reason) {
    const QString message =
        QStringLiteral("Could not save \u201C%1\u201D: %2").arg(QFileInfo(path).fileName(), reason);
    throw FileError(message.toStdString());
}

} // namespace

FastaDocument::FastaDocument(const QString& text) {
    setContent(text);
}

FastaDocument FastaDocument::fromUtf8(QByteArray utf8) {
    FastaDocument document;
    document.utf8_ = std::move(utf8);
    return document;
}

FastaDocument FastaDocument::fromFileBytes(const QByteArray& bytes) {
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return UnicodeText::isValidUtf8(view) ? fromUtf8(bytes) : FastaDocument();
}

void FastaDocument::setContent(const QString& text) {
    // A lone surrogate has no UTF-8 form; rather than write a guess, the file stays empty.
    QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        bytes.clear();
    utf8_ = std::move(bytes);
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
    return {QStringLiteral("Plain text (*.fasta *.fa *.txt)")};
}

} // namespace pellacor
