#pragma once

#include "files/FileDescriptor.h"
#include "files/SlidingWindow.h"
#include "files/TextSource.h"

#include <memory>
#include <string>

namespace pellacor {

/// An input read a piece at a time from an open descriptor (a pipe, standard input): the
/// window holds what was read and not yet dropped, and grows only for a row longer than a
/// piece.
class StreamedText : public TextSource {
public:
    /// Bytes read at a time.
    static constexpr std::size_t pieceBytes = std::size_t(4) << 20;

    /// Reads from `fd` (named `name` in messages), which stays the caller's, `piece` bytes at a
    /// time at most.
    StreamedText(int fd, std::string name, std::size_t piece = pieceBytes);

    std::string_view window() const noexcept override { return window_.view(); }
    bool readMore() override;
    bool isComplete() const noexcept override { return atEnd_; }
    void drop(std::size_t bytes) override { window_.drop(bytes); }
    void interrupt() noexcept override;

private:
    int fd_;
    std::string name_;
    std::size_t piece_;
    SlidingWindow window_;
    bool atEnd_ = false;
    // Readable once `interrupt` was called; waits for input wait for it too.
    FileDescriptor wake_;
};

} // namespace pellacor
