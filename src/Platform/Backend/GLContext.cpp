#include "Platform/Backend/GLContext.h"

#include "Platform/Backend/PlatformLog.h"
#include "Platform/Backend/Video.h"

#include <SDL.h>

namespace {

SDL_GLContext g_GLContext = nullptr;
SDL_Window* g_pContextWindow = nullptr;
int g_nShutdownHook = -1;

SDL_Window* ResolveWindow(HWND hwnd)
{
    return hwnd ? BackendGetSDLWindow(hwnd) : nullptr;
}

} // namespace

bool BackendGLAttach(HWND hwnd)
{
    SDL_Window* window = ResolveWindow(hwnd);
    if (!window) {
        PLATFORM_LOG_ERROR << "No window to attach the OpenGL context to";
        return false;
    }
    if (!g_GLContext) {
        g_GLContext = SDL_GL_CreateContext(window);
        if (!g_GLContext) {
            PLATFORM_LOG_ERROR << "OpenGL 3.3 core context could not be created: " << SDL_GetError();
            return false;
        }
        // The context goes before the windows when video shuts down.
        g_nShutdownHook = BackendAddShutdownHook(BackendGLShutdown);
    }
    if (SDL_GL_MakeCurrent(window, g_GLContext) != 0) {
        PLATFORM_LOG_ERROR << "OpenGL context could not be made current: " << SDL_GetError();
        return false;
    }
    g_pContextWindow = window;
    SDL_GL_SetSwapInterval(0);
    return true;
}

bool BackendGLMakeCurrent(HWND hwnd)
{
    SDL_Window* window = ResolveWindow(hwnd);
    if (!window || !g_GLContext)
        return false;
    if (window == g_pContextWindow)
        return true;
    if (SDL_GL_MakeCurrent(window, g_GLContext) != 0)
        return false;
    g_pContextWindow = window;
    return true;
}

void BackendGLSwap(HWND hwnd)
{
    SDL_Window* window = ResolveWindow(hwnd);
    if (!window || !g_GLContext)
        return;
    if (window != g_pContextWindow && SDL_GL_MakeCurrent(window, g_GLContext) == 0)
        g_pContextWindow = window;
    SDL_GL_SwapWindow(window);
}

bool BackendGLDrawableSize(HWND hwnd, int* width, int* height)
{
    SDL_Window* window = ResolveWindow(hwnd);
    if (!window)
        return false;
    SDL_GL_GetDrawableSize(window, width, height);
    return true;
}

bool BackendWindowIsMinimized(HWND hwnd)
{
    SDL_Window* window = ResolveWindow(hwnd);
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0;
}

void BackendGLShutdown()
{
    if (g_nShutdownHook >= 0) {
        BackendRemoveShutdownHook(g_nShutdownHook);
        g_nShutdownHook = -1;
    }
    if (g_GLContext) {
        SDL_GL_MakeCurrent(nullptr, nullptr);
        SDL_GL_DeleteContext(g_GLContext);
        g_GLContext = nullptr;
        g_pContextWindow = nullptr;
    }
}

int BackendGetDisplayCount()
{
    if (!BackendInitVideo())
        return 0;
    int count = SDL_GetNumVideoDisplays();
    return count > 0 ? count : 0;
}

bool BackendGetDesktopMode(int display, BackendDisplayMode* mode)
{
    SDL_DisplayMode m;
    if (!BackendInitVideo() || SDL_GetDesktopDisplayMode(display, &m) != 0)
        return false;
    *mode = {m.w, m.h, m.refresh_rate};
    return true;
}

int BackendGetDisplayModeCount(int display)
{
    if (!BackendInitVideo())
        return 0;
    int count = SDL_GetNumDisplayModes(display);
    return count > 0 ? count : 0;
}

bool BackendGetDisplayMode(int display, int index, BackendDisplayMode* mode)
{
    SDL_DisplayMode m;
    if (!BackendInitVideo() || SDL_GetDisplayMode(display, index, &m) != 0)
        return false;
    *mode = {m.w, m.h, m.refresh_rate};
    return true;
}
