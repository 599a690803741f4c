#include "Platform/Win32/Sync.h"

#include "Platform/Win32/KernelHandle.h"
#include "Platform/Win32/LastError.h"

#include <algorithm>
#include <chrono>
#include <sched.h>
#include <unordered_set>

namespace {

std::unordered_set<KernelHandle*>& LiveHandles()
{
    // Never destroyed: a detached thread may still finish while the process exits.
    static auto* live = new std::unordered_set<KernelHandle*>;
    return *live;
}

bool IsReady(const KernelHandle* object)
{
    return object->signalled;
}

void Consume(KernelHandle* object)
{
    if (!object->manualReset)
        object->signalled = false;
}

} // namespace

std::mutex& KernelLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}

HANDLE RegisterKernelHandle(KernelHandle* object)
{
    std::lock_guard<std::mutex> guard(KernelLock());
    LiveHandles().insert(object);
    return object;
}

KernelHandle* LookUpKernelHandle(HANDLE handle)
{
    auto* object = static_cast<KernelHandle*>(handle);
    return LiveHandles().count(object) ? object : nullptr;
}

void SignalKernelHandle(KernelHandle* object)
{
    object->signalled = true;
    for (std::condition_variable* waiter : object->waiters)
        waiter->notify_one();
}

void ReleaseKernelHandle(KernelHandle* object)
{
    if (--object->references > 0)
        return;
    LiveHandles().erase(object);
    delete object;
}

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    if (name) {
        // Named events are shared between processes, which this program never needs.
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto* object = new KernelHandle(KernelHandle::Kind::Event, manualReset != FALSE, initialState != FALSE);
    return RegisterKernelHandle(object);
}

namespace {

BOOL ChangeEvent(HANDLE event, bool signalled)
{
    std::lock_guard<std::mutex> guard(KernelLock());
    KernelHandle* object = LookUpKernelHandle(event);
    if (!object || object->kind != KernelHandle::Kind::Event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (signalled)
        SignalKernelHandle(object);
    else
        object->signalled = false;
    return TRUE;
}

} // namespace

BOOL SetEvent(HANDLE event)
{
    return ChangeEvent(event, true);
}

BOOL ResetEvent(HANDLE event)
{
    return ChangeEvent(event, false);
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    return WaitForMultipleObjects(1, &handle, FALSE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);

    std::unique_lock<std::mutex> lock(KernelLock());
    std::vector<KernelHandle*> objects(count);
    for (DWORD i = 0; i < count; ++i) {
        objects[i] = LookUpKernelHandle(handles[i]);
        if (!objects[i]) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }

    std::condition_variable wake;
    for (KernelHandle* object : objects) {
        ++object->references; // a handle closed during the wait stays valid until it ends
        object->waiters.push_back(&wake);
    }

    DWORD result = WAIT_TIMEOUT;
    for (;;) {
        if (waitAll) {
            if (std::all_of(objects.begin(), objects.end(), IsReady)) {
                for (KernelHandle* object : objects)
                    Consume(object);
                result = WAIT_OBJECT_0;
                break;
            }
        } else {
            auto ready = std::find_if(objects.begin(), objects.end(), IsReady);
            if (ready != objects.end()) {
                Consume(*ready);
                result = WAIT_OBJECT_0 + static_cast<DWORD>(ready - objects.begin());
                break;
            }
        }
        if (milliseconds == 0)
            break;
        if (milliseconds == INFINITE)
            wake.wait(lock);
        else if (wake.wait_until(lock, deadline) == std::cv_status::timeout && Clock::now() >= deadline)
            milliseconds = 0; // one last look, then time out
    }

    for (KernelHandle* object : objects) {
        auto& list = object->waiters;
        auto it = std::find(list.begin(), list.end(), &wake);
        if (it != list.end())
            list.erase(it);
        ReleaseKernelHandle(object);
    }
    return result;
}

BOOL CloseHandle(HANDLE handle)
{
    std::lock_guard<std::mutex> guard(KernelLock());
    KernelHandle* object = LookUpKernelHandle(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ReleaseKernelHandle(object);
    return TRUE;
}

void InitializeCriticalSection(LPCRITICAL_SECTION section)
{
    InitializeCriticalSectionAndSpinCount(section, 0);
}

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount)
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    int rc = pthread_mutex_init(&section->Mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
    section->SpinCount = spinCount;
    return rc == 0 ? TRUE : FALSE;
}

void EnterCriticalSection(LPCRITICAL_SECTION section)
{
    // A short spin first: the lock is usually held only for a moment by another core.
    for (DWORD spin = 0; spin < section->SpinCount; ++spin)
        if (pthread_mutex_trylock(&section->Mutex) == 0)
            return;
    pthread_mutex_lock(&section->Mutex);
}

void LeaveCriticalSection(LPCRITICAL_SECTION section)
{
    pthread_mutex_unlock(&section->Mutex);
}

void DeleteCriticalSection(LPCRITICAL_SECTION section)
{
    pthread_mutex_destroy(&section->Mutex);
}
