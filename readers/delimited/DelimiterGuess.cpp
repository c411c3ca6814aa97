#include "readers/delimited/DelimiterGuess.h"

#include "core/UnicodeText.h"
#include "files/FileName.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace pellacor {

char DelimiterGuess::of(std::string_view fileName, std::string_view text) {
    const std::string extension = FileName::lowerExtension(fileName);
    if (extension == "tsv" || extension == "tab")
        return '\t';

    // The first 5 lines, split at every newline character (so CR LF leaves an empty line).
    // Blocks without a byte that may begin one are counted in one branch-free pass: a first
    // line of a whole chromosome is counted at memory speed.
    constexpr std::size_t block = 240; // counts of up to 255 fit a byte
    std::size_t tabs = 0, commas = 0, semicolons = 0;
    std::size_t lines = 0;
    std::size_t pos = 0;
    const auto count = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            tabs += text[i] == '\t';
            commas += text[i] == ',';
            semicolons += text[i] == ';';
        }
    };
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    while (lines < 5 && pos < text.size()) {
        if (pos + block <= text.size()) {
            // Byte-wide sums, so that the compiler takes the block a vector at a time.
            unsigned char candidates = 0, blockTabs = 0, blockCommas = 0, blockSemicolons = 0;
            for (std::size_t i = pos; i < pos + block; ++i) {
                const unsigned char b = bytes[i];
                // LF, VT, FF, CR, and the lead bytes of NEL, LS and PS.
                candidates |= static_cast<unsigned char>(
                    static_cast<unsigned char>(b - 0x0A) <= 3 || b == 0xC2 || b == 0xE2);
                blockTabs += b == '\t';
                blockCommas += b == ',';
                blockSemicolons += b == ';';
            }
            if (!candidates) {
                tabs += blockTabs;
                commas += blockCommas;
                semicolons += blockSemicolons;
                pos += block;
                continue;
            }
        }
        const std::size_t end = std::min(pos + block, text.size());
        while (pos < end && lines < 5) {
            if (const std::size_t newline = UnicodeText::newlineLengthAt(text, pos)) {
                pos += newline;
                ++lines;
                continue;
            }
            count(pos, pos + 1);
            ++pos;
        }
    }
    // Spreadsheets in many locales save "CSV" with semicolons.
    if (semicolons > tabs && semicolons > commas)
        return ';';
    // A file named .csv that holds tabs and no commas was saved tab-separated.
    if (extension == "csv")
        return tabs > 0 && commas == 0 ? '\t' : ',';
    return tabs > commas ? '\t' : ',';
}

} // namespace pellacor
