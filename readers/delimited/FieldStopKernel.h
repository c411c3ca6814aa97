#pragma once

#include <cstddef>
#include <cstdint>

namespace pellacor {

/// Skips, one vector of `Ops::width` bytes a step, to the first block holding a byte where an
/// unquoted field may end: the delimiter, a control byte up to CR (tab only as the delimiter),
/// or C2 and E2, which may start NEL, LS or PS. True with `pos` at that byte; false with `pos`
/// where less than a vector is left. Spaces and tabs passed over set `dirty`.
///
/// `Ops` is a few vector operations of one instruction set (splat, load, eq, min, or, andNot,
/// mask); the kernel is written once for them all. Only what this header holds may be built
/// with wider instructions than the program's: it includes nothing the rest shares.
template <typename Ops>
inline bool skipToFieldStop(const char* data, std::size_t size, std::size_t& pos, char delimiter,
                            bool& dirty) noexcept {
    using Vector = typename Ops::Vector;
    const Vector delimiters = Ops::splat(delimiter);
    const Vector controlLimit = Ops::splat(0x0D);
    const Vector lead2 = Ops::splat(static_cast<char>(0xC2));
    const Vector lead3 = Ops::splat(static_cast<char>(0xE2));
    const Vector space = Ops::splat(' ');
    const Vector tab = Ops::splat('\t');
    while (pos + Ops::width <= size) {
        const Vector block = Ops::load(data + pos);
        const Vector control = Ops::eq(Ops::min(block, controlLimit), block);
        const Vector isTab = Ops::eq(block, tab);
        const Vector stop =
            Ops::orOf(Ops::orOf(Ops::eq(block, delimiters), Ops::andNot(isTab, control)),
                      Ops::orOf(Ops::eq(block, lead2), Ops::eq(block, lead3)));
        const std::uint32_t stops = Ops::mask(stop);
        const std::uint32_t blanks = Ops::mask(Ops::orOf(Ops::eq(block, space), isTab));
        if (stops == 0) {
            dirty |= blanks != 0;
            pos += Ops::width;
            continue;
        }
        const auto first = static_cast<unsigned>(__builtin_ctz(stops));
        dirty |= (blanks & ((std::uint32_t(1) << first) - 1u)) != 0;
        pos += first;
        return true;
    }
    return false;
}

#if defined(PELLACOR_AVX2_KERNEL)
/// `skipToFieldStop` 32 bytes a step; only for a processor with AVX2.
bool skipToFieldStopAvx2(const char* data, std::size_t size, std::size_t& pos, char delimiter,
                         bool& dirty) noexcept;
#endif

} // namespace pellacor
