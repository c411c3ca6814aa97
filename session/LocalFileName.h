#pragma once

#include <QByteArray>
#include <QString>

namespace pellacor {

/// The bytes the file system uses for `path`. A name that is not valid UTF-8 reaches Qt with
/// its odd bytes replaced (U+FFFD), so encoding the string back names no file; each such
/// component is looked up among its folder's entries instead, and used when exactly one
/// entry reads the same. Anything else is encoded as it stands.
QByteArray localFileName(const QString& path);

} // namespace pellacor
