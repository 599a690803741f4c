#include "Platform/Backend/Video.h"

#include "Platform/Backend/PlatformLog.h"
#include "Platform/Win32/Message.h"

#include <SDL.h>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <link.h>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

// Set from the signal handler, read by the pump on the main thread.
volatile std::sig_atomic_t g_SignalPending = 0;

void OnTerminateSignal(int)
{
    g_SignalPending = 1;
}

struct VideoState {
    bool ready = false;
    bool exitHookRegistered = false;
    bool screensaverAsked = false;
    std::string error;
    std::map<HWND, SDL_Window*> windows;
    std::set<HWND> released; // destroyed windows: hidden, freed at shutdown
    std::map<Uint32, HWND> byId;
    std::vector<std::pair<int, std::function<void(const SDL_Event&)>>> observers;
    std::vector<std::pair<int, std::function<void()>>> shutdownHooks;
    int nextId = 1;
    struct sigaction oldInt = {};
    struct sigaction oldTerm = {};
    SDL_Cursor* arrow = nullptr;
};

VideoState& State()
{
    static VideoState state;
    return state;
}

SDL_Window* LiveWindow(HWND hwnd)
{
    VideoState& s = State();
    if (s.released.count(hwnd))
        return nullptr;
    auto it = s.windows.find(hwnd);
    return it == s.windows.end() ? nullptr : it->second;
}

HWND LiveHandleOf(Uint32 windowId)
{
    VideoState& s = State();
    auto it = s.byId.find(windowId);
    if (it == s.byId.end() || s.released.count(it->second))
        return nullptr;
    return it->second;
}

void InstallSignalHandlers()
{
    VideoState& s = State();
    struct sigaction action = {};
    action.sa_handler = OnTerminateSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &s.oldInt);
    sigaction(SIGTERM, &action, &s.oldTerm);
}

void RestoreSignalHandlers()
{
    VideoState& s = State();
    sigaction(SIGINT, &s.oldInt, nullptr);
    sigaction(SIGTERM, &s.oldTerm, nullptr);
}

void ExitHook()
{
    BackendShutdownVideo();
}

int PinLibrary(struct dl_phdr_info* info, size_t, void*)
{
    if (info->dlpi_name && info->dlpi_name[0] != '\0')
        dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

// The OpenGL driver libraries that the first window loads stay loaded until the process ends:
// restarting video then finds them in place, and the allocations they keep until exit can still
// be told apart by library name.
void PinLoadedLibraries()
{
    static bool pinned = false;
    if (!pinned) {
        pinned = true;
        dl_iterate_phdr(PinLibrary, nullptr);
    }
}

// Key messages carry the repeat count in bits 0..15, the scan code in 16..23, the extended-key flag
// in 24, Alt in 29 and the previous key state (auto-repeat) in 30.
LPARAM AltEnterParam(const SDL_KeyboardEvent& key)
{
    LPARAM lParam = 1 | (0x1C << 16) | (1 << 29);
    if (key.keysym.scancode == SDL_SCANCODE_KP_ENTER)
        lParam |= 1 << 24;
    if (key.repeat)
        lParam |= 1 << 30;
    return lParam;
}

void AskScreensaver()
{
    VideoState& s = State();
    if (s.screensaverAsked)
        return;
    for (const auto& entry : s.windows) {
        if (s.released.count(entry.first) || !IsWindowVisible(entry.first))
            continue;
        // SDL never tells when a screensaver would start, so the window is asked once whether it may.
        s.screensaverAsked = true;
        if (SendMessageA(entry.first, WM_SYSCOMMAND, SC_SCREENSAVE, 0) != 0)
            SDL_DisableScreenSaver();
        else
            SDL_EnableScreenSaver();
        return;
    }
}

// A borderless window over the whole desktop is the game's full screen. Window managers (and
// Wayland, which places windows itself) only honour that through the desktop full-screen state.
bool CoversDesktop(const BackendWindowPlace& place)
{
    int width = 0, height = 0;
    return !place.bordered && place.x == 0 && place.y == 0 && BackendDesktopSize(&width, &height) &&
           place.width == width && place.height == height;
}

void PostCloseToWindow(HWND hwnd, void* posted)
{
    if (PostMessageA(hwnd, WM_CLOSE, 0, 0))
        *static_cast<bool*>(posted) = true;
}

} // namespace

