#pragma once

#include "files/GzipInflater.h"
#include "files/PieceQueue.h"
#include "files/SlidingWindow.h"
#include "files/TextSource.h"

#include <memory>
#include <string>
#include <thread>

namespace pellacor {

/// gzip-compressed text, inflated on a thread of its own while the reader works on what came
/// before: the two meet in a queue of a few pieces, so memory stays bounded whatever the size.
/// Several gzip members one after another (as bgzip writes them) read as one text; faults in
/// the data are thrown by `readMore` once the text before them has been read.
class GzipText : public TextSource {
public:
    /// Pieces in flight between the threads, and their size.
    static constexpr std::size_t pieces = 4;
    static constexpr std::size_t pieceBytes = std::size_t(4) << 20;

    /// Inflates the bytes of `compressed`, from a file named `name`, starting at once.
    GzipText(std::unique_ptr<TextSource> compressed, std::string name);
    /// Stops the inflating thread, wherever it is, and waits for it.
    ~GzipText() override;
    GzipText(const GzipText&) = delete;
    GzipText& operator=(const GzipText&) = delete;

    /// True when `bytes` begin as gzip data does.
    static bool startsGzip(std::string_view bytes) noexcept {
        return GzipInflater::startsGzip(bytes);
    }

    std::string_view window() const noexcept override { return window_.view(); }
    bool readMore() override;
    bool isComplete() const noexcept override { return isComplete_; }
    void drop(std::size_t bytes) override { window_.drop(bytes); }
    void verifyUnchanged() const override { compressed_->verifyUnchanged(); }

private:
    // The inflating thread: fills pieces until the data ends, fails or the reader leaves.
    void inflateAll() noexcept;
    // Fills `piece` as far as the input goes without waiting, and at least with something.
    void fill(PieceQueue::Piece& piece);

    std::unique_ptr<TextSource> compressed_;
    GzipInflater inflater_;
    PieceQueue queue_;
    SlidingWindow window_;
    bool isComplete_ = false;
    std::thread inflating_; // last: starts once everything it uses is there
};

} // namespace pellacor
