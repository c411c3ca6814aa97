#include "conversion/FastaStream.h"

#include "core/FastaConverter.h"
#include "core/UnicodeText.h"

#include <algorithm>
#include <cstring>

namespace pellacor {

FastaStream::FastaStream(LineWidth width, Output output, bool counting)
    : width_(width), output_(std::move(output)), counting_(counting),
      buffer_(std::make_unique_for_overwrite<char[]>(2 * pieceBytes)), capacity_(2 * pieceBytes) {}

void FastaStream::add(const RecordView& record) {
    // Records are written in place, so the buffer's bytes are never cleared first.
    const std::size_t bound = FastaConverter::recordSizeBound(record, width_);
    if (bound > capacity_) {
        addInPieces(record);
        return;
    }
    if (used_ + bound > capacity_)
        handOn();
    used_ += FastaConverter::writeRecord(buffer_.get() + used_, record, width_).end;
    if (used_ >= pieceBytes)
        handOn();
}

void FastaStream::addInPieces(const RecordView& record) {
    // A record larger than the buffer (a whole chromosome) goes on a piece of whole lines at a
    // time, each cut after as many characters as fill about a piece, where a line ends.
    handOn();
    const RecordView header{record.identifier, std::string_view(), record.description};
    reserve(FastaConverter::recordSizeBound(header, width_));
    used_ = FastaConverter::writeRecord(buffer_.get(), header, width_).end;
    const std::size_t perPiece =
        width_.isUnwrapped() ? pieceBytes
                             : std::max<std::size_t>(1, pieceBytes / (width_.characters() + 1)) *
                                   width_.characters();
    std::string_view rest = record.sequence;
    while (!rest.empty()) {
        const std::size_t bytes = UnicodeText::graphemePrefixBytes(rest, perPiece);
        const std::string_view part = rest.substr(0, bytes);
        rest.remove_prefix(bytes);
        if (width_.isUnwrapped() && !rest.empty()) {
            // One line throughout: its LF comes after the last piece only.
            reserve(used_ + part.size());
            std::memcpy(buffer_.get() + used_, part.data(), part.size());
            used_ += part.size();
        } else {
            reserve(used_ + part.size() + width_.linesFor(part.size()));
            used_ += FastaConverter::writeSequence(buffer_.get() + used_, part, width_);
        }
        handOn();
    }
}

void FastaStream::reserve(std::size_t bytes) {
    // Characters of many bytes each can make a piece larger than the buffer.
    if (bytes <= capacity_)
        return;
    auto grown = std::make_unique_for_overwrite<char[]>(bytes);
    std::memcpy(grown.get(), buffer_.get(), used_);
    buffer_ = std::move(grown);
    capacity_ = bytes;
}

void FastaStream::addRendered(std::string_view bytes) {
    handOn();
    if (bytes.empty())
        return;
    if (counting_)
        counter_.add(bytes);
    output_(bytes);
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
