#pragma once

#include "files/FileDescriptor.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace pellacor {

/// One run of the unzip program as a child process, started directly (no shell). The child
/// never waits for the keyboard: its standard input is /dev/null. If the owner goes away before
/// the child has been waited for, the child is killed and reaped.
class UnzipProcess {
public:
    /// Where the child's standard output goes.
    enum class Output {
        toStandardError, ///< shown to the user beside ours, never mixed into our output
        captured,        ///< read by `finish`; standard error is dropped
    };

    /// Starts the program with `arguments` (not counting the program name). Throws `FileError`
    /// when it cannot be started.
    UnzipProcess(const std::vector<std::string>& arguments, Output output);
    /// Kills and reaps a child not yet waited for.
    ~UnzipProcess();
    UnzipProcess(const UnzipProcess&) = delete;
    UnzipProcess& operator=(const UnzipProcess&) = delete;
    /// Takes over `other`'s child; `other` then owns none.
    UnzipProcess(UnzipProcess&& other) noexcept;
    UnzipProcess& operator=(UnzipProcess&& other) = delete;

    /// Hands each line of captured output to `onLine` (if given), waits for the child to end
    /// and returns whether it exited with status 0.
    bool finish(const std::function<void(std::string_view)>& onLine = {});

    /// Caps the size of every file the child writes at `bytes`; writing past it ends the child
    /// (SIGXFSZ), so `finish` reports failure.
    void limitFileSize(std::uint64_t bytes);
    /// True once the child has ended (it is then reaped, and `finish` returns at once).
    bool hasExited();

    /// Runs the program to its end with the output sent to standard error; true for status 0.
    static bool run(const std::vector<std::string>& arguments);

    /// The program started: /usr/bin/unzip unless `useProgram` chose another.
    static const std::filesystem::path& program();
    /// Starts `path` from now on instead (a test's way to make the launch fail).
    static void useProgram(std::filesystem::path path);

private:
    pid_t child_ = -1;
    int status_ = -1; // valid once the child has been reaped and child_ is -1
    FileDescriptor output_;
};

} // namespace pellacor
