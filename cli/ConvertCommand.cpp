#include "cli/ConvertCommand.h"

#include "cli/AtomicFile.h"
#include "cli/SpoolFile.h"
#include "conversion/Conversion.h"
#include "conversion/FastaStream.h"
#include "conversion/TableFormat.h"
#include "conversion/TableInput.h"
#include "core/FastaConverter.h"
#include "files/DisplayName.h"
#include "files/FileDescriptor.h"
#include "files/GzipCompressor.h"
#include "readers/ChoiceError.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <unistd.h>

namespace pellacor {
namespace {

// Runs `step` for `input`, turning whatever it throws into a `Failure` that names the input.
template <typename Step> auto forInput(const std::string& input, Step step) {
    try {
        return step();
    } catch (const ConvertCommand::Failure&) {
        throw;
    } catch (const ChoiceError& error) {
        throw ConvertCommand::Failure(input, error.what(), true);
    } catch (const std::bad_alloc&) {
        throw ConvertCommand::Failure(input, "not enough memory to convert this table.");
    } catch (const std::exception& error) {
        // Readers and files say what went wrong in the user's words; anything else still ends
        // as one line rather than an abort.
        throw ConvertCommand::Failure(input, error.what());
    }
}

// A temporary file for the output of `input`, when it is a gzip file; none when it is not, or
// when no temporary file can be made (it is then checked and read twice).
std::unique_ptr<SpoolFile> spoolFor(const std::string& input) {
    if (!TableInput::isGzipFile(input))
        return nullptr;
    try {
        return std::make_unique<SpoolFile>();
    } catch (const FileError&) {
        return nullptr;
    }
}

// How a large file is read on this machine's cores, for checking or converting: each thread
// takes PELLACOR_PIECE_BYTES at a time when set (0 keeps one thread, as the tests compare),
// 1 MB otherwise; a machine of one core keeps one thread.
PieceWork piecesHere() {
    PieceWork pieces = PieceWork::onThisMachine();
    if (const char* set = std::getenv("PELLACOR_PIECE_BYTES"); set && *set)
        pieces.pieceBytes = static_cast<std::size_t>(std::strtoull(set, nullptr, 10));
    return pieces;
}

void writeToStandardOutput(std::string_view piece) {
    if (!FileDescriptor::writeAll(STDOUT_FILENO, piece))
        throw ConvertCommand::Failure({}, std::string("cannot write to standard output: ") +
                                              std::strerror(errno) + ".");
}

// Runs `step` on the output file, turning what it throws into a `Failure` of no input.
template <typename Step> void forOutput(Step step) {
    try {
        step();
    } catch (const std::exception& error) {
        throw ConvertCommand::Failure({}, error.what());
    }
}

} // namespace

ConversionRequest ConvertCommand::requestFor(std::size_t index, bool isChecked) const {
    ConversionRequest request;
    request.input = options_.inputs[index];
    request.isChecked = isChecked;
    request.columns = options_.columns;
    request.sheet = options_.sheet;
    request.commentMarker = options_.commentMarker;
    request.isTraced = options_.trace;
    request.skipLines = options_.skipLines;
    request.delimiter = options_.delimiter;
    request.partsByWhitespace = options_.partsByWhitespace;
    request.section = options_.section;
    request.encoding = options_.encoding;
    return request;
}

std::string ConvertCommand::namePrefix(const std::string& input) const {
    return options_.inputs.size() > 1 && !input.empty() ? DisplayName::escaped(input) + ": "
                                                        : std::string();
}

void ConvertCommand::run() {
    std::optional<AtomicFile> file;
    if (options_.output)
        forOutput([&] { file.emplace(*options_.output); });
    // A name ending in .gz is written as gzip data, as the tools it is handed to expect.
    std::optional<GzipCompressor> compressor;
    if (file && GzipCompressor::namesGzip(*options_.output))
        compressor.emplace([&](std::string_view bytes) { file->write(bytes); });
    const FastaStream::Output write = [&](std::string_view piece) {
        if (compressor)
            forOutput([&] { compressor->write(piece); });
        else if (file)
            forOutput([&] { file->write(piece); });
        else
            writeToStandardOutput(piece);
    };
    std::vector<bool> checked(options_.inputs.size(), false);
    const auto convert = [&](std::size_t index, const FastaStream::Output& output) {
        const std::string& input = options_.inputs[index];
        FastaStream stream(options_.lineWidth, output, options_.trace);
        PieceWork pieces = piecesHere();
        pieces.sizeBound = [width = options_.lineWidth](const RecordView& r) {
            return FastaConverter::recordSizeBound(r, width);
        };
        pieces.render = [width = options_.lineWidth](const RecordView& r, char* out, std::string&) {
            return FastaConverter::writeRecord(out, r, width).end;
        };
        pieces.deliver = [&stream](std::string_view bytes, std::size_t, std::string_view) {
            stream.addRendered(bytes);
        };
        const ConversionSummary summary = forInput(input, [&] {
            try {
                return Conversion::run(
                    requestFor(index, checked[index]), [&](const RecordView& r) { stream.add(r); },
                    pieces.pieceBytes > 0 ? &pieces : nullptr);
            } catch (...) {
                // What a stream gave before its fault goes out before the error is told.
                stream.finish();
                throw;
            }
        });
        stream.finish();
        if (const std::string note = summary.note(); !note.empty())
            std::cerr << "pellacor-convert: " << namePrefix(input) << "note: " << note << '\n';
        for (const std::string& warning : summary.warnings())
            std::cerr << "pellacor-convert: " << namePrefix(input) << "warning: " << warning
                      << '\n';
        if (options_.trace)
            std::cerr << summary.entryTrace() << stream.counter().lines() << std::flush;
    };

    // Nothing reaches standard output before every input that can be read through has been:
    // files are checked, workbooks (whose parts are vouched for only once unpacked) converted
    // into memory, gzip files converted into a temporary file (checked first, they would be
    // inflated twice, which costs more than the conversion). A pipe cannot be read twice; it
    // goes out as it comes.
    std::vector<std::optional<std::string>> converted(options_.inputs.size());
    std::vector<std::unique_ptr<SpoolFile>> spooled(options_.inputs.size());
    if (!file)
        for (std::size_t i = 0; i < options_.inputs.size(); ++i) {
            const std::string& input = options_.inputs[i];
            if (TableFormat::of(input).isWorkbook()) {
                std::string& text = converted[i].emplace();
                convert(i, [&text](std::string_view piece) { text.append(piece); });
            } else if (std::unique_ptr<SpoolFile> spool = spoolFor(input)) {
                convert(i, [&spool](std::string_view piece) { spool->write(piece); });
                spooled[i] = std::move(spool);
            } else if (!TableInput::isStandardInput(input) || TableInput::isRegularFile(input)) {
                forInput(input, [&] {
                    const PieceWork pieces = piecesHere();
                    Conversion::check(requestFor(i, false),
                                      pieces.pieceBytes > 0 ? &pieces : nullptr);
                });
                checked[i] = true;
            }
        }
    for (std::size_t i = 0; i < options_.inputs.size(); ++i) {
        if (converted[i])
            write(*converted[i]);
        else if (spooled[i] && !spooled[i]->sendTo(STDOUT_FILENO))
            throw ConvertCommand::Failure({}, std::string("cannot write to standard output: ") +
                                                  std::strerror(errno) + ".");
        else if (!spooled[i])
            convert(i, write);
        converted[i].reset();
        spooled[i].reset();
    }
    if (compressor)
        forOutput([&] { compressor->finish(); });
    if (file)
        forOutput([&] { file->commit(); });
}

} // namespace pellacor
