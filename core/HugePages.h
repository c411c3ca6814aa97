#pragma once

#include <cstddef>
#include <string>

namespace pellacor {

/// Asks the kernel to back a large buffer with huge pages, so that filling hundreds of
/// megabytes costs hundreds rather than hundreds of thousands of page faults. A hint only.
class HugePages {
public:
    HugePages() = delete;

    /// Reserves `capacity` bytes in `buffer` and advises huge pages for its storage.
    static void reserve(std::string& buffer, std::size_t capacity);
    /// Advises huge pages for the 2 MiB-aligned interior of `bytes` bytes at `data`.
    static void advise(void* data, std::size_t bytes) noexcept;
};

} // namespace pellacor
