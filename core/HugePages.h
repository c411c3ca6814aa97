#pragma once

#include <cstddef>

namespace pellacor {

/// Zero-filled memory of whole transparent huge pages, aligned on their size, where the system
/// has them; from the heap elsewhere. On some virtual machines the first touch of every 4 KB
/// page is a trip out of the guest: one fault here brings in 2 MB.
class HugePages {
public:
    static constexpr std::size_t pageBytes = std::size_t(2) << 20;

    HugePages() = default;
    /// At least `bytes`, rounded up to whole huge pages; throws `std::bad_alloc`.
    explicit HugePages(std::size_t bytes);
    HugePages(HugePages&& other) noexcept;
    HugePages& operator=(HugePages&& other) noexcept;
    /// A copy holds the same bytes in pages of its own.
    HugePages(const HugePages& other);
    HugePages& operator=(const HugePages& other);
    ~HugePages();

    char* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return bytes_; }

private:
    void release() noexcept;

    char* data_ = nullptr;
    std::size_t bytes_ = 0;
};

} // namespace pellacor
