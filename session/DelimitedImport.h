#pragma once

#include "session/ImportJob.h"

#include <filesystem>

namespace pellacor {

/// Reads a delimited table for an import: the records and their FASTA text are made on two
/// threads at once from one copy of the file, and the parts of that copy both have passed are
/// given back to the system early, so a large table never sits in memory three times over.
class DelimitedImport {
public:
    DelimitedImport() = delete;

    /// Records, label ("CSV" or "TSV"), FASTA text and trace of the table at `file`. Throws
    /// what `CSVParser::parse` throws for it.
    static ImportOutcome run(const std::filesystem::path& file);
};

} // namespace pellacor
