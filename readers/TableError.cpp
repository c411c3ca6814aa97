#include "readers/TableError.h"

#include <cstring>
#include <filesystem>

namespace pellacor {

FileError::FileError(const std::string& action, const std::string& path, int errorNumber)
    : TableError(action + " \u201C" + std::filesystem::path(path).filename().string() +
                 "\u201D: " + std::strerror(errorNumber) + "."),
      errorNumber_(errorNumber) {}

} // namespace pellacor
