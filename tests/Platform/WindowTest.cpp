#include "Platform/Backend/Video.h"
#include "Platform/Win32/Windows.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<UINT> g_Seen;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_Seen.push_back(message);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

const char* RegisterTestClass()
{
    static const char* const kName = "QmTestWindow";
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kName;
    RegisterClassExA(&wc); // a second registration fails harmlessly
    return kName;
}

class WindowTest : public testing::Test {
  protected:
    void SetUp() override
    {
        g_Seen.clear();
        ASSERT_TRUE(BackendInitVideo()) << BackendVideoError();
    }
    void TearDown() override { BackendShutdownVideo(); }
};

} // namespace

TEST(WindowGeometry, AdjustWindowRectAddsTheFrameOfTheStyle)
{
    struct Case {
        DWORD style;
        RECT expected;
    } cases[] = {
        {0x12CE0000, {-8, -31, 968, 548}}, // windowed game style: sizing frame and caption
        {0x92000000, {0, 0, 960, 540}},    // popup: no frame
        {WS_POPUP | WS_BORDER, {-1, -1, 961, 541}},
        {WS_POPUP | WS_DLGFRAME, {-3, -3, 963, 543}},
        {WS_CAPTION | WS_SYSMENU, {-3, -26, 963, 543}},
    };
    for (const Case& c : cases) {
        RECT r = {0, 0, 960, 540};
        ASSERT_TRUE(AdjustWindowRect(&r, c.style, FALSE));
        EXPECT_EQ(r.left, c.expected.left) << std::hex << c.style;
        EXPECT_EQ(r.top, c.expected.top) << std::hex << c.style;
        EXPECT_EQ(r.right, c.expected.right) << std::hex << c.style;
        EXPECT_EQ(r.bottom, c.expected.bottom) << std::hex << c.style;
    }
    RECT r = {0, 0, 10, 10};
    EXPECT_FALSE(AdjustWindowRect(&r, 0x12CE0000, TRUE)); // no window here has a menu bar
}

TEST_F(WindowTest, ClassRegistrationIsCaseInsensitiveAndUnique)
{
    const char* name = RegisterTestClass();
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "qmtestwindow";
    EXPECT_EQ(RegisterClassExA(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    wc.cbSize = 48; // a structure of another size is refused
    wc.lpszClassName = "Other";
    EXPECT_EQ(RegisterClassExA(&wc), 0);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "x", 0x12CE0000, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    (void)name;
}

TEST_F(WindowTest, WindowedClientAreaIsTheSdlWindow)
{
    HWND hwnd = CreateWindowExA(0, RegisterTestClass(), "Title", 0x12CE0000, 100, 50, 976, 571, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(hwnd, nullptr);
    RECT client, outer;
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    ASSERT_TRUE(GetWindowRect(hwnd, &outer));
    EXPECT_EQ(client.right, 960);
    EXPECT_EQ(client.bottom, 532);
    EXPECT_EQ(outer.left, 100);
    EXPECT_EQ(outer.top, 50);

    SDL_Window* window = BackendGetSDLWindow(hwnd);
    ASSERT_NE(window, nullptr);
    int x, y, w, h;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(x, 108);
    EXPECT_EQ(y, 81);
    EXPECT_EQ(w, 960);
    EXPECT_EQ(h, 532);
    EXPECT_STREQ(SDL_GetWindowTitle(window), "Title");
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL);

    // Becoming a popup keeps the outer rectangle: the client area grows to it. (The offscreen driver
    // does not keep the border and topmost flags, so only the placement is checked there.)
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(0x92000000));
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 976);
    EXPECT_EQ(client.bottom, 571);
    SDL_GetWindowPosition(window, &x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), 0x92000000u);

    ASSERT_TRUE(SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 1024, 768, SWP_NOACTIVATE));
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, UserDataHoldsAWholePointer)
{
    HWND hwnd =
        CreateWindowExA(0, RegisterTestClass(), "", 0x92000000, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    int object = 0;
    const LONG_PTR pointer = reinterpret_cast<LONG_PTR>(&object);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWLP_USERDATA, pointer), 0);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), pointer);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0), pointer);
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, DestroyIsSafeTwiceAndKeepsTheSdlWindowHidden)
{
    HWND hwnd =
        CreateWindowExA(0, RegisterTestClass(), "", 0x12CE0000, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(g_Seen, (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
    SDL_Window* window = BackendGetSDLWindow(hwnd);

    g_Seen.clear();
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(g_Seen, (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(BackendGetSDLWindow(hwnd), window); // a GL context on it stays usable until shutdown
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN);

    g_Seen.clear();
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 0);
    EXPECT_TRUE(g_Seen.empty());

    // A new window never gets the old handle.
    HWND next =
        CreateWindowExA(0, RegisterTestClass(), "", 0x12CE0000, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(next, hwnd);
    DestroyWindow(next);
}

TEST_F(WindowTest, CloseByDefaultDestroysTheWindow)
{
    HWND hwnd =
        CreateWindowExA(0, RegisterTestClass(), "", 0x12CE0000, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    g_Seen.clear();
    EXPECT_EQ(SendMessageA(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(g_Seen, (std::vector<UINT>{WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowTest, ShowFocusIconsAndRegions)
{
    HWND hwnd =
        CreateWindowExA(0, RegisterTestClass(), "", 0x02CE0000, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    SDL_Window* window = BackendGetSDLWindow(hwnd);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN);
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN);
    // Showing it normally activated it, so it already has the focus.
    EXPECT_EQ(SetFocus(hwnd), hwnd);
    EXPECT_EQ(GetFocus(), hwnd);

    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(7)), nullptr);
    int w = 0, h = 0;
    EXPECT_NE(IconPixels(icon, &w, &h), nullptr);
    EXPECT_EQ(w, 32);
    EXPECT_EQ(SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon)), 0);
    EXPECT_EQ(SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon)),
              reinterpret_cast<LRESULT>(icon));
    EXPECT_EQ(SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(icon));
    EXPECT_EQ(SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0), 0);

    HRGN first = CreateRectRgn(0, 0, 10, 10);
    HRGN second = CreateRectRgn(0, 0, 20, 20);
    EXPECT_TRUE(SetWindowRgn(hwnd, first, FALSE));
    EXPECT_FALSE(DeleteObject(first)); // the window owns it now
    EXPECT_TRUE(SetWindowRgn(hwnd, second, FALSE));
    EXPECT_FALSE(DeleteObject(first)); // freed when replaced
    DestroyWindow(hwnd);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_FALSE(DeleteObject(second)); // freed with the window
}

TEST_F(WindowTest, ScreenMetricsComeFromTheDesktop)
{
    SDL_DisplayMode mode;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &mode), 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), mode.w);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), mode.h);
}

namespace {

// Destroys its own window again while it is being destroyed, as a procedure that cleans up on
// WM_DESTROY may.
LRESULT CALLBACK DestroyingAgainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_Seen.push_back(message);
    if (message == WM_DESTROY || message == WM_NCDESTROY)
        DestroyWindow(hwnd);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

TEST_F(WindowTest, DestroyCalledFromTheDestroyMessagesHappensOnce)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DestroyingAgainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QmTestDestroyAgain";
    RegisterClassExA(&wc);
    HWND hwnd =
        CreateWindowExA(0, wc.lpszClassName, "", 0x12CE0000, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    g_Seen.clear();
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(g_Seen, (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(hwnd));
}
