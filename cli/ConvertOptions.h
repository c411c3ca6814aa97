#pragma once

#include "core/LineWidth.h"
#include "readers/ColumnChoice.h"

#include <optional>
#include <string>
#include <vector>

namespace pellacor {

/// The command line of pellacor-convert.
struct ConvertOptions {
    std::vector<std::string> inputs;   ///< paths, "-" for standard input, in the order given
    std::optional<std::string> output; ///< absent: standard output
    LineWidth lineWidth;
    ColumnChoice columns;
    std::optional<std::string> sheet;
    char commentMarker = 0; ///< 0: none
    std::size_t skipLines = 0;
    char delimiter = 0; ///< 0: guessed
    bool partsByWhitespace = false;
    std::string section;
    std::optional<std::string> encoding; ///< of delimited text; absent: UTF-8
    bool trace = false;
    bool help = false;
    bool version = false;

    /// Parses `args` (without the program name); throws `std::invalid_argument` with a
    /// one-line reason on a usage error.
    static ConvertOptions parse(const std::vector<std::string>& args);
    /// The text printed by -h.
    static const char* usage();
};

} // namespace pellacor
