// Pages faulted in ahead of a writer must never change what it wrote, and those it never
// reached go back when the writing ends.
#include "session/PagesAhead.h"

#include "tests/files/ProcessStatus.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

using namespace pellacor;
using pellacor::testdata::residentPages;

namespace {

constexpr std::size_t mb = std::size_t(1) << 20;

} // namespace

TEST(PagesAhead, what_was_written_stays_and_the_pages_never_reached_go_back) {
    const std::size_t bytes = 64 * mb;
    void* mapped = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    char* buffer = static_cast<char*>(mapped);
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    // Records of odd sizes, so that the writer's end falls inside a page.
    std::size_t written = 0;
    {
        PagesAhead ahead(buffer + 3, bytes - 3, 8 * mb);
        while (written < 20 * mb + 777) {
            const std::size_t record = 1000 + written % 313;
            std::memset(buffer + 3 + written, static_cast<int>('A' + written % 26), record);
            written += record;
            ahead.reached(written);
        }
        // The pages just ahead come in, on the other thread.
        const char* next = buffer + (3 + written + page - 1) / page * page;
        for (int wait = 0; wait < 200 && residentPages(next, 2 * mb) == 0; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (residentPages(next, 2 * mb) == 0)
            GTEST_SKIP() << "this system faults in no page ahead";
    }
    std::size_t at = 0;
    bool intact = true;
    while (at < written) {
        const std::size_t record = 1000 + at % 313;
        for (std::size_t i = 0; i < record && at + i < written; ++i)
            intact &= buffer[3 + at + i] == static_cast<char>('A' + at % 26);
        at += record;
    }
    EXPECT_TRUE(intact);
    const std::size_t beyond = (3 + written + page - 1) / page * page;
    EXPECT_EQ(residentPages(buffer + beyond, bytes - beyond), 0u)
        << "pages past the last record were kept";
    ::munmap(mapped, bytes);
}

TEST(PagesAhead, a_buffer_abandoned_is_left_as_it_is) {
    // Once the writer's buffer has moved, what stood behind it may hold another's data: none
    // of it may be given back (zeroed).
    const std::size_t bytes = 32 * mb;
    void* mapped = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    char* buffer = static_cast<char*>(mapped);
    std::memset(buffer, 'x', bytes);
    {
        PagesAhead ahead(buffer, bytes, 4 * mb);
        ahead.reached(mb);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ahead.abandon();
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < bytes; i += 4096)
        kept += buffer[i] == 'x';
    EXPECT_EQ(kept, bytes / 4096);
    ::munmap(mapped, bytes);
}
