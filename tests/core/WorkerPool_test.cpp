// The pool runs tasks in the order given, so a task may wait for one given before it: pieces
// of a table learn where they stand from the piece before.
#include "core/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <vector>

using namespace pellacor;

TEST(WorkerPool, tasks_that_wait_for_the_one_before_never_stall_and_failures_reach_their_future) {
    for (const unsigned threads : {1u, 2u, 5u}) {
        WorkerPool pool(threads);
        constexpr int count = 200;
        std::vector<std::promise<int>> after(count);
        std::vector<std::future<int>> results;
        for (int i = 0; i < count; ++i)
            results.push_back(pool.run([&, i] {
                const int before = i == 0 ? 0 : after[i - 1].get_future().get();
                after[i].set_value(before + 1);
                if (i == 7)
                    throw std::runtime_error("seven");
                return before + 1;
            }));
        for (int i = 0; i < count; ++i) {
            if (i == 7)
                EXPECT_THROW(results[i].get(), std::runtime_error);
            else
                EXPECT_EQ(results[i].get(), i + 1) << threads;
        }
    }
}

TEST(WorkerPool, tasks_still_waiting_when_the_pool_goes_are_run_first) {
    std::atomic<int> ran{0};
    {
        WorkerPool pool(1);
        for (int i = 0; i < 50; ++i)
            pool.run([&] {
                std::this_thread::sleep_for(std::chrono::microseconds(100));
                ++ran;
            });
    }
    EXPECT_EQ(ran.load(), 50);
}
