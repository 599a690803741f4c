#include "System/Graphics/RenderWindow.h"

#include "System/Graphics/IWindowProc.h"

#include <algorithm>

namespace {

const std::string g_WindowClassName = "ZEVApplication";

constexpr WORD kIconResourceDefault = 32512;

} // namespace

RenderWindow::~RenderWindow()
{
    Destroy();
}

void RenderWindow::SetIcon(HICON icon)
{
    m_hIcon = icon;
    if (m_hWnd) {
        SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
}

void RenderWindow::WindowedOuterSize(int32_t& width, int32_t& height) const
{
    RECT rect = {0, 0, m_nClientWidth, m_nClientHeight};
    AdjustWindowRect(&rect, kRenderWindowStyle_Windowed, FALSE);
    width = std::min<int32_t>(rect.right - rect.left, GetSystemMetrics(SM_CXSCREEN));
    height = std::min<int32_t>(rect.bottom - rect.top, GetSystemMetrics(SM_CYSCREEN));
}

void RenderWindow::StoreClientSize()
{
    RECT client;
    if (GetClientRect(m_hWnd, &client)) {
        m_nClientWidth = client.right - client.left;
        m_nClientHeight = client.bottom - client.top;
    }
}

HWND RenderWindow::Create(IWindowProc* proc, const char* title, int32_t clientWidth, int32_t clientHeight,
                          bool fullScreen)
{
    m_Title = title ? title : "";
    m_nX = m_nY = -1;
    m_nClientWidth = clientWidth;
    m_nClientHeight = clientHeight;
    m_bFullScreen = fullScreen;

    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!m_hIcon)
        SetIcon(LoadIconA(instance, MAKEINTRESOURCEA(kIconResourceDefault)));

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = RenderWindowProc;
    wc.hInstance = instance;
    wc.hIcon = m_hIcon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = g_WindowClassName.c_str();
    wc.hIconSm = m_hIcon;
    RegisterClassExA(&wc); // registered already on a second window: harmless

    DWORD style;
    int32_t width, height;
    if (m_bFullScreen) {
        style = kRenderWindowStyle_FullScreen;
        m_nX = m_nY = 0;
        width = m_nClientWidth;
        height = m_nClientHeight;
    } else {
        style = kRenderWindowStyle_Windowed;
        WindowedOuterSize(width, height);
        if (m_nX < 0)
            m_nX = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        if (m_nY < 0)
            m_nY = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    }

    HWND hwnd = CreateWindowExA(0, g_WindowClassName.c_str(), m_Title.c_str(), style, m_nX, m_nY, width, height,
                                nullptr, nullptr, instance, nullptr);
    if (!hwnd)
        return nullptr;
    m_hWnd = hwnd;
    if (!m_bFullScreen)
        StoreClientSize();

    // Messages sent while the window was being created went to the default procedure.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(proc));
    ShowWindow(hwnd, SW_SHOWNORMAL);
    return SetFocus(hwnd);
}

void RenderWindow::Destroy()
{
    if (m_hWnd)
        DestroyWindow(m_hWnd); // may have gone already through WM_CLOSE: harmless
    m_hWnd = nullptr;
    m_hIcon = nullptr;
}

void RenderWindow::ApplyWindowMode()
{
    if (!m_hWnd)
        return;
    if (m_bFullScreen) {
        const int cx = GetSystemMetrics(SM_CXSCREEN);
        const int cy = GetSystemMetrics(SM_CYSCREEN);
        SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, cx, cy, SWP_NOACTIVATE);
        SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(kRenderWindowStyle_FullScreen));
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        SetWindowRgn(m_hWnd, CreateRectRgn(0, 0, cx, cy), FALSE);
    } else {
        int32_t width, height;
        WindowedOuterSize(width, height);
        // A window first created full screen has x = y = 0 and stays in the corner.
        if (m_nX < 0)
            m_nX = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        if (m_nY < 0)
            m_nY = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(kRenderWindowStyle_Windowed));
        SetWindowPos(m_hWnd, HWND_NOTOPMOST, m_nX, m_nY, width, height, SWP_FRAMECHANGED | SWP_NOACTIVATE);
        StoreClientSize();
    }
}

LRESULT CALLBACK RenderWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IWindowProc* proc = reinterpret_cast<IWindowProc*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA)))
        return proc->WindowProc(hWnd, message, wParam, lParam);
    return DefWindowProcA(hWnd, message, wParam, lParam);
}
