// Fixed-size slots carved from 64 KiB chunks, one run of chunks per slot size (a multiple of 16
// bytes up to kMaxSlot). Objects of one size made one after another sit one after another in
// memory, so a walk over them in the order they were made reads memory in order. A chunk whose
// last slot is freed goes back to the general heap, except one spare per size, kept for the next
// objects; a freed slot is reused by the next object of its size. Sizes above kMaxSlot go to the
// general heap. Thread-safe.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <new>
#include <thread>

class SlabAllocator {
public:
    // Held for a few dozen instructions, nearly always by the one thread that makes the
    // objects: a spin costs a fraction of a system mutex's lock and unlock on that path.
    class SpinLock {
    public:
        void lock()
        {
            while (m_bHeld.exchange(true, std::memory_order_acquire))
                while (m_bHeld.load(std::memory_order_relaxed))
                    std::this_thread::yield();
        }
        void unlock() { m_bHeld.store(false, std::memory_order_release); }

    private:
        std::atomic<bool> m_bHeld{false};
    };

    static constexpr size_t kChunkSize = 64 * 1024;
    static constexpr size_t kGranule = 16;
    static constexpr size_t kMaxSlot = 2048;

    SlabAllocator() = default;
    // Gives every chunk back, slots still in use or not.
    ~SlabAllocator();
    SlabAllocator(const SlabAllocator&) = delete;
    SlabAllocator& operator=(const SlabAllocator&) = delete;

    // Memory for an object of the size, aligned to 16 bytes; throws std::bad_alloc as new does.
    void* Allocate(size_t size);
    // Gives back what Allocate returned for the same size; null is ignored.
    void Free(void* p, size_t size);

    // Chunks held now, in use or spare.
    size_t GetChunkCount() const;
    // Slots handed out and not freed yet.
    size_t GetLiveCount() const;

private:
    struct Chunk;
    struct SizeClass {
        Chunk* room = nullptr; // chunks with a free slot or untouched space, most recent first
        uint32_t chunks = 0;
        uint32_t empty = 0; // chunks with no slot in use
    };
    static constexpr size_t kClassCount = kMaxSlot / kGranule;

    Chunk* NewChunk(uint32_t cls);
    void Release(Chunk* chunk);
    static void Unlink(SizeClass& sizeClass, Chunk* chunk);

    mutable SpinLock m_Mutex;
    SizeClass m_Classes[kClassCount];
    Chunk* m_pAll = nullptr; // every chunk
    size_t m_nChunks = 0;
    size_t m_nLive = 0;
};

// The allocator the object model's classes (objects, components, animation players) come from,
// through their class-level operator new and delete. Sanitizer builds go to the general heap
// instead, so that use after free and leaks of those objects are still caught there.
void* AllocateObjectMemory(size_t size);
void FreeObjectMemory(void* p, size_t size);
// Those slabs; null in sanitizer builds.
const SlabAllocator* GetObjectSlabs();

// A base that gives a class, and every class derived from it, its memory from the object slabs.
// Over-aligned classes go to the general heap.
struct ObjectSlabAllocated {
    static void* operator new(std::size_t size) { return AllocateObjectMemory(size); }
    static void operator delete(void* p, std::size_t size) { FreeObjectMemory(p, size); }
    static void* operator new(std::size_t size, std::align_val_t align) { return ::operator new(size, align); }
    static void operator delete(void* p, std::size_t, std::align_val_t align) { ::operator delete(p, align); }
};

// A standard-library allocator over the object slabs, for the lists the objects keep.
template <class T>
struct ObjectSlabAllocator {
    typedef T value_type;

    ObjectSlabAllocator() = default;
    template <class U>
    ObjectSlabAllocator(const ObjectSlabAllocator<U>&)
    {
    }
    T* allocate(size_t n) { return static_cast<T*>(AllocateObjectMemory(n * sizeof(T))); }
    void deallocate(T* p, size_t n) { FreeObjectMemory(p, n * sizeof(T)); }
    template <class U>
    bool operator==(const ObjectSlabAllocator<U>&) const
    {
        return true;
    }
};
