// The one window the game draws into: windowed with a fixed client size, centred, or a
// borderless popup over the screen, switched by Alt+Enter. Its messages go to an IWindowProc.
#pragma once

#include "Platform/Win32/Windows.h"

#include <cstdint>
#include <string>

class IWindowProc;

// The window styles of the two modes.
constexpr DWORD kRenderWindowStyle_Windowed = 0x12CE0000;   // visible, caption, sizing frame, minimise box
constexpr DWORD kRenderWindowStyle_FullScreen = 0x92000000; // visible borderless popup

class RenderWindow {
  public:
    RenderWindow() = default;
    // Destroys the window.
    virtual ~RenderWindow();
    RenderWindow(const RenderWindow&) = delete;
    RenderWindow& operator=(const RenderWindow&) = delete;

    // Creates and shows the window, gives it the focus and routes its messages to the procedure.
    // Returns what SetFocus returns; null when the window could not be created (the handle stays null).
    virtual HWND Create(IWindowProc* proc, const char* title, int32_t clientWidth, int32_t clientHeight,
                        bool fullScreen);
    // Destroys the window if it exists and forgets the handle and the icon.
    virtual void Destroy();

    // Keeps the icon for the window class; an existing window gets it at once.
    void SetIcon(HICON icon);
    // Re-styles and re-places the window for the current full-screen flag (set it first).
    void ApplyWindowMode();

    HWND GetHandle() const { return m_hWnd; }
    HICON GetIcon() const { return m_hIcon; }
    bool IsFullScreen() const { return m_bFullScreen; }
    void SetFullScreen(bool fullScreen) { m_bFullScreen = fullScreen; }
    int32_t GetX() const { return m_nX; }
    int32_t GetY() const { return m_nY; }
    int32_t GetClientWidth() const { return m_nClientWidth; }
    int32_t GetClientHeight() const { return m_nClientHeight; }
    const std::string& GetTitle() const { return m_Title; }

  private:
    // The outer size for the stored client size in the windowed style, each side at most the screen's.
    void WindowedOuterSize(int32_t& width, int32_t& height) const;
    void StoreClientSize();

    std::string m_Title;
    HWND m_hWnd = nullptr;
    HICON m_hIcon = nullptr;
    // Outer position; negative means centre on the screen.
    int32_t m_nX = -1;
    int32_t m_nY = -1;
    int32_t m_nClientWidth = 640;
    int32_t m_nClientHeight = 480;
    bool m_bFullScreen = false;
};

// The window class's procedure: the IWindowProc in the window's user data, else the default.
LRESULT CALLBACK RenderWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
