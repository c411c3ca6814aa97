#pragma once

#include <atomic>
#include <cstdint>

namespace pellacor {

/// How far an import's worker has read, for the UI thread to look at when it likes: bytes
/// read, and of how many (0 while not known).
struct ImportProgress {
    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> total{0};
};

} // namespace pellacor
