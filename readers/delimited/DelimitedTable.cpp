#include "readers/delimited/DelimitedTable.h"

#include "core/PieceBuffer.h"
#include "core/UnicodeText.h"
#include "core/WorkerPool.h"
#include "files/DisplayName.h"
#include "readers/ChoiceError.h"
#include "readers/delimited/CSVRowScanner.h"
#include "readers/delimited/DelimiterGuess.h"
#include "readers/delimited/ParserError.h"
#include "readers/delimited/StretchSurvey.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <exception>
#include <future>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

namespace pellacor {
namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

using Error = ParserError;
using Place = CSVRowScanner::Place;

// The sections of a sample sheet ("[Header]", "[Reads]", "[Data]"): only the rows of the one
// that holds the table go on.
class Sections {
public:
    explicit Sections(std::string wanted) : wanted_(UnicodeText::toLower(std::move(wanted))) {
        if (wanted_.size() > 1 && wanted_.front() == '[' && wanted_.back() == ']')
            wanted_ = wanted_.substr(1, wanted_.size() - 2);
    }

    // Takes a row; true when it belongs to the table. The first row tells whether the file
    // has sections at all.
    bool admits(std::span<const std::string_view> fields) {
        const std::optional<std::string> name = sectionName(fields);
        if (!decided_) {
            decided_ = true;
            isSectioned_ = name.has_value();
        }
        if (!isSectioned_)
            return true;
        if (!name)
            return inTable_;
        seen_.push_back(*name);
        inTable_ = !found_ && isWanted(UnicodeText::toLower(*name));
        found_ |= inTable_;
        return false;
    }
    bool isSectioned() const noexcept { return isSectioned_; }
    bool found() const noexcept { return found_; }
    // After the last row: a sectioned file without the section wanted fails, naming those it has.
    void finish() const {
        if (!isSectioned_ || found_)
            return;
        std::string list;
        for (std::size_t i = 0; i < seen_.size() && i < 10; ++i) {
            if (i > 0)
                list.append(", ");
            list.append("[").append(DisplayName::oneLine(seen_[i])).append("]");
        }
        if (!wanted_.empty())
            throw ChoiceError("There is no section named \u201C" + DisplayName::oneLine(wanted_) +
                              "\u201D in this file; it has " + list + ".");
        throw TableError("This file is made of sections (" + list +
                         ") and none is named Data, so it holds no table to read. Choose the "
                         "section that holds it with --section NAME.");
    }

private:
    static std::optional<std::string> sectionName(std::span<const std::string_view> fields) {
        if (fields.empty())
            return std::nullopt;
        const std::string_view first = UnicodeText::trim(fields.front(), true);
        if (first.size() < 2 || first.front() != '[' || first.back() != ']')
            return std::nullopt;
        for (const std::string_view field : fields.subspan(1))
            if (!UnicodeText::trim(field, true).empty())
                return std::nullopt;
        return std::string(UnicodeText::trim(first.substr(1, first.size() - 2), true));
    }
    bool isWanted(const std::string& name) const {
        if (!wanted_.empty())
            return name == wanted_;
        return name == "data" || name.ends_with("_data") || name == "samples";
    }

    std::string wanted_;
    bool decided_ = false;
    bool isSectioned_ = false;
    bool inTable_ = false;
    bool found_ = false;
    std::vector<std::string> seen_;
};

// Hands the rows of a table to a builder, stretch after stretch. Lines beginning with "#"
// before the first row are notes about the table (the last, right above it, may name its
// columns); the user's own marker counts everywhere.
class RowFeed {
public:
    RowFeed(const DelimitedOptions& options, char delimiter)
        : beforeFirstRow_(options.commentMarker ? std::string{'#', options.commentMarker}
                                                : std::string("#")),
          afterFirstRow_(options.commentMarker ? std::string(1, options.commentMarker)
                                               : std::string()),
          skipLines_(options.skipLines), delimiter_(delimiter), sections_(options.section) {}

