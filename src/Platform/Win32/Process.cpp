#include "Platform/Win32/Process.h"

#include "Platform/Win32/KernelHandle.h"
#include "Platform/Win32/LastError.h"

#include <algorithm>
#include <atomic>
#include <pthread.h>

namespace {

std::atomic<DWORD> g_nNextThreadId{1};
thread_local DWORD t_nThreadId = 0;

struct ThreadStart {
    KernelHandle* object;
    _beginthreadex_proc_type function;
    void* argument;
    DWORD id;
};

void* ThreadEntry(void* raw)
{
    ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    t_nThreadId = start.id;
    start.function(start.argument);
    std::lock_guard<std::mutex> guard(KernelLock());
    SignalKernelHandle(start.object);
    ReleaseKernelHandle(start.object);
    return nullptr;
}

} // namespace

DWORD GetCurrentThreadId()
{
    if (t_nThreadId == 0)
        t_nThreadId = g_nNextThreadId++;
    return t_nThreadId;
}

uintptr_t _beginthreadex(void*, unsigned stackSize, _beginthreadex_proc_type startAddress, void* argument,
                         unsigned initFlag, unsigned* threadId)
{
    if (!startAddress || initFlag != 0) {
        // Suspended start is not offered: nothing in the game creates a thread that way.
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto* object = new KernelHandle(KernelHandle::Kind::Thread, true, false);
    object->references = 2; // the caller's handle and the running thread
    HANDLE handle = RegisterKernelHandle(object);
    auto* start = new ThreadStart{object, startAddress, argument, g_nNextThreadId++};

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, std::max<size_t>(stackSize, kThreadStackMinimum));
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    const DWORD id = start->id;
    int rc = pthread_create(&thread, &attributes, ThreadEntry, start);
    pthread_attr_destroy(&attributes);
    if (rc != 0) {
        delete start;
        std::lock_guard<std::mutex> guard(KernelLock());
        object->references = 1;
        ReleaseKernelHandle(object);
        SetLastError(ErrorFromErrno(rc));
        return 0;
    }
    if (threadId)
        *threadId = id;
    return reinterpret_cast<uintptr_t>(handle);
}