bool BackendInitVideo()
{
    VideoState& s = State();
    if (s.ready)
        return true;
    // Terminal signals are ours: they close the windows through the message queue.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A full-screen window stays when another window takes the focus, as a popup does.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        // Every caller retries; the reason is logged once.
        const std::string reason = SDL_GetError();
        if (reason != s.error)
            PLATFORM_LOG_ERROR << "The video system could not start: " << reason;
        s.error = reason;
        return false;
    }
    s.error.clear();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The window's own framebuffer can then serve as a device's back buffer (8-bit colour and
    // alpha, a 16-bit depth buffer) when the two have the same size.
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    InstallSignalHandlers();
    s.ready = true;
    s.screensaverAsked = false;
    if (!s.exitHookRegistered) {
        s.exitHookRegistered = true;
        std::atexit(ExitHook);
    }
    return true;
}

void BackendShutdownVideo()
{
    VideoState& s = State();
    if (!s.ready)
        return;
    auto hooks = std::move(s.shutdownHooks);
    s.shutdownHooks.clear();
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
        it->second();
    for (auto& entry : s.windows)
        SDL_DestroyWindow(entry.second);
    s.windows.clear();
    s.released.clear();
    s.byId.clear();
    if (s.arrow) {
        SDL_FreeCursor(s.arrow);
        s.arrow = nullptr;
    }
    RestoreSignalHandlers();
    g_SignalPending = 0;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    s.ready = false;
}

bool BackendIsVideoReady()
{
    return State().ready;
}

const std::string& BackendVideoError()
{
    return State().error;
}

SDL_Window* BackendGetSDLWindow(HWND hwnd)
{
    VideoState& s = State();
    auto it = s.windows.find(hwnd);
    return it == s.windows.end() ? nullptr : it->second;
}

void BackendPumpEvents()
{
    VideoState& s = State();
    if (g_SignalPending) {
        g_SignalPending = 0;
        bool posted = false;
        WindowEnumerate(PostCloseToWindow, &posted);
        if (!posted)
            PostQuitMessage(0);
    }
    if (!s.ready)
        return;
    AskScreensaver();

    std::set<HWND> cursorMoved, sizeMoved;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        const auto observers = s.observers; // an observer may remove itself
        for (const auto& observer : observers)
            observer.second(e);

        switch (e.type) {
        case SDL_WINDOWEVENT: {
            HWND hwnd = LiveHandleOf(e.window.windowID);
            if (!hwnd)
                break;
            switch (e.window.event) {
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                PostMessageA(hwnd, WM_ACTIVATEAPP, TRUE, 0);
                PostMessageA(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                PostMessageA(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
                PostMessageA(hwnd, WM_ACTIVATEAPP, FALSE, 0);
                break;
            case SDL_WINDOWEVENT_CLOSE: PostMessageA(hwnd, WM_CLOSE, 0, 0); break;
            case SDL_WINDOWEVENT_MOVED:
            case SDL_WINDOWEVENT_SIZE_CHANGED: {
                int x = 0, y = 0, width = 0, height = 0;
                SDL_Window* window = LiveWindow(hwnd);
                SDL_GetWindowPosition(window, &x, &y);
                SDL_GetWindowSize(window, &width, &height);
                if (WindowClientMovedBySystem(hwnd, x, y, width, height))
                    sizeMoved.insert(hwnd);
                break;
            }
            case SDL_WINDOWEVENT_ENTER: cursorMoved.insert(hwnd); break;
            default: break;
            }
            break;
        }
        case SDL_MOUSEMOTION:
            if (HWND hwnd = LiveHandleOf(e.motion.windowID))
                cursorMoved.insert(hwnd);
            break;
        case SDL_KEYDOWN: {
            const SDL_Keysym& key = e.key.keysym;
            const bool enter = key.scancode == SDL_SCANCODE_RETURN || key.scancode == SDL_SCANCODE_KP_ENTER;
            HWND hwnd = LiveHandleOf(e.key.windowID);
            if (hwnd && enter && (key.mod & KMOD_ALT))
                PostMessageA(hwnd, WM_SYSKEYDOWN, VK_RETURN, AltEnterParam(e.key));
            break;
        }
        default: break;
        }
    }
    // A drag gives many moves; the window hears once that it ended, and the cursor once per pump.
    for (HWND hwnd : sizeMoved)
        PostMessageA(hwnd, WM_EXITSIZEMOVE, 0, 0);
    for (HWND hwnd : cursorMoved)
        PostMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), HTCLIENT | (WM_MOUSEMOVE << 16));
}

