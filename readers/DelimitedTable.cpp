#include "readers/DelimitedTable.h"

#include "core/UnicodeText.h"
#include "readers/CSVParser.h"
#include "readers/CSVRowScanner.h"

#include <algorithm>
#include <cstring>

namespace pellacor {
namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

using Error = CSVParser::ParserError;

// Hands the rows of a table to a builder, stretch after stretch. Lines beginning with "#"
// before the first row are notes about the table; the user's own marker counts everywhere.
class RowFeed {
public:
    explicit RowFeed(char marker)
        : beforeFirstRow_(marker ? std::string{'#', marker} : std::string("#")),
          afterFirstRow_(marker ? std::string(1, marker) : std::string()) {}

    // Hands `builder` the rows of `scanner` (records to `sink`) while `wanted` holds.
    template <class Wanted>
    void feed(CSVRowScanner& scanner, RecordBuilder& builder, const RecordSink& sink,
              Wanted wanted) {
        scanner.skipLinesStartingWith(sawRow_ ? afterFirstRow_ : beforeFirstRow_);
        while (wanted() && scanner.nextRow()) {
            if (!sawRow_) {
                sawRow_ = true;
                scanner.skipLinesStartingWith(afterFirstRow_);
            }
            builder.addRow(scanner.fields(), scanner.rowNumber(), scanner.sequenceNeedsCleaning(),
                           sink);
        }
    }
    // After the last stretch: the rows still held go out; a table of no row, or no record,
    // fails.
    void finish(RecordBuilder& builder, const RecordSink& sink) const {
        builder.finish(sink);
        if (!sawRow_)
            throw Error(Error::Case::emptyFile);
        if (builder.records() == 0)
            throw Error(Error::Case::missingRequiredColumns);
    }

private:
    // The scanner keeps views of these.
    const std::string beforeFirstRow_;
    const std::string afterFirstRow_;
    bool sawRow_ = false;
};

// True when `text` holds at least `lines` line breaks (CR LF counting as two: enough here).
bool holdsLines(std::string_view text, std::size_t lines) noexcept {
    std::size_t found = 0;
    for (const char c : text)
        if ((c == '\n' || c == '\r') && ++found >= lines)
            return true;
    return false;
}

// Just past the last line break of `text` that surely ends a line: an LF, or a CR with a byte
// after it (a CR at the very end may be the first half of CR LF); 0 when there is none.
std::size_t afterLastLineBreak(std::string_view text) noexcept {
    for (std::size_t i = text.size(); i > 0; --i) {
        const char c = text[i - 1];
        if (c == '\n' || (c == '\r' && i < text.size()))
            return i;
    }
    return 0;
}

// What one pass over a stretch tells: whether it holds any byte past ASCII (and so needs a
// closer look for UTF-8), and whether it holds a quotation mark. The loop has no branch, so
// that the compiler checks many bytes at a time.
struct StretchBytes {
    bool hasNonAscii;
    bool hasQuote;
};

#if defined(__GNUC__) || defined(__clang__)
[[gnu::always_inline]]
#endif
inline StretchBytes
surveyBody(std::string_view text) noexcept {
    unsigned char high = 0;
    unsigned char quote = 0;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        high |= b;
        quote |= static_cast<unsigned char>(b == '"');
    }
    return {(high & 0x80) != 0, quote != 0};
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The same loop 32 bytes a step where the processor has AVX2.
__attribute__((target("avx2"))) StretchBytes surveyAvx2(std::string_view text) noexcept {
    return surveyBody(text);
}
const bool hasAvx2 = __builtin_cpu_supports("avx2");
#endif

StretchBytes surveyStretch(std::string_view text) noexcept {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (hasAvx2)
        return surveyAvx2(text);
#endif
    return surveyBody(text);
}

} // namespace

char DelimitedTable::start(TextSource& source, std::string_view fileName) {
    // The delimiter is judged on the first five lines.
    while (!source.isComplete() && !holdsLines(source.window(), 5) && source.readMore()) {
    }
    // Spreadsheet programs write a byte-order mark in front of "CSV UTF-8".
    if (source.window().starts_with(byteOrderMark))
        source.drop(byteOrderMark.size());
    if (source.window().empty() && source.isComplete())
        throw Error(Error::Case::emptyFile);
    return CSVParser::detectDelimiter(fileName, source.window());
}

