#include "files/GzipText.h"

#include "files/DisplayName.h"
#include "files/FileError.h"

#include <climits>
#include <new>

namespace pellacor {

GzipText::GzipText(std::unique_ptr<TextSource> compressed, std::string name)
    : DecodedText(std::move(compressed), std::move(name)) {
    // 16 + 15: gzip wrapping, the largest window.
    if (inflateInit2(&stream_, 16 + MAX_WBITS) != Z_OK)
        throw std::bad_alloc();
}

GzipText::~GzipText() {
    inflateEnd(&stream_);
}

std::size_t GzipText::decode(std::string_view input, bool inputEnds, char* out, std::size_t room,
                             std::size_t& used) {
    used = 0;
    if (memberEnded_) {
        // Another member may follow; anything else after the last one is not gzip data.
        if (input.empty()) {
            if (inputEnds)
                hasEnded_ = true;
            return 0;
        }
        if (!startsGzip(input))
            throw FileError(DisplayName::quoted(name()) +
                            " holds other data after its gzip data; it is damaged.");
        inflateReset(&stream_);
        memberEnded_ = false;
    }
    stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream_.avail_in = static_cast<uInt>(std::min<std::size_t>(input.size(), UINT_MAX));
    stream_.next_out = reinterpret_cast<Bytef*>(out);
    stream_.avail_out = static_cast<uInt>(std::min<std::size_t>(room, UINT_MAX));
    const int status = inflate(&stream_, Z_NO_FLUSH);
    used = input.size() > UINT_MAX ? UINT_MAX - stream_.avail_in : input.size() - stream_.avail_in;
    const std::size_t made = std::min<std::size_t>(room, UINT_MAX) - stream_.avail_out;
    if (status == Z_STREAM_END) {
        memberEnded_ = true;
        if (used == input.size() && inputEnds)
            hasEnded_ = true;
        return made;
    }
    if (status == Z_MEM_ERROR)
        throw std::bad_alloc();
    if (status != Z_OK && status != Z_BUF_ERROR)
        throw FileError(DisplayName::quoted(name()) + " is damaged: its gzip data cannot be " +
                        "inflated (" + (stream_.msg ? stream_.msg : "unknown error") + ").");
    if (inputEnds && used == input.size() && made == 0)
        throw FileError(DisplayName::quoted(name()) +
                        " ends before its gzip data does; it was cut short.");
    return made;
}

} // namespace pellacor
