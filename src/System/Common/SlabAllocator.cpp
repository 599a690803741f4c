#include "System/Common/SlabAllocator.h"

#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define QM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_ASAN 1
#endif
#endif

#if defined(QM_ASAN)
#include <sanitizer/asan_interface.h>
// Memory not handed out is poisoned, but for the word that links a freed slot to the next.
#define QM_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define QM_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define QM_POISON(p, n) ((void)(p), (void)(n))
#define QM_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

// At the start of every chunk. Chunks are aligned to their size, so a slot finds its chunk by
// clearing the low bits of its address.
struct SlabAllocator::Chunk {
    Chunk* prev; // in the size's list of chunks with room
    Chunk* next;
    Chunk* allPrev; // in the list of every chunk
    Chunk* allNext;
    void* free;    // freed slots, each holding the next one's address in its first word
    uint32_t live; // slots in use
    uint32_t bump; // offset of the first slot never handed out
    uint32_t slot;
    uint32_t cls;
    bool listed; // in the size's list of chunks with room
};

namespace {

// The slots start a cache line into the chunk.
constexpr uint32_t kHeader = 64;

} // namespace

static_assert(sizeof(void*) * 5 + 4 * 4 + 1 <= kHeader);

SlabAllocator::~SlabAllocator()
{
    while (m_pAll) {
        Chunk* chunk = m_pAll;
        m_pAll = chunk->allNext;
        QM_UNPOISON(chunk, kChunkSize);
        std::free(chunk);
    }
}

SlabAllocator::Chunk* SlabAllocator::NewChunk(uint32_t cls)
{
    void* memory = std::aligned_alloc(kChunkSize, kChunkSize);
    if (!memory)
        throw std::bad_alloc();
    auto* chunk = static_cast<Chunk*>(memory);
    *chunk = {};
    chunk->bump = kHeader;
    chunk->slot = static_cast<uint32_t>((cls + 1) * kGranule);
    chunk->cls = cls;
    QM_POISON(reinterpret_cast<char*>(chunk) + kHeader, kChunkSize - kHeader);
    chunk->allNext = m_pAll;
    if (m_pAll)
        m_pAll->allPrev = chunk;
    m_pAll = chunk;
    SizeClass& sizeClass = m_Classes[cls];
    chunk->next = sizeClass.room;
    if (sizeClass.room)
        sizeClass.room->prev = chunk;
    sizeClass.room = chunk;
    chunk->listed = true;
    ++sizeClass.chunks;
    ++sizeClass.empty;
    ++m_nChunks;
    return chunk;
}

void SlabAllocator::Unlink(SizeClass& sizeClass, Chunk* chunk)
{
    if (chunk->prev)
        chunk->prev->next = chunk->next;
    else
        sizeClass.room = chunk->next;
    if (chunk->next)
        chunk->next->prev = chunk->prev;
    chunk->prev = chunk->next = nullptr;
    chunk->listed = false;
}

void SlabAllocator::Release(Chunk* chunk)
{
    SizeClass& sizeClass = m_Classes[chunk->cls];
    if (chunk->listed)
        Unlink(sizeClass, chunk);
    if (chunk->allPrev)
        chunk->allPrev->allNext = chunk->allNext;
    else
        m_pAll = chunk->allNext;
    if (chunk->allNext)
        chunk->allNext->allPrev = chunk->allPrev;
    --sizeClass.chunks;
    --sizeClass.empty;
    --m_nChunks;
    QM_UNPOISON(chunk, kChunkSize);
    std::free(chunk);
}

void* SlabAllocator::Allocate(size_t size)
{
    if (size > kMaxSlot)
        return ::operator new(size);
    const uint32_t cls = size == 0 ? 0 : static_cast<uint32_t>((size - 1) / kGranule);
    std::lock_guard<SpinLock> lock(m_Mutex);
    SizeClass& sizeClass = m_Classes[cls];
    Chunk* chunk = sizeClass.room ? sizeClass.room : NewChunk(cls);
    char* slot;
    if (chunk->free) {
        slot = static_cast<char*>(chunk->free);
        chunk->free = *reinterpret_cast<void**>(slot);
    } else {
        slot = reinterpret_cast<char*>(chunk) + chunk->bump;
        chunk->bump += chunk->slot;
    }
    QM_UNPOISON(slot, chunk->slot);
    if (chunk->live++ == 0)
        --sizeClass.empty;
    if (!chunk->free && chunk->bump + chunk->slot > kChunkSize)
        Unlink(sizeClass, chunk);
    ++m_nLive;
    return slot;
}

void SlabAllocator::Free(void* p, size_t size)
{
    if (!p)
        return;
    if (size > kMaxSlot) {
        ::operator delete(p);
        return;
    }
    std::lock_guard<SpinLock> lock(m_Mutex);
    auto* chunk = reinterpret_cast<Chunk*>(reinterpret_cast<uintptr_t>(p) & ~uintptr_t(kChunkSize - 1));
    SizeClass& sizeClass = m_Classes[chunk->cls];
    --m_nLive;
    if (--chunk->live == 0) {
        // Empty: one per size stays for the next objects, handed out again from its start so
        // that they sit in the order they are made; any other goes back to the heap.
        if (++sizeClass.empty > 1) {
            Release(chunk);
            return;
        }
        chunk->free = nullptr;
        chunk->bump = kHeader;
        QM_POISON(reinterpret_cast<char*>(chunk) + kHeader, kChunkSize - kHeader);
    } else {
        *static_cast<void**>(p) = chunk->free;
        chunk->free = p;
        QM_POISON(static_cast<char*>(p) + sizeof(void*), chunk->slot - sizeof(void*));
    }
    if (!chunk->listed) {
        chunk->next = sizeClass.room;
        if (sizeClass.room)
            sizeClass.room->prev = chunk;
        sizeClass.room = chunk;
        chunk->listed = true;
    }
}

size_t SlabAllocator::GetChunkCount() const
{
    std::lock_guard<SpinLock> lock(m_Mutex);
    return m_nChunks;
}

size_t SlabAllocator::GetLiveCount() const
{
    std::lock_guard<SpinLock> lock(m_Mutex);
    return m_nLive;
}

#if defined(QM_ASAN)

void* AllocateObjectMemory(size_t size) { return ::operator new(size); }

void FreeObjectMemory(void* p, size_t) { ::operator delete(p); }

const SlabAllocator* GetObjectSlabs() { return nullptr; }

#else

namespace {

// Never destroyed: objects may still be deleted while the process's statics go.
SlabAllocator& ObjectSlabs()
{
    static SlabAllocator* slabs = new SlabAllocator;
    return *slabs;
}

} // namespace

void* AllocateObjectMemory(size_t size) { return ObjectSlabs().Allocate(size); }

void FreeObjectMemory(void* p, size_t size) { ObjectSlabs().Free(p, size); }

const SlabAllocator* GetObjectSlabs() { return &ObjectSlabs(); }

#endif
