#pragma once

#include "files/DecodedText.h"

#include <optional>
#include <string>
#include <string_view>

struct UConverter;

namespace pellacor {

/// Text in an encoding other than UTF-8, turned into UTF-8 as it is read by an ICU converter:
/// UTF-16 or UTF-32 that a byte-order mark announces (what spreadsheet programs save as
/// "Unicode Text"), or any encoding the user names. Bytes the encoding cannot hold stop the
/// reading with a message; nothing is ever replaced silently.
class EncodedText : public DecodedText {
public:
    /// An encoding that a byte-order mark announces.
    struct Marked {
        /// The ICU name of the encoding without its mark ("UTF-16LE").
        const char* encoding;
        /// What the user calls it ("UTF-16").
        const char* label;
        /// How many bytes the mark takes.
        std::size_t markBytes;
    };

    /// Reads the bytes of `input` (a file named `name`) in `encoding`, an ICU converter name;
    /// `label` is how messages name the encoding. The first `skippedBytes` (a byte-order mark)
    /// are dropped. Throws `FileError` for an encoding ICU does not know.
    EncodedText(std::unique_ptr<TextSource> input, std::string name, const std::string& encoding,
                std::string label, std::size_t skippedBytes = 0);
    ~EncodedText() override;
    EncodedText(const EncodedText&) = delete;
    EncodedText& operator=(const EncodedText&) = delete;

    /// True when ICU has a converter named `encoding` (a name or an alias, in any case).
    static bool isKnown(const std::string& encoding) noexcept;
    /// True when `encoding` names UTF-8.
    static bool isUtf8(const std::string& encoding) noexcept;

    /// The UTF-16 or UTF-32 encoding whose byte-order mark `bytes` begin with, if any. The
    /// UTF-32 little-endian mark begins as the UTF-16 one does, so it is looked for first.
    static std::optional<Marked> markedEncodingOf(std::string_view bytes) noexcept;

private:
    std::size_t decode(std::string_view input, bool inputEnds, char* out, std::size_t room,
                       std::size_t& used) override;
    bool hasEnded() const noexcept override { return false; }
    [[noreturn]] void fail(bool endsInsideCharacter) const;

    UConverter* source_ = nullptr;
    UConverter* utf8_ = nullptr;
    std::string label_;
    std::size_t skipped_;
    // Characters between the two converters, kept from one call to the next.
    static constexpr std::size_t pivotUnits = 4096;
    std::unique_ptr<char16_t[]> pivot_;
    char16_t* pivotSource_;
    char16_t* pivotTarget_;
};

} // namespace pellacor
