#include "Platform/Win32/Window.h"

#include "Platform/Backend/Video.h"
#include "Platform/Win32/Message.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <strings.h>
#include <vector>

namespace {

// Frame metrics of the window decoration that AdjustWindowRect assumes: a sizing frame of four
// pixels plus four of padding, a fixed frame of three, a border of one, a caption of 23.
constexpr int kSizingFrame = 4;
constexpr int kPaddedBorder = 4;
constexpr int kDialogFrame = 3;
constexpr int kBorder = 1;
constexpr int kCaption = 23;

// Class names compare without regard to case, as on Windows.
bool EqualNoCase(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON iconSmall = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
};

struct Window {
    HWND hwnd = nullptr;
    WNDPROC proc = nullptr;
    std::string className;
    HCURSOR classCursor = nullptr;
    std::string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT outer = {};
    LONG_PTR userData = 0;
    bool visible = false;
    bool topmost = false;
    HICON iconBig = nullptr;
    HICON iconSmall = nullptr;
    HRGN region = nullptr;
    void* queue = nullptr;
    // Set while DestroyWindow sends the destroy messages: a call made from their handling
    // leaves the work to the call already under way.
    bool destroying = false;
};

struct Icon {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    bool shared = false; // loaded from a resource: DestroyIcon leaves it alone
};

struct Region {
    RECT rect;
};

// Handles are small counters that are never reused, so a stale handle can never reach a newer window.
struct Registry {
    std::mutex lock;
    std::vector<WindowClass> classes;
    std::map<uintptr_t, std::shared_ptr<Window>> windows;
    std::map<uintptr_t, std::unique_ptr<Icon>> icons;
    std::map<uintptr_t, std::unique_ptr<Region>> regions;
    uintptr_t nextWindow = 0x10010;
    uintptr_t nextObject = 0x20010;
    HWND focus = nullptr;
    HCURSOR cursor = nullptr;
    HICON appIcon = nullptr;
};

Registry& Reg()
{
    static Registry registry;
    return registry;
}

// Only the module handle of the executable exists.
HINSTANCE const kModule = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));
HCURSOR const kArrowCursor = reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(0x10003));
HGDIOBJ const kBlackBrush = reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x10004));

std::shared_ptr<Window> Find(HWND hwnd)
{
    Registry& reg = Reg();
    std::lock_guard<std::mutex> guard(reg.lock);
    auto it = reg.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == reg.windows.end() ? nullptr : it->second;
}

std::shared_ptr<Window> FindOrFail(HWND hwnd)
{
    std::shared_ptr<Window> w = Find(hwnd);
    if (!w)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

// The decoration around the client area for a style: left, top, right and bottom widths.
RECT FrameInsets(DWORD style)
{
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = kSizingFrame + kPaddedBorder;
    else if (style & WS_DLGFRAME)
        frame = kDialogFrame;
    else if (style & WS_BORDER)
        frame = kBorder;
    const int caption = (style & WS_CAPTION) == WS_CAPTION ? kCaption : 0;
    return RECT{frame, frame + caption, frame, frame};
}

RECT ClientOf(const Window& w)
{
    const RECT in = FrameInsets(w.style);
    RECT c = {w.outer.left + in.left, w.outer.top + in.top, w.outer.right - in.right, w.outer.bottom - in.bottom};
    c.right = std::max(c.right, c.left);
    c.bottom = std::max(c.bottom, c.top);
    return c;
}

BackendWindowPlace PlaceOf(const Window& w)
{
    const RECT c = ClientOf(w);
    return BackendWindowPlace{c.left,
                              c.top,
                              std::max<int>(1, c.right - c.left),
                              std::max<int>(1, c.bottom - c.top),
                              (w.style & (WS_CAPTION | WS_THICKFRAME)) != 0,
                              (w.style & WS_THICKFRAME) != 0,
                              w.topmost};
}

HANDLE NewObjectHandle()
{
    return reinterpret_cast<HANDLE>(Reg().nextObject++);
}

// The executable's icon: a quill on a dark blue tile, drawn once.
HICON ApplicationIcon()
{
    Registry& reg = Reg();
    std::lock_guard<std::mutex> guard(reg.lock);
    if (reg.appIcon)
        return reg.appIcon;
    auto icon = std::make_unique<Icon>();
    icon->width = icon->height = 32;
    icon->shared = true;
    icon->pixels.resize(32 * 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool corner = (x < 2 || x > 29) && (y < 2 || y > 29);
            uint32_t pixel = corner ? 0x00000000u : 0xFF1A2A5Au;
            const int d = x + y - 31; // distance from the rising diagonal
            if (x > 6 && x < 27 && d >= -2 && d <= 2 - (26 - x) / 8)
                pixel = 0xFFF2E8C8u;
            if (x >= 5 && x <= 8 && y >= 23 && y <= 26)
                pixel = 0xFF101010u;
            icon->pixels[y * 32 + x] = pixel;
        }
    }
    HICON handle = static_cast<HICON>(NewObjectHandle());
    reg.icons[reinterpret_cast<uintptr_t>(handle)] = std::move(icon);
    reg.appIcon = handle;
    return handle;
}

