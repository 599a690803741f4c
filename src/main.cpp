#include "Components/ComponentList.h"
#include "Platform/Backend/Heap.h"
#include "Platform/Win32/Windows.h"
#include "System/Application/MainApp.h"

int main()
{
    BackendConfigureHeap();
    InstallComponents();
    // The audio device is created through COM, on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const int result = RunApplication();
    if (SUCCEEDED(com))
        CoUninitialize();
    return result;
}
