#include "readers/workbook/UnzipProcess.h"

#include "files/FileError.h"

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

// Owns a posix_spawnattr_t.
class SpawnAttributes {
public:
    SpawnAttributes() { ::posix_spawnattr_init(&attributes_); }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() noexcept { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

// This process's environment without unzip's own option variables: a user's UNZIP="-a" would
// rewrite the parts' line ends, "-C" widen which entries a name matches.
std::vector<char*> childEnvironment() {
    std::vector<char*> variables;
    for (char** variable = environ; variable && *variable; ++variable) {
        const std::string_view entry(*variable);
        const std::string_view name = entry.substr(0, entry.find('='));
        if (name != "UNZIP" && name != "UNZIPOPT" && name != "ZIPINFO" && name != "ZIPINFOOPT")
            variables.push_back(*variable);
    }
    variables.push_back(nullptr);
    return variables;
}

int waitFor(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return status;
}

// A copy of `fd` numbered 3 or above. When this process started with its standard descriptors
// closed, its own files may sit at 0, 1 or 2, where the child's standard streams go.
FileDescriptor aboveStandardStreams(int fd, const std::string& programName) {
    FileDescriptor copy(::fcntl(fd, F_DUPFD_CLOEXEC, 3));
    if (copy.get() < 0)
        throw FileError("Cannot start", programName, errno);
    return copy;
}

} // namespace

UnzipProcess::UnzipProcess(const std::vector<std::string>& arguments, int output) {
    const std::string programName = program().string();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(programName.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    FileDescriptor childOutput;
    if (output >= 0) {
        childOutput = aboveStandardStreams(output, programName);
    } else {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            throw FileError("Cannot start", programName, errno);
        FileDescriptor readEnd(ends[0]);
        FileDescriptor writeEnd(ends[1]);
        output_ = aboveStandardStreams(readEnd.get(), programName);
        childOutput = aboveStandardStreams(writeEnd.get(), programName);
    }
    FileActions actions;
    // The output first: every other stream is then opened afresh, whatever this process has.
    ::posix_spawn_file_actions_adddup2(actions.get(), childOutput.get(), STDOUT_FILENO);
    ::posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    SpawnAttributes attributes;
    // A session of its own has no controlling terminal: unzip cannot ask for a password there.
    // Signals blocked here (the interrupt watcher's) must not stay blocked in the child.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ})
        sigaddset(&defaults, signal);
    ::posix_spawnattr_setsigmask(attributes.get(), &none);
    ::posix_spawnattr_setsigdefault(attributes.get(), &defaults);
    ::posix_spawnattr_setflags(attributes.get(),
                               POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> environment = childEnvironment();
    registration_ = InterruptCleanup::killOnInterrupt([&] {
        const int error = ::posix_spawn(&child_, argv[0], actions.get(), attributes.get(),
                                        argv.data(), environment.data());
        if (error != 0) {
            child_ = -1;
            throw FileError("Cannot start", programName, error);
        }
        return child_;
    });
}

UnzipProcess::~UnzipProcess() {
    if (child_ <= 0)
        return;
    ::kill(child_, SIGKILL);
    // Unregistered before it is reaped: its number may then go to another process.
    registration_ = {};
    waitFor(child_);
}

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
        registration_ = {};
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
    registration_ = {};
    return true;
}

int UnzipProcess::finish(const std::function<void(std::string_view)>& onLine) {
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
    if (child_ > 0) {
        status_ = waitFor(child_);
        child_ = -1;
        registration_ = {};
    }
    return exitStatusOf(status_);
}

int UnzipProcess::exitStatusOf(int waitStatus) noexcept {
    return waitStatus >= 0 && WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
}

const std::filesystem::path& UnzipProcess::program() {
    return programPath();
}

void UnzipProcess::useProgram(std::filesystem::path path) {
    programPath() = std::move(path);
}

} // namespace pellacor
