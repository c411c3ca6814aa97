#include "files/GzipText.h"

#include <algorithm>
#include <cstring>

namespace pellacor {
namespace {

// Compressed bytes handed to the inflater at a time: their pages are read in ahead in one go.
constexpr std::size_t inputStep = std::size_t(1) << 20;

} // namespace

GzipText::GzipText(std::unique_ptr<TextSource> compressed, std::string name)
    : compressed_(std::move(compressed)), inflater_(std::move(name)), queue_(pieces, pieceBytes),
      inflating_([this] { inflateAll(); }) {}

GzipText::~GzipText() {
    queue_.close();
    compressed_->interrupt();
    inflating_.join();
}

bool GzipText::readMore() {
    if (isComplete_)
        return false;
    std::optional<PieceQueue::Piece> piece = queue_.next();
    if (!piece) {
        isComplete_ = true;
        return false;
    }
    const bool grew = piece->size > 0;
    if (grew) {
        window_.makeRoom(piece->size);
        std::memcpy(window_.back(), piece->bytes.get(), piece->size);
        window_.added(piece->size);
    }
    isComplete_ = piece->isLast;
    queue_.recycle(std::move(*piece));
    return grew || !isComplete_;
}

void GzipText::inflateAll() noexcept {
    try {
        while (std::optional<PieceQueue::Piece> piece = queue_.emptyPiece()) {
            std::exception_ptr fault;
            try {
                fill(*piece);
            } catch (...) {
                fault = std::current_exception();
            }
            // What was made before a fault is read before the fault is heard of.
            const bool isLast = piece->isLast;
            queue_.send(std::move(*piece));
            if (fault) {
                queue_.finish(fault);
                return;
            }
            if (isLast)
                break;
        }
        queue_.finish();
    } catch (...) {
        queue_.finish(std::current_exception());
    }
}

void GzipText::fill(PieceQueue::Piece& piece) {
    TextSource& input = *compressed_;
    char* const out = piece.bytes.get();
    const std::size_t room = queue_.pieceBytes();
    bool needsMore = input.window().empty() && !input.isComplete();
    while (piece.size < room) {
        if (needsMore) {
            // A slow writer's rows go on as they come, rather than once a piece is full.
            if (piece.size > 0)
                return;
            if (!input.readMore() && !input.isComplete())
                return; // interrupted: the reader has left
        }
        const std::string_view window = input.window();
        const std::size_t given = std::min(window.size(), inputStep);
        const bool inputEnds = input.isComplete() && given == window.size();
        input.willRead(given);
        std::size_t used = 0;
        const std::size_t made = inflater_.inflate(window.substr(0, given), inputEnds,
                                                   out + piece.size, room - piece.size, used);
        piece.size += made;
        input.drop(used);
        if (inflater_.hasEnded()) {
            piece.isLast = true;
            return;
        }
        // The inflater takes all it is given unless its output is full, or it waits for the
        // rest of a member's first bytes.
        needsMore = !input.isComplete() && (input.window().empty() || (made == 0 && used == 0));
    }
}

} // namespace pellacor
