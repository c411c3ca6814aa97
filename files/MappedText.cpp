#include "files/MappedText.h"

namespace pellacor {
namespace {

// Memory is given back in steps this large: often enough to stay small, seldom enough to
// cost nothing.
constexpr std::size_t releaseStep = std::size_t(8) << 20;

} // namespace

void MappedText::drop(std::size_t bytes) {
    dropped_ += bytes;
    if (dropped_ - released_ < releaseStep)
        return;
    file_.release(dropped_);
    released_ = dropped_;
}

} // namespace pellacor
