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
    /// A document holding `text`.
    explicit FastaDocument(const QString& text);

    /// A document holding the UTF-8 text `utf8`, which the caller vouches is valid UTF-8.
    static FastaDocument fromUtf8(QByteArray utf8);
    /// A document read from file bytes: their text when they are valid UTF-8, else empty.
    static FastaDocument fromFileBytes(const QByteArray& bytes);

    /// The document's text.
    QString content() const { return QString::fromUtf8(utf8_); }
    /// Replaces the text; text that cannot be encoded as UTF-8 leaves the document empty.
    void setContent(const QString& text);
    /// The document's text as UTF-8.
    const QByteArray& contentUtf8() const noexcept { return utf8_; }

    /// The bytes of the file: exactly the UTF-8 encoding of the text, nothing added.
    QByteArray fileBytes() const { return utf8_; }
    /// Writes the file bytes to `path` through a temporary file that replaces `path` only when
    /// complete. Throws `FileError` with the system's description when that fails.
    void save(const QString& path) const;

    /// The type of file this document reads and writes, as a QFileDialog filter.
    static QStringList nameFilters();

private:
    QByteArray utf8_;
};

} // namespace pellacor