int BackendAddEventObserver(std::function<void(const SDL_Event&)> fn)
{
    VideoState& s = State();
    const int id = s.nextId++;
    s.observers.emplace_back(id, std::move(fn));
    return id;
}

void BackendRemoveEventObserver(int id)
{
    std::erase_if(State().observers, [id](const auto& entry) { return entry.first == id; });
}

int BackendAddShutdownHook(std::function<void()> fn)
{
    VideoState& s = State();
    const int id = s.nextId++;
    s.shutdownHooks.emplace_back(id, std::move(fn));
    return id;
}

void BackendRemoveShutdownHook(int id)
{
    std::erase_if(State().shutdownHooks, [id](const auto& entry) { return entry.first == id; });
}

bool BackendDesktopSize(int* width, int* height)
{
    if (!State().ready)
        return false;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return false;
    *width = mode.w;
    *height = mode.h;
    return true;
}

bool BackendCreateWindow(HWND hwnd, const char* title, const BackendWindowPlace& place, bool visible)
{
    VideoState& s = State();
    if (!s.ready)
        return false;
    Uint32 flags = SDL_WINDOW_OPENGL | (visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN);
    if (!place.bordered)
        flags |= SDL_WINDOW_BORDERLESS;
    if (place.resizable)
        flags |= SDL_WINDOW_RESIZABLE;
    if (place.topmost)
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (CoversDesktop(place))
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_Window* window = SDL_CreateWindow(title, place.x, place.y, place.width, place.height, flags);
    if (!window) {
        // A display without an alpha channel or depth buffer still gets a window: devices then
        // keep their back buffer offscreen.
        PLATFORM_LOG_WARNING << "The window \"" << title << "\" has no 8-bit alpha and 16-bit depth (" << SDL_GetError()
                    << "); asking for a plain colour buffer";
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
        window = SDL_CreateWindow(title, place.x, place.y, place.width, place.height, flags);
    }
    if (!window) {
        PLATFORM_LOG_ERROR << "The window \"" << title << "\" could not be created: " << SDL_GetError();
        return false;
    }
    PinLoadedLibraries();
    s.windows[hwnd] = window;
    s.byId[SDL_GetWindowID(window)] = hwnd;
    return true;
}

void BackendPlaceWindow(HWND hwnd, const BackendWindowPlace& place)
{
    SDL_Window* window = LiveWindow(hwnd);
    if (!window)
        return;
    const bool fullScreen = CoversDesktop(place);
    const bool wasFullScreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    if (wasFullScreen && !fullScreen)
        SDL_SetWindowFullscreen(window, 0);
    SDL_SetWindowBordered(window, place.bordered ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowResizable(window, place.resizable ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowAlwaysOnTop(window, place.topmost ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowSize(window, place.width, place.height);
    SDL_SetWindowPosition(window, place.x, place.y);
    if (fullScreen && !wasFullScreen)
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void BackendShowWindow(HWND hwnd, bool visible)
{
    if (SDL_Window* window = LiveWindow(hwnd)) {
        if (visible)
            SDL_ShowWindow(window);
        else
            SDL_HideWindow(window);
    }
}

void BackendFocusWindow(HWND hwnd)
{
    if (SDL_Window* window = LiveWindow(hwnd))
        SDL_RaiseWindow(window);
}

void BackendSetWindowTitle(HWND hwnd, const char* title)
{
    if (SDL_Window* window = LiveWindow(hwnd))
        SDL_SetWindowTitle(window, title);
}

void BackendSetWindowIcon(HWND hwnd, const uint32_t* argb, int width, int height)
{
    SDL_Window* window = LiveWindow(hwnd);
    if (!window || !argb)
        return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb), width, height, 32, width * 4,
                                                              SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return;
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

void BackendReleaseWindow(HWND hwnd)
{
    SDL_Window* window = LiveWindow(hwnd);
    if (!window)
        return;
    SDL_HideWindow(window);
    State().released.insert(hwnd);
}

void BackendShowCursor(bool arrow)
{
    VideoState& s = State();
    if (!s.ready)
        return;
    if (arrow) {
        if (!s.arrow)
            s.arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
        if (s.arrow)
            SDL_SetCursor(s.arrow);
    }
    SDL_ShowCursor(arrow ? SDL_ENABLE : SDL_DISABLE);
}
