#pragma once
// Helpers for the bad-input tests: scratch folders others may enter, running code or the
// converter in a child process (as the unprivileged user "nobody" when asked, since root
// ignores permissions) with a time limit, and watching how much a folder grows.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pellacor::hostile {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

/// A fresh folder under /tmp that every user may enter; removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = "/tmp/pellacor-hostile-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
        fs::permissions(path_, fs::perms::all & ~fs::perms::others_write & ~fs::perms::group_write);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(path_, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline void writeFile(const fs::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

/// Names inside `folder`, or none when it does not exist.
inline std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    return names;
}

/// `size` bytes of noise that is never valid UTF-8 (it holds 0xFF), the same on every run.
inline std::string randomBinary(std::size_t size) {
    std::mt19937 random(20240601);
    std::string bytes(size, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random() & 0xFF);
    bytes[size / 2] = '\xFF';
    return bytes;
}

/// How a child process ended.
struct ChildOutcome {
    bool started = false;  ///< false when the child could not drop privileges or exec
    bool timedOut = false; ///< killed at the time limit
    int status = -1;       ///< exit status
    std::string out;       ///< standard output
    std::string err;       ///< standard error
};

namespace detail {

// An unnamed file for a child's output, and reading it back.
inline int outputFile() {
    char name[] = "/tmp/pellacor-output-XXXXXX";
    const int fd = ::mkstemp(name);
    ::unlink(name);
    return fd;
}
inline std::string readBack(int fd) {
    std::string text;
    char buffer[1 << 16];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(fd);
    return text;
}

template <typename Body> ChildOutcome fork(bool asNobody, std::chrono::seconds limit, Body body) {
    const int out = outputFile(), err = outputFile();
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        // Root reads anything, so the child becomes "nobody" for permissions to apply.
        if (!asNobody || ::geteuid() != 0 ||
            (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0))
            body();
        (void)!::write(STDERR_FILENO, "cannot start\n", 13);
        ::_exit(126);
    }
    ChildOutcome outcome;
    int status = 0;
    for (const auto deadline = std::chrono::steady_clock::now() + limit;
         ::waitpid(child, &status, WNOHANG) == 0; std::this_thread::sleep_for(5ms)) {
        if (std::chrono::steady_clock::now() > deadline) {
            outcome.timedOut = true;
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
        }
    }
    outcome.out = readBack(out);
    outcome.err = readBack(err);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.started = !(outcome.status == 126 && outcome.err == "cannot start\n");
    return outcome;
}

} // namespace detail

/// Runs `work` in a child process; what it returns comes back as `out` with status 0, and a
/// thrown exception's message as `err` with status 1.
inline ChildOutcome runInChild(const std::function<std::string()>& work, bool asNobody,
                               std::chrono::seconds limit = 60s) {
    return detail::fork(asNobody, limit, [&] {
        int status = 0;
        std::string text;
        try {
            text = work();
        } catch (const std::exception& e) {
            text = e.what();
            status = 1;
        }
        (void)!::write(status == 0 ? STDOUT_FILENO : STDERR_FILENO, text.data(), text.size());
        ::_exit(status);
    });
}

/// Runs `program` with `arguments`, its environment changed by `environment`.
inline ChildOutcome runProgram(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::map<std::string, std::string>& environment = {},
                               bool asNobody = false, std::chrono::seconds limit = 120s) {
    return detail::fork(asNobody, limit, [&] {
        for (const auto& [name, value] : environment)
            ::setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
    });
}

/// Watches the total size of the files under a folder from a second thread while alive.
class PeakSizeWatcher {
public:
    explicit PeakSizeWatcher(fs::path folder) : folder_(std::move(folder)) {}
    ~PeakSizeWatcher() { stop(); }

    /// Stops watching and returns the largest total seen, in bytes.
    std::uintmax_t stop() {
        running_ = false;
        if (thread_.joinable())
            thread_.join();
        return peak_;
    }

private:
    void watch() {
        for (; running_; std::this_thread::sleep_for(2ms)) {
            std::uintmax_t total = 0;
            std::error_code error;
            for (auto it = fs::recursive_directory_iterator(folder_, error);
                 !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
                std::error_code vanished;
                if (it->is_regular_file(vanished))
                    total += it->file_size(vanished);
            }
            peak_ = std::max<std::uintmax_t>(peak_, total);
        }
    }

    fs::path folder_;
    std::atomic<bool> running_{true};
    std::atomic<std::uintmax_t> peak_{0};
    std::thread thread_{[this] { watch(); }};
};

} // namespace pellacor::hostile
