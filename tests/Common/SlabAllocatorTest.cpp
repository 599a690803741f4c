#include "System/Common/SlabAllocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// The size a request is given: the next multiple of the granule.
size_t SlotOf(size_t size) { return std::max<size_t>(16, (size + 15) / 16 * 16); }

uintptr_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// Fills each block with its own byte, then checks every byte of every block: overlapping slots,
// or a slot over a chunk's own records, show as a block holding another's byte.
void ExpectDistinct(const std::vector<void*>& blocks, size_t size)
{
    for (size_t i = 0; i < blocks.size(); ++i)
        std::memset(blocks[i], int(i % 251), size);
    for (size_t i = 0; i < blocks.size(); ++i) {
        const auto* bytes = static_cast<const unsigned char*>(blocks[i]);
        for (size_t b = 0; b < size; ++b)
            if (bytes[b] != i % 251) {
                ADD_FAILURE() << "block " << i << " of size " << size << " overwritten at byte " << b;
                return;
            }
    }
}

} // namespace

TEST(SlabAllocator, ObjectsMadeOneAfterAnotherSitOneAfterAnother)
{
    // Enough of each size to run over several chunks.
    for (size_t size : {size_t(1), size_t(16), size_t(17), size_t(40), size_t(200), size_t(344), size_t(2048)}) {
        SlabAllocator slabs;
        const size_t count = 3 * SlabAllocator::kChunkSize / SlotOf(size);
        std::vector<void*> blocks;
        for (size_t i = 0; i < count; ++i)
            blocks.push_back(slabs.Allocate(size));
        size_t adjacent = 0;
        for (size_t i = 0; i < count; ++i) {
            EXPECT_EQ(Address(blocks[i]) % 16, 0u) << size;
            if (i > 0 && Address(blocks[i]) == Address(blocks[i - 1]) + SlotOf(size))
                ++adjacent;
        }
        // Every step but the few from one chunk to the next.
        EXPECT_GE(adjacent, count - 4) << size;
        ExpectDistinct(blocks, size);
        EXPECT_EQ(slabs.GetLiveCount(), count);
        for (void* p : blocks)
            slabs.Free(p, size);
        EXPECT_EQ(slabs.GetLiveCount(), 0u);
    }
}

TEST(SlabAllocator, ChunksGoBackOnceEmptyButOneSparePerSize)
{
    struct Case {
        size_t size;
        size_t count;
    };
    const Case cases[] = {
        {200, 1},
        {200, 1000},
        {48, 5000},
        {2048, 100},
    };
    for (const Case& c : cases) {
        SlabAllocator slabs;
        std::vector<void*> blocks;
        for (size_t i = 0; i < c.count; ++i)
            blocks.push_back(slabs.Allocate(c.size));
        const size_t perChunk = (SlabAllocator::kChunkSize - 64) / SlotOf(c.size);
        EXPECT_EQ(slabs.GetChunkCount(), (c.count + perChunk - 1) / perChunk) << c.size << " x " << c.count;
        // Freed in an order that empties no chunk until the end.
        for (size_t i = 0; i < c.count; i += 2)
            slabs.Free(blocks[i], c.size);
        for (size_t i = 1; i < c.count; i += 2)
            slabs.Free(blocks[i], c.size);
        EXPECT_EQ(slabs.GetChunkCount(), 1u) << c.size << " x " << c.count;
        EXPECT_EQ(slabs.GetLiveCount(), 0u);
    }
}

TEST(SlabAllocator, RepeatedBuildsAndTeardownsDoNotGrow)
{
    // A stage of mixed sizes is built while the last one still stands, then the last one goes:
    // the way a stage switch runs.
    const size_t sizes[] = {240, 192, 112, 144, 320, 160, 176, 48, 4000};
    SlabAllocator slabs;
    std::vector<std::pair<void*, size_t>> old;
    std::vector<size_t> chunks;
    for (int stage = 0; stage < 12; ++stage) {
        std::vector<std::pair<void*, size_t>> built;
        for (int object = 0; object < 700; ++object)
            for (size_t size : sizes)
                built.emplace_back(slabs.Allocate(size), size);
        for (auto& [p, size] : old)
            slabs.Free(p, size);
        old = std::move(built);
        chunks.push_back(slabs.GetChunkCount());
    }
    // Where a stage's objects start in the chunks may differ from one switch to the next, but
    // the count settles: the later switches hold no more than the first two after the first.
    const size_t settled = std::max(chunks[2], chunks[3]);
    for (size_t stage = 4; stage < chunks.size(); ++stage)
        EXPECT_LE(chunks[stage], settled) << "stage " << stage;
    for (auto& [p, size] : old)
        slabs.Free(p, size);
    EXPECT_EQ(slabs.GetLiveCount(), 0u);
    // One spare for each size the slabs hold; the largest went to the general heap.
    EXPECT_EQ(slabs.GetChunkCount(), std::size(sizes) - 1);
}

