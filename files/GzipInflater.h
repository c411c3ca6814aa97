#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct inflate_state;

namespace pellacor {

/// Inflates gzip data with ISA-L's streaming inflate, a piece at a time: several members one
/// after another (as bgzip and `cat a.gz b.gz` write them) inflate as one text; data after the
/// last member, a stream cut short and damaged data fail with `FileError`.
class GzipInflater {
public:
    /// Inflates data from a file named `name` (for messages).
    explicit GzipInflater(std::string name);
    ~GzipInflater();
    GzipInflater(const GzipInflater&) = delete;
    GzipInflater& operator=(const GzipInflater&) = delete;

    /// True when `bytes` begin as gzip data does.
    static bool startsGzip(std::string_view bytes) noexcept {
        return bytes.size() >= 2 && bytes[0] == '\x1F' && bytes[1] == '\x8B';
    }

    /// Inflates from the front of `input` into `out` (room for `room` bytes): returns how many
    /// bytes it made and sets `used` to how many input bytes it took. `inputEnds` when no more
    /// input will come.
    std::size_t inflate(std::string_view input, bool inputEnds, char* out, std::size_t room,
                        std::size_t& used);
    /// True once the last member has ended and no input is left.
    bool hasEnded() const noexcept { return hasEnded_; }

private:
    [[noreturn]] void failDamaged(int status) const;

    std::string name_;
    std::unique_ptr<inflate_state> state_;
    bool memberEnded_ = false;
    bool hasEnded_ = false;
};

} // namespace pellacor
