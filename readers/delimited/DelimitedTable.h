#pragma once

#include "files/TextSource.h"
#include "readers/RecordBuilder.h"
#include "readers/delimited/CSVRowScanner.h"

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>

namespace pellacor {

/// How to read a delimited table beyond what its text says.
struct DelimitedOptions {
    /// Lines beginning with this character are passed over wherever they stand (lines
    /// beginning with "#" always are, before the first row); 0 for none.
    char commentMarker = 0;
    /// False when the text is known to be UTF-8 already (a check found it so).
    bool validates = true;
    /// Lines before the table, passed over.
    std::size_t skipLines = 0;
    /// The delimiter; 0 to guess it from the file's name and first lines.
    char delimiter = 0;
    /// Runs of spaces and tabs part the fields.
    bool partsByWhitespace = false;
    /// The section of a sectioned file ("[Header]", "[Data]") that holds the table; empty for
    /// the one named "Data", ending in "_Data", or "Samples".
    std::string section;
};

/// How a large file may be read on several threads: records become bytes in pieces of the
/// table, on worker threads, and the pieces' bytes go on in the table's order.
struct PieceWork {
    /// The most bytes `render` writes of `record`.
    std::function<std::size_t(const RecordView& record)> sizeBound;
    /// Writes `record` at `out`, which has room for `sizeBound(record)` bytes, and returns how
    /// many it wrote; it may add to the piece's `notes` what else a taker of the bytes is to
    /// know of the record (where its parts lie, say). Both are called on worker threads: they
    /// may touch nothing shared.
    std::function<std::size_t(const RecordView& record, char* out, std::string& notes)> render;
    /// Takes the bytes of a piece's records, how many they are, and their notes one after the
    /// other; called in order, on the thread that reads.
    std::function<void(std::string_view bytes, std::size_t records, std::string_view notes)>
        deliver;
    /// Bytes of text a piece holds, cut back to a line end.
    std::size_t pieceBytes = std::size_t(1) << 20;
    /// Cores to convert on: twice as many pieces are in flight, so that none idles while the
    /// oldest goes on.
    unsigned threads = 2;

    /// Pieces for this machine's cores: none (`pieceBytes` 0) on a machine of one core.
    static PieceWork onThisMachine();
};

/// Reads delimited text from a source in one pass, a stretch of whole lines at a time, handing
/// its rows to a record builder: the memory it needs does not grow with the table.
class DelimitedTable {
public:
    DelimitedTable() = delete;

    /// Bytes scanned at a time, cut back to the last line break: few enough that every pass
    /// over a stretch after the first finds it in the processor's cache.
    static constexpr std::size_t stretchBytes = std::size_t(1) << 19;

    using Options = DelimitedOptions;

    /// Reads all of `source`, a table named `fileName` (its extension may decide the
    /// delimiter), handing the records that `builder` makes of its rows to `sink`, and returns
    /// the delimiter. Throws
    /// `ParserError` (`emptyFile`, `missingRequiredColumns`,
    /// `unterminatedQuotedField`, `invalidEncoding`, `nulByte`) or `FileError`; the builder may
    /// then have handed records on.
    ///
    /// With `pieces`, a table that shows itself whole (a mapped file) is read on several
    /// threads once its layout is settled, up to its first quotation mark: those records reach
    /// `pieces` as rendered bytes instead of `sink`, the bytes those that rendering them in
    /// order gives, the findings and failures those of one thread.
    static char read(TextSource& source, std::string_view fileName, RecordBuilder& builder,
                     const RecordSink& sink, Options options = {},
                     const PieceWork* pieces = nullptr);
    /// Reads all of `source` for everything `read` could fail on (no row, no record, bytes that
    /// are not UTF-8, a quoted field that never closes), without handing records on: a file
    /// checked so before its records go out fails whole or not at all. At memory speed past
    /// the first record where the text holds no quotation mark.
    /// With `pieces`, a table that shows itself whole is checked past its first record in
    /// pieces on several threads (only their size and threads count), up to its first
    /// quotation mark.
    static void check(TextSource& source, std::string_view fileName,
                      const ColumnChoice& choice = {}, Options options = {},
                      const PieceWork* pieces = nullptr);

private:
    // What scanning one stretch took: the bytes (whole rows; fewer than the stretch when a
    // row runs past it) and where the text after them stands.
    struct Taken {
        std::size_t bytes;
        CSVRowScanner::Place next;
    };
    // Scans a stretch of whole lines (`isLast` for the end of the input) standing at `start`.
    using StretchScan =
        std::function<Taken(std::string_view text, bool isLast, CSVRowScanner::Place start)>;
    // How much of the window's front has been looked at, so that each byte is looked at once
    // however the input arrives (a line of gigabytes a piece at a time).
    struct Lookout {
        std::size_t screened = 0; // holds no NUL
        std::size_t searched = 0; // holds no line break that ends a stretch
        void dropped(std::size_t bytes) noexcept {
            screened -= std::min(screened, bytes);
            searched -= std::min(searched, bytes);
        }
    };
    // The delimiter, once the first lines are in the window and a byte-order mark dropped.
    static char start(TextSource& source, std::string_view fileName, Lookout& lookout,
                      const Options& options);
    // Hands `scan` the whole input, a stretch of whole lines at a time, each checked to be
    // UTF-8 first when it `validates`. Throws `ParserError` (`nulByte`) at once for a NUL.
    // Whether the scan may stop to hand the rest of the text to pieces, and whether it did.
    struct HandOff {
        bool allowed = true; // not while the rows before a fault are scanned for its row
        bool done = false;
    };
    // With `handOff`, returns after the stretch once it is done. Returns where the text left
    // in the window stands, `start` for its front.
    static CSVRowScanner::Place walk(TextSource& source, const StretchScan& scan, bool validates,
                                     Lookout lookout, CSVRowScanner::Place start = {},
                                     HandOff* handOff = nullptr);
    // Where the next stretch of `window` ends: after its last line break within `limit`
    // bytes, or the first beyond; 0 when the window holds no whole line yet. The first
    // `searched` bytes are known to hold none; the count grows by what this search covered.
    static std::size_t stretchEnd(std::string_view window, bool isComplete, std::size_t limit,
                                  std::size_t& searched) noexcept;
};

} // namespace pellacor
