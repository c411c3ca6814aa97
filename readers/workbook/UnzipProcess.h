#pragma once

#include "files/FileDescriptor.h"
#include "files/InterruptCleanup.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace pellacor {

/// One run of the unzip program as a child process, started directly (no shell). The child can
/// never wait for a person: it runs in a session of its own, without a controlling terminal to
/// ask a password on, its standard input is /dev/null and its messages go nowhere (only its
/// exit status counts). Its descriptors never depend on the ones this process has open. If the
/// owner goes away before the child has been waited for, or the program is interrupted, the
/// child is killed and reaped.
class UnzipProcess {
public:
    /// Starts the program with `arguments` (not counting the program name), its standard
    /// output written to the open file `output`, or without one read by `finish`. Throws
    /// `FileError` when it cannot be started.
    explicit UnzipProcess(const std::vector<std::string>& arguments, int output = -1);
    /// Kills and reaps a child not yet waited for.
    ~UnzipProcess();
    UnzipProcess(const UnzipProcess&) = delete;
    UnzipProcess& operator=(const UnzipProcess&) = delete;

    /// Hands each line of the child's read output to `onLine` (if given), waits for the child
    /// to end and returns its exit status, or -1 when a signal ended it.
    int finish(const std::function<void(std::string_view)>& onLine = {});

    /// Caps the size of every file the child writes at `bytes`; writing past it ends the child
    /// (SIGXFSZ), so `finish` reports failure.
    void limitFileSize(std::uint64_t bytes);
    /// True once the child has ended (it is then reaped, and `finish` returns at once).
    bool hasExited();

    /// The program started: /usr/bin/unzip unless `useProgram` chose another.
    static const std::filesystem::path& program();
    /// Starts `path` from now on instead (a test's way to make the launch fail).
    static void useProgram(std::filesystem::path path);

private:
    // The exit status of a reaped child, as `finish` reports it.
    static int exitStatusOf(int waitStatus) noexcept;

    pid_t child_ = -1;
    int status_ = -1; // the wait status, valid once the child has been reaped and child_ is -1
    FileDescriptor output_;
    InterruptCleanup::Registration registration_;
};

} // namespace pellacor
