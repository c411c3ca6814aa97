#pragma once

#include <cstddef>
#include <string_view>

namespace pellacor {

/// What one pass over a stretch of delimited text tells, so that a check past the first record
/// touches each byte once: whether it holds a byte past ASCII (which may fail to be UTF-8),
/// a quotation mark (which may open a field that never closes), a NUL (no text at all), and
/// how many line breaks.
struct StretchSurvey {
    bool hasNonAscii = false;
    bool hasQuote = false;
    bool hasNul = false;
    /// Line breaks as the row scanner counts them: each of LF, VT, FF, CR, NEL, LS and PS
    /// once, CR LF once.
    std::size_t lineBreaks = 0;

    /// Surveys `text`, 32 bytes a step where the processor has AVX2.
    static StretchSurvey of(std::string_view text) noexcept;
};

} // namespace pellacor
