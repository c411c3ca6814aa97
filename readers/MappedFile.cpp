#include "readers/MappedFile.h"

#include "readers/FileBytes.h"
#include "readers/TableError.h"

#include <cerrno>
#include <sys/mman.h>

namespace pellacor {

MappedFile::MappedFile(const std::filesystem::path& path) {
    const FileBytes::RegularFile file = FileBytes::openRegular(path);
    size_ = file.size;
    if (size_ == 0)
        return;
    int flags = MAP_PRIVATE;
#if defined(MAP_POPULATE)
    flags |= MAP_POPULATE;
#endif
    // The mapping keeps the file open after the descriptor closes.
    void* mapped = ::mmap(nullptr, size_, PROT_READ, flags, file.fd.get(), 0);
    if (mapped == MAP_FAILED)
        throw FileError("Cannot read", path.string(), errno);
    data_ = static_cast<const char*>(mapped);
}

MappedFile::~MappedFile() {
    if (data_)
        ::munmap(const_cast<char*>(data_), size_);
}

} // namespace pellacor
