#include "session/FileAccess.h"

namespace pellacor {

bool FileAccess::startAccessing(const QString&) {
    return true;
}

void FileAccess::stopAccessing(const QString&) {}

} // namespace pellacor
