#include "session/LocalFileName.h"

#include <QFile>
#include <QStringList>

#include <filesystem>
#include <system_error>

namespace pellacor {
namespace {

/// The one entry of `folder` whose decoded name is `name`; empty when none or several are.
QByteArray entryReadingAs(const QByteArray& folder, const QString& name) {
    QByteArray found;
    int matches = 0;
    std::error_code unreadable;
    for (std::filesystem::directory_iterator it(folder.toStdString(), unreadable), end;
         !unreadable && it != end; it.increment(unreadable)) {
        const std::string entry = it->path().filename().native();
        if (QFile::decodeName(QByteArray::fromStdString(entry)) == name) {
            found = QByteArray::fromStdString(entry);
            ++matches;
        }
    }
    return matches == 1 ? found : QByteArray();
}

} // namespace

QByteArray localFileName(const QString& path) {
    const QByteArray direct = QFile::encodeName(path);
    std::error_code unknown;
    if (!path.contains(QChar::ReplacementCharacter) ||
        std::filesystem::symlink_status(direct.toStdString(), unknown).type() !=
            std::filesystem::file_type::not_found)
        return direct;

    QByteArray resolved = path.startsWith(u'/') ? QByteArray("/") : QByteArray();
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        QByteArray bytes = QFile::encodeName(part);
        if (part.contains(QChar::ReplacementCharacter)) {
            bytes = entryReadingAs(resolved.isEmpty() ? QByteArray(".") : resolved, part);
            if (bytes.isEmpty())
                return direct;
        }
        if (!resolved.isEmpty() && !resolved.endsWith('/'))
            resolved += '/';
        resolved += bytes;
    }
    return resolved;
}

} // namespace pellacor
