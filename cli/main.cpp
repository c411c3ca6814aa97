// pellacor-convert: the app's table-to-FASTA conversion on the command line.
#include "cli/AtomicFile.h"
#include "cli/ConvertOptions.h"
#include "cli/TableConversion.h"
#include "files/DisplayName.h"
#include "files/FileDescriptor.h"
#include "files/FileIdentity.h"
#include "files/InterruptCleanup.h"
#include "files/TruncationGuard.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

using namespace pellacor;

namespace {

int fail(const std::string& message, int status) {
    std::cerr << "pellacor-convert: " << message << '\n';
    return status;
}

// A standard stream the program was started without would be taken by the first file it
// opens, and text meant for the stream would land in that file.
void openMissingStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF)
            ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
}

} // namespace

int main(int argc, char** argv) {
    openMissingStandardStreams();
    TruncationGuard::installHandler();
    InterruptCleanup::install();
    ConvertOptions options;
    try {
        options = ConvertOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& e) {
        return fail(std::string(e.what()) + " (try -h)", 2);
    }
    if (options.help) {
        std::cout << ConvertOptions::usage();
        return 0;
    }
    if (options.version) {
        std::cout << "pellacor-convert " PELLACOR_VERSION "\n";
        return 0;
    }
    // Writing the output over its own input would destroy the table before it is read.
    if (options.output && options.input != "-" &&
        FileIdentity::same(options.input, *options.output))
        return fail("the output " + DisplayName::quoted(*options.output) +
                        " is the input table itself; choose another output file.",
                    2);
    try {
        const TableConversion result =
            TableConversion::run(options.input, options.lineWidth, options.trace);
        if (options.output) {
            AtomicFile file(*options.output);
            result.writeFasta([&file](std::string_view piece) { file.write(piece); });
            file.commit();
        } else {
            int writeError = 0;
            result.writeFasta([&writeError](std::string_view piece) {
                if (writeError == 0 && !FileDescriptor::writeAll(STDOUT_FILENO, piece))
                    writeError = errno;
            });
            if (writeError != 0)
                return fail(std::string("cannot write to standard output: ") +
                                std::strerror(writeError) + ".",
                            1);
        }
        if (options.trace)
            std::cerr << result.trace;
    } catch (const std::bad_alloc&) {
        return fail("not enough memory to convert this table.", 1);
    } catch (const std::exception& e) {
        // Readers and files say what went wrong in the user's words; anything else still ends
        // as one line rather than an abort.
        return fail(e.what(), 1);
    }
    return 0;
}
