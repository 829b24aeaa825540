#include "platform/foundation/allocator_tuning.h"

#include <malloc.h>

namespace platform {

void keepLargeAllocationsInProcess() {
#if defined(__GLIBC__)
    // Blocks up to 64 MiB come from the heap rather than their own mappings, and up to 256 MiB of free heap is kept.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_ARENA_MAX, kAllocatorArenas);
#endif
}

}  // namespace platform