    // Hands `builder` the rows of `scanner` (records to `sink`) while `wanted` holds.
    template <class Wanted>
    void feed(CSVRowScanner& scanner, RecordBuilder& builder, const RecordSink& sink,
              Wanted wanted) {
        scanner.skipLinesStartingWith(sawRow_ ? afterFirstRow_ : beforeFirstRow_);
        while (wanted() && scanner.nextRow()) {
            if (scanner.rowNumber() <= skipLines_ || !sections_.admits(scanner.fields()))
                continue;
            if (!sawRow_) {
                sawRow_ = true;
                noteComment(scanner, builder);
                scanner.skipLinesStartingWith(afterFirstRow_);
            }
            builder.addRow(scanner.fields(), scanner.rowNumber(), scanner.sequenceNeedsCleaning(),
                           sink);
        }
        // The stretch may end between the comment and the first row, and its text goes.
        if (!sawRow_ && !scanner.lastComment().empty()) {
            heldComment_.assign(scanner.lastComment());
            heldCommentRow_ = scanner.lastCommentRow();
        }
    }
    // True once the first row was read and the file has no sections: every line to come is
    // a row, or a comment `laterMarkers` begins.
    bool isPlain() const noexcept { return sawRow_ && !sections_.isSectioned(); }
    std::string_view laterMarkers() const noexcept { return afterFirstRow_; }

    // After the last stretch: the rows still held go out; a table of no row, or no record,
    // fails.
    void finish(RecordBuilder& builder, const RecordSink& sink) const {
        builder.finish(sink);
        sections_.finish();
        if (!sawRow_)
            throw Error(Error::Case::emptyFile);
        if (builder.records() == 0) {
            Error error(Error::Case::missingRequiredColumns, 0, foundColumns(builder));
            if (builder.layout())
                error.setLayout(std::make_shared<const ColumnLayout>(*builder.layout()));
            throw error;
        }
    }

private:
    // What the table was found to hold, for the message that it gave no record.
    static std::string foundColumns(const RecordBuilder& builder) {
        if (!builder.layout())
            return {};
        const ColumnLayout& layout = *builder.layout();
        if (layout.hasHeader && builder.findings().skippedRows() == 0)
            return "Its only row names the columns.";
        const std::string identifier =
            layout.identifier ? layout.nameOf(*layout.identifier) : "the row number";
        if (layout.columns == 1)
            return "This table has one column, " + layout.nameOf(0) +
                   ", which holds no sequences. If it does: --sequence-column " +
                   std::to_string(layout.number(0)) + " --id-column none.";
        return "This table has " + std::to_string(layout.columns) + " columns (" +
               layout.list() + ") and no row holds both an identifier in " + identifier +
               " and a sequence in " + layout.nameOf(layout.sequence) +
               ". Choose the columns with --id-column and --sequence-column.";
    }
    // The comment right above the first row, cut as the table's rows are, may name its columns.
    void noteComment(const CSVRowScanner& scanner, RecordBuilder& builder) const {
        const bool inStretch = !scanner.lastComment().empty();
        const std::string_view line = inStretch ? scanner.lastComment() : heldComment_;
        if (line.empty() || line.front() != '#')
            return;
        std::vector<std::string_view> fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = line.find(delimiter_, start);
            fields.push_back(line.substr(start, end == line.npos ? line.npos : end - start));
            if (end == line.npos)
                break;
            start = end + 1;
        }
        builder.comment(fields, inStretch ? scanner.lastCommentRow() : heldCommentRow_);
    }

    // The scanner keeps views of these.
    const std::string beforeFirstRow_;
    const std::string afterFirstRow_;
    std::size_t skipLines_;
    char delimiter_;
    Sections sections_;
    bool sawRow_ = false;
    // The last comment before the first row, from a stretch before the row's own.
    std::string heldComment_;
    std::size_t heldCommentRow_ = 0;
};

// How a builder cuts the fields further: by blanks when asked; where the delimiter was
// guessed or is the tab, as the first rows show.
void setSplit(RecordBuilder& builder, const DelimitedOptions& options, char delimiter) {
    if (options.partsByWhitespace)
        builder.setSplit(RecordBuilder::Split::whitespace);
    else if (!options.delimiter || options.delimiter == '\t')
        builder.setSplit(RecordBuilder::Split::guessed, delimiter == '\t');
}

