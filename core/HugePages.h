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
};

} // namespace pellacor
