// What the game window calls for each of its messages.
#pragma once

#include "Platform/Win32/Windows.h"

class IWindowProc {
  public:
    virtual LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual ~IWindowProc() = default;
};
