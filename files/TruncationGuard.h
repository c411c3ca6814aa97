#pragma once

#include <cstddef>

namespace pellacor {

/// Survives a mapped file being cut short while it is read. Reading a mapped page past a
/// file's new end raises SIGBUS, which would end the process (the app with all its windows).
/// While a guard lives, that signal for an address in its range swaps the whole range for
/// zero pages and notes the cut: the reader carries on over zeros, and its owner asks
/// `wasCut` before trusting what was read. Faults outside every guarded range go to the
/// handler that was there before. The handler is installed once, at start-up, by the program
/// (`installHandler`); until then guards are inactive and files are read instead of mapped.
class TruncationGuard {
public:
    /// Installs the SIGBUS handler that guards serve. Call once at start-up, before threads
    /// start; later calls do nothing.
    static void installHandler() noexcept;

    /// Guards the page-aligned mapping [`begin`, `begin` + `bytes`). `isActive` tells whether
    /// it could: only a fixed number of ranges can be guarded at once, of at most 1 TiB each,
    /// and none before `installHandler`.
    TruncationGuard(const void* begin, std::size_t bytes) noexcept;
    /// Stops guarding; the range must still be mapped until then.
    ~TruncationGuard();
    TruncationGuard(const TruncationGuard&) = delete;
    TruncationGuard& operator=(const TruncationGuard&) = delete;

    /// False when the range could not be guarded; it must then not be read through the map.
    bool isActive() const noexcept { return slot_ >= 0; }
    /// True once the file behind the range was found cut short.
    bool wasCut() const noexcept;

private:
    int slot_ = -1;
};

} // namespace pellacor
