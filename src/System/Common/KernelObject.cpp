#include "System/Common/KernelObject.h"

namespace {

unsigned WINAPI ThreadStartRoutine(void* argument)
{
    static_cast<Thread*>(argument)->Run();
    return 0;
}

} // namespace

KernelObject::~KernelObject()
{
    if (m_hHandle) {
        CloseHandle(m_hHandle);
        m_hHandle = nullptr;
    }
}

Event::~Event() = default;

Thread::~Thread()
{
    if (m_hHandle) {
        WaitForSingleObject(m_hHandle, INFINITE);
        CloseHandle(m_hHandle);
        m_hHandle = nullptr;
    }
}

bool Thread::Start(ThreadFunction function, void* userData)
{
    // A running thread reads these fields, so a second start leaves them alone.
    if (m_hHandle)
        return true;
    m_pfnFunction = function;
    m_pUserData = userData;
    m_hHandle =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, kStackSize, ThreadStartRoutine, this, 0, &m_nThreadId));
    return m_hHandle != nullptr;
}

void Thread::Run()
{
    if (m_pfnFunction)
        m_pfnFunction(m_pUserData);
}
