// The objects behind waitable handles (events and threads), shared by Sync.cpp and
// Process.cpp. One process-wide lock guards every object's state; each waiter sleeps on a
// condition variable of its own that the objects it waits on know about.
#pragma once

#include "Platform/Win32/WinTypes.h"

#include <condition_variable>
#include <mutex>
#include <vector>

struct KernelHandle {
    enum class Kind { Event, Thread };

    KernelHandle(Kind k, bool manual, bool initiallySignalled)
        : kind(k), manualReset(manual), signalled(initiallySignalled)
    {
    }

    Kind kind;
    // Auto-reset events clear themselves when a wait takes them; threads stay signalled.
    bool manualReset;
    bool signalled;
    // Handles held by the program plus references held by running threads and waits.
    int references = 1;
    std::vector<std::condition_variable*> waiters;
};

std::mutex& KernelLock();
// Registers a new object and returns it as a handle (the lock must not be held).
HANDLE RegisterKernelHandle(KernelHandle* object);
// The live object behind a handle, or null (lock held).
KernelHandle* LookUpKernelHandle(HANDLE handle);
// Sets the object signalled and wakes its waiters (lock held).
void SignalKernelHandle(KernelHandle* object);
// Drops one reference; the last one frees the object (lock held).
void ReleaseKernelHandle(KernelHandle* object);
