// Built with AVX2 (see readers/CMakeLists.txt); called only where the processor has it.
#include "readers/delimited/FieldStopKernel.h"

#if defined(PELLACOR_AVX2_KERNEL)
#include <immintrin.h>

namespace pellacor {
namespace {

struct Avx2Ops {
    using Vector = __m256i;
    static constexpr std::size_t width = 32;
    static Vector splat(char c) noexcept { return _mm256_set1_epi8(c); }
    static Vector load(const char* p) noexcept {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    static Vector eq(Vector a, Vector b) noexcept { return _mm256_cmpeq_epi8(a, b); }
    static Vector min(Vector a, Vector b) noexcept { return _mm256_min_epu8(a, b); }
    static Vector orOf(Vector a, Vector b) noexcept { return _mm256_or_si256(a, b); }
    static Vector andNot(Vector a, Vector b) noexcept { return _mm256_andnot_si256(a, b); }
    static std::uint32_t mask(Vector a) noexcept {
        return static_cast<std::uint32_t>(_mm256_movemask_epi8(a));
    }
};

} // namespace

bool skipToFieldStopAvx2(const char* data, std::size_t size, std::size_t& pos, char delimiter,
                         bool& dirty) noexcept {
    return skipToFieldStop<Avx2Ops>(data, size, pos, delimiter, dirty);
}

} // namespace pellacor
#endif
