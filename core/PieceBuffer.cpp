#include "core/PieceBuffer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace pellacor {
namespace {

constexpr std::size_t hugePage = std::size_t(2) << 20;
// Below this a buffer comes from the heap: a huge page for a few kilobytes costs more to clear
// than the faults it saves.
constexpr std::size_t mappedFrom = hugePage / 2;

struct Memory {
    char* data = nullptr;
    std::size_t bytes = 0;
    bool mapped = false;
};

void release(const Memory& memory) noexcept {
#if defined(__linux__)
    if (memory.mapped) {
        ::munmap(memory.data, memory.bytes);
        return;
    }
#endif
    delete[] memory.data;
}

// At least `bytes`: from `mappedFrom` on, whole huge pages aligned on their size, so that the
// system can back them with huge pages.
Memory allocate(std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes >= mappedFrom) {
        const std::size_t rounded = (bytes + hugePage - 1) / hugePage * hugePage;
        // Mapped a huge page over, then trimmed to the aligned part.
        void* mapped = ::mmap(nullptr, rounded + hugePage, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + hugePage - 1) / hugePage * hugePage;
        if (aligned > start)
            ::munmap(mapped, aligned - start);
        if (const std::size_t tail = start + hugePage - aligned; tail > 0)
            ::munmap(reinterpret_cast<void*>(aligned + rounded), tail);
        ::madvise(reinterpret_cast<void*>(aligned), rounded, MADV_HUGEPAGE);
        return {reinterpret_cast<char*>(aligned), rounded, true};
    }
#endif
    return {new char[bytes], bytes, false};
}

} // namespace

PieceBuffer::PieceBuffer(PieceBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)), mapped_(std::exchange(other.mapped_, false)) {}

PieceBuffer& PieceBuffer::operator=(PieceBuffer&& other) noexcept {
    if (this != &other) {
        release({data_, capacity_, mapped_});
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        mapped_ = std::exchange(other.mapped_, false);
    }
    return *this;
}

PieceBuffer::~PieceBuffer() {
    release({data_, capacity_, mapped_});
}

void PieceBuffer::reserve(std::size_t bytes) {
    const Memory grown = allocate(std::max(bytes, 2 * capacity_));
    if (size_ > 0)
        std::memcpy(grown.data, data_, size_);
    release({data_, capacity_, mapped_});
    data_ = grown.data;
    capacity_ = grown.bytes;
    mapped_ = grown.mapped;
}

} // namespace pellacor
