#include "app/HeapTuning.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace pellacor {

void HeapTuning::applyAtStartup() noexcept {
#if defined(__GLIBC__)
    // One heap for all threads; the records are built by one worker at a time, so the shared
    // lock costs nothing that matters. Untouched heap padding is not resident memory.
    ::mallopt(M_ARENA_MAX, 1);
    ::mallopt(M_TOP_PAD, 16 << 20);
#endif
}

} // namespace pellacor
