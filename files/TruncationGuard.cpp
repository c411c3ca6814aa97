#include "files/TruncationGuard.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace pellacor {
namespace {

// A guarded range is published as one word, so that the handler, which may run at any moment
// on any thread, never sees the start of one range with the end of another: the first page
// number in the high bits, the page count in the low `countBits`.
constexpr unsigned countBits = 28;
constexpr std::uint64_t countMask = (std::uint64_t(1) << countBits) - 1;

struct Slot {
    std::atomic<bool> taken{false};
    std::atomic<std::uint64_t> range{0}; // 0: nothing guarded
    std::atomic<bool> cut{false};
};

std::array<Slot, 64> slots;
struct sigaction previousAction {};
std::atomic<bool> isInstalled{false};
std::uintptr_t pageSize = 4096;

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
        const std::uint64_t range = slot.range.load(std::memory_order_acquire);
        if (range == 0)
            continue;
        const std::uintptr_t begin = static_cast<std::uintptr_t>(range >> countBits) * pageSize;
        const std::uintptr_t end =
            begin + static_cast<std::uintptr_t>(range & countMask) * pageSize;
        if (address < begin || address >= end)
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

} // namespace

void TruncationGuard::installHandler() noexcept {
    if (isInstalled.load(std::memory_order_acquire))
        return;
    pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    if (::sigaction(SIGBUS, &action, &previousAction) == 0)
        isInstalled.store(true, std::memory_order_release);
}

TruncationGuard::TruncationGuard(const void* begin, std::size_t bytes) noexcept {
    if (!begin || bytes == 0 || !isInstalled.load(std::memory_order_acquire))
        return;
    const auto first = reinterpret_cast<std::uintptr_t>(begin);
    const std::uint64_t pages = (bytes + pageSize - 1) / pageSize;
    const std::uint64_t firstPage = first / pageSize;
    if (first % pageSize != 0 || pages > countMask || firstPage >> (64 - countBits) != 0)
        return;
    const std::uint64_t range = (firstPage << countBits) | pages;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        bool expected = false;
        if (!slots[i].taken.compare_exchange_strong(expected, true))
            continue;
        slots[i].cut.store(false, std::memory_order_relaxed);
        slots[i].range.store(range, std::memory_order_release);
        slot_ = static_cast<int>(i);
        return;
    }
}

TruncationGuard::~TruncationGuard() {
    if (slot_ < 0)
        return;
    Slot& slot = slots[static_cast<std::size_t>(slot_)];
    slot.range.store(0, std::memory_order_release);
    slot.taken.store(false, std::memory_order_release);
}

bool TruncationGuard::wasCut() const noexcept {
    return slot_ >= 0 && slots[static_cast<std::size_t>(slot_)].cut.load(std::memory_order_acquire);
}

} // namespace pellacor
