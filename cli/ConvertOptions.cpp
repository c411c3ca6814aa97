#include "cli/ConvertOptions.h"

#include <charconv>
#include <stdexcept>

namespace pellacor {

const char* ConvertOptions::usage() {
    return "Usage: pellacor-convert [-o FILE] [-w N] [--trace] INPUT\n"
           "Turns a CSV, TSV, text or .xlsx table (column 1 identifier, column 2 sequence,\n"
           "optional column 3 description) into FASTA text.\n"
           "\n"
           "  INPUT         the table; - reads delimited text from standard input\n"
           "  -o FILE       write the FASTA text to FILE (atomically) instead of standard output\n"
           "  -w N          residues per sequence line (default 80, at least 1)\n"
           "  --trace       write the conversion trace to standard error\n"
           "  -h, --help    show this help\n"
           "  --version     show the version\n";
}

ConvertOptions ConvertOptions::parse(const std::vector<std::string>& args) {
    ConvertOptions options;
    bool haveInput = false;
    bool onlyOperands = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](const char* name) -> const std::string& {
            if (i + 1 >= args.size())
                throw std::invalid_argument(std::string("option ") + name + " needs a value");
            return args[++i];
        };
        if (!onlyOperands && arg == "--") {
            onlyOperands = true;
        } else if (!onlyOperands && (arg == "-h" || arg == "--help")) {
            options.help = true;
        } else if (!onlyOperands && arg == "--version") {
            options.version = true;
        } else if (!onlyOperands && arg == "--trace") {
            options.trace = true;
        } else if (!onlyOperands && arg == "-o") {
            options.output = value("-o");
        } else if (!onlyOperands && arg == "-w") {
            const std::string& text = value("-w");
            int width = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), width);
            if (error != std::errc() || end != text.data() + text.size() || width < 1)
                throw std::invalid_argument("-w needs a whole number of at least 1, not '" +
                                            text + "'");
            options.lineWidth = width;
        } else if (!onlyOperands && arg.size() > 1 && arg[0] == '-') {
            throw std::invalid_argument("unknown option '" + arg + "'");
        } else if (haveInput) {
            throw std::invalid_argument("only one INPUT may be given");
        } else {
            options.input = arg;
            haveInput = true;
        }
    }
    if (!haveInput && !options.help && !options.version)
        throw std::invalid_argument("no INPUT given");
    return options;
}

} // namespace pellacor
