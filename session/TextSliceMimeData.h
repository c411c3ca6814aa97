#pragma once

#include <QByteArray>
#include <QMimeData>

#include <cstddef>

namespace pellacor {

/// A stretch of a UTF-8 text as the clipboard's one plain-text item. It shares the text's
/// buffer and cuts the stretch out only when a program pastes it, so that putting even a
/// whole text of hundreds of megabytes on the clipboard costs nothing up front.
class TextSliceMimeData : public QMimeData {
    Q_OBJECT

public:
    /// Bytes [`start`, `end`) of `utf8`, which must begin and end on character boundaries.
    TextSliceMimeData(QByteArray utf8, std::size_t start, std::size_t end);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    QByteArray utf8_;
    std::size_t start_;
    std::size_t end_;
};

} // namespace pellacor