std::size_t DelimitedTable::stretchEnd(std::string_view window, bool isComplete,
                                       std::size_t limit) noexcept {
    if (isComplete && window.size() <= limit)
        return window.size();
    const std::size_t within = afterLastLineBreak(window.substr(0, limit));
    if (within > 0)
        return within;
    // A line longer than a stretch: up to its end, however far. A CR ends one only where a
    // byte follows that tells whether it is CR LF.
    if (limit >= window.size())
        return isComplete ? window.size() : 0;
    const char* data = window.data();
    const auto* lf =
        static_cast<const char*>(std::memchr(data + limit, '\n', window.size() - limit));
    const std::size_t lineEnd = lf ? static_cast<std::size_t>(lf - data) : window.size();
    const auto* cr = static_cast<const char*>(std::memchr(data + limit, '\r', lineEnd - limit));
    if (cr && static_cast<std::size_t>(cr - data) + 1 < window.size())
        return static_cast<std::size_t>(cr - data) + 1;
    if (lf)
        return lineEnd + 1;
    return isComplete ? window.size() : 0;
}

void DelimitedTable::walk(TextSource& source, const StretchScan& scan, bool validates) {
    CSVRowScanner::Place place;
    std::size_t validated = 0; // bytes at the front of the window known to be UTF-8
    std::size_t limit = stretchBytes;
    for (;;) {
        const std::string_view window = source.window();
        const bool isComplete = source.isComplete();
        if (window.empty() && isComplete)
            return;
        const std::size_t end = stretchEnd(window, isComplete, limit);
        if (end == 0) {
            source.readMore();
            continue;
        }
        source.willRead(end);
        const std::string_view text = window.substr(0, end);
        // Stretches end on line breaks, so no character is split between two.
        if (validates && end > validated) {
            const std::size_t valid =
                validated + UnicodeText::validUtf8Length(text.substr(validated));
            if (valid < end) {
                // The rows before the line that holds the fault are read first: a stream's
                // records go out up to the fault.
                const std::size_t before = afterLastLineBreak(text.substr(0, valid));
                if (before > 0)
                    scan(text.substr(0, before), false, place);
                throw Error(Error::Case::invalidEncoding);
            }
        }
        validated = end;
        const bool isLast = isComplete && end == window.size();
        const Taken taken = scan(text, isLast, place);
        place = taken.next;
        source.drop(taken.bytes);
        validated -= taken.bytes;
        if (isLast)
            return;
        if (taken.bytes == end) {
            limit = stretchBytes;
            continue;
        }
        // A row runs past the stretch: it is scanned again, whole, in a longer one.
        if (taken.bytes == 0)
            limit = std::max(limit, end) * 2;
        if (!isComplete)
            source.readMore();
    }
}

char DelimitedTable::read(TextSource& source, std::string_view fileName, RecordBuilder& builder,
                          const RecordSink& sink, Options options) {
    const char delimiter = start(source, fileName);
    RowFeed rows(options.commentMarker);
    walk(
        source,
        [&](std::string_view text, bool isLast, CSVRowScanner::Place place) {
            CSVRowScanner scanner(text, delimiter, isLast, place);
            rows.feed(scanner, builder, sink, [] { return true; });
            return Taken{scanner.position(), scanner.place()};
        },
        options.validates);
    rows.finish(builder, sink);
    return delimiter;
}

void DelimitedTable::check(TextSource& source, std::string_view fileName,
                           const ColumnChoice& choice, Options options) {
    const char delimiter = start(source, fileName);
    // Rows are made into records until the first one: a table that would give none, or lacks a
    // chosen column, fails so.
    RecordBuilder builder(RecordBuilder::delimitedStyle, choice);
    RowFeed rows(options.commentMarker);
    const RecordSink noted = [](const RecordView&) {};
    walk(
        source,
        [&](std::string_view text, bool isLast, CSVRowScanner::Place place) {
            // One pass tells whether the stretch needs a closer look: only bytes past ASCII can
            // fail to be UTF-8, only a quoted field can fail to end. Line numbers are not kept
            // here: a table that fails is read again for the message.
            const StretchBytes survey = surveyStretch(text);
            if (survey.hasNonAscii && !UnicodeText::isValidUtf8(text))
                throw Error(Error::Case::invalidEncoding);
            if (!survey.hasQuote && builder.records() > 0)
                return Taken{text.size(), place};
            CSVRowScanner scanner(text, delimiter, isLast, place);
            // Rows count until the first record; past it, only quotation marks matter.
            rows.feed(scanner, builder, noted, [&] { return builder.records() == 0; });
            if (builder.records() > 0 && !survey.hasQuote)
                return Taken{text.size(), place};
            while (scanner.nextRow()) {
            }
            return Taken{scanner.position(), scanner.place()};
        },
        false);
    rows.finish(builder, noted);
}

} // namespace pellacor
