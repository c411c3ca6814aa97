#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <sys/types.h>

namespace pellacor {

/// Leaves nothing behind when the program is interrupted (SIGINT, SIGTERM, SIGHUP): the
/// directories and child processes registered at that moment are removed and killed, then the
/// program ends as the signal asks. Work directories and their unzip children register
/// themselves; an entry point only calls `install`.
class InterruptCleanup {
public:
    InterruptCleanup() = delete;

    /// Blocks those signals in the calling thread, so in every thread started after it, and
    /// starts the thread that waits for them. Call once at start-up, before other threads
    /// start. A signal the program was started with ignored stays ignored.
    static void install();

    /// Keeps one directory or child registered while it lives.
    class Registration {
    public:
        Registration() = default;
        /// Unregisters.
        ~Registration();
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;
        /// Takes over `other`'s registration.
        Registration(Registration&& other) noexcept;
        Registration& operator=(Registration&& other) noexcept;

    private:
        friend class InterruptCleanup;
        explicit Registration(std::uint64_t id) noexcept : id_(id) {}
        std::uint64_t id_ = 0;
    };

    /// Creates a directory with `create` and removes it with all it holds on interrupt, while
    /// the result lives. No interrupt comes between the two: a directory made as the program
    /// is interrupted is removed too.
    static Registration removeOnInterrupt(const std::function<std::filesystem::path()>& create);
    /// Starts a child with `start` and kills it on interrupt, while the result lives; no
    /// interrupt comes between the two.
    static Registration killOnInterrupt(const std::function<pid_t()>& start);
};

} // namespace pellacor