void SyncPlace(const Window& w)
{
    BackendPlaceWindow(w.hwnd, PlaceOf(w));
}

} // namespace

HMODULE GetModuleHandleA(LPCSTR moduleName)
{
    if (moduleName == nullptr)
        return kModule;
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc)
{
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXA) || !wc->lpfnWndProc || !wc->lpszClassName ||
        IS_INTRESOURCE(wc->lpszClassName) || wc->lpszClassName[0] == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Registry& reg = Reg();
    std::lock_guard<std::mutex> guard(reg.lock);
    for (const WindowClass& c : reg.classes) {
        if (EqualNoCase(c.name, wc->lpszClassName)) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    WindowClass c;
    c.name = wc->lpszClassName;
    c.style = wc->style;
    c.proc = wc->lpfnWndProc;
    c.instance = wc->hInstance;
    c.icon = wc->hIcon;
    c.iconSmall = wc->hIconSm;
    c.cursor = wc->hCursor;
    c.background = wc->hbrBackground;
    reg.classes.push_back(c);
    return static_cast<ATOM>(0xC000 + reg.classes.size() - 1);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE)
{
    if (!className || IS_INTRESOURCE(className)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Registry& reg = Reg();
    std::lock_guard<std::mutex> guard(reg.lock);
    auto it = std::find_if(reg.classes.begin(), reg.classes.end(),
                           [&](const WindowClass& c) { return EqualNoCase(c.name, className); });
    if (it == reg.classes.end()) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return FALSE;
    }
    reg.classes.erase(it);
    return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND, HMENU, HINSTANCE, LPVOID)
{
    if (!className || IS_INTRESOURCE(className)) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    WindowClass wc;
    {
        Registry& reg = Reg();
        std::lock_guard<std::mutex> guard(reg.lock);
        auto it = std::find_if(reg.classes.begin(), reg.classes.end(),
                               [&](const WindowClass& c) { return EqualNoCase(c.name, className); });
        if (it == reg.classes.end()) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        wc = *it;
    }
    if (!BackendInitVideo()) {
        SetLastError(ERROR_DEVICE_NOT_AVAILABLE);
        return nullptr;
    }

    auto w = std::make_shared<Window>();
    w->proc = wc.proc;
    w->className = wc.name;
    w->classCursor = wc.cursor;
    w->title = windowName ? windowName : "";
    w->style = style;
    w->exStyle = exStyle;
    w->iconBig = wc.icon;
    w->iconSmall = wc.iconSmall ? wc.iconSmall : wc.icon;
    if (x == CW_USEDEFAULT)
        x = y = 0;
    if (width == CW_USEDEFAULT) {
        int cx = 0, cy = 0;
        BackendDesktopSize(&cx, &cy);
        width = cx * 3 / 4;
        height = cy * 3 / 4;
    }
    w->outer = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
    w->visible = (style & WS_VISIBLE) != 0;
    w->queue = MessageQueueOfCurrentThread();
    {
        Registry& reg = Reg();
        std::lock_guard<std::mutex> guard(reg.lock);
        w->hwnd = reinterpret_cast<HWND>(reg.nextWindow);
        reg.nextWindow += 4;
        reg.windows[reinterpret_cast<uintptr_t>(w->hwnd)] = w;
    }
    if (!BackendCreateWindow(w->hwnd, w->title.c_str(), PlaceOf(*w), w->visible)) {
        std::lock_guard<std::mutex> guard(Reg().lock);
        Reg().windows.erase(reinterpret_cast<uintptr_t>(w->hwnd));
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (w->iconBig) {
        int iw = 0, ih = 0;
        if (const uint32_t* pixels = IconPixels(w->iconBig, &iw, &ih))
            BackendSetWindowIcon(w->hwnd, pixels, iw, ih);
    }

    if (SendMessageA(w->hwnd, WM_NCCREATE, 0, 0) == FALSE || SendMessageA(w->hwnd, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(w->hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return w->hwnd;
}

BOOL DestroyWindow(HWND hwnd)
{
    std::shared_ptr<Window> w = FindOrFail(hwnd);
    if (!w)
        return FALSE;
    if (w->destroying)
        return TRUE;
    w->destroying = true;
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    {
        Registry& reg = Reg();
        std::lock_guard<std::mutex> guard(reg.lock);
        reg.windows.erase(reinterpret_cast<uintptr_t>(hwnd));
        if (reg.focus == hwnd)
            reg.focus = nullptr;
        if (w->region)
            reg.regions.erase(reinterpret_cast<uintptr_t>(w->region));
    }
    MessageForgetWindow(w->queue, hwnd);
    BackendReleaseWindow(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    return Find(hwnd) != nullptr;
}

BOOL IsWindowVisible(HWND hwnd)
{
    std::shared_ptr<Window> w = Find(hwnd);
    return w && w->visible;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu)
{
    return AdjustWindowRectEx(rect, style, menu, 0);
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD)
{
    if (!rect || menu) { // no window of ours has a menu bar
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const RECT in = FrameInsets(style);
    rect->left -= in.left;
    rect->top -= in.top;
    rect->right += in.right;
    rect->bottom += in.bottom;
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect)
{
    std::shared_ptr<Window> w = FindOrFail(hwnd);
    if (!w || !rect)
        return FALSE;
    const RECT c = ClientOf(*w);
    *rect = RECT{0, 0, c.right - c.left, c.bottom - c.top};
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect)
{
    std::shared_ptr<Window> w = FindOrFail(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = w->outer;
    return TRUE;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
        int cx = 0, cy = 0;
        if (!BackendInitVideo() || !BackendDesktopSize(&cx, &cy))
            return 0;
        return index == SM_CXSCREEN ? cx : cy;
    }
    case SM_CXBORDER:
    case SM_CYBORDER: return kBorder;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return kDialogFrame;
    case SM_CXFRAME:
    case SM_CYFRAME: return kSizingFrame;
    case SM_CXPADDEDBORDER: return kPaddedBorder;
    case SM_CYCAPTION: return kCaption;
    default: return 0;
    }
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    std::shared_ptr<Window> w = FindOrFail(hwnd);
    if (!w)
        return FALSE;
    if (!(flags & SWP_NOMOVE)) {
        const LONG width = w->outer.right - w->outer.left, height = w->outer.bottom - w->outer.top;
        w->outer = RECT{x, y, x + width, y + height};
    }
    if (!(flags & SWP_NOSIZE)) {
        w->outer.right = w->outer.left + std::max(0, cx);
        w->outer.bottom = w->outer.top + std::max(0, cy);
    }
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST)
            w->topmost = true;
        else if (insertAfter == HWND_NOTOPMOST)
            w->topmost = false;
    }
    SyncPlace(*w);
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    else if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int command)
{
    std::shared_ptr<Window> w = FindOrFail(hwnd);
    if (!w)
        return FALSE;
    const BOOL wasVisible = w->visible;
    const bool show = command != SW_HIDE;
    w->visible = show;
    if (show)
        w->style |= WS_VISIBLE;
    else
        w->style &= ~static_cast<DWORD>(WS_VISIBLE);
    BackendShowWindow(hwnd, show);
    // The activating commands also give the window the keyboard focus.
    if (command == SW_SHOWNORMAL || command == SW_SHOW || command == SW_SHOWMAXIMIZED || command == SW_RESTORE) {
        std::lock_guard<std::mutex> guard(Reg().lock);
        Reg().focus = hwnd;
    }
    return wasVisible;
}

HWND SetFocus(HWND hwnd)
{
    Registry& reg = Reg();
    if (hwnd && !FindOrFail(hwnd))
        return nullptr;
    HWND previous;
    {
        std::lock_guard<std::mutex> guard(reg.lock);
        previous = reg.focus;
        reg.focus = hwnd;
    }
    if (hwnd)
        BackendFocusWindow(hwnd);
    return previous;
}

HWND GetFocus()
{
    std::lock_guard<std::mutex> guard(Reg().lock);
    return Reg().focus;
}

LONG GetWindowLongA(HWND hwnd, int index)
{
    return static_cast<LONG>(GetWindowLongPtrA(hwnd, index));
}

LONG SetWindowLongA(HWND hwnd, int index, LONG value)
{
    return static_cast<LONG>(SetWindowLongPtrA(hwnd, index, value));
}

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index)
{
    std::shared_ptr<Window> w = FindOrFail(hwnd);
    if (!w)
        return 0;
    switch (index) {
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWLP_USERDATA: return w->userData;
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value)
{
    std::shared_ptr<Window> w = FindOrFail(hwnd);
    if (!w)
        return 0;
    LONG_PTR previous = 0;
    switch (index) {
    case GWL_STYLE: {
        previous = static_cast<LONG>(w->style);
        // The outer rectangle stays; the client area follows the new frame.
        w->style = static_cast<DWORD>(value);
        const bool visible = (w->style & WS_VISIBLE) != 0;
        SyncPlace(*w);
        if (visible != w->visible) {
            w->visible = visible;
            BackendShowWindow(hwnd, visible);
        }
        break;
    }
    case GWL_EXSTYLE:
        previous = static_cast<LONG>(w->exStyle);
        w->exStyle = static_cast<DWORD>(value);
        break;
    case GWLP_USERDATA:
        previous = w->userData;
        w->userData = value;
        break;
    case GWLP_WNDPROC:
        previous = reinterpret_cast<LONG_PTR>(w->proc);
        if (value)
            w->proc = reinterpret_cast<WNDPROC>(value);
        break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
    }
    SetLastError(ERROR_SUCCESS);
    return previous;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text)
{
    std::shared_ptr<Window> w = FindOrFail(hwnd);
    if (!w)
        return FALSE;
    w->title = text ? text : "";
    BackendSetWindowTitle(hwnd, w->title.c_str());
    return TRUE;
}

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    auto region = std::make_unique<Region>();
    region->rect = RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    Registry& reg = Reg();
    std::lock_guard<std::mutex> guard(reg.lock);
    HRGN handle = static_cast<HRGN>(NewObjectHandle());
    reg.regions[reinterpret_cast<uintptr_t>(handle)] = std::move(region);
    return handle;
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL)
{
    std::shared_ptr<Window> w = FindOrFail(hwnd);
    if (!w)
        return 0;
    Registry& reg = Reg();
    std::lock_guard<std::mutex> guard(reg.lock);
    if (region && !reg.regions.count(reinterpret_cast<uintptr_t>(region))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // The window owns its region: the one it had is freed. Clipping the SDL window to the region is
    // not done; the game only ever gives the whole window.
    if (w->region && w->region != region)
        reg.regions.erase(reinterpret_cast<uintptr_t>(w->region));
    w->region = region;
    return 1;
}

BOOL DeleteObject(HGDIOBJ object)
{
    if (object == kBlackBrush)
        return TRUE;
    Registry& reg = Reg();
    std::lock_guard<std::mutex> guard(reg.lock);
    const uintptr_t key = reinterpret_cast<uintptr_t>(object);
    if (!reg.regions.count(key))
        return FALSE;
    // A region selected into a window is the window's; deleting it there is refused.
    for (const auto& entry : reg.windows) {
        if (entry.second->region == object)
            return FALSE;
    }
    reg.regions.erase(key);
    return TRUE;
}

HGDIOBJ GetStockObject(int index)
{
    return index == BLACK_BRUSH ? kBlackBrush : nullptr;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name)
{
    // The executable's icon stands for both resource ids the game asks for; without an instance
    // the stock application icon is the same picture.
    const uintptr_t id = reinterpret_cast<uintptr_t>(name);
    if (IS_INTRESOURCE(name) && (id == 32512 || (instance == kModule && id == 101)))
        return ApplicationIcon();
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

BOOL DestroyIcon(HICON icon)
{
    Registry& reg = Reg();
    std::lock_guard<std::mutex> guard(reg.lock);
    auto it = reg.icons.find(reinterpret_cast<uintptr_t>(icon));
    if (it == reg.icons.end())
        return FALSE;
    if (!it->second->shared)
        reg.icons.erase(it);
    return TRUE;
}

const uint32_t* IconPixels(HICON icon, int* width, int* height)
{
    Registry& reg = Reg();
    std::lock_guard<std::mutex> guard(reg.lock);
    auto it = reg.icons.find(reinterpret_cast<uintptr_t>(icon));
    if (it == reg.icons.end())
        return nullptr;
    if (width)
        *width = it->second->width;
    if (height)
        *height = it->second->height;
    return it->second->pixels.data();
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (instance == nullptr && name == IDC_ARROW)
        return kArrowCursor;
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR previous;
    {
        std::lock_guard<std::mutex> guard(Reg().lock);
        previous = Reg().cursor;
        Reg().cursor = cursor;
    }
    BackendShowCursor(cursor != nullptr);
    return previous;
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!hwnd)
        return MessagePostToQueue(MessageQueueOfCurrentThread(), nullptr, message, wParam, lParam);
    std::shared_ptr<Window> w = FindOrFail(hwnd);
    if (!w)
        return FALSE;
    return MessagePostToQueue(w->queue, hwnd, message, wParam, lParam);
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<Window> w = FindOrFail(hwnd);
    if (!w || !w->proc)
        return 0;
    return w->proc(hwnd, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SETICON: {
        std::shared_ptr<Window> w = FindOrFail(hwnd);
        if (!w)
            return 0;
        HICON icon = reinterpret_cast<HICON>(lParam);
        HICON& slot = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
        HICON previous = slot;
        slot = icon;
        if (wParam == ICON_BIG) {
            int width = 0, height = 0;
            if (const uint32_t* pixels = IconPixels(icon, &width, &height))
                BackendSetWindowIcon(hwnd, pixels, width, height);
        }
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_GETICON: {
        std::shared_ptr<Window> w = FindOrFail(hwnd);
        if (!w)
            return 0;
        return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? w->iconBig : w->iconSmall);
    }
    case WM_SETCURSOR: {
        std::shared_ptr<Window> w = FindOrFail(hwnd);
        if (!w || LOWORD(lParam) != HTCLIENT)
            return FALSE;
        SetCursor(w->classCursor);
        return TRUE;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return 0;
    default: return 0;
    }
}

bool WindowClientMovedBySystem(HWND hwnd, int x, int y, int width, int height)
{
    std::shared_ptr<Window> w = Find(hwnd);
    if (!w)
        return false;
    const RECT c = ClientOf(*w);
    if (c.left == x && c.top == y && c.right - c.left == width && c.bottom - c.top == height)
        return false;
    const RECT in = FrameInsets(w->style);
    w->outer = RECT{x - in.left, y - in.top, x + width + in.right, y + height + in.bottom};
    return true;
}

void WindowEnumerate(void (*visit)(HWND, void*), void* context)
{
    std::vector<HWND> handles;
    {
        std::lock_guard<std::mutex> guard(Reg().lock);
        for (const auto& entry : Reg().windows)
            handles.push_back(entry.second->hwnd);
    }
    for (HWND hwnd : handles)
        visit(hwnd, context);
}
