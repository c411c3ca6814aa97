#pragma once

#include "conversion/Conversion.h"
#include "readers/delimited/DelimitedTable.h"
#include "session/EntryTable.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

namespace pellacor {

/// Everything an import produces before it is committed: the records with their FASTA text,
/// what the conversion found, and the text's trace; or the failure's message.
struct ImportOutcome {
    /// The records with their FASTA text.
    EntryTable entries;
    /// What the conversion found besides records: type, columns, sheets, findings.
    ConversionSummary summary;
    /// Trace lines about the FASTA text, written after it is stored.
    std::string fastaTrace;
    /// The message for the "Error" alert; absent on success.
    std::optional<QString> failure;
    /// True when the request's stop ended the import: nothing else holds anything.
    bool isCancelled = false;
    /// True when the failure was text that is not UTF-8, which another encoding may read.
    bool isNotUtf8 = false;
    /// For a failure another choice of columns may mend: the table's columns and first rows.
    std::optional<ColumnLayout> mendable;
};

/// The part of an import that may run off the UI thread: reading a table and rendering it.
/// Touches no session state.
class ImportJob {
public:
    ImportJob() = delete;

    /// Converts `request` with the reader its input's file name picks, rendering each record
    /// as it comes. Never throws: a failure comes back as `ImportOutcome::failure` with the
    /// reader's message, a stop as `ImportOutcome::isCancelled`. `previous`, a result given up,
    /// is freed first, or its memory written into when the new text may fill as much. A large
    /// delimited file is rendered in pieces of the size and on the threads `cores` tells (none
    /// when its `pieceBytes` is 0).
    static ImportOutcome run(ConversionRequest request, EntryTable previous = EntryTable(),
                             const PieceWork& cores = PieceWork::onThisMachine());
    /// Reads `request`'s table for everything `run` could fail on, keeping nothing: the
    /// outcome holds no records, and a failure or a stop as `run` gives them. After it passes,
    /// `run` with `isChecked` fails only if the file changes in between.
    static ImportOutcome check(ConversionRequest request);
    /// True when `check` can vouch for `request`'s table: a delimited table in a regular file,
    /// not compressed.
    static bool canCheck(const ConversionRequest& request);
};

} // namespace pellacor
