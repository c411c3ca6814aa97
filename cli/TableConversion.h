#pragma once

#include <string>

namespace pellacor {

/// One run of the converter: the FASTA text of a table and, if asked, its trace.
struct TableConversion {
    std::string fasta;
    std::string trace;

    /// Converts the table at `input` ("-": delimited text on standard input), choosing the
    /// reader by extension as the app does. Throws `TableError` with the app's message.
    static TableConversion run(const std::string& input, int lineWidth, bool withTrace);
};

} // namespace pellacor
