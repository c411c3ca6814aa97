#pragma once

#include "files/DecodedText.h"

#include <optional>

namespace pellacor {

/// UTF-16 text with a byte-order mark (what spreadsheet programs save as "Unicode Text"),
/// turned into UTF-8 as it is read.
class Utf16Text : public DecodedText {
public:
    /// Reads the UTF-16 of `input`, little- or big-endian as its byte-order mark says, which it
    /// drops. `name` is the file's, for messages.
    Utf16Text(std::unique_ptr<TextSource> input, std::string name, bool isBigEndian);

    /// The byte order a UTF-16 byte-order mark at the start of `bytes` gives: true for big
    /// endian, false for little; absent without one.
    static std::optional<bool> byteOrderOf(std::string_view bytes) noexcept;

private:
    std::size_t decode(std::string_view input, bool inputEnds, char* out, std::size_t room,
                       std::size_t& used) override;
    bool hasEnded() const noexcept override { return false; }

    bool isBigEndian_;
    bool markDropped_ = false;
};

} // namespace pellacor
