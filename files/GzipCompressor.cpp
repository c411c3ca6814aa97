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

// `text` as raw deflate data that ends on a byte with history forgotten (a full flush), so
// that the next piece can follow it; the end of the stream when `isLast`.
std::string deflatePiece(std::string text, int level, bool isLast) {
    isal_zstream stream;
    isal_deflate_init(&stream);
    stream.gzip_flag = IGZIP_DEFLATE;
    stream.level = static_cast<std::uint32_t>(level);
    std::unique_ptr<unsigned char[]> levelBuffer;
    if (const std::size_t bytes = levelBufferBytes(level)) {
        levelBuffer = std::make_unique_for_overwrite<unsigned char[]>(bytes);
        stream.level_buf = levelBuffer.get();
        stream.level_buf_size = static_cast<std::uint32_t>(bytes);
    }
    stream.next_in = reinterpret_cast<std::uint8_t*>(text.data());
    stream.avail_in = static_cast<std::uint32_t>(text.size());
    stream.end_of_stream = isLast;
    stream.flush = isLast ? NO_FLUSH : FULL_FLUSH;
    // Room for text that does not compress, stored, and the blocks' headers.
    std::string out(text.size() + text.size() / 16 + 1024, '\0');
    std::size_t made = 0;
    for (;;) {
        stream.next_out = reinterpret_cast<std::uint8_t*>(out.data() + made);
        stream.avail_out = static_cast<std::uint32_t>(out.size() - made);
        if (isal_deflate(&stream) != COMP_OK)
            throw std::logic_error("the gzip compressor was set up wrongly");
        made = out.size() - stream.avail_out;
        const bool done = isLast ? stream.internal_state.state == ZSTATE_END
                                 : stream.avail_in == 0 && stream.avail_out > 0;
        if (done)
            break;
        out.resize(out.size() * 2);
    }
    out.resize(made);
    return out;
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
    std::string piece = std::move(pending_);
    pending_ = std::string();
    pending_.reserve(pieceBytes);
    running_.push_back(workers_.run([piece = std::move(piece), level = level_, isLast]() mutable {
        return deflatePiece(std::move(piece), level, isLast);
    }));
    while (running_.size() >= inFlight_)
        handOnOldest();
}

void GzipCompressor::handOnOldest() {
    std::string compressed = running_.front().get();
    running_.pop_front();
    output_(compressed);
}

bool GzipCompressor::namesGzip(std::string_view path) noexcept {
    return FileName::withoutGzipSuffix(path).size() != path.size();
}

} // namespace pellacor
