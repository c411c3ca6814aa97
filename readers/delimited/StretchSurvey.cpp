#include "readers/delimited/StretchSurvey.h"

#include "core/UnicodeText.h"

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
    std::size_t breaks = 0;
    std::size_t pairs = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        high |= b;
        quote |= static_cast<unsigned char>(b == '"');
        breaks += static_cast<unsigned char>(b - 0x0A) <= 3;
        pairs += b == '\n' && (i > from ? text[i - 1] == '\r' : afterCr);
    }
    survey.hasNonAscii |= (high & 0x80) != 0;
    survey.hasQuote |= quote != 0;
    survey.lineBreaks += breaks - pairs;
    return survey;
}

#if defined(PELLACOR_SURVEY_AVX2)
const bool hasAvx2 = __builtin_cpu_supports("avx2");

__attribute__((target("avx2"))) StretchSurvey avx2Survey(std::string_view text) noexcept {
    const auto* data = reinterpret_cast<const __m256i*>(text.data());
    const std::size_t blocks = text.size() / 32;
    const __m256i quoteMark = _mm256_set1_epi8('"');
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i first = _mm256_set1_epi8(0x0A);
    const __m256i span = _mm256_set1_epi8(3);
    __m256i high = _mm256_setzero_si256();
    __m256i quotes = _mm256_setzero_si256();
    std::size_t breaks = 0;
    std::uint32_t crBefore = 0; // the last byte of the block before was a CR
    for (std::size_t i = 0; i < blocks; ++i) {
        const __m256i block = _mm256_loadu_si256(data + i);
        high = _mm256_or_si256(high, block);
        quotes = _mm256_or_si256(quotes, _mm256_cmpeq_epi8(block, quoteMark));
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
    survey.lineBreaks = breaks;
    return scalarSurvey(text, blocks * 32, crBefore != 0, survey);
}

__attribute__((target("avx2"))) StretchSurvey::Marks avx2Marks(std::string_view text) noexcept {
    const auto* data = reinterpret_cast<const __m256i*>(text.data());
    const std::size_t blocks = text.size() / 32;
    const __m256i quoteMark = _mm256_set1_epi8('"');
    const __m256i zero = _mm256_setzero_si256();
    __m256i high = zero;
    __m256i quotes = zero;
    __m256i nuls = zero;
    for (std::size_t i = 0; i < blocks; ++i) {
        const __m256i block = _mm256_loadu_si256(data + i);
        high = _mm256_or_si256(high, block);
        quotes = _mm256_or_si256(quotes, _mm256_cmpeq_epi8(block, quoteMark));
        nuls = _mm256_or_si256(nuls, _mm256_cmpeq_epi8(block, zero));
    }
    StretchSurvey::Marks found;
    found.hasNonAscii = _mm256_movemask_epi8(high) != 0;
    found.hasQuote = !_mm256_testz_si256(quotes, quotes);
    found.hasNul = !_mm256_testz_si256(nuls, nuls);
    for (std::size_t i = blocks * 32; i < text.size(); ++i) {
        found.hasNonAscii |= (static_cast<unsigned char>(text[i]) & 0x80) != 0;
        found.hasQuote |= text[i] == '"';
        found.hasNul |= text[i] == '\0';
    }
    return found;
}
#endif

} // namespace

StretchSurvey::Marks StretchSurvey::marksOf(std::string_view text) noexcept {
#if defined(PELLACOR_SURVEY_AVX2)
    if (hasAvx2)
        return avx2Marks(text);
#endif
    Marks found;
    unsigned char high = 0;
    unsigned char quote = 0;
    unsigned char nul = 0;
    for (const char c : text) {
        high |= static_cast<unsigned char>(c);
        quote |= static_cast<unsigned char>(c == '"');
        nul |= static_cast<unsigned char>(c == '\0');
    }
    found.hasNonAscii = (high & 0x80) != 0;
    found.hasQuote = quote != 0;
    found.hasNul = nul != 0;
    return found;
}

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
