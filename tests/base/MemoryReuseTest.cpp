#include <gtest/gtest.h>

#include <malloc.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "base/MemoryReuse.h"

namespace velmaro {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizerAllocator = true;  // AddressSanitizer replaces the C library's malloc
#else
constexpr bool kSanitizerAllocator = false;
#endif

// After the call, a table-sized block comes from the heap and, once freed, stays with the
// process: allocating and freeing it neither maps memory of its own nor shrinks the heap.
TEST(MemoryReuse, FreedBlocksStayForTheNextAllocation) {
#ifndef __GLIBC__
    GTEST_SKIP() << "only the GNU C library's allocator is tuned";
#else
    if (kSanitizerAllocator) GTEST_SKIP() << "the sanitizer's allocator is not the one tuned";
    KeepFreedMemoryForReuse();
    constexpr std::size_t kBlock = 4 << 20;
    const struct mallinfo2 before = mallinfo2();
    void* block = std::malloc(kBlock);
    ASSERT_NE(block, nullptr);
    std::memset(block, 1, kBlock);
    EXPECT_EQ(mallinfo2().hblks, before.hblks) << "the block was given a mapping of its own";
    const std::size_t heapWithBlock = mallinfo2().arena;
    std::free(block);
    EXPECT_EQ(mallinfo2().arena, heapWithBlock) << "the freed block went back to the system";
#endif
}

}  // namespace
}  // namespace velmaro