// The first lines as the delimiter is guessed on them: without the lines passed over before
// the table, and without "#" lines, whose prose may hold any punctuation.
std::string_view guessedLines(std::string_view text, const DelimitedOptions& options) {
    std::size_t pos = 0;
    std::size_t line = 0;
    while (pos < text.size()) {
        const bool skipped = line < options.skipLines || text[pos] == '#' ||
                             (options.commentMarker && text[pos] == options.commentMarker);
        if (!skipped)
            return text.substr(pos);
        const std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            break;
        pos = end + 1 + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n');
        ++line;
    }
    return text;
}

// Where the first LF or CR of `text` stands from `from` on, or npos. Blocks that hold neither
// are passed in one branch-free test each, so a line of gigabytes is crossed at memory speed.
std::size_t firstLineBreak(std::string_view text, std::size_t from) noexcept {
    constexpr std::size_t block = 64;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    while (from + block <= text.size()) {
        unsigned char found = 0;
        for (std::size_t i = from; i < from + block; ++i)
            found |= static_cast<unsigned char>(bytes[i] == '\n' || bytes[i] == '\r');
        if (found)
            break;
        from += block;
    }
    for (; from < text.size(); ++from)
        if (bytes[from] == '\n' || bytes[from] == '\r')
            return from;
    return std::string_view::npos;
}

