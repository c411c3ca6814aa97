#include "files/GzipCompressor.h"

#include "files/FileName.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>

namespace pellacor {
namespace {

constexpr std::size_t outBytes = std::size_t(1) << 20;
constexpr std::size_t mostAtOnce = std::numeric_limits<std::uint32_t>::max();

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

} // namespace

GzipCompressor::GzipCompressor(Output output, int level)
    : output_(std::move(output)), stream_(std::make_unique<isal_zstream>()),
      out_(std::make_unique_for_overwrite<char[]>(outBytes)) {
    isal_deflate_init(stream_.get());
    stream_->gzip_flag = IGZIP_GZIP;
    stream_->level = static_cast<std::uint32_t>(std::clamp(level, 0, 3));
    if (const std::size_t bytes = levelBufferBytes(level)) {
        levelBuffer_ = std::make_unique_for_overwrite<unsigned char[]>(bytes);
        stream_->level_buf = levelBuffer_.get();
        stream_->level_buf_size = static_cast<std::uint32_t>(bytes);
    }
}

GzipCompressor::~GzipCompressor() = default;

void GzipCompressor::write(std::string_view text) {
    run(text, false);
}

void GzipCompressor::finish() {
    run({}, true);
}

void GzipCompressor::run(std::string_view text, bool ends) {
    do {
        const std::size_t given = std::min(text.size(), mostAtOnce);
        stream_->next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(text.data()));
        stream_->avail_in = static_cast<std::uint32_t>(given);
        stream_->end_of_stream = ends && given == text.size();
        stream_->flush = NO_FLUSH;
        do {
            stream_->next_out = reinterpret_cast<std::uint8_t*>(out_.get());
            stream_->avail_out = static_cast<std::uint32_t>(outBytes);
            if (isal_deflate(stream_.get()) != COMP_OK)
                throw std::logic_error("the gzip compressor was set up wrongly");
            if (const std::size_t made = outBytes - stream_->avail_out)
                output_(std::string_view(out_.get(), made));
        } while (stream_->avail_in > 0 ||
                 (stream_->end_of_stream && stream_->internal_state.state != ZSTATE_END));
        text.remove_prefix(given);
    } while (!text.empty());
}

bool GzipCompressor::namesGzip(std::string_view path) noexcept {
    return FileName::withoutGzipSuffix(path).size() != path.size();
}

} // namespace pellacor
