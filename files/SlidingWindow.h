#pragma once

#include <cstddef>
#include <string_view>

namespace pellacor {

/// The buffer behind a source read a piece at a time: bytes are added at the back and dropped
/// from the front, and what lies between is the source's window.
class SlidingWindow {
public:
    SlidingWindow() = default;
    /// Gives the buffer back.
    ~SlidingWindow();
    SlidingWindow(const SlidingWindow&) = delete;
    SlidingWindow& operator=(const SlidingWindow&) = delete;

    std::string_view view() const noexcept {
        return std::string_view(buffer_ + start_, end_ - start_);
    }
    std::size_t size() const noexcept { return end_ - start_; }
    void drop(std::size_t bytes) noexcept { start_ += bytes; }

    /// Moves the window to the front and leaves room for at least `room` bytes behind it: a
    /// window that fills the buffer, a row longer than a piece, doubles it.
    void makeRoom(std::size_t room);
    /// Where the next bytes go; `added` counts those written there.
    char* back() noexcept { return buffer_ + end_; }
    void added(std::size_t bytes) noexcept { end_ += bytes; }

private:
    char* buffer_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t start_ = 0; // the window is [start_, end_)
    std::size_t end_ = 0;
};

} // namespace pellacor
