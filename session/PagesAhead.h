#pragma once

#include <atomic>
#include <cstddef>
#include <thread>

namespace pellacor {

/// Faults in, on a thread of its own, the pages of a buffer a little ahead of where it is being
/// written, so that the writer does not stop at each new page for the kernel to clear it: a
/// result of hundreds of megabytes is a page fault every 4 KB. The pages ahead hold nothing
/// the writer has not yet written; their content stays as it was. Where the system cannot
/// fault pages in without touching them, this does nothing.
class PagesAhead {
public:
    /// Faults in [`base`, `base` + `bytes`) as `reached` moves on, at most `lead` bytes ahead.
    PagesAhead(const char* base, std::size_t bytes, std::size_t lead = std::size_t(16) << 20);
    /// Stops the thread and gives back the pages it faulted in beyond `written`.
    ~PagesAhead();
    PagesAhead(const PagesAhead&) = delete;
    PagesAhead& operator=(const PagesAhead&) = delete;

    /// The writer has written the first `written` bytes. Cheap: the thread is woken only once
    /// half its lead is used up.
    void reached(std::size_t written) noexcept {
        written_ = written;
        if (written + lead_ / 2 < asked_ || asked_ == bytes_)
            return;
        asked_ = written + lead_ < bytes_ ? written + lead_ : bytes_;
        target_.store(asked_, std::memory_order_release);
        target_.notify_one();
    }

    /// Gives the whole pages of [`base` + `from`, `base` + `to`) back to the system, which
    /// clears them if they are touched again: for memory that holds nothing of value.
    static void giveBack(const char* base, std::size_t from, std::size_t to) noexcept;

    /// The buffer was moved away (grown elsewhere), and what was behind it may belong to
    /// another now: the thread stops, and nothing is given back.
    void abandon() noexcept;

private:
    static constexpr std::size_t stopped = ~std::size_t(0);
    void run() noexcept;

    const char* base_;
    std::size_t bytes_;
    std::size_t lead_;
    std::size_t asked_ = 0;   // the writer's own
    std::size_t written_ = 0; // the writer's own
    std::atomic<std::size_t> target_{0};
    std::atomic<std::size_t> faulted_{0}; // the thread's, read after it ended
    std::thread thread_;
};

} // namespace pellacor
