#include "base/MemoryReuse.h"

#include <malloc.h>

namespace velmaro {

namespace {

// Blocks up to this size come from the heap instead of a mapping of their own, which would go
// back to the system when freed.
constexpr int kLargestHeapBlock = 64 << 20;
// Free memory at the top of the heap up to this size stays with the process.
constexpr int kKeptFreeMemory = 512 << 20;

}  // namespace

void KeepFreedMemoryForReuse() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
    mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
#endif
}

}  // namespace velmaro
