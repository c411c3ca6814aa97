#include "files/PieceQueue.h"

namespace pellacor {

PieceQueue::PieceQueue(std::size_t pieces, std::size_t pieceBytes) : pieceBytes_(pieceBytes) {
    for (std::size_t i = 0; i < pieces; ++i)
        empty_.push_back(Piece{std::make_unique_for_overwrite<char[]>(pieceBytes), 0, false});
}

std::optional<PieceQueue::Piece> PieceQueue::emptyPiece() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return isClosed_ || !empty_.empty(); });
    if (isClosed_)
        return std::nullopt;
    Piece piece = std::move(empty_.front());
    empty_.pop_front();
    piece.size = 0;
    piece.isLast = false;
    return piece;
}

void PieceQueue::send(Piece piece) {
    {
        std::lock_guard lock(mutex_);
        filled_.push_back(std::move(piece));
    }
    changed_.notify_all();
}

void PieceQueue::finish(std::exception_ptr error) {
    {
        std::lock_guard lock(mutex_);
        isFinished_ = true;
        error_ = std::move(error);
    }
    changed_.notify_all();
}

std::optional<PieceQueue::Piece> PieceQueue::next() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return isFinished_ || !filled_.empty(); });
    if (filled_.empty()) {
        if (error_)
            std::rethrow_exception(error_);
        return std::nullopt;
    }
    Piece piece = std::move(filled_.front());
    filled_.pop_front();
    return piece;
}

void PieceQueue::recycle(Piece piece) {
    {
        std::lock_guard lock(mutex_);
        empty_.push_back(std::move(piece));
    }
    changed_.notify_all();
}

void PieceQueue::close() {
    {
        std::lock_guard lock(mutex_);
        isClosed_ = true;
    }
    changed_.notify_all();
}

} // namespace pellacor
