#pragma once

#include "files/TextSource.h"

namespace pellacor {

/// Bytes already in memory, as a source: all of them in the window at once.
class MemoryText : public TextSource {
public:
    /// `bytes` must outlive the source.
    explicit MemoryText(std::string_view bytes) noexcept : bytes_(bytes) {}

    std::string_view window() const noexcept override { return bytes_; }
    bool readMore() override { return false; }
    bool isComplete() const noexcept override { return true; }
    void drop(std::size_t bytes) override { bytes_.remove_prefix(bytes); }

private:
    std::string_view bytes_;
};

} // namespace pellacor