// Where the first NUL byte of `text` stands from `from` on, or npos.
std::size_t nulAt(std::string_view text, std::size_t from) noexcept {
    if (from >= text.size())
        return std::string_view::npos;
    const void* found = std::memchr(text.data() + from, '\0', text.size() - from);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
                 : std::string_view::npos;
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

// The first fault of a text as reading it would meet it: a NUL, or a byte that is no UTF-8
// before it.
struct TextFault {
    std::size_t at = std::string_view::npos;
    Error::Case kind = Error::Case::nulByte;

    // The fault of `text`, looked for only where it may hold a NUL or bytes past ASCII.
    static TextFault in(std::string_view text, bool mayHoldNul, bool mayBeInvalid) {
        TextFault fault;
        if (mayHoldNul)
            fault.at = nulAt(text, 0);
        if (mayBeInvalid) {
            const std::size_t clean = std::min(fault.at, text.size());
            if (const std::size_t valid = UnicodeText::validUtf8Length(text.substr(0, clean));
                valid < clean)
                fault = {valid, Error::Case::invalidEncoding};
        }
        return fault;
    }
    bool found() const noexcept { return at != std::string_view::npos; }
    // Fails naming `row`, and the byte of `text` at the fault where it is no UTF-8.
    [[noreturn]] void raise(std::uint64_t row, std::string_view text) const {
        if (kind == Error::Case::invalidEncoding)
            throw Error(kind, row, static_cast<unsigned char>(text[at]));
        throw Error(kind, row);
    }
};

// Where text of `lineBreaks` line breaks and no quotation mark ends, when it starts at `at`:
// each line break ends a row.
Place passed(Place at, std::size_t lineBreaks) noexcept {
    return {at.line + lineBreaks, at.row + lineBreaks};
}

// Where the piece of `text` from `start` ends: after its last LF within `bytes`, or at the end
// of the text; npos when a line runs longer (a CR LF is never split, as the cut is after LF).
std::size_t pieceEnd(std::string_view text, std::size_t start, std::size_t bytes) noexcept {
    if (text.size() - start <= bytes)
        return text.size();
    const std::size_t lineEnd = text.substr(start, bytes).rfind('\n');
    return lineEnd == std::string_view::npos ? lineEnd : start + lineEnd + 1;
}

// Where the text after a piece stands, known once the piece has been surveyed and the place
// before it is known; empty from the first piece that holds a quotation mark on, for those
// are read in order.
using PlaceAfter = std::promise<std::optional<Place>>;
using PlaceBefore = std::shared_future<std::optional<Place>>;

// `piece`, the bytes from `at` in a window, copied by `copier` where the source has one: the
// copy is then read, in memory this thread's earlier pieces touched already. A piece's text is
// read on its worker only, and the copy holds until the worker's next piece.
std::string_view copied(std::string_view piece, std::size_t at, const TextSource::Copier& copier) {
    if (!copier)
        return piece;
    thread_local PieceBuffer buffer;
    buffer.clear();
    copier(at, piece.size(), buffer.room(piece.size()));
    buffer.grow(piece.size());
    return buffer.view();
}

// What a worker made of one piece of a table.
struct PieceOutcome {
    explicit PieceOutcome(RecordBuilder continued) : builder(std::move(continued)) {}
    RecordBuilder builder;
    bool isRead = false;       // false when the piece is left to be read in order
    Place after;               // where the text after the piece stands
    std::size_t textBytes = 0; // of the table
    PieceBuffer bytes;
    std::string notes; // what `PieceWork::render` noted of the records
    // The records' identifiers, one after the other, with where each ends and its row.
    std::string identifierText;
    std::vector<std::pair<std::size_t, std::uint64_t>> identifiers;
    // What the piece failed with, after the records before the fault's line.
    std::exception_ptr failure;
};

// Converts `piece`, whole lines of a table, as reading it in order would: the same records,
// the same fault at the same row. One pass of survey tells its line breaks, so that the
// pieces after it learn where they stand without the reading thread looking at every byte,
// and whether it needs a closer look for faults. A piece with a quotation mark is not read:
// a quoted field may hold line ends.
PieceOutcome convertPiece(std::string_view piece, bool isLast, PlaceBefore before,
                          PlaceAfter after, RecordBuilder continued, char delimiter,
                          std::string_view markers, bool validates, bool notesIdentifiers,
                          const PieceWork& work, PieceBuffer buffer, std::size_t at,
                          const TextSource::Copier& copier) {
    PieceOutcome outcome(std::move(continued));
    piece = copied(piece, at, copier);
    const StretchSurvey survey = StretchSurvey::of(piece);
    std::optional<Place> place;
    try {
        place = before.get();
    } catch (const std::future_error&) {
        // The piece before never came to be: this one is not read either.
    }
    if (!place || survey.hasQuote) {
        after.set_value(std::nullopt);
        return outcome;
    }
    outcome.isRead = true;
    outcome.after = passed(*place, survey.lineBreaks);
    after.set_value(outcome.after);
    outcome.textBytes = piece.size();
    // A buffer an earlier piece used: its pages are in memory already.
    outcome.bytes = std::move(buffer);
    outcome.bytes.clear();
    outcome.bytes.room(piece.size() + piece.size() / 32 + 64);
    try {
        // Text checked before holds neither NUL nor bytes that are no UTF-8; changed since,
        // the file fails as changed.
        const TextFault fault =
            TextFault::in(piece, validates && survey.hasNul, validates && survey.hasNonAscii);
        const bool faulty = fault.found();
        const std::string_view rows =
            faulty ? piece.substr(0, afterLastLineBreak(piece.substr(0, fault.at))) : piece;
        CSVRowScanner scanner(rows, delimiter, isLast && !faulty, *place);
        scanner.skipLinesStartingWith(markers);
        const RecordSink sink = [&](const RecordView& record) {
            char* at = outcome.bytes.room(work.sizeBound(record));
            outcome.bytes.grow(work.render(record, at, outcome.notes));
            if (notesIdentifiers) {
                outcome.identifierText.append(record.identifier);
                outcome.identifiers.emplace_back(outcome.identifierText.size(),
                                                 scanner.rowNumber());
            }
        };
        while (scanner.nextRow())
            outcome.builder.addRow(scanner.fields(), scanner.rowNumber(),
                                   scanner.sequenceNeedsCleaning(), sink);
        if (faulty)
            fault.raise(scanner.place().row, piece);
        if (scanner.position() != rows.size())
            throw std::logic_error("a piece of the table was cut inside a row");
    } catch (...) {
        outcome.failure = std::current_exception();
    }
    return outcome;
}

// Reads the window of `source`, which is complete and stands at `place`, in pieces converted
// on worker threads and handed on in order; `builder` takes in what each made. Returns at its
// end, or where the text cannot be cut safely (a quotation mark, a line longer than a piece):
// the window then starts there, at the place returned.
Place readPieces(TextSource& source, char delimiter, Place place, RecordBuilder& builder,
                 std::string_view markers, bool validates, const PieceWork& work) {
    const std::string_view rest = source.window();
    const TextSource::Copier copier = source.copier();
    WorkerPool workers(work.threads);
    std::deque<std::future<PieceOutcome>> running;
    std::vector<PieceBuffer> spare;
    PlaceAfter first;
    first.set_value(place);
    PlaceBefore before = first.get_future().share();
    std::size_t cut = 0;
    bool cutting = true;
    for (;;) {
        while (cutting && cut < rest.size() && running.size() < 2 * std::max(1u, work.threads)) {
            const std::size_t end = pieceEnd(rest, cut, work.pieceBytes);
            if (end == std::string_view::npos) {
                cutting = false;
                break;
            }
            PieceBuffer buffer;
            if (!spare.empty()) {
                buffer = std::move(spare.back());
                spare.pop_back();
            }
            PlaceAfter after;
            PlaceBefore next = after.get_future().share();
            running.push_back(workers.run(
                [=, &work, after = std::move(after), continued = builder.continued(),
                 notesIdentifiers = builder.findings().looksForRepeats(),
                 buffer = std::move(buffer), &copier]() mutable {
                    return convertPiece(rest.substr(cut, end - cut), end == rest.size(), before,
                                        std::move(after), std::move(continued), delimiter,
                                        markers, validates, notesIdentifiers, work,
                                        std::move(buffer), cut, copier);
                }));
            before = std::move(next);
            cut = end;
        }
        if (running.empty())
            return place;
        PieceOutcome done = running.front().get();
        running.pop_front();
        if (!done.isRead) {
            // From its quotation mark on, the text is read in one thread; the pieces after it
            // end unread as soon as they learn so.
            return place;
        }
        work.deliver(done.bytes.view(), done.builder.records(), done.notes);
        std::vector<std::pair<std::string_view, std::uint64_t>> identifiers;
        identifiers.reserve(done.identifiers.size());
        std::size_t from = 0;
        for (const auto& [end, row] : done.identifiers) {
            identifiers.emplace_back(std::string_view(done.identifierText).substr(from, end - from),
                                     row);
            from = end;
        }
        builder.absorb(done.builder, identifiers);
        if (done.failure)
            std::rethrow_exception(done.failure);
        source.drop(done.textBytes);
        place = done.after;
        spare.push_back(std::move(done.bytes));
    }
}

// What a worker found checking one piece of a table: its survey and, where that calls for a
// closer look, its first NUL or byte that is no UTF-8.
struct CheckedPiece {
    std::size_t bytes = 0;
    StretchSurvey survey;
    TextFault fault;
};

CheckedPiece checkPiece(std::string_view piece, std::size_t at, const TextSource::Copier& copier) {
    piece = copied(piece, at, copier);
    CheckedPiece checked;
    checked.bytes = piece.size();
    checked.survey = StretchSurvey::of(piece);
    checked.fault = TextFault::in(piece, checked.survey.hasNul, checked.survey.hasNonAscii);
    return checked;
}

// Checks the window of `source`, complete and standing at `place` past the table's first
// record, in pieces on worker threads, for what reading it could fail on: a NUL, bytes that
// are no UTF-8. Returns at its end, or at the first piece that holds a quotation mark (or a
// line longer than a piece), where the window then starts, at the place returned.
Place checkPieces(TextSource& source, Place place, const PieceWork& work) {
    const std::string_view rest = source.window();
    const TextSource::Copier copier = source.copier();
    WorkerPool workers(work.threads);
    std::deque<std::future<CheckedPiece>> running;
    std::size_t cut = 0;
    bool cutting = true;
    for (;;) {
        while (cutting && cut < rest.size() && running.size() < 2 * std::max(1u, work.threads)) {
            const std::size_t end = pieceEnd(rest, cut, work.pieceBytes);
            if (end == std::string_view::npos) {
                cutting = false;
                break;
            }
            running.push_back(workers.run([piece = rest.substr(cut, end - cut), cut, &copier] {
                return checkPiece(piece, cut, copier);
            }));
            cut = end;
        }
        if (running.empty())
            return place;
        const CheckedPiece done = running.front().get();
        running.pop_front();
        // From a quotation mark on, the rest is read in order; the pieces after it are
        // dropped unread.
        if (done.survey.hasQuote)
            return place;
        if (done.fault.found()) {
            const std::string_view piece = source.window().substr(0, done.bytes);
            const std::size_t before = afterLastLineBreak(piece.substr(0, done.fault.at));
            done.fault.raise(place.row + StretchSurvey::of(piece.substr(0, before)).lineBreaks,
                             piece);
        }
        place = passed(place, done.survey.lineBreaks);
        source.drop(done.bytes);
    }
}

} // namespace

