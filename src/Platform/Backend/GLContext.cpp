#include "Platform/Backend/GLContext.h"

#include <SDL.h>

#include <set>

#include "System/Common/Log.h"

namespace {

SDL_GLContext g_GLContext = nullptr;
SDL_Window* g_pContextWindow = nullptr;
std::set<SDL_Window*> g_HiddenWindows;

bool InitVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        LOG_ERROR << "SDL video could not start: " << SDL_GetError();
        return false;
    }
    return true;
}

void SetContextAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

SDL_Window* ResolveWindow(HWND hwnd)
{
    SDL_Window* window = reinterpret_cast<SDL_Window*>(hwnd);
    if (window && g_HiddenWindows.count(window))
        return window;
    return nullptr;
}

} // namespace

bool BackendGLAttach(HWND hwnd)
{
    SDL_Window* window = ResolveWindow(hwnd);
    if (!window) {
        LOG_ERROR << "No window to attach the OpenGL context to";
        return false;
    }
    if (!g_GLContext) {
        g_GLContext = SDL_GL_CreateContext(window);
        if (!g_GLContext) {
            LOG_ERROR << "OpenGL 3.3 core context could not be created: " << SDL_GetError();
            return false;
        }
    }
    if (SDL_GL_MakeCurrent(window, g_GLContext) != 0) {
        LOG_ERROR << "OpenGL context could not be made current: " << SDL_GetError();
        return false;
    }
    g_pContextWindow = window;
    SDL_GL_SetSwapInterval(0);
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
    if (g_GLContext) {
        SDL_GL_MakeCurrent(nullptr, nullptr);
        SDL_GL_DeleteContext(g_GLContext);
        g_GLContext = nullptr;
        g_pContextWindow = nullptr;
    }
}

int BackendGetDisplayCount()
{
    if (!InitVideo())
        return 0;
    int count = SDL_GetNumVideoDisplays();
    return count > 0 ? count : 0;
}

bool BackendGetDesktopMode(int display, BackendDisplayMode* mode)
{
    SDL_DisplayMode m;
    if (!InitVideo() || SDL_GetDesktopDisplayMode(display, &m) != 0)
        return false;
    *mode = {m.w, m.h, m.refresh_rate};
    return true;
}

int BackendGetDisplayModeCount(int display)
{
    if (!InitVideo())
        return 0;
    int count = SDL_GetNumDisplayModes(display);
    return count > 0 ? count : 0;
}

bool BackendGetDisplayMode(int display, int index, BackendDisplayMode* mode)
{
    SDL_DisplayMode m;
    if (!InitVideo() || SDL_GetDisplayMode(display, index, &m) != 0)
        return false;
    *mode = {m.w, m.h, m.refresh_rate};
    return true;
}

HWND BackendCreateHiddenGLWindow(int width, int height)
{
    if (!InitVideo())
        return nullptr;
    SetContextAttributes();
    SDL_Window* window = SDL_CreateWindow("Quillmark", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
        LOG_ERROR << "Hidden window could not be created: " << SDL_GetError();
        return nullptr;
    }
    g_HiddenWindows.insert(window);
    return reinterpret_cast<HWND>(window);
}

void BackendDestroyHiddenGLWindow(HWND hwnd)
{
    SDL_Window* window = ResolveWindow(hwnd);
    if (!window)
        return;
    if (window == g_pContextWindow) {
        SDL_GL_MakeCurrent(nullptr, nullptr);
        g_pContextWindow = nullptr;
    }
    g_HiddenWindows.erase(window);
    SDL_DestroyWindow(window);
}
