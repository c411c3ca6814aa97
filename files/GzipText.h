#pragma once

#include "files/DecodedText.h"

#include <zlib.h>

namespace pellacor {

/// gzip-compressed text, inflated as it is read; several gzip members one after another (as
/// bgzip writes them) read as one text.
class GzipText : public DecodedText {
public:
    /// Inflates the bytes of `compressed`, from a file named `name`.
    GzipText(std::unique_ptr<TextSource> compressed, std::string name);
    ~GzipText() override;
    GzipText(const GzipText&) = delete;
    GzipText& operator=(const GzipText&) = delete;

    /// True when `bytes` begin as gzip data does.
    static bool startsGzip(std::string_view bytes) noexcept {
        return bytes.size() >= 2 && bytes[0] == '\x1F' && bytes[1] == '\x8B';
    }

private:
    std::size_t decode(std::string_view input, bool inputEnds, char* out, std::size_t room,
                       std::size_t& used) override;
    bool hasEnded() const noexcept override { return hasEnded_; }

    z_stream stream_{};
    bool memberEnded_ = false;
    bool hasEnded_ = false;
};

} // namespace pellacor
