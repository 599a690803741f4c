// Threads of the C run-time: _beginthreadex and the ids of threads.
#pragma once

#include "Platform/Win32/WinTypes.h"

#include <cstddef>

// The least stack a thread gets, whatever its creator asks. Callers ask for 64 KB, which on
// the original platform is only the first commit of a 1 MB reservation; the sanitizers need
// far more (their frames are larger and they keep redzones on the stack).
#if defined(__SANITIZE_ADDRESS__)
#define QM_SANITIZED_STACKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_SANITIZED_STACKS 1
#endif
#endif
#ifdef QM_SANITIZED_STACKS
constexpr size_t kThreadStackMinimum = 8u * 1024u * 1024u;
#else
constexpr size_t kThreadStackMinimum = 1024u * 1024u;
#endif

typedef unsigned(WINAPI* _beginthreadex_proc_type)(void* argument);

#define CREATE_SUSPENDED 0x00000004u

// Starts startAddress(argument) on a new thread at once (initFlag must be 0) and returns a
// waitable handle for it (close it with CloseHandle), or 0 on failure. stackSize 0 means
// the default; any size is raised to kThreadStackMinimum. security is ignored.
uintptr_t _beginthreadex(void* security, unsigned stackSize, _beginthreadex_proc_type startAddress, void* argument,
                         unsigned initFlag, unsigned* threadId);

DWORD GetCurrentThreadId();
