#include "Platform/Backend/Heap.h"

#include <malloc.h>

void BackendConfigureHeap()
{
    // Up to 64 MiB free at the heap's top stays mapped, and blocks below 32 MiB come from the
    // heap, so that a frame's storage is reused by the next frame rather than remapped.
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
}
