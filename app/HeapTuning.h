#pragma once

namespace pellacor {

/// Allocator settings for a process that imports large tables. An import builds hundreds of
/// thousands of records on a worker thread; in a per-thread heap the C library grows that heap
/// page by page, one system call each (some 50,000 for a 200 MB table), and each call stalls
/// every thread's page faults. One shared heap grows in large steps instead.
class HeapTuning {
public:
    HeapTuning() = delete;

    /// Applies the settings. Call first thing in `main`, before any thread starts; later
    /// calls may have no effect. Does nothing where the C library has no such settings.
    static void applyAtStartup() noexcept;
};

} // namespace pellacor
