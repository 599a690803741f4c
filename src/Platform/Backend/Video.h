// The SDL video side of the platform layer: the video driver, one SDL window behind each HWND,
// and the event pump that turns SDL events into window messages. Only the backend includes SDL;
// this header names its types without defining them.
#pragma once

#include "Platform/Win32/Window.h"

#include <cstdint>
#include <functional>
#include <string>

struct SDL_Window;
union SDL_Event;

// Starts SDL video once (later calls answer whether it runs). Sets the OpenGL attributes of a 3.3
// core context with 8-bit RGBA and 16-bit depth on the default framebuffer before any window
// exists, and
// routes SIGINT and SIGTERM to the message queue as WM_CLOSE. Shutdown runs at exit on its own.
bool BackendInitVideo();
// Runs the shutdown hooks (newest first: the GL context goes before its window), frees every SDL
// window, hidden ones included, restores the signal handlers and stops SDL video.
void BackendShutdownVideo();
bool BackendIsVideoReady();
// Why the last start of video failed; empty when it did not.
const std::string& BackendVideoError();

// The SDL window behind a window handle, also after DestroyWindow (hidden); null when unknown.
SDL_Window* BackendGetSDLWindow(HWND hwnd);

// Turns pending SDL events into posted messages (called by PeekMessageA) and hands every event to
// the observers first. Signals received since the last pump become WM_CLOSE for every window.
void BackendPumpEvents();
int BackendAddEventObserver(std::function<void(const SDL_Event&)> fn);
void BackendRemoveEventObserver(int id);

// Work to do before the SDL windows are freed at shutdown, such as deleting a GL context.
int BackendAddShutdownHook(std::function<void()> fn);
void BackendRemoveShutdownHook(int id);

// --- Used by the Win32 window layer ---
struct BackendWindowPlace {
    int x, y, width, height; // client area, screen coordinates
    bool bordered;
    bool resizable;
    bool topmost;
};
bool BackendDesktopSize(int* width, int* height);
bool BackendCreateWindow(HWND hwnd, const char* title, const BackendWindowPlace& place, bool visible);
void BackendPlaceWindow(HWND hwnd, const BackendWindowPlace& place);
void BackendShowWindow(HWND hwnd, bool visible);
void BackendFocusWindow(HWND hwnd);
void BackendSetWindowTitle(HWND hwnd, const char* title);
void BackendSetWindowIcon(HWND hwnd, const uint32_t* argb, int width, int height);
// Hides the window and keeps its SDL window (and any GL context on it) until shutdown.
void BackendReleaseWindow(HWND hwnd);
void BackendShowCursor(bool arrow);
