#pragma once

#include "core/SequenceEntry.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor {

/// One run of the converter: the FASTA text of a table and, if asked, its trace.
struct TableConversion {
    /// The text, unless it is rendered while it is written (`records`).
    std::string fasta;
    /// Records read whole before anything is written (a workbook's), rendered piece by piece
    /// by `writeFasta` so that their text never sits in memory at once.
    std::vector<SequenceEntry> records;
    int lineWidth = 80;
    std::string trace;

    /// Converts the table at `input` ("-": delimited text on standard input), choosing the
    /// reader by extension as the app does. Throws `TableError` with the app's message.
    static TableConversion run(const std::string& input, int lineWidth, bool withTrace);

    /// Hands the FASTA text to `write` in order, in pieces of about a megabyte or whole.
    void writeFasta(const std::function<void(std::string_view)>& write) const;
};

} // namespace pellacor
