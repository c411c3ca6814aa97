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
