// pellacor-convert: the app's table-to-FASTA conversion on the command line.
#include "cli/ConvertCommand.h"
#include "cli/ConvertOptions.h"
#include "files/DisplayName.h"
#include "files/FileIdentity.h"
#include "files/InterruptCleanup.h"
#include "files/TruncationGuard.h"

#include <cerrno>
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
// opens, and text meant for the stream would land in that file. A missing standard output
// is held open for reading only: the FASTA text must fail to be written there, as it would to
// a closed stream, not vanish into /dev/null with success.
void openMissingStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF)
            ::open("/dev/null", fd == STDERR_FILENO ? O_WRONLY : O_RDONLY);
}

// Writes `text` to standard output; false when it could not be written.
bool print(const std::string& text) {
    std::cout << text << std::flush;
    return static_cast<bool>(std::cout);
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
    if (options.help || options.version)
        return print(options.help ? ConvertOptions::usage()
                                  : "pellacor-convert " PELLACOR_VERSION "\n")
                   ? 0
                   : fail("cannot write to standard output.", 1);
    // Writing the output over one of its inputs would destroy the table before it is read.
    if (options.output)
        for (const std::string& input : options.inputs)
            if (input != "-" && FileIdentity::same(input, *options.output))
                return fail("the output " + DisplayName::quoted(*options.output) +
                                " is the input table itself; choose another output file.",
                            2);
    ConvertCommand command(options);
    try {
        command.run();
    } catch (const ConvertCommand::Failure& failure) {
        // With several inputs, the message says which one failed.
        return fail(command.namePrefix(failure.input) + failure.what(), failure.isUsage ? 2 : 1);
    } catch (const std::exception& error) {
        return fail(error.what(), 1);
    }
    return 0;
}
