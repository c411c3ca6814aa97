#pragma once

#include "core/SequenceEntry.h"
#include "session/EntryTable.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace pellacor {

/// Everything an import produces before it is committed: records, label, FASTA text and the
/// trace, or the failure's message.
struct ImportOutcome {
    /// The records with their FASTA text.
    EntryTable entries;
    QString fileType;
    /// Trace lines written before the FASTA text is stored, and after it.
    std::string entryTrace;
    std::string fastaTrace;
    /// The message for the "Error" alert; absent on success.
    std::optional<QString> failure;
};

/// The part of an import that may run off the UI thread: reading a table and rendering it.
/// Touches no session state.
class ImportJob {
public:
    ImportJob() = delete;

    /// Reads the table at `path` with the reader its file name picks, rendering each record
    /// as it comes. Never throws: a failure comes back as `ImportOutcome::failure` with the
    /// reader's message.
    static ImportOutcome run(const QString& path);
};

} // namespace pellacor
