#pragma once

#include "files/SlidingWindow.h"
#include "files/TextSource.h"

#include <memory>
#include <string>

namespace pellacor {

/// A source whose window holds another source's bytes turned into UTF-8 text a piece at a
/// time: gzip data inflated, UTF-16 or other encodings converted. Memory stays at a few pieces,
/// whatever the input's size.
class DecodedText : public TextSource {
public:
    /// Bytes made at a time.
    static constexpr std::size_t pieceBytes = std::size_t(4) << 20;
    /// The most bytes one character takes in UTF-8.
    static constexpr std::size_t maximumCharacterBytes = 4;

    std::string_view window() const noexcept override { return window_.view(); }
    bool readMore() override;
    bool isComplete() const noexcept override { return isComplete_; }
    void drop(std::size_t bytes) override { window_.drop(bytes); }
    void verifyUnchanged() const override { input_->verifyUnchanged(); }

protected:
    /// Decodes the bytes of `input`, which the new source owns; `name` is the file's, for
    /// messages.
    DecodedText(std::unique_ptr<TextSource> input, std::string name)
        : input_(std::move(input)), name_(std::move(name)) {}

    /// Decodes from the front of `input` into `out` (room for `room` bytes): returns how many
    /// bytes it made and sets `used` to how many input bytes it took. `inputEnds` when no more
    /// input will come. Throws `TableError` for data that cannot be decoded.
    virtual std::size_t decode(std::string_view input, bool inputEnds, char* out, std::size_t room,
                               std::size_t& used) = 0;
    /// True once the decoder has reached the end of what it decodes.
    virtual bool hasEnded() const noexcept = 0;

    const std::string& name() const noexcept { return name_; }

private:
    std::unique_ptr<TextSource> input_;
    std::string name_;
    SlidingWindow window_;
    bool isComplete_ = false;
};

} // namespace pellacor
