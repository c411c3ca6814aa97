#pragma once

#include "core/SequenceEntry.h"
#include "readers/WorksheetDelegate.h"

#include <atomic>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pellacor {

/// Reads a worksheet part on a thread of its own, ahead of the shared-string table that the
/// caller reads: shared-string cells wait unresolved until the table is supplied. Whatever way the
/// owner leaves, the thread is stopped and joined first.
class WorksheetThread {
public:
    /// Most memory that rows may hold while waiting; past it, the thread waits for the table.
    static constexpr std::size_t defaultWaitingLimit = std::size_t(256) << 20;

    /// Starts reading the part at `path`. `isBeingWritten` is asked on the thread only, as
    /// `XmlParser::feedFile` asks it, until `finish` or `stop` has returned.
    WorksheetThread(std::filesystem::path path, std::function<bool()> isBeingWritten,
                    std::size_t waitingLimit = defaultWaitingLimit);
    /// Stops and joins the thread.
    ~WorksheetThread();
    WorksheetThread(const WorksheetThread&) = delete;
    WorksheetThread& operator=(const WorksheetThread&) = delete;

    /// True once the thread has nothing to do until the table comes: it has read the whole
    /// part, or failed, or its kept rows have reached the limit.
    bool isWaitingForTable() const noexcept { return isWaiting_.load(std::memory_order_acquire); }
    /// Hands over the complete table; at most once.
    void supplySharedStrings(std::vector<std::string> table);
    /// Waits for the thread and returns the records; needs the table supplied first. Throws
    /// what reading the part threw (`FileError`, `std::bad_alloc`, ...).
    std::vector<SequenceEntry> finish();
    /// Ends the reading early if it still runs and waits for the thread; what it threw is
    /// dropped. Safe to call again.
    void stop() noexcept;

private:
    void run(const std::stop_token& stopping);

    std::filesystem::path path_;
    std::function<bool()> isBeingWritten_;
    std::size_t waitingLimit_;
    WorksheetDelegate sheet_ = WorksheetDelegate::awaitingSharedStrings();
    // Reset unkept when the reading stops first: the thread, if waiting, sees a broken promise.
    std::optional<std::promise<std::vector<std::string>>> table_{std::in_place};
    std::future<std::vector<std::string>> tableArrival_ = table_->get_future();
    std::exception_ptr failure_;
    std::atomic<bool> isWaiting_{false};
    std::jthread thread_; // last, so that it starts once everything it uses is there
};

} // namespace pellacor
