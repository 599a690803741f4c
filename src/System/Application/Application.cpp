#include "System/Application/Application.h"

void Application::Run()
{
    bool quit = false;
    MSG msg;
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Whatever is queued behind the quit message is still dispatched.
            do {
                if (msg.message == WM_QUIT)
                    quit = true;
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            } while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
            if (quit)
                return;
        }
        Tick();
    }
}

void Application::Quit()
{
    PostQuitMessage(0);
}

LRESULT Application::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return 0;
    case WM_DESTROY: PostQuitMessage(0); break;
    case WM_ACTIVATE: m_EventManager.Post(new EvtWinMsgActivate(hWnd, wParam, lParam)); break;
    case WM_QUIT:
        ShowWindow(hWnd, SW_HIDE);
        SetWindowLongA(hWnd, GWL_STYLE, static_cast<LONG>(WS_POPUP));
        SetWindowPos(hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE);
        return 0;
    default: break;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}
