#include "files/GzipInflater.h"

#include "files/DisplayName.h"
#include "files/FileError.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace pellacor {
namespace {

constexpr std::size_t mostAtOnce = std::numeric_limits<std::uint32_t>::max();

// ISA-L tells a fault by one of a few codes; the words are those zlib gives for the same
// fault, which users have been shown until now.
const char* faultOf(int status) noexcept {
    switch (status) {
    case ISAL_INVALID_BLOCK:
        return "invalid block type";
    case ISAL_INVALID_SYMBOL:
        return "invalid literal/length code";
    case ISAL_INVALID_LOOKBACK:
        return "invalid distance too far back";
    case ISAL_INVALID_WRAPPER:
        return "incorrect header check";
    case ISAL_UNSUPPORTED_METHOD:
        return "unknown compression method";
    case ISAL_INCORRECT_CHECKSUM:
        return "incorrect data check";
    default:
        return "unknown error";
    }
}

} // namespace

GzipInflater::GzipInflater(std::string name)
    : name_(std::move(name)), state_(std::make_unique<inflate_state>()) {
    isal_inflate_init(state_.get());
    state_->crc_flag = ISAL_GZIP; // reads the header, checks the trailer's CRC and length
}

GzipInflater::~GzipInflater() = default;

std::size_t GzipInflater::inflate(std::string_view input, bool inputEnds, char* out,
                                  std::size_t room, std::size_t& used) {
    used = 0;
    if (memberEnded_) {
        // Another member may follow; anything else after the last one is not gzip data.
        if (input.empty()) {
            hasEnded_ = inputEnds;
            return 0;
        }
        if (input.size() < 2 && !inputEnds)
            return 0; // the rest of the magic number is still to come
        if (!startsGzip(input))
            throw FileError(DisplayName::quoted(name_) +
                            " holds other data after its gzip data; it is damaged.");
        isal_inflate_reset(state_.get());
        state_->crc_flag = ISAL_GZIP;
        memberEnded_ = false;
    }
    const std::size_t given = std::min(input.size(), mostAtOnce);
    const std::size_t space = std::min(room, mostAtOnce);
    state_->next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(input.data()));
    state_->avail_in = static_cast<std::uint32_t>(given);
    state_->next_out = reinterpret_cast<std::uint8_t*>(out);
    state_->avail_out = static_cast<std::uint32_t>(space);
    const int status = isal_inflate(state_.get());
    used = given - state_->avail_in;
    const std::size_t made = space - state_->avail_out;
    if (status < 0)
        failDamaged(status);
    if (state_->block_state == ISAL_BLOCK_FINISH) {
        memberEnded_ = true;
        hasEnded_ = inputEnds && used == input.size();
        return made;
    }
    if (inputEnds && used == input.size() && made == 0)
        throw FileError(DisplayName::quoted(name_) +
                        " ends before its gzip data does; it was cut short.");
    return made;
}

void GzipInflater::failDamaged(int status) const {
    throw FileError(DisplayName::quoted(name_) + " is damaged: its gzip data cannot be inflated (" +
                    faultOf(status) + ").");
}

} // namespace pellacor
