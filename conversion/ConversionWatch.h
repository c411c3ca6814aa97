#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>

namespace pellacor {

/// How far a conversion has read, in bytes of its input: `done` of `total` (0 when the total
/// is not known).
using ReadProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

/// What a conversion's reading reports to at each piece of input: tells the progress, and
/// ends the conversion when its stop was asked for.
class ConversionWatch {
public:
    /// A watch over `stop` that tells `progress` (which may be empty).
    ConversionWatch(std::stop_token stop, ReadProgress progress)
        : stop_(std::move(stop)), progress_(std::move(progress)) {}

    /// Notes that `done` bytes of `total` are read. Throws `ReadCancelled` once the stop
    /// was asked for.
    void reached(std::uint64_t done, std::uint64_t total) const;

private:
    std::stop_token stop_;
    ReadProgress progress_;
};

} // namespace pellacor
