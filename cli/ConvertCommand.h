#pragma once

#include "cli/ConvertOptions.h"
#include "conversion/Conversion.h"

#include <stdexcept>
#include <string>

namespace pellacor {

/// One run of the converter: the FASTA text of every input, in order, to standard output or to
/// the output file.
class ConvertCommand {
public:
    /// What stopped the run, and the input it came from (empty when none).
    class Failure : public std::runtime_error {
    public:
        Failure(std::string input, const std::string& message, bool isUsage = false)
            : std::runtime_error(message), input(std::move(input)), isUsage(isUsage) {}
        const std::string input;
        /// True when the command line asked for what an input lacks (a column, a sheet).
        const bool isUsage;
    };

    explicit ConvertCommand(const ConvertOptions& options) : options_(options) {}

    /// Converts every input. Throws `Failure`. Into a file, nothing is kept unless all
    /// converted. To standard output, every input that can be read through first is (files
    /// are checked, workbooks converted into memory), so that only a pipe can fail after its
    /// first record has gone out.
    void run();
    /// "name: " before a message about `input` when there are several inputs; else, or for no
    /// input, nothing.
    std::string namePrefix(const std::string& input) const;

private:
    // What to convert for input `index`.
    ConversionRequest requestFor(std::size_t index, bool isChecked) const;

    const ConvertOptions& options_;
};

} // namespace pellacor
