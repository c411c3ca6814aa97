#include "cli/ConvertOptions.h"

#include "files/DisplayName.h"
#include "files/EncodedText.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace pellacor {

const char* ConvertOptions::usage() {
    return "Usage: pellacor-convert [OPTION]... INPUT...\n"
           "Turns CSV, TSV, text, .xlsx, .xls or .ods tables into FASTA text: column 1 is the\n"
           "identifier, column 2 the sequence and column 3 an optional description, unless a\n"
           "header row names the sequence column elsewhere or the options below choose the\n"
           "columns. Workbooks (.xlsx, legacy .xls, OpenDocument .ods and flat .fods) are\n"
           "known by their content as well as their name.\n"
           "\n"
           "  INPUT                     a table; - reads delimited text from standard input.\n"
           "                            Several INPUTs give their FASTA one after another, in\n"
           "                            the order given. gzip-compressed tables are read too;\n"
           "                            UTF-16 text with a byte-order mark too.\n"
           "  -o FILE                   write the FASTA text to FILE instead of standard\n"
           "                            output; FILE is replaced only when every INPUT\n"
           "                            converted, never left half-written. A FILE whose\n"
           "                            name ends in .gz is written gzip-compressed\n"
           "  -w N                      residues per sequence line (default 80); 0 puts each\n"
           "                            sequence on one line\n"
           "  --id-column COL           the identifier column: a number from 1, a header name,\n"
           "                            or none to number the records by their row\n"
           "  --sequence-column COL     the sequence column: a number from 1 or a header name;\n"
           "                            several, as in Forward,Reverse, give a record for each,\n"
           "                            named ID_COLUMN\n"
           "  --description-column COL  the description column: a number, a header name, or\n"
           "                            none\n"
           "  --sheet SHEET             the workbook sheet (or .ods table) to read: its name or\n"
           "                            its number from 1 (default: the first that is not\n"
           "                            hidden)\n"
           "  --comment-char C          skip lines that begin with C anywhere in a delimited\n"
           "                            table\n"
           "  --header yes|no           whether the first row names the columns (default: told\n"
           "                            by its words and by the rows below it)\n"
           "  --skip N                  skip N lines before the table\n"
           "  --delimiter C             the delimiter of a text table: one character, tab, or\n"
           "                            whitespace for runs of spaces and tabs\n"
           "  --section NAME            the section of a sample sheet that holds the table\n"
           "                            (default: [Data], [..._Data] or [Samples])\n"
           "  --encoding NAME           read delimited text in the encoding NAME, such as\n"
           "                            windows-1252, iso-8859-1, macintosh, shift_jis or\n"
           "                            gb18030 (default: UTF-8, or UTF-16 or UTF-32 that a\n"
           "                            byte-order mark announces)\n"
           "  --trace                   write the conversion trace to standard error\n"
           "  -h, --help                show this help\n"
           "  --version                 show the version\n"
           "\n"
           "Without column options, a table whose column 2 holds no sequences takes them from\n"
           "the column that does, and a column 1 of running numbers gives way to a column of\n"
           "names; a note on standard error tells what was guessed. Giving any of the column\n"
           "options means: a column left out takes identifier column 1, sequence column 2\n"
           "and no description. Warnings (rows skipped for want\n"
           "of an identifier or sequence, a column that holds no sequences, repeated\n"
           "identifiers) go to standard error and change neither the output nor the status.\n"
           "\n"
           "Exit status: 0 on success, 1 when an INPUT cannot be converted, 2 for a wrong\n"
           "command line. From a file, nothing reaches standard output unless the whole table\n"
           "converts. From a pipe, records go out as they are read: a fault later in the input\n"
           "ends the output there, with the error on standard error and status 1.\n";
}

ConvertOptions ConvertOptions::parse(const std::vector<std::string>& args) {
    ConvertOptions options;
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
            std::size_t width = 0;
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), width);
            if (error != std::errc() || end != text.data() + text.size())
                throw std::invalid_argument("-w needs a whole number (0 for one line a sequence), "
                                            "not '" +
                                            DisplayName::escaped(text) + "'");
            options.lineWidth = width == 0 ? LineWidth::unwrapped() : LineWidth(width);
        } else if (!onlyOperands && arg == "--id-column") {
            options.columns.identifier = ColumnRef::parse(value("--id-column"));
        } else if (!onlyOperands && arg == "--sequence-column") {
            options.columns.chooseSequences(value("--sequence-column"));
            if (options.columns.sequence->kind == ColumnRef::Kind::none)
                throw std::invalid_argument("--sequence-column cannot be none");
        } else if (!onlyOperands && arg == "--header") {
            const std::string& answer = value("--header");
            if (answer != "yes" && answer != "no")
                throw std::invalid_argument("--header needs yes or no, not '" +
                                            DisplayName::escaped(answer) + "'");
            options.columns.header = answer == "yes";
        } else if (!onlyOperands && arg == "--skip") {
            const std::string& text = value("--skip");
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), options.skipLines);
            if (error != std::errc() || end != text.data() + text.size())
                throw std::invalid_argument("--skip needs a number of lines, not '" +
                                            DisplayName::escaped(text) + "'");
        } else if (!onlyOperands && arg == "--delimiter") {
            const std::string& text = value("--delimiter");
            if (text == "tab" || text == "\\t") {
                options.delimiter = '\t';
            } else if (text == "whitespace") {
                options.partsByWhitespace = true;
            } else if (text.size() == 1 && static_cast<unsigned char>(text[0]) < 0x80 &&
                       text[0] != '"' && text[0] != '\n' && text[0] != '\r' && text[0] != '\0') {
                options.delimiter = text[0];
            } else {
                throw std::invalid_argument("--delimiter needs one ASCII character, tab or "
                                            "whitespace, not '" +
                                            DisplayName::escaped(text) + "'");
            }
        } else if (!onlyOperands && arg == "--section") {
            options.section = value("--section");
        } else if (!onlyOperands && arg == "--description-column") {
            options.columns.description = ColumnRef::parse(value("--description-column"));
        } else if (!onlyOperands && arg == "--sheet") {
            options.sheet = value("--sheet");
        } else if (!onlyOperands && arg == "--comment-char") {
            const std::string& marker = value("--comment-char");
            if (marker.size() != 1 || static_cast<unsigned char>(marker[0]) >= 0x80)
                throw std::invalid_argument("--comment-char needs one ASCII character, not '" +
                                            DisplayName::escaped(marker) + "'");
            options.commentMarker = marker[0];
        } else if (!onlyOperands && arg == "--encoding") {
            const std::string& name = value("--encoding");
            if (!EncodedText::isKnown(name))
                throw std::invalid_argument("unknown encoding '" + DisplayName::escaped(name) +
                                            "' for --encoding (try windows-1252, iso-8859-1, "
                                            "macintosh, shift_jis or gb18030)");
            options.encoding = name;
        } else if (!onlyOperands && arg.size() > 1 && arg[0] == '-') {
            throw std::invalid_argument("unknown option '" + DisplayName::escaped(arg) + "'");
        } else {
            options.inputs.push_back(arg);
        }
    }
    if (options.inputs.empty() && !options.help && !options.version)
        throw std::invalid_argument("no INPUT given");
    // Standard input can be read once: a second "-" would find it used up, or read a file
    // behind it twice.
    if (std::count(options.inputs.begin(), options.inputs.end(), "-") > 1)
        throw std::invalid_argument("standard input (-) can be given once only");
    return options;
}

} // namespace pellacor
