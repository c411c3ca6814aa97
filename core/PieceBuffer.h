#pragma once

#include "core/HugePages.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace pellacor {

/// Bytes a worker writes in place, piece after piece (its rendered records, its copy of the
/// text): no byte is cleared before it is written, and the memory stays from one piece to the
/// next. From a quarter of a megabyte on, it is `HugePages`.
class PieceBuffer {
public:
    PieceBuffer() = default;
    /// The moved-from buffer is empty, with no memory.
    PieceBuffer(PieceBuffer&& other) noexcept;
    PieceBuffer& operator=(PieceBuffer&& other) noexcept;

    std::string_view view() const noexcept { return {data_, size_}; }
    std::size_t size() const noexcept { return size_; }
    std::size_t capacity() const noexcept { return capacity_; }
    void clear() noexcept { size_ = 0; }
    /// Room for `bytes` more at the end, to be taken with `grow`; what was written stays.
    /// Throws `std::bad_alloc` when there is no memory for it.
    char* room(std::size_t bytes) {
        if (bytes > capacity_ - size_)
            reserve(size_ + bytes);
        return data_ + size_;
    }
    void grow(std::size_t bytes) noexcept { size_ += bytes; }
    /// Copies `bytes` to the end. An empty view may point nowhere, and a buffer not yet made
    /// has no room to point at: neither is handed to memcpy.
    void append(std::string_view bytes) {
        if (bytes.empty())
            return;
        std::memcpy(room(bytes.size()), bytes.data(), bytes.size());
        grow(bytes.size());
    }

private:
    void reserve(std::size_t bytes);

    // One of the two holds the bytes.
    HugePages mapped_;
    std::unique_ptr<char[]> heap_;
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace pellacor
