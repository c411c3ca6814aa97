#include "core/HugePages.h"

#include <cstdint>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace pellacor {

void HugePages::reserve(std::string& buffer, std::size_t capacity) {
    buffer.reserve(capacity);
    advise(buffer.data(), capacity);
}

void HugePages::advise(void* data, std::size_t bytes) noexcept {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t hugePage = std::uintptr_t(2) << 20;
    if (bytes < 4 * hugePage)
        return;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t alignedBegin = (begin + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t alignedEnd = (begin + bytes) & ~(hugePage - 1);
    if (alignedEnd > alignedBegin)
        ::madvise(reinterpret_cast<void*>(alignedBegin), alignedEnd - alignedBegin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

} // namespace pellacor
