#include "core/WorkerPool.h"

#include <algorithm>

namespace pellacor {

WorkerPool::WorkerPool(unsigned threads) {
    threads_.reserve(std::max(1u, threads));
    try {
        for (unsigned i = 0; i < std::max(1u, threads); ++i)
            threads_.emplace_back([this] { serve(); });
    } catch (...) {
        // Threads already started stop again before the pool is gone.
        stop();
        throw;
    }
}

WorkerPool::~WorkerPool() { stop(); }

void WorkerPool::stop() noexcept {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    ready_.notify_all();
    for (std::thread& thread : threads_)
        if (thread.joinable())
            thread.join();
}

void WorkerPool::serve() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (tasks_.empty())
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        // A packaged task keeps what it throws for its future.
        task();
    }
}

} // namespace pellacor
