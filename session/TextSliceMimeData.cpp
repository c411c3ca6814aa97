#include "session/TextSliceMimeData.h"

#include <algorithm>

namespace pellacor {

TextSliceMimeData::TextSliceMimeData(QByteArray utf8, std::size_t start, std::size_t end)
    : utf8_(std::move(utf8)) {
    const auto size = static_cast<std::size_t>(utf8_.size());
    end_ = std::min(end, size);
    start_ = std::min(start, end_);
}

QStringList TextSliceMimeData::formats() const {
    return {QStringLiteral("text/plain")};
}

bool TextSliceMimeData::hasFormat(const QString& mimeType) const {
    return mimeType == QLatin1String("text/plain");
}

QVariant TextSliceMimeData::retrieveData(const QString& mimeType, QMetaType) const {
    if (!hasFormat(mimeType))
        return {};
    // Plain text in Qt is UTF-8; asked for a QString, QMimeData converts these bytes itself.
    if (start_ == 0 && end_ == static_cast<std::size_t>(utf8_.size()))
        return utf8_;
    return utf8_.mid(static_cast<qsizetype>(start_), static_cast<qsizetype>(end_ - start_));
}

} // namespace pellacor
