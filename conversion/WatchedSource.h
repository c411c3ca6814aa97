#pragma once

#include "conversion/ConversionWatch.h"
#include "files/TextSource.h"

#include <cstdint>

namespace pellacor {

/// A text source that reports to a watch each time its reader moves on, so that a long read
/// shows its progress and can be stopped between two pieces.
class WatchedSource : public TextSource {
public:
    /// Reads `inner`, which must outlive this, reporting to `watch` against `totalBytes`.
    WatchedSource(TextSource& inner, const ConversionWatch& watch, std::uint64_t totalBytes)
        : inner_(inner), watch_(watch), total_(totalBytes) {}

    std::string_view window() const noexcept override { return inner_.window(); }
    bool readMore() override;
    bool isComplete() const noexcept override { return inner_.isComplete(); }
    void drop(std::size_t bytes) override;
    void willRead(std::size_t bytes) override { inner_.willRead(bytes); }
    void verifyUnchanged() const override { inner_.verifyUnchanged(); }
    Copier copier() const override { return inner_.copier(); }

private:
    TextSource& inner_;
    const ConversionWatch& watch_;
    std::uint64_t total_;
    std::uint64_t dropped_ = 0;
};

} // namespace pellacor
