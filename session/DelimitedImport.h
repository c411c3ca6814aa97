#pragma once

#include "session/ImportJob.h"

#include <filesystem>

namespace pellacor {

/// Reads a delimited table for an import in one pass over the file, mapped rather than copied:
/// each record is rendered into the FASTA text as it is found, and the records are kept as
/// their places in that text.
class DelimitedImport {
public:
    DelimitedImport() = delete;

    /// Records, label ("CSV" or "TSV"), FASTA text and trace of the table at `file`. Throws
    /// what `CSVParser::parse` throws for it, and `FileError` when the file changes while it
    /// is read.
    static ImportOutcome run(const std::filesystem::path& file);
};

} // namespace pellacor
