#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pellacor {

/// The FASTA text as a plain-text document for saving. The text is kept as UTF-8 bytes, so a
/// document made from the session's text shares its buffer instead of copying it.
class FastaDocument {
public:
    /// An empty document.
    FastaDocument() = default;

    /// A document holding the UTF-8 text `utf8`, which the caller vouches is valid UTF-8.
    static FastaDocument fromUtf8(QByteArray utf8);

    /// Writes the file bytes to `path` through a temporary file that replaces `path` only when
    /// complete, gzip-compressed when `path` ends in ".gz". Throws `FileError` with the
    /// system's description when that fails.
    void save(const QString& path) const;

    /// The types of file this document is saved as, as QFileDialog filters: FASTA, plain
    /// text, then gzip-compressed FASTA.
    static QStringList nameFilters();
    /// The filter of gzip-compressed FASTA.
    static QString gzipNameFilter() {
        return QStringLiteral("FASTA, gzip-compressed (*.fasta.gz)");
    }

private:
    QByteArray utf8_;
};

} // namespace pellacor