PieceWork PieceWork::onThisMachine() {
    PieceWork pieces;
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores < 2)
        pieces.pieceBytes = 0;
    pieces.threads = std::max(2u, cores);
    return pieces;
}

char DelimitedTable::start(TextSource& source, std::string_view fileName, Lookout& lookout,
                           const Options& options) {
    // The delimiter is judged on the first five lines. Each byte is looked at once, however
    // long the lines; a NUL byte ends the wait, for the table is no text.
    std::size_t lineBreaks = 0;
    bool sawLineBreak = false;
    while (!source.isComplete()) {
        const std::string_view window = source.window();
        if (nulAt(window, lookout.screened) != std::string_view::npos)
            break;
        std::size_t at = lookout.screened;
        while (lineBreaks < 5 && (at = firstLineBreak(window, at)) != std::string_view::npos) {
            ++lineBreaks;
            ++at;
            sawLineBreak = true;
        }
        lookout.screened = window.size();
        if (!sawLineBreak)
            lookout.searched = window.size();
        if (lineBreaks >= 5 || !source.readMore())
            break;
    }
    // Spreadsheet programs write a byte-order mark in front of "CSV UTF-8".
    if (source.window().starts_with(byteOrderMark)) {
        source.drop(byteOrderMark.size());
        lookout.dropped(byteOrderMark.size());
    }
    if (source.window().empty() && source.isComplete())
        throw Error(Error::Case::emptyFile);
    if (options.partsByWhitespace)
        return '\t';
    if (options.delimiter)
        return options.delimiter;
    const std::string_view lines = guessedLines(source.window(), options);
    const char delimiter = DelimiterGuess::of(fileName, lines);
    // A ".tsv" file without a tab in its first lines was saved with another delimiter: read
    // by its extension it would be a table of one column.
    const std::string_view first = lines.substr(0, std::min<std::size_t>(lines.size(), 1 << 16));
    if (delimiter == '\t' && first.find('\t') == std::string_view::npos)
        return DelimiterGuess::of({}, lines);
    return delimiter;
}

