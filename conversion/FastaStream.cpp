#include "conversion/FastaStream.h"

#include "core/FastaConverter.h"

namespace pellacor {

FastaStream::FastaStream(LineWidth width, Output output, bool counting)
    : width_(width), output_(std::move(output)), counting_(counting),
      buffer_(std::make_unique_for_overwrite<char[]>(2 * pieceBytes)), capacity_(2 * pieceBytes) {}

void FastaStream::add(const RecordView& record) {
    // Records are written in place, so the buffer's bytes are never cleared first.
    const std::size_t bound = FastaConverter::recordSizeBound(record, width_);
    if (used_ + bound > capacity_) {
        handOn();
        // A record larger than the buffer gets one of its own size.
        if (bound > capacity_) {
            buffer_ = std::make_unique_for_overwrite<char[]>(bound);
            capacity_ = bound;
        }
    }
    used_ += FastaConverter::writeRecord(buffer_.get() + used_, record, width_).end;
    if (used_ >= pieceBytes)
        handOn();
}

void FastaStream::finish() {
    handOn();
}

void FastaStream::handOn() {
    if (used_ == 0)
        return;
    const std::string_view piece(buffer_.get(), used_);
    if (counting_)
        counter_.add(piece);
    used_ = 0;
    output_(piece);
    // The room a very large record took is given back.
    if (capacity_ > 2 * pieceBytes) {
        buffer_ = std::make_unique_for_overwrite<char[]>(2 * pieceBytes);
        capacity_ = 2 * pieceBytes;
    }
}

} // namespace pellacor
