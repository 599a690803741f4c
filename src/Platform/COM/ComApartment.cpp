#include "Platform/COM/ComApartment.h"

namespace {

// How often this thread initialised COM, and in which mode.
thread_local int t_nInitCount = 0;
thread_local DWORD t_nMode = 0;

} // namespace

HRESULT CoInitializeEx(LPVOID, DWORD coInit)
{
    const DWORD mode = coInit & COINIT_APARTMENTTHREADED;
    if (t_nInitCount > 0) {
        if (mode != t_nMode)
            return RPC_E_CHANGED_MODE;
        ++t_nInitCount;
        return S_FALSE;
    }
    t_nMode = mode;
    t_nInitCount = 1;
    return S_OK;
}

void CoUninitialize()
{
    if (t_nInitCount > 0)
        --t_nInitCount;
}
