#include "files/InterruptCleanup.h"

#include <csignal>
#include <map>
#include <mutex>
#include <pthread.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <variant>

namespace pellacor {
namespace {

using Target = std::variant<std::filesystem::path, pid_t>;

struct Registry {
    std::mutex mutex;
    std::map<std::uint64_t, Target> targets;
    std::uint64_t nextId = 1;
};

// Never destroyed: a signal may come while the program's statics are being torn down.
Registry& registry() {
    static Registry* const instance = new Registry;
    return *instance;
}

// Makes a target with `make` and registers it, under the lock that the cleanup holds to the
// end: a target made while the program is being interrupted waits, and goes with it.
template <typename Make> std::uint64_t add(Make make) {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    Target target = make();
    const std::uint64_t id = r.nextId++;
    r.targets.emplace(id, std::move(target));
    return id;
}

[[noreturn]] void cleanUpAndEnd(int signal) {
    Registry& r = registry();
    // Held to the end: nothing registers or unregisters while the program goes.
    r.mutex.lock();
    // Children first, so that none writes into a directory being removed, and gone for good
    // before the program is.
    for (const auto& [id, target] : r.targets)
        if (const pid_t* pid = std::get_if<pid_t>(&target))
            ::kill(*pid, SIGKILL);
    for (const auto& [id, target] : r.targets)
        if (const pid_t* pid = std::get_if<pid_t>(&target))
            ::waitpid(*pid, nullptr, 0);
    for (const auto& [id, target] : r.targets)
        if (const auto* directory = std::get_if<std::filesystem::path>(&target)) {
            // A file created meanwhile by a thread still at work makes one pass fail.
            std::error_code ignored;
            for (int attempt = 0; attempt < 3 && std::filesystem::exists(*directory, ignored);
                 ++attempt)
                std::filesystem::remove_all(*directory, ignored);
        }
    // End as the signal asks, so that a shell sees the program was interrupted.
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}

} // namespace

void InterruptCleanup::install() {
    static std::once_flag once;
    std::call_once(once, [] {
        sigset_t handled;
        sigemptyset(&handled);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction current {};
            if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
                continue;
            sigaddset(&handled, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &handled, nullptr);
        std::thread([handled] {
            for (;;) {
                int signal = 0;
                if (::sigwait(&handled, &signal) == 0)
                    cleanUpAndEnd(signal);
            }
        }).detach();
    });
}

InterruptCleanup::Registration::~Registration() {
    if (id_ == 0)
        return;
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    r.targets.erase(id_);
}

InterruptCleanup::Registration::Registration(Registration&& other) noexcept
    : id_(std::exchange(other.id_, 0)) {}

InterruptCleanup::Registration&
InterruptCleanup::Registration::operator=(Registration&& other) noexcept {
    if (this != &other) {
        Registration discarded(std::move(*this));
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

InterruptCleanup::Registration
InterruptCleanup::removeOnInterrupt(const std::function<std::filesystem::path()>& create) {
    return Registration(add([&] { return Target(create()); }));
}

InterruptCleanup::Registration
InterruptCleanup::killOnInterrupt(const std::function<pid_t()>& start) {
    return Registration(add([&] { return Target(start()); }));
}

} // namespace pellacor
