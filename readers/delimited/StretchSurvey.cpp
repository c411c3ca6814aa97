#include "readers/delimited/StretchSurvey.h"

#include "core/UnicodeText.h"

#include <algorithm>
#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define PELLACOR_SURVEY_AVX2 1
#endif

namespace pellacor {
namespace {

// The ASCII part of a survey from `from` on; `afterCr` tells that the byte before `from` was
// a CR, whose LF then ends no second line.
StretchSurvey scalarSurvey(std::string_view text, std::size_t from, bool afterCr,
                           StretchSurvey survey) noexcept {
    unsigned char high = 0;
    unsigned char quote = 0;
    unsigned char nul = 0;
    std::size_t breaks = 0;
    std::size_t pairs = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        high |= b;
        quote |= static_cast<unsigned char>(b == '"');
        nul |= static_cast<unsigned char>(b == 0);
        breaks += static_cast<unsigned char>(b - 0x0A) <= 3;
        pairs += b == '\n' && (i > from ? text[i - 1] == '\r' : afterCr);
    }
    survey.hasNonAscii |= (high & 0x80) != 0;
    survey.hasQuote |= quote != 0;
    survey.hasNul |= nul != 0;
    survey.lineBreaks += breaks - pairs;
    return survey;
}

#if defined(PELLACOR_SURVEY_AVX2)
const bool hasAvx2 = __builtin_cpu_supports("avx2");

__attribute__((target("avx2"))) StretchSurvey avx2Survey(std::string_view text) noexcept {
    const auto* data = reinterpret_cast<const __m256i*>(text.data());
    const std::size_t blocks = text.size() / 32;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i quoteMark = _mm256_set1_epi8('"');
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i first = _mm256_set1_epi8(0x0A);
    const __m256i span = _mm256_set1_epi8(3);
    const __m256i vt = _mm256_set1_epi8(0x0B);
    const __m256i two = _mm256_set1_epi8(2);
    __m256i high = zero;
    __m256i quotes = zero;
    __m256i nuls = zero;
    std::size_t breaks = 0;
    std::size_t i = 0;
    // Most tables end their lines with LF alone: LFs are counted in byte-wide counters, summed
    // every 255 steps, until a block holds a VT, FF or CR.
    for (bool plain = true; plain && i < blocks;) {
        __m256i counts = zero;
        const std::size_t stop = std::min(blocks, i + 255);
        for (; i < stop; ++i) {
            const __m256i block = _mm256_loadu_si256(data + i);
            const __m256i offset = _mm256_sub_epi8(block, vt);
            if (!_mm256_testz_si256(_mm256_cmpeq_epi8(_mm256_min_epu8(offset, two), offset),
                                    _mm256_cmpeq_epi8(block, block))) {
                plain = false;
                break;
            }
            high = _mm256_or_si256(high, block);
            quotes = _mm256_or_si256(quotes, _mm256_cmpeq_epi8(block, quoteMark));
            nuls = _mm256_or_si256(nuls, _mm256_cmpeq_epi8(block, zero));
            counts = _mm256_sub_epi8(counts, _mm256_cmpeq_epi8(block, lf));
        }
        const __m256i sums = _mm256_sad_epu8(counts, zero);
        breaks += static_cast<std::size_t>(_mm256_extract_epi64(sums, 0)) +
                  static_cast<std::size_t>(_mm256_extract_epi64(sums, 1)) +
                  static_cast<std::size_t>(_mm256_extract_epi64(sums, 2)) +
                  static_cast<std::size_t>(_mm256_extract_epi64(sums, 3));
    }
    // From the first block with another line break on, each is counted, and an LF right after
    // a CR is not. The block before held no CR.
    std::uint32_t crBefore = 0; // the last byte of the block before was a CR
    for (; i < blocks; ++i) {
        const __m256i block = _mm256_loadu_si256(data + i);
        high = _mm256_or_si256(high, block);
        quotes = _mm256_or_si256(quotes, _mm256_cmpeq_epi8(block, quoteMark));
        nuls = _mm256_or_si256(nuls, _mm256_cmpeq_epi8(block, zero));
        // LF, VT, FF and CR: the bytes 0x0A to 0x0D, as 0 to 3 once 0x0A is taken away.
        const __m256i offset = _mm256_sub_epi8(block, first);
        const auto isBreak = static_cast<std::uint32_t>(_mm256_movemask_epi8(
            _mm256_cmpeq_epi8(_mm256_min_epu8(offset, span), offset)));
        const auto isCr =
            static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(block, cr)));
        const auto isLf =
            static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(block, lf)));
        const std::uint32_t lfAfterCr = ((isCr << 1) | crBefore) & isLf;
        breaks += static_cast<std::size_t>(__builtin_popcount(isBreak)) -
                  static_cast<std::size_t>(__builtin_popcount(lfAfterCr));
        crBefore = isCr >> 31;
    }
    StretchSurvey survey;
    survey.hasNonAscii = _mm256_movemask_epi8(high) != 0;
    survey.hasQuote = !_mm256_testz_si256(quotes, quotes);
    survey.hasNul = !_mm256_testz_si256(nuls, nuls);
    survey.lineBreaks = breaks;
    return scalarSurvey(text, blocks * 32, crBefore != 0, survey);
}

#endif

} // namespace

StretchSurvey StretchSurvey::of(std::string_view text) noexcept {
    StretchSurvey survey;
#if defined(PELLACOR_SURVEY_AVX2)
    survey = hasAvx2 ? avx2Survey(text) : scalarSurvey(text, 0, false, {});
#else
    survey = scalarSurvey(text, 0, false, {});
#endif
    // NEL, LS and PS are two and three bytes past ASCII; only text that has such bytes is
    // looked at again for them.
    if (survey.hasNonAscii)
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto b = static_cast<unsigned char>(text[i]);
            if ((b == 0xC2 || b == 0xE2) && UnicodeText::newlineLengthAt(text, i) > 0)
                ++survey.lineBreaks;
        }
    return survey;
}

} // namespace pellacor
