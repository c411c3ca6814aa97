#include "files/FileName.h"

#include "core/UnicodeText.h"

namespace pellacor {

std::string FileName::lowerExtension(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    return UnicodeText::toLower(name.substr(dot + 1));
}

std::string_view FileName::withoutGzipSuffix(std::string_view path) noexcept {
    if (path.size() > 3 && lowerExtension(path) == "gz")
        return path.substr(0, path.size() - 3);
    return path;
}

} // namespace pellacor
