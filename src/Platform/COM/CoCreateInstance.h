// Creating COM objects by class id. The classes this system knows are built in: there is no
// registry, and an unknown class id fails the way an unregistered one does.
#pragma once

#include "Platform/COM/Unknown.h"

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv);
