#include "readers/WorksheetThread.h"

#include "readers/XmlParser.h"

#include <chrono>
#include <utility>

namespace pellacor {
namespace {

// Thrown on the thread, between two chunks of the part, to leave it when the owner stops.
struct Stopped {};

} // namespace

WorksheetThread::WorksheetThread(std::filesystem::path path, std::function<bool()> isBeingWritten,
                                 std::size_t waitingLimit)
    : path_(std::move(path)), isBeingWritten_(std::move(isBeingWritten)),
      waitingLimit_(waitingLimit),
      thread_([this](const std::stop_token& stopping) { run(stopping); }) {}

WorksheetThread::~WorksheetThread() {
    stop();
}

void WorksheetThread::supplySharedStrings(std::vector<std::string> table) {
    table_->set_value(std::move(table));
    table_.reset();
}

std::vector<SequenceEntry> WorksheetThread::finish() {
    if (thread_.joinable())
        thread_.join();
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    return std::move(sheet_.entries);
}

void WorksheetThread::stop() noexcept {
    if (!thread_.joinable())
        return;
    thread_.request_stop();
    table_.reset();
    thread_.join();
    failure_ = nullptr;
}

void WorksheetThread::run(const std::stop_token& stopping) {
    const auto takeTable = [&] {
        isWaiting_.store(true, std::memory_order_release);
        sheet_.resolveSharedStrings(tableArrival_.get());
    };
    try {
        XmlParser::runFile(path_, sheet_, [&] {
            if (stopping.stop_requested())
                throw Stopped();
            // The table is taken as soon as it is there, or waited for once the kept rows
            // have grown too large.
            if (sheet_.isAwaitingSharedStrings() &&
                (sheet_.waitingBytes() > waitingLimit_ ||
                 tableArrival_.wait_for(std::chrono::seconds(0)) == std::future_status::ready))
                takeTable();
            return isBeingWritten_();
        });
        if (sheet_.isAwaitingSharedStrings())
            takeTable();
    } catch (const Stopped&) {
    } catch (...) {
        failure_ = std::current_exception();
    }
    isWaiting_.store(true, std::memory_order_release);
}

} // namespace pellacor
