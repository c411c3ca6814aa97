#include "conversion/TableInput.h"

#include "files/MappedText.h"
#include "files/StreamedText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellacor {

std::unique_ptr<TextSource> TableInput::open(const std::filesystem::path& path) {
    if (!isStandardInput(path))
        return std::make_unique<MappedText>(path);
    if (isRegularFile(path))
        return std::make_unique<MappedText>(STDIN_FILENO, "standard input");
#if defined(F_SETPIPE_SZ)
    // A larger pipe means fewer trips between the writer and us.
    ::fcntl(STDIN_FILENO, F_SETPIPE_SZ, 1 << 20);
#endif
    return std::make_unique<StreamedText>(STDIN_FILENO, "standard input");
}

bool TableInput::isRegularFile(const std::filesystem::path& path) noexcept {
    struct stat info {};
    const int status =
        isStandardInput(path) ? ::fstat(STDIN_FILENO, &info) : ::stat(path.c_str(), &info);
    return status == 0 && S_ISREG(info.st_mode);
}

} // namespace pellacor
