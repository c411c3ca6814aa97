#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace pellacor {

/// The bytes of an input, seen through a window that readers move along: a mapped file shows
/// all of it at once, a pipe a piece at a time, so that a table of any size is read in
/// bounded memory.
class TextSource {
public:
    virtual ~TextSource() = default;

    /// The bytes read and not yet dropped.
    virtual std::string_view window() const noexcept = 0;
    /// Reads more onto the end of the window; false once the input has ended. Views into the
    /// window become invalid.
    virtual bool readMore() = 0;
    /// True when the window holds everything that is left of the input.
    virtual bool isComplete() const noexcept = 0;
    /// Drops the first `bytes` of the window; views into the window become invalid, except
    /// once the source `isComplete`: nothing moves then, and what was dropped stays readable
    /// while the source lives (readers that cut the rest into pieces rely on it).
    virtual void drop(std::size_t bytes) = 0;
    /// Tells that the first `bytes` of the window are about to be read, front to back.
    virtual void willRead(std::size_t /*bytes*/) {}
    /// Throws `FileError` when the input changed while it was read (a file cut short or
    /// rewritten): what was read may then be a mix of old and new text.
    virtual void verifyUnchanged() const {}
    /// Copies bytes of the window as it stands now: `copy(at, bytes, out)` puts the `bytes`
    /// from `at` into `out`, read from the file rather than from the memory the window shows
    /// it in. On some virtual machines the first touch of each mapped page costs more than a
    /// copy into memory already touched. Empty where the source has no file to read again; it
    /// may be called from any thread while the source lives and the bytes are not dropped.
    /// Bytes of a file cut short come as zeros, as they read in the window; `verifyUnchanged`
    /// then tells.
    using Copier = std::function<void(std::size_t at, std::size_t bytes, char* out)>;
    virtual Copier copier() const { return {}; }
    /// Makes a `readMore` that waits for input in another thread, or the next one, return
    /// false at once, the source not complete. Safe to call from any thread.
    virtual void interrupt() noexcept {}

    /// Runs `read` over this source, then `verifyUnchanged`, and returns what `read` returned.
    /// When `read` throws, the check comes first: the zeros of a file cut short, or a half
    /// rewritten row, can make a table look malformed, and the change is then what the user
    /// needs to hear about.
    template <typename Read> auto readVerified(Read read) {
        try {
            auto result = read();
            verifyUnchanged();
            return result;
        } catch (...) {
            verifyUnchanged();
            throw;
        }
    }
};

} // namespace pellacor
