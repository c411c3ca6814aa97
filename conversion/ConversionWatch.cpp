#include "conversion/ConversionWatch.h"

#include "readers/ReadCancelled.h"

#include <algorithm>

namespace pellacor {

void ConversionWatch::reached(std::uint64_t done, std::uint64_t total) const {
    if (stop_.stop_requested())
        throw ReadCancelled();
    // Inflated or re-encoded text can outgrow the file it came from.
    if (progress_)
        progress_(total > 0 ? std::min(done, total) : done, total);
}

} // namespace pellacor
