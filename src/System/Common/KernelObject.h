// Owners of kernel handles for the parts of the game that run work on threads of their own.
#pragma once

#include "Platform/Win32/Windows.h"

#include <cstdint>

// Closes its handle when destroyed.
class KernelObject {
  public:
    KernelObject() = default;
    virtual ~KernelObject();
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;

    HANDLE m_hHandle = nullptr;
};

// An event object; its owner creates it (CreateEventA into m_hHandle) and signals and waits
// on it directly.
class Event : public KernelObject {
  public:
    ~Event() override;
};

typedef unsigned (*ThreadFunction)(void* userData);

// Runs a function on a thread of its own; destruction waits for the thread to end, so the
// owner must make the function return first.
class Thread : public KernelObject {
  public:
    // The stack the game asks for; the platform raises it to its own minimum.
    static constexpr unsigned kStackSize = 65536;

    ~Thread() override;
    // Starts function(userData) at once. A thread that has a handle is not started again and
    // keeps its function (true is returned). False when the system cannot start it.
    bool Start(ThreadFunction function, void* userData);
    virtual void Run();

    unsigned m_nThreadId = 0;
    ThreadFunction m_pfnFunction = nullptr;
    void* m_pUserData = nullptr;
};
