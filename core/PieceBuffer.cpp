#include "core/PieceBuffer.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace pellacor {
namespace {

// Below this a buffer comes from the heap: a huge page cleared for a few kilobytes costs more
// than the faults it saves.
constexpr std::size_t mappedFrom = HugePages::pageBytes / 8;

} // namespace

PieceBuffer::PieceBuffer(PieceBuffer&& other) noexcept
    : mapped_(std::move(other.mapped_)), heap_(std::move(other.heap_)),
      data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

PieceBuffer& PieceBuffer::operator=(PieceBuffer&& other) noexcept {
    if (this != &other) {
        mapped_ = std::move(other.mapped_);
        heap_ = std::move(other.heap_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

void PieceBuffer::reserve(std::size_t bytes) {
    const std::size_t wanted = std::max(bytes, 2 * capacity_);
    HugePages mapped;
    std::unique_ptr<char[]> heap;
    char* grown = nullptr;
    if (wanted >= mappedFrom) {
        mapped = HugePages(wanted);
        grown = mapped.data();
        capacity_ = mapped.size();
    } else {
        heap = std::make_unique_for_overwrite<char[]>(wanted);
        grown = heap.get();
        capacity_ = wanted;
    }
    if (size_ > 0)
        std::memcpy(grown, data_, size_);
    mapped_ = std::move(mapped);
    heap_ = std::move(heap);
    data_ = grown;
}

} // namespace pellacor
