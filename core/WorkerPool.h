#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace pellacor {

/// A few threads that run tasks in the order they were given. Starting a thread per piece of
/// work costs more than a megabyte of it takes to convert; these threads are started once.
/// The destructor runs every task still waiting, then joins the threads.
class WorkerPool {
public:
    /// `threads` threads, at least one.
    explicit WorkerPool(unsigned threads);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    ~WorkerPool();

    /// Runs `task` on a thread of the pool after the tasks given before it have started; the
    /// future gives its result, or throws what it threw.
    template <typename Task> auto run(Task task) -> std::future<std::invoke_result_t<Task&>> {
        using Result = std::invoke_result_t<Task&>;
        // A packaged task cannot be copied, and std::function wants copies: it is shared.
        auto packaged = std::make_shared<std::packaged_task<Result()>>(std::move(task));
        std::future<Result> result = packaged->get_future();
        {
            const std::lock_guard lock(mutex_);
            tasks_.emplace_back([packaged] { (*packaged)(); });
        }
        ready_.notify_one();
        return result;
    }

private:
    void serve();
    // Runs the tasks left, then joins the threads.
    void stop() noexcept;

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace pellacor
