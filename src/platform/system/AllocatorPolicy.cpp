#include "system/AllocatorPolicy.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void keepLargeAllocations() {
#if defined(__GLIBC__)
    // Serve blocks of up to 1 GiB from the heap, and trim the heap only when
    // more than 1 GiB lies free at its top.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

} // namespace platform
