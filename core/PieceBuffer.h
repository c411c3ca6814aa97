#pragma once

#include <cstddef>
#include <string_view>

namespace pellacor {

/// Bytes a worker writes in place, piece after piece (its rendered records, its copy of the
/// text): no byte is cleared before it is written, and the memory stays from one piece to the
/// next. A buffer of a megabyte or more is whole transparent huge pages where the system has
/// them: on some virtual machines the first touch of every 4 KB page is a trip out of the
/// guest, and one fault brings in 2 MB.
class PieceBuffer {
public:
    PieceBuffer() = default;
    PieceBuffer(PieceBuffer&& other) noexcept;
    PieceBuffer& operator=(PieceBuffer&& other) noexcept;
    PieceBuffer(const PieceBuffer&) = delete;
    PieceBuffer& operator=(const PieceBuffer&) = delete;
    ~PieceBuffer();

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

private:
    void reserve(std::size_t bytes);

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    bool mapped_ = false; // a mapping of its own, rather than from the heap
};

} // namespace pellacor
