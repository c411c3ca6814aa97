#include "files/FileError.h"

#include "files/DisplayName.h"

#include <cstring>

namespace pellacor {

FileError::FileError(const std::string& action, const std::string& path, int errorNumber)
    : std::runtime_error(action + " " + DisplayName::quoted(path) + ": " +
                         std::strerror(errorNumber) + "."),
      errorNumber_(errorNumber) {}

} // namespace pellacor
