// COM initialisation of a thread, and the HRESULT values and tests the game uses.
#pragma once

#include "Platform/Win32/WinTypes.h"

#define S_OK static_cast<HRESULT>(0)
#define S_FALSE static_cast<HRESULT>(1)
#define E_NOTIMPL static_cast<HRESULT>(0x80004001u)
#define E_NOINTERFACE static_cast<HRESULT>(0x80004002u)
#define E_POINTER static_cast<HRESULT>(0x80004003u)
#define E_FAIL static_cast<HRESULT>(0x80004005u)
#define E_OUTOFMEMORY static_cast<HRESULT>(0x8007000Eu)
#define E_INVALIDARG static_cast<HRESULT>(0x80070057u)
#define RPC_E_CHANGED_MODE static_cast<HRESULT>(0x80010106u)

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)

#define COINIT_MULTITHREADED 0x0u
#define COINIT_APARTMENTTHREADED 0x2u

// Per thread: the first call gives S_OK, further calls in the same mode S_FALSE (each must be
// matched by CoUninitialize), a call in the other mode RPC_E_CHANGED_MODE (not counted).
HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
void CoUninitialize();
