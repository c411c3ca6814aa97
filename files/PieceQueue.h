#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>

namespace pellacor {

/// Pieces of bytes handed from a thread that makes them to a thread that reads them. A fixed
/// number of pieces go round, so the maker waits while the reader is behind and memory stays
/// at those pieces, whatever the input's size.
class PieceQueue {
public:
    /// A buffer and how much of it is filled.
    struct Piece {
        std::unique_ptr<char[]> bytes;
        std::size_t size = 0;
        /// True for the last piece the maker sends.
        bool isLast = false;
    };

    /// `pieces` buffers of `pieceBytes` each.
    PieceQueue(std::size_t pieces, std::size_t pieceBytes);

    std::size_t pieceBytes() const noexcept { return pieceBytes_; }

    /// For the maker: an empty piece to fill, waiting for one; none once the reader has closed
    /// the queue.
    std::optional<Piece> emptyPiece();
    /// For the maker: hands on a filled piece.
    void send(Piece piece);
    /// For the maker: no more pieces come; `error`, if any, is thrown to the reader after the
    /// pieces sent before it.
    void finish(std::exception_ptr error = nullptr);

    /// For the reader: the next filled piece, waiting for it; none once the maker has
    /// finished. Throws the maker's error in place of the piece that did not come.
    std::optional<Piece> next();
    /// For the reader: gives a piece back to be filled again.
    void recycle(Piece piece);
    /// For the reader: it takes no more pieces, and a maker waiting for an empty one stops.
    void close();

private:
    const std::size_t pieceBytes_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Piece> empty_;
    std::deque<Piece> filled_;
    std::exception_ptr error_;
    bool isFinished_ = false;
    bool isClosed_ = false;
};

} // namespace pellacor
