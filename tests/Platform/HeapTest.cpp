#include "Platform/Backend/Heap.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_HEAP_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QM_HEAP_SANITIZED 1
#endif

namespace {

[[maybe_unused]] long MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Allocates `count` blocks of `size` bytes, touches every page and frees them all: the pattern
// of a frame's rasteriser storage. Answers the page faults it took.
[[maybe_unused]] long OneFrame(size_t size, size_t count)
{
    const long before = MinorFaults();
    std::vector<char*> blocks;
    for (size_t i = 0; i < count; ++i) {
        auto* block = static_cast<char*>(std::malloc(size));
        std::memset(block, int(i), size);
        blocks.push_back(block);
    }
    for (char* block : blocks)
        std::free(block);
    return MinorFaults() - before;
}

} // namespace

// Once the storage of one frame has been touched, the next frame of the same shape reuses it
// instead of taking every page again from the kernel.
TEST(Heap, AFrameOfStorageIsReusedWithoutPageFaults)
{
#ifdef QM_HEAP_SANITIZED
    GTEST_SKIP() << "the sanitiser's allocator keeps its own policy";
#else
    BackendConfigureHeap();
    struct Case {
        size_t size, count;
    };
    const Case cases[] = {
        {64 * 1024, 128},     // many blocks under the mapping threshold
        {4 * 1024, 2048},     // small ones
        {1024 * 1024, 6},     // blocks the C library would map one by one
        {6 * 1024 * 1024, 2}, // large ones
    };
    for (const Case& c : cases) {
        OneFrame(c.size, c.count);
        const long pages = long(c.size * c.count / 4096);
        const long faults = OneFrame(c.size, c.count);
        EXPECT_LT(faults, pages / 16) << c.count << " blocks of " << c.size << " bytes";
    }
#endif
}
