// Kernel objects for synchronisation: events, waits on handles, critical sections.
// A handle is closed with CloseHandle; a thread handle (Process.h) is also waitable and
// becomes signalled when its thread ends.
#pragma once

#include "Platform/Win32/WinTypes.h"

#include <pthread.h>

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64

// A manual-reset event stays signalled until ResetEvent; an auto-reset event lets exactly one
// wait through and clears itself. The name is not supported (must be null).
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Waits until the object is signalled or the milliseconds pass (INFINITE: no limit).
// WAIT_OBJECT_0, WAIT_TIMEOUT, or WAIT_FAILED for a bad handle.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// waitAll FALSE: WAIT_OBJECT_0 + the lowest index among the signalled handles (only that one
// is consumed); TRUE: WAIT_OBJECT_0 once all are signalled together.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

BOOL CloseHandle(HANDLE handle);

// Recursive lock: the owning thread may enter again and must leave as often.
struct CRITICAL_SECTION {
    pthread_mutex_t Mutex;
    DWORD SpinCount;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount);
void EnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