TEST(SlabAllocator, FreedSlotsAreReusedAndNeverHandedOutTwice)
{
    SlabAllocator slabs;
    std::vector<void*> blocks;
    for (int i = 0; i < 1000; ++i)
        blocks.push_back(slabs.Allocate(100));
    const size_t chunks = slabs.GetChunkCount();
    // Every third one goes, then as many come back: into the holes, with no new chunk.
    std::vector<void*> freed;
    for (size_t i = 0; i < blocks.size(); i += 3) {
        slabs.Free(blocks[i], 100);
        freed.push_back(blocks[i]);
    }
    std::vector<void*> again;
    for (size_t i = 0; i < freed.size(); ++i)
        again.push_back(slabs.Allocate(100));
    EXPECT_EQ(slabs.GetChunkCount(), chunks);
    std::vector<void*> sortedFreed = freed, sortedAgain = again;
    std::sort(sortedFreed.begin(), sortedFreed.end());
    std::sort(sortedAgain.begin(), sortedAgain.end());
    EXPECT_EQ(sortedAgain, sortedFreed);
    for (size_t i = 0, j = 0; i < blocks.size(); ++i)
        if (i % 3 == 0)
            blocks[i] = again[j++];
    ExpectDistinct(blocks, 100);
    for (void* p : blocks)
        slabs.Free(p, 100);
    slabs.Free(nullptr, 100);
    EXPECT_EQ(slabs.GetLiveCount(), 0u);
}

TEST(SlabAllocator, SpareChunkStartsOverFromItsFirstSlot)
{
    SlabAllocator slabs;
    std::vector<void*> first;
    for (int i = 0; i < 50; ++i)
        first.push_back(slabs.Allocate(64));
    // Freed out of order: the next objects still come in address order from the start.
    for (int i = 49; i >= 0; i -= 2)
        slabs.Free(first[size_t(i)], 64);
    for (int i = 0; i < 50; i += 2)
        slabs.Free(first[size_t(i)], 64);
    std::vector<void*> second;
    for (int i = 0; i < 50; ++i)
        second.push_back(slabs.Allocate(64));
    EXPECT_EQ(second, first);
    for (void* p : second)
        slabs.Free(p, 64);
}

TEST(SlabAllocator, LargeRequestsGoToTheGeneralHeap)
{
    SlabAllocator slabs;
    for (size_t size : {SlabAllocator::kMaxSlot + 1, size_t(100000)}) {
        void* p = slabs.Allocate(size);
        std::memset(p, 7, size);
        EXPECT_EQ(slabs.GetChunkCount(), 0u) << size;
        slabs.Free(p, size);
    }
    EXPECT_EQ(slabs.GetLiveCount(), 0u);
}

TEST(SlabAllocator, ThreadsShareOneAllocator)
{
    SlabAllocator slabs;
    auto work = [&slabs](size_t size) {
        std::vector<void*> blocks;
        for (int round = 0; round < 20; ++round) {
            for (int i = 0; i < 500; ++i)
                blocks.push_back(slabs.Allocate(size + size_t(i % 3) * 16));
            for (size_t i = 0; i < blocks.size(); ++i)
                slabs.Free(blocks[i], size + (i % 3) * 16);
            blocks.clear();
        }
    };
    std::thread a(work, 64), b(work, 80), c(work, 64);
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(slabs.GetLiveCount(), 0u);
    // One spare for each of the four sizes.
    EXPECT_EQ(slabs.GetChunkCount(), 4u);
}
