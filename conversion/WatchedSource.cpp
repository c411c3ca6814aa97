#include "conversion/WatchedSource.h"

namespace pellacor {

bool WatchedSource::readMore() {
    watch_.reached(dropped_ + inner_.window().size(), total_);
    return inner_.readMore();
}

void WatchedSource::drop(std::size_t bytes) {
    inner_.drop(bytes);
    dropped_ += bytes;
    watch_.reached(dropped_, total_);
}

} // namespace pellacor
