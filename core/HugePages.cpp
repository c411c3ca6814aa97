#include "core/HugePages.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace pellacor {
namespace {

std::uintptr_t roundedUp(std::uintptr_t value) noexcept {
    return (value + HugePages::pageBytes - 1) / HugePages::pageBytes * HugePages::pageBytes;
}

} // namespace

HugePages::HugePages(std::size_t bytes) : bytes_(roundedUp(bytes)) {
    if (bytes_ == 0)
        return;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Mapped a huge page over, then trimmed to the aligned part.
    void* mapped = ::mmap(nullptr, bytes_ + pageBytes, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = roundedUp(start);
    if (aligned > start)
        ::munmap(mapped, aligned - start);
    if (const std::size_t tail = start + pageBytes - aligned; tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + bytes_), tail);
    ::madvise(reinterpret_cast<void*>(aligned), bytes_, MADV_HUGEPAGE);
    data_ = reinterpret_cast<char*>(aligned);
#else
    data_ = new char[bytes_]();
#endif
}

HugePages::HugePages(const HugePages& other) : HugePages(other.bytes_) {
    if (bytes_ > 0)
        std::memcpy(data_, other.data_, bytes_);
}

HugePages& HugePages::operator=(const HugePages& other) {
    if (this != &other)
        *this = HugePages(other);
    return *this;
}

HugePages::HugePages(HugePages&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), bytes_(std::exchange(other.bytes_, 0)) {}

HugePages& HugePages::operator=(HugePages&& other) noexcept {
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        bytes_ = std::exchange(other.bytes_, 0);
    }
    return *this;
}

HugePages::~HugePages() {
    release();
}

void HugePages::release() noexcept {
    if (!data_)
        return;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    ::munmap(data_, bytes_);
#else
    delete[] data_;
#endif
    data_ = nullptr;
    bytes_ = 0;
}

} // namespace pellacor
