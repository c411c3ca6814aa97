#pragma once

#include "core/ConversionTrace.h"
#include "core/LineWidth.h"
#include "core/RecordView.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

namespace pellacor {

/// Renders records as FASTA text into a buffer that stays in cache and hands the text on in
/// pieces of about a megabyte, each ending where a record ends: a table of any size passes
/// through in bounded memory.
class FastaStream {
public:
    /// Where the pieces go, in order.
    using Output = std::function<void(std::string_view piece)>;
    /// Bytes gathered before a piece is handed on.
    static constexpr std::size_t pieceBytes = std::size_t(1) << 20;

    /// A stream at `width` handing its pieces to `output`; with `counting`, it also counts
    /// them for the trace.
    FastaStream(LineWidth width, Output output, bool counting = false);

    /// Renders `record` after the ones before.
    void add(const RecordView& record);
    /// Hands on `bytes`, records rendered elsewhere at this stream's width, after the ones
    /// before.
    void addRendered(std::string_view bytes);
    /// Hands on what is left; call once, after the last record.
    void finish();
    /// The counts of everything handed on (with `counting`).
    const ConversionTrace::FastaCounter& counter() const noexcept { return counter_; }

private:
    void handOn();
    void addInPieces(const RecordView& record);
    /// Makes the buffer hold at least `bytes`, keeping what is in it.
    void reserve(std::size_t bytes);

    LineWidth width_;
    Output output_;
    bool counting_;
    ConversionTrace::FastaCounter counter_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t used_ = 0;
};

} // namespace pellacor
