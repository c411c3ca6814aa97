#include "files/SlidingWindow.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace pellacor {
namespace {

// The buffer lives in a mapping of its own, which grows by moving its pages rather than
// copying them: a window grown for one row of a gigabyte holds about that gigabyte, never two,
// and its memory goes back to the system as soon as it is freed. (From the heap, growing
// copied, and the heap kept what it had held: a 1 GB row from a pipe peaked at 2.1 GB.)
char* resize(char* buffer, std::size_t from, std::size_t to) {
#if defined(__linux__)
    void* moved =
        buffer ? ::mremap(buffer, from, to, MREMAP_MAYMOVE)
               : ::mmap(nullptr, to, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (moved == MAP_FAILED)
        throw std::bad_alloc();
    return static_cast<char*>(moved);
#else
    (void)from;
    void* moved = std::realloc(buffer, to);
    if (!moved)
        throw std::bad_alloc();
    return static_cast<char*>(moved);
#endif
}

} // namespace

SlidingWindow::~SlidingWindow() {
    if (!buffer_)
        return;
#if defined(__linux__)
    ::munmap(buffer_, capacity_);
#else
    std::free(buffer_);
#endif
}

void SlidingWindow::makeRoom(std::size_t room) {
    const std::size_t kept = size();
    if (start_ > 0 && kept > 0)
        std::memmove(buffer_, buffer_ + start_, kept);
    start_ = 0;
    end_ = kept;
    if (capacity_ - kept >= room)
        return;
    constexpr std::size_t page = 4096;
    const std::size_t capacity = (std::max(room + kept, 2 * capacity_) + page - 1) / page * page;
    buffer_ = resize(buffer_, capacity_, capacity);
    capacity_ = capacity;
}

} // namespace pellacor