std::size_t DelimitedTable::stretchEnd(std::string_view window, bool isComplete, std::size_t limit,
                                       std::size_t& searched) noexcept {
    if (isComplete && window.size() <= limit)
        return window.size();
    // What was searched before is not searched again: a line of gigabytes that comes a piece
    // at a time costs one pass, not one a piece.
    const std::size_t reach = std::min(limit, window.size());
    if (searched < reach) {
        const std::size_t within = afterLastLineBreak(window.substr(searched, reach - searched));
        if (within > 0)
            return searched + within;
        searched = reach;
    }
    // A line longer than a stretch: up to its end, however far. A CR ends one only where a
    // byte follows that tells whether it is CR LF.
    if (searched < window.size()) {
        const std::size_t at = firstLineBreak(window, searched);
        if (at == std::string_view::npos) {
            searched = window.size();
        } else if (window[at] == '\n') {
            return at + 1;
        } else if (at + 1 < window.size()) {
            // CR LF stays whole: split, it would count as two line breaks.
            return window[at + 1] == '\n' ? at + 2 : at + 1;
        } else {
            searched = at; // looked at again once the byte after it has come
        }
    }
    return isComplete ? window.size() : 0;
}

CSVRowScanner::Place DelimitedTable::walk(TextSource& source, const StretchScan& scan,
                                          bool validates, Lookout lookout,
                                          CSVRowScanner::Place start, HandOff* handOff) {
    CSVRowScanner::Place place = start;
    std::size_t validated = 0; // bytes at the front of the window known to be UTF-8
    std::size_t limit = stretchBytes;
    for (;;) {
        const std::string_view window = source.window();
        const bool isComplete = source.isComplete();
        if (window.empty() && isComplete)
            return place;
        // The rows before the line that holds a fault are read first, as far as they go: a
        // stream's records go out up to the fault, and the place tells its row.
        const auto failAt = [&](std::size_t fault, Error::Case kind) {
            if (handOff)
                handOff->allowed = false;
            const std::size_t before = afterLastLineBreak(window.substr(0, fault));
            if (before > 0)
                place = scan(window.substr(0, before), false, place).next;
            TextFault{fault, kind}.raise(place.row, window);
        };
        // A NUL byte means the input is no text: it fails at once, before a line of zeros of
        // any length has been waited for; bytes before it that are no UTF-8 fail first.
        const auto screen = [&](std::size_t to) {
            if (to <= lookout.screened)
                return;
            if (const std::size_t nul = nulAt(window.substr(0, to), lookout.screened);
                nul != std::string_view::npos) {
                const std::size_t valid =
                    validated +
                    UnicodeText::validUtf8Length(window.substr(validated, nul - validated));
                if (valid < nul)
                    failAt(valid, Error::Case::invalidEncoding);
                failAt(nul, Error::Case::nulByte);
            }
            lookout.screened = to;
        };
        // What has come from a pipe is screened whole. A mapped file shows all of itself at
        // once: it is screened a stretch ahead, or it would all be paged in at the start.
        screen(isComplete ? std::min(window.size(), limit) : window.size());
        const std::size_t end = stretchEnd(window, isComplete, limit, lookout.searched);
        if (end == 0) {
            source.readMore();
            continue;
        }
        screen(end);
        source.willRead(end);
        const std::string_view text = window.substr(0, end);
        // Stretches end on line breaks, so no character is split between two.
        if (validates && end > validated) {
            const std::size_t valid =
                validated + UnicodeText::validUtf8Length(text.substr(validated));
            if (valid < end)
                failAt(valid, Error::Case::invalidEncoding);
        }
        validated = end;
        const bool isLast = isComplete && end == window.size();
        const Taken taken = scan(text, isLast, place);
        place = taken.next;
        source.drop(taken.bytes);
        validated -= taken.bytes;
        lookout.dropped(taken.bytes);
        if (isLast || (handOff && handOff->done))
            return place;
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
                          const RecordSink& sink, Options options, const PieceWork* pieces) {
    Lookout lookout;
    const char delimiter = start(source, fileName, lookout, options);
    RowFeed rows(options, delimiter);
    setSplit(builder, options, delimiter);
    // Pieces are worth their threads once the layout is settled and the rows to come are
    // plain, and only where several pieces are left.
    HandOff handOff;
    handOff.allowed = pieces && pieces->pieceBytes > 0;
    const auto readyForPieces = [&](const CSVRowScanner& scanner) {
        return handOff.allowed && source.isComplete() && rows.isPlain() && builder.isSettled() &&
               builder.findings().judgedEnough() && scanner.place().row > options.skipLines &&
               source.window().size() - scanner.position() > 2 * pieces->pieceBytes;
    };
    const StretchScan scan = [&](std::string_view text, bool isLast, CSVRowScanner::Place place) {
        CSVRowScanner scanner(text, delimiter, isLast, place);
        rows.feed(scanner, builder, sink,
                  [&] { return !(handOff.done = readyForPieces(scanner)); });
        return Taken{scanner.position(), scanner.place()};
    };
    try {
        const CSVRowScanner::Place place =
            walk(source, scan, options.validates, lookout, {}, &handOff);
        if (handOff.done) {
            handOff.allowed = false;
            const CSVRowScanner::Place left = readPieces(source, delimiter, place, builder,
                                                         rows.laterMarkers(), options.validates,
                                                         *pieces);
            if (!source.window().empty())
                walk(source, scan, options.validates, Lookout(), left);
        }
    } catch (const Error&) {
        // A stream's records go out up to its fault, the rows still waiting to be looked at
        // among them; the fault is what is told.
        try {
            builder.finish(sink);
        } catch (const TableError&) {
        }
        throw;
    }
    rows.finish(builder, sink);
    return delimiter;
}

void DelimitedTable::check(TextSource& source, std::string_view fileName,
                           const ColumnChoice& choice, Options options, const PieceWork* pieces) {
    Lookout lookout;
    const char delimiter = start(source, fileName, lookout, options);
    // Rows are made into records until the first one: a table that would give none, or lacks a
    // chosen column, fails so.
    RecordBuilder builder(RecordBuilder::delimitedStyle, choice);
    setSplit(builder, options, delimiter);
    RowFeed rows(options, delimiter);
    const RecordSink noted = [](const RecordView&) {};
    HandOff handOff;
    handOff.allowed = pieces && pieces->pieceBytes > 0;
    // Past the first record, a whole window left of several pieces from `at` is checked in
    // them.
    const auto handsOffAt = [&](std::size_t at) {
        handOff.done = handOff.allowed && builder.records() > 0 && rows.isPlain() &&
                       source.isComplete() &&
                       source.window().size() - at > 2 * pieces->pieceBytes;
        return handOff.done;
    };
    const StretchScan scan = [&](std::string_view text, bool isLast, CSVRowScanner::Place place) {
            if (handsOffAt(0))
                return Taken{0, place};
            // One pass tells whether the stretch needs a closer look: only bytes past ASCII can
            // fail to be UTF-8, only a quoted field can fail to end.
            const StretchSurvey survey = StretchSurvey::of(text);
            if (survey.hasNonAscii) {
                const std::size_t valid = UnicodeText::validUtf8Length(text);
                if (valid < text.size()) {
                    // The rows before the fault's line are scanned for its row's number.
                    const std::size_t before = afterLastLineBreak(text.substr(0, valid));
                    CSVRowScanner scanner(text.substr(0, before), delimiter, false, place);
                    while (scanner.nextRow()) {
                    }
                    TextFault{valid, Error::Case::invalidEncoding}.raise(scanner.place().row, text);
                }
            }
            // Without quotation marks every line break ends a row: counting them keeps the
            // place right for a fault further on.
            const auto skipped = [&](std::size_t from, Place at) {
                const std::size_t breaks =
                    from == 0 ? survey.lineBreaks : StretchSurvey::of(text.substr(from)).lineBreaks;
                return Taken{text.size(), passed(at, breaks)};
            };
            if (!survey.hasQuote && builder.records() > 0)
                return skipped(0, place);
            CSVRowScanner scanner(text, delimiter, isLast, place);
            // Rows count until the first record; past it, only quotation marks matter.
            rows.feed(scanner, builder, noted, [&] { return builder.records() == 0; });
            if (handsOffAt(scanner.position()))
                return Taken{scanner.position(), scanner.place()};
            if (builder.records() > 0 && !survey.hasQuote)
                return skipped(scanner.position(), scanner.place());
            while (scanner.nextRow()) {
            }
            return Taken{scanner.position(), scanner.place()};
        };
    const CSVRowScanner::Place place = walk(source, scan, false, lookout, {}, &handOff);
    if (handOff.done) {
        handOff.allowed = false;
        const CSVRowScanner::Place left = checkPieces(source, place, *pieces);
        if (!source.window().empty())
            walk(source, scan, false, Lookout(), left);
    }
    rows.finish(builder, noted);
}

} // namespace pellacor
