#include "files/GzipCompressor.h"

#include "files/FileName.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <stdexcept>
#include <thread>

namespace pellacor {
namespace {

std::size_t levelBufferBytes(int level) {
    switch (level) {
    case 1:
        return ISAL_DEF_LVL1_DEFAULT;
    case 2:
        return ISAL_DEF_LVL2_DEFAULT;
    case 3:
        return ISAL_DEF_LVL3_DEFAULT;
    default:
        return 0;
    }
}

// A gzip header of no name and no time, from a Unix system.
constexpr char header[] = {'\x1f', '\x8b', 8, 0, 0, 0, 0, 0, 0, 3};

// A worker's memory for compressing, kept from piece to piece: fresh buffers for every
// megabyte had the kernel clear and the library zero as many bytes again as it compressed.
struct Scratch {
    std::unique_ptr<std::uint8_t[]> level;
    std::size_t levelBytes = 0;
    std::unique_ptr<std::uint8_t[]> out;
    std::size_t outBytes = 0;
};

// `text` as raw deflate data that ends on a byte with history forgotten (a full flush), so
// that the next piece can follow it; the end of the stream when `isLast`.
std::string deflatePiece(std::string_view text, int level, bool isLast) {
    thread_local Scratch scratch;
    isal_zstream stream;
    isal_deflate_stateless_init(&stream);
    stream.gzip_flag = IGZIP_DEFLATE;
    stream.level = static_cast<std::uint32_t>(level);
    if (const std::size_t bytes = levelBufferBytes(level)) {
        if (scratch.levelBytes < bytes) {
            scratch.level = std::make_unique_for_overwrite<std::uint8_t[]>(bytes);
            scratch.levelBytes = bytes;
        }
        stream.level_buf = scratch.level.get();
        stream.level_buf_size = static_cast<std::uint32_t>(bytes);
    }
    // Room for text that does not compress, stored, and the blocks' headers.
    const std::size_t room = text.size() + text.size() / 16 + 1024;
    if (scratch.outBytes < room) {
        scratch.out = std::make_unique_for_overwrite<std::uint8_t[]>(room);
        scratch.outBytes = room;
    }
    // One call compresses the whole piece: it is all here, and the call need keep no state.
    stream.next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<std::uint32_t>(text.size());
    stream.end_of_stream = isLast;
    stream.flush = isLast ? NO_FLUSH : FULL_FLUSH;
    stream.next_out = scratch.out.get();
    stream.avail_out = static_cast<std::uint32_t>(room);
    if (isal_deflate_stateless(&stream) != COMP_OK)
        throw std::logic_error("the gzip compressor was set up wrongly");
    return std::string(reinterpret_cast<const char*>(scratch.out.get()), stream.total_out);
}

} // namespace

GzipCompressor::GzipCompressor(Output output, int level, unsigned threads)
    : output_(std::move(output)), level_(std::clamp(level, 0, 3)),
      inFlight_(2 * std::max(1u, threads ? threads : std::thread::hardware_concurrency())),
      workers_(static_cast<unsigned>(inFlight_ / 2)) {
    static_assert(pieceBytes <= std::numeric_limits<std::uint32_t>::max());
    pending_.reserve(pieceBytes);
}

GzipCompressor::~GzipCompressor() = default;

void GzipCompressor::write(std::string_view text) {
    while (!text.empty()) {
        const std::size_t taken = std::min(text.size(), pieceBytes - pending_.size());
        pending_.append(text.substr(0, taken));
        text.remove_prefix(taken);
        if (pending_.size() == pieceBytes)
            submit(false);
    }
}

void GzipCompressor::finish() {
    submit(true);
    while (!running_.empty())
        handOnOldest();
    char trailer[8];
    for (int i = 0; i < 4; ++i) {
        trailer[i] = static_cast<char>((crc_ >> (8 * i)) & 0xFF);
        trailer[4 + i] = static_cast<char>((size_ >> (8 * i)) & 0xFF);
    }
    output_(std::string_view(trailer, sizeof trailer));
}

void GzipCompressor::submit(bool isLast) {
    if (size_ == 0 && running_.empty())
        output_(std::string_view(header, sizeof header));
    crc_ = crc32_gzip_refl(crc_, reinterpret_cast<const unsigned char*>(pending_.data()),
                           pending_.size());
    size_ += pending_.size();
    std::string text = std::move(pending_);
    if (spare_.empty()) {
        pending_ = std::string();
        pending_.reserve(pieceBytes);
    } else {
        pending_ = std::move(spare_.back());
        spare_.pop_back();
    }
    running_.push_back(workers_.run([text = std::move(text), level = level_, isLast]() mutable {
        Piece piece;
        piece.compressed = deflatePiece(text, level, isLast);
        piece.text = std::move(text);
        return piece;
    }));
    while (running_.size() >= inFlight_)
        handOnOldest();
}

void GzipCompressor::handOnOldest() {
    Piece piece = running_.front().get();
    running_.pop_front();
    // The text's buffer takes the next piece's: its pages are already the process's.
    piece.text.clear();
    spare_.push_back(std::move(piece.text));
    output_(piece.compressed);
}

bool GzipCompressor::namesGzip(std::string_view path) noexcept {
    return FileName::withoutGzipSuffix(path).size() != path.size();
}

} // namespace pellacor
