#include "session/PagesAhead.h"

#include "core/HugePages.h"

#include <algorithm>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace pellacor {
namespace {

std::size_t pageSize() noexcept {
#if defined(__linux__)
    return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
#else
    return 4096;
#endif
}

// The offset from `base` of the first address at or after `base` + `offset` that is a
// multiple of `unit`.
std::size_t boundaryAfter(const char* base, std::size_t offset, std::uintptr_t unit) noexcept {
    const auto address = reinterpret_cast<std::uintptr_t>(base) + offset;
    return (address + unit - 1) / unit * unit - reinterpret_cast<std::uintptr_t>(base);
}

// The offset of the first whole page at or after `offset` from `base`.
std::size_t pageAfter(const char* base, std::size_t offset) noexcept {
    return boundaryAfter(base, offset, pageSize());
}

// Transparent huge pages: a result of hundreds of megabytes in 4 KB pages costs a fault, and
// on some virtual machines a trip out of the guest, every page. Faulting a page in ahead may
// bring in the whole huge page around it.
constexpr std::uintptr_t hugePage = HugePages::pageBytes;

} // namespace

PagesAhead::PagesAhead(const char* base, std::size_t bytes, std::size_t lead)
    : base_(base), bytes_(bytes), lead_(std::max<std::size_t>(lead, 2 * pageSize())) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
#if defined(MADV_HUGEPAGE)
    // Only huge pages wholly inside the buffer: what lies around it may be another's. The
    // system may have to compact memory for them, on the thread that faults them in.
    if (base_ && bytes_ > lead_) {
        const auto start = reinterpret_cast<std::uintptr_t>(base_);
        const std::uintptr_t first = (start + hugePage - 1) / hugePage * hugePage;
        const std::uintptr_t last = (start + bytes_) / hugePage * hugePage;
        if (last > first)
            ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#endif
    if (base_ && bytes_ > lead_)
        thread_ = std::thread([this] { run(); });
#endif
}

void PagesAhead::abandon() noexcept {
    if (!thread_.joinable())
        return;
    target_.store(stopped, std::memory_order_release);
    target_.notify_one();
    thread_.join();
}

PagesAhead::~PagesAhead() {
    if (!thread_.joinable())
        return;
    target_.store(stopped, std::memory_order_release);
    target_.notify_one();
    thread_.join();
    // Pages faulted in past the end of what was written hold nothing: they go back, to the end
    // of the huge page the last of them came in with (by this thread or by the writer's own
    // fault).
    const std::size_t faulted = std::max(written_, faulted_.load(std::memory_order_acquire));
    giveBack(base_, written_, std::min(bytes_, boundaryAfter(base_, faulted, hugePage)));
}

void PagesAhead::giveBack(const char* base, std::size_t from, std::size_t to) noexcept {
#if defined(__linux__)
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(base);
    const std::size_t page = pageSize();
    const std::uintptr_t first = (start + from + page - 1) / page * page;
    const std::uintptr_t last = (start + to) / page * page;
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
#else
    (void)base, (void)from, (void)to;
#endif
}

void PagesAhead::run() noexcept {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    // The page the buffer starts in may be shared with other memory: the writer faults it.
    std::size_t done = pageAfter(base_, 0);
    const std::size_t page = pageSize();
    const std::size_t end =
        (reinterpret_cast<std::uintptr_t>(base_) + bytes_) / page * page -
        reinterpret_cast<std::uintptr_t>(base_);
    for (;;) {
        const std::size_t target = target_.load(std::memory_order_acquire);
        if (target == stopped)
            break;
        const std::size_t to = std::min(end, pageAfter(base_, target));
        if (to <= done) {
            target_.wait(target, std::memory_order_acquire);
            continue;
        }
        // Faults the pages in as a write would, without writing: the content stays as it is.
        if (::madvise(const_cast<char*>(base_) + done, to - done, MADV_POPULATE_WRITE) != 0)
            break;
        done = to;
        faulted_.store(done, std::memory_order_release);
    }
#endif
}

} // namespace pellacor
