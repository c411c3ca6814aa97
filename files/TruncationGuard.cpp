#include "files/TruncationGuard.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace pellacor {
namespace {

struct Slot {
    std::atomic<bool> taken{false};
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> cut{false};
};

// Plain atomics only: the handler may run at any moment on any thread.
std::array<Slot, 64> slots;
struct sigaction previousAction {};
std::once_flag installed;

void passOn(int signal, siginfo_t* info, void* context) {
    if (previousAction.sa_flags & SA_SIGINFO) {
        if (previousAction.sa_sigaction) {
            previousAction.sa_sigaction(signal, info, context);
            return;
        }
    } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
        return;
    }
    // The default action: returning re-runs the faulting access, which now ends the process
    // as it would have without us.
    ::sigaction(SIGBUS, &previousAction, nullptr);
}

extern "C" void onBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : slots) {
        const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        const std::uintptr_t end = slot.end.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address >= end)
            continue;
        // mmap is a plain system call here, safe in a handler. Zero pages replace the file's
        // pages at the same place, so every later read succeeds.
        ::mmap(reinterpret_cast<void*>(begin), end - begin, PROT_READ,
               MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        slot.cut.store(true, std::memory_order_release);
        return;
    }
    passOn(signal, info, context);
}

void install() {
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &previousAction);
}

} // namespace

TruncationGuard::TruncationGuard(const void* begin, std::size_t bytes) noexcept {
    if (!begin || bytes == 0)
        return;
    std::call_once(installed, install);
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto first = reinterpret_cast<std::uintptr_t>(begin);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        bool expected = false;
        if (!slots[i].taken.compare_exchange_strong(expected, true))
            continue;
        slots[i].cut.store(false);
        slots[i].end.store((first + bytes + page - 1) & ~(page - 1), std::memory_order_release);
        slots[i].begin.store(first, std::memory_order_release);
        slot_ = static_cast<int>(i);
        return;
    }
}

TruncationGuard::~TruncationGuard() {
    if (slot_ < 0)
        return;
    Slot& slot = slots[static_cast<std::size_t>(slot_)];
    slot.begin.store(0, std::memory_order_release);
    slot.end.store(0, std::memory_order_release);
    slot.taken.store(false, std::memory_order_release);
}

bool TruncationGuard::wasCut() const noexcept {
    return slot_ >= 0 && slots[static_cast<std::size_t>(slot_)].cut.load(std::memory_order_acquire);
}

} // namespace pellacor
