#include "readers/UnzipProcess.h"

#include "files/FileError.h"
#include "readers/TableError.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace pellacor {
namespace {

std::filesystem::path& programPath() {
    static std::filesystem::path path = "/usr/bin/unzip";
    return path;
}

// Owns a posix_spawn_file_actions_t.
class FileActions {
public:
    FileActions() { ::posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { ::posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() noexcept { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

int waitFor(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return status;
}

} // namespace

UnzipProcess::UnzipProcess(const std::vector<std::string>& arguments, Output output) {
    const std::string programName = program().string();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(programName.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    FileActions actions;
    ::posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    FileDescriptor writeEnd;
    if (output == Output::captured) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            throw FileError("Cannot start", programName, errno);
        output_ = FileDescriptor(ends[0]);
        writeEnd = FileDescriptor(ends[1]);
        ::posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDOUT_FILENO);
        ::posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    } else {
        ::posix_spawn_file_actions_adddup2(actions.get(), STDERR_FILENO, STDOUT_FILENO);
    }
    const int error = ::posix_spawn(&child_, argv[0], actions.get(), nullptr, argv.data(), environ);
    if (error != 0) {
        child_ = -1;
        throw FileError("Cannot start", programName, error);
    }
}

UnzipProcess::~UnzipProcess() {
    if (child_ <= 0)
        return;
    ::kill(child_, SIGKILL);
    waitFor(child_);
}

UnzipProcess::UnzipProcess(UnzipProcess&& other) noexcept
    : child_(std::exchange(other.child_, -1)), status_(other.status_),
      output_(std::move(other.output_)) {}

void UnzipProcess::limitFileSize(std::uint64_t bytes) {
    if (child_ <= 0)
        return;
    // Set from outside right after the start: the child is still loading and has written
    // nothing yet. Should the limit not take, the child must not run unchecked.
    const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    if (::prlimit(child_, RLIMIT_FSIZE, &limit, nullptr) != 0) {
        const int error = errno;
        ::kill(child_, SIGKILL);
        waitFor(std::exchange(child_, -1));
        throw FileError("Cannot start", program().string(), error);
    }
}

bool UnzipProcess::hasExited() {
    if (child_ <= 0)
        return true;
    int status = 0;
    const pid_t done = ::waitpid(child_, &status, WNOHANG);
    if (done == 0 || (done < 0 && errno == EINTR))
        return false;
    status_ = done < 0 ? -1 : status;
    child_ = -1;
    return true;
}

bool UnzipProcess::finish(const std::function<void(std::string_view)>& onLine) {
    if (output_.get() >= 0) {
        std::string pending;
        char chunk[1 << 16];
        for (;;) {
            const ssize_t got = ::read(output_.get(), chunk, sizeof chunk);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            pending.append(chunk, static_cast<std::size_t>(got));
            std::size_t start = 0;
            for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos;
                 start = end + 1)
                if (onLine)
                    onLine(std::string_view(pending).substr(start, end - start));
            pending.erase(0, start);
        }
        if (!pending.empty() && onLine)
            onLine(pending);
        output_.reset();
    }
    if (child_ > 0)
        status_ = waitFor(std::exchange(child_, -1));
    return status_ >= 0 && WIFEXITED(status_) && WEXITSTATUS(status_) == 0;
}

bool UnzipProcess::run(const std::vector<std::string>& arguments) {
    UnzipProcess process(arguments, Output::toStandardError);
    return process.finish();
}

const std::filesystem::path& UnzipProcess::program() {
    return programPath();
}

void UnzipProcess::useProgram(std::filesystem::path path) {
    programPath() = std::move(path);
}

} // namespace pellacor
