#pragma once

#include "conversion/ConversionWatch.h"
#include "core/ConversionTrace.h"
#include "core/RecordView.h"
#include "readers/ColumnChoice.h"
#include "readers/ColumnLayout.h"
#include "readers/TableFindings.h"
#include "readers/delimited/DelimitedTable.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace pellacor {

/// What to convert.
struct ConversionRequest {
    /// The table: a path, or "-" for delimited text on standard input.
    std::filesystem::path input;
    /// True when `Conversion::check` has passed the table: its text is not checked again (a
    /// file changed in between still fails, at the end).
    bool isChecked = false;
    /// The columns the user chose; none chosen, the table's header decides.
    ColumnChoice columns;
    /// A workbook's sheet to read: its name or number from 1; absent, the first not hidden.
    std::optional<std::string> sheet;
    /// Lines of delimited text that begin with this character are passed over; 0 for none.
    char commentMarker = 0;
    /// How delimited text is laid out where its text does not tell: lines before the table,
    /// the delimiter, fields parted by blanks, the section that holds the table.
    std::size_t skipLines = 0;
    char delimiter = 0;
    bool partsByWhitespace = false;
    std::string section;
    /// False when nobody reads the trace: the first records' lengths are then not counted,
    /// which for a sequence of gigabytes takes a while.
    bool isTraced = true;
    /// Asked at each piece of input read (a stretch of text, a piece of a sheet): once a stop
    /// is requested the conversion ends with `ReadCancelled`.
    std::stop_token stop;
    /// Told at each piece of input how many bytes are read, of how many.
    ReadProgress progress;
    /// The encoding of delimited text, an ICU converter name ("windows-1252"); absent, UTF-8,
    /// or UTF-16 or UTF-32 that a byte-order mark announces.
    std::optional<std::string> encoding;
};

/// What a conversion found, besides its records.
struct ConversionSummary {
    /// How many records were handed on.
    std::size_t records = 0;
    /// The table's type as the user sees it: "CSV", "TSV", "Excel (XLSX)", "Excel (XLS)",
    /// "OpenDocument (ODS)" or "OpenDocument (FODS)".
    std::string fileType;
    /// The first records (at most `ConversionTrace::detailedEntries`), for the trace.
    std::vector<ConversionTrace::EntryDetail> firstRecords;
    /// The columns the records were made of.
    std::optional<ColumnLayout> layout;
    /// For a workbook: the names of its sheets in tab order, and the one read.
    std::vector<std::string> sheets;
    std::string sheet;
    /// What was noticed about the rows.
    TableFindings findings;
    /// The encoding the user chose for delimited text, as chosen ("windows-1252", or "UTF-8"
    /// chosen back); empty when none was.
    std::string encoding;

    /// The trace lines about the records, and about rows skipped.
    std::string entryTrace() const;
    /// What the user should know that changed nothing: rows skipped, a column that holds no
    /// sequences, identifiers used twice, a guess that remains unsure.
    std::vector<std::string> warnings() const;
    /// What was guessed of the table's layout, in one line; empty for the plain layout.
    std::string note() const { return layout ? layout->note : std::string(); }
};

/// The one conversion behind the app and the converter: picks the reader by the table's file
/// name and first bytes (`TableFormat`), reads the table and hands each record, in order, to a
/// sink, which renders it.
class Conversion {
public:
    Conversion() = delete;

    /// Reads the table of `request`, handing each record to `sink`. Throws what the reader
    /// throws (`TableError`, `FileError`), and `ReadCancelled`; the sink may then have
    /// seen records.
    ///
    /// With `pieces`, a large delimited file may be read on several threads: past its first
    /// rows its records then reach `pieces` rendered, in order, instead of `sink`.
    static ConversionSummary run(const ConversionRequest& request, const RecordSink& sink,
                                 const PieceWork* pieces = nullptr);
    /// Reads a delimited table that is a regular file for everything `run` could fail on after
    /// its first record, and throws what `run` would throw then: run after it, a conversion
    /// fails before any record or not at all (unless the file changes in between). Honours
    /// the request's stop and progress as `run` does. With `pieces`, a large file is checked
    /// on several threads.
    static void check(const ConversionRequest& request, const PieceWork* pieces = nullptr);
};

} // namespace pellacor
