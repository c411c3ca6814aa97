#pragma once

#include "readers/ColumnChoice.h"
#include "readers/ColumnLayout.h"
#include "session/EntryTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace pellacor {

/// What an import found besides records and text, for the window to show: the columns used,
/// a workbook's sheets, rows skipped and other warnings.
struct ConversionDetails {
    /// The columns the records were made of; absent before any import.
    std::optional<ColumnLayout> layout;
    /// A workbook's sheets in tab order, and the one read.
    QStringList sheets;
    QString sheet;
    /// What the user should know that changed nothing: "3 rows skipped (no identifier or
    /// sequence): 5, 9, 12" first, when rows were skipped; then a column that holds no
    /// sequences, repeated identifiers.
    QStringList warnings;
    /// The ICU name of the encoding a delimited table was read in when one was chosen
    /// ("windows-1252", or "UTF-8" chosen back); empty when none was.
    QString encoding;
};

/// How to read a table beyond what it says: the columns and the sheet the user chose.
struct ImportChoice {
    ColumnChoice columns;
    /// A workbook's sheet, by name; absent, the first that is not hidden.
    std::optional<QString> sheet;
    /// The encoding of delimited text, an ICU converter name; absent, UTF-8.
    std::optional<QString> encoding;
};

/// Everything an import produces before it is committed: records, label, FASTA text and the
/// trace, or the failure's message.
struct ImportOutcome {
    /// The records with their FASTA text.
    EntryTable entries;
    QString fileType;
    /// Trace lines written before the FASTA text is stored, and after it.
    std::string entryTrace;
    std::string fastaTrace;
    /// What else the import found.
    ConversionDetails details;
    /// The message for the "Error" alert; absent on success.
    std::optional<QString> failure;
    /// True when the failure was text that is not UTF-8, which another encoding may read.
    bool isNotUtf8 = false;
};

/// The part of an import that may run off the UI thread: reading a table and rendering it.
/// Touches no session state.
class ImportJob {
public:
    ImportJob() = delete;

    /// Reads the table at `path` with the reader its file name picks, rendering each record
    /// as it comes. Never throws: a failure comes back as `ImportOutcome::failure` with the
    /// reader's message.
    /// `path` is the file's name as the file system has it, bytes and all.
    static ImportOutcome run(const QByteArray& path, const ImportChoice& choice = {});
};

} // namespace pellacor
