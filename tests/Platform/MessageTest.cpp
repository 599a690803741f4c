#include "Platform/Backend/Video.h"
#include "Platform/Win32/Windows.h"

#include <SDL.h>
#include <csignal>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> g_Seen;
LRESULT g_ScreensaverAnswer = 0;

LRESULT CALLBACK TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE || message == WM_CREATE || message == WM_NCDESTROY)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    g_Seen.push_back({message, wParam, lParam});
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_SCREENSAVE)
        return g_ScreensaverAnswer;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class MessageTest : public testing::Test {
  protected:
    void SetUp() override
    {
        g_Seen.clear();
        g_ScreensaverAnswer = 0;
        ASSERT_TRUE(BackendInitVideo()) << BackendVideoError();
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = TestProc;
        wc.lpszClassName = "QmMessageTest";
        RegisterClassExA(&wc);
    }
    void TearDown() override
    {
        if (m_hwnd)
            DestroyWindow(m_hwnd);
        Drain();
        BackendShutdownVideo();
    }

    HWND Create(DWORD style = 0x12CE0000)
    {
        m_hwnd = CreateWindowExA(0, "QmMessageTest", "", style, 0, 0, 320, 200, nullptr, nullptr, nullptr, nullptr);
        return m_hwnd;
    }

    // Dispatches everything queued; returns the messages taken, WM_QUIT included.
    std::vector<UINT> Drain()
    {
        std::vector<UINT> taken;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            taken.push_back(msg.message);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return taken;
    }

    // Dispatched messages other than the one-time screensaver question.
    std::vector<Seen> SeenWithoutScreensaver() const
    {
        std::vector<Seen> out;
        for (const Seen& s : g_Seen)
            if (s.message != WM_SYSCOMMAND)
                out.push_back(s);
        return out;
    }

    Uint32 SdlId() const { return SDL_GetWindowID(BackendGetSDLWindow(m_hwnd)); }

    HWND m_hwnd = nullptr;
};

} // namespace

TEST_F(MessageTest, QuitComesAfterThePostedMessagesAndOnlyOnce)
{
    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    Drain();
    PostMessageA(hwnd, WM_USER + 1, 0, 0);
    PostQuitMessage(3);
    PostMessageA(hwnd, WM_USER + 2, 0, 0);
    PostMessageA(nullptr, WM_USER + 3, 0, 0); // a thread message: no window to dispatch to

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, hwnd, WM_USER + 2, WM_USER + 2, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    g_Seen.clear();
    EXPECT_EQ(Drain(), (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_QUIT}));
    EXPECT_EQ(SeenWithoutScreensaver(), (std::vector<Seen>{{WM_USER + 1, 0, 0}, {WM_USER + 2, 0, 0}}));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, QuitCarriesItsExitCode)
{
    PostQuitMessage(7);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(msg.hwnd, nullptr);
}

TEST_F(MessageTest, DestroyingAWindowDropsItsPostedMessages)
{
    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    Drain();
    PostMessageA(hwnd, WM_USER, 0, 0);
    DestroyWindow(hwnd);
    m_hwnd = nullptr;
    EXPECT_TRUE(Drain().empty());
    EXPECT_FALSE(PostMessageA(hwnd, WM_USER, 0, 0));
}

TEST_F(MessageTest, SdlEventsBecomeWindowMessages)
{
    ASSERT_NE(Create(), nullptr);
    Drain();
    const LPARAM altEnter = 1 | (0x1C << 16) | (1 << 29);
    struct Case {
        const char* name;
        SDL_Event event;
        std::vector<Seen> expected;
    };
    auto windowEvent = [&](Uint8 kind) {
        SDL_Event e = {};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = SdlId();
        e.window.event = kind;
        return e;
    };
    auto key = [&](SDL_Scancode code, Uint16 mod, Uint8 repeat) {
        SDL_Event e = {};
        e.type = SDL_KEYDOWN;
        e.key.windowID = SdlId();
        e.key.state = SDL_PRESSED;
        e.key.repeat = repeat;
        e.key.keysym.scancode = code;
        e.key.keysym.mod = mod;
        return e;
    };
    const Case cases[] = {
        {"focus gained",
         windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED),
         {{WM_ACTIVATEAPP, 1, 0}, {WM_ACTIVATE, WA_ACTIVE, 0}}},
        {"focus lost",
         windowEvent(SDL_WINDOWEVENT_FOCUS_LOST),
         {{WM_ACTIVATE, WA_INACTIVE, 0}, {WM_ACTIVATEAPP, 0, 0}}},
        {"alt+enter",
         key(SDL_SCANCODE_RETURN, KMOD_LALT, 0),
         {{WM_SYSKEYDOWN, VK_RETURN, altEnter}, {WM_SYSCHAR, VK_RETURN, altEnter}}},
        {"alt+enter held",
         key(SDL_SCANCODE_RETURN, KMOD_RALT, 1),
         {{WM_SYSKEYDOWN, VK_RETURN, altEnter | (1 << 30)}, {WM_SYSCHAR, VK_RETURN, altEnter | (1 << 30)}}},
        {"keypad enter",
         key(SDL_SCANCODE_KP_ENTER, KMOD_LALT, 0),
         {{WM_SYSKEYDOWN, VK_RETURN, altEnter | (1 << 24)}, {WM_SYSCHAR, VK_RETURN, altEnter | (1 << 24)}}},
        {"enter without alt", key(SDL_SCANCODE_RETURN, KMOD_NONE, 0), {}},
        {"alt+a", key(SDL_SCANCODE_A, KMOD_LALT, 0), {}},
        {"other window",
         [&] {
             SDL_Event e = windowEvent(SDL_WINDOWEVENT_CLOSE);
             e.window.windowID += 100;
             return e;
         }(),
         {}},
    };
    for (const Case& c : cases) {
        g_Seen.clear();
        SDL_Event e = c.event;
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
        Drain();
        EXPECT_EQ(SeenWithoutScreensaver(), c.expected) << c.name;
    }
}

TEST_F(MessageTest, ClosingTheSdlWindowEndsInDestroy)
{
    ASSERT_NE(Create(), nullptr);
    Drain();
    g_Seen.clear();
    SDL_Event e = {};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SdlId();
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
    Drain();
    EXPECT_EQ(SeenWithoutScreensaver(), (std::vector<Seen>{{WM_CLOSE, 0, 0}, {WM_DESTROY, 0, 0}}));
    EXPECT_FALSE(IsWindow(m_hwnd));
    m_hwnd = nullptr;
}

TEST_F(MessageTest, TerminalSignalsCloseTheWindow)
{
    for (int signal : {SIGINT, SIGTERM}) {
        ASSERT_NE(Create(), nullptr);
        Drain();
        g_Seen.clear();
        std::raise(signal);
        Drain();
        EXPECT_EQ(SeenWithoutScreensaver(), (std::vector<Seen>{{WM_CLOSE, 0, 0}, {WM_DESTROY, 0, 0}})) << signal;
        EXPECT_FALSE(IsWindow(m_hwnd));
        m_hwnd = nullptr;
    }
    // With no window left, a signal ends the loop directly.
    std::raise(SIGINT);
    EXPECT_EQ(Drain(), std::vector<UINT>{WM_QUIT});
}

TEST_F(MessageTest, ScreensaverFollowsTheWindowsAnswerOnce)
{
    for (LRESULT answer : {1, 0}) {
        g_ScreensaverAnswer = answer;
        ASSERT_NE(Create(), nullptr);
        g_Seen.clear();
        Drain();
        Drain();
        ASSERT_EQ(g_Seen.size(), 1u);
        EXPECT_EQ(g_Seen[0], (Seen{WM_SYSCOMMAND, SC_SCREENSAVE, 0}));
        EXPECT_EQ(SDL_IsScreenSaverEnabled() == SDL_TRUE, answer == 0);
        DestroyWindow(m_hwnd);
        m_hwnd = nullptr;
        BackendShutdownVideo(); // the question is asked once per start of video
        ASSERT_TRUE(BackendInitVideo());
    }
}

TEST_F(MessageTest, HiddenWindowIsNotAskedAboutTheScreensaver)
{
    ASSERT_NE(Create(0x02CE0000), nullptr);
    g_Seen.clear();
    Drain();
    EXPECT_TRUE(g_Seen.empty());
    ShowWindow(m_hwnd, SW_SHOWNORMAL);
    Drain();
    EXPECT_EQ(g_Seen, (std::vector<Seen>{{WM_SYSCOMMAND, SC_SCREENSAVE, 0}}));
}

TEST_F(MessageTest, ObserversSeeEveryEventUntilRemoved)
{
    std::vector<Uint32> types;
    const int id = BackendAddEventObserver([&](const SDL_Event& e) { types.push_back(e.type); });
    SDL_Event e = {};
    e.type = SDL_USEREVENT;
    SDL_PushEvent(&e);
    Drain();
    BackendRemoveEventObserver(id);
    SDL_PushEvent(&e);
    Drain();
    EXPECT_EQ(std::count(types.begin(), types.end(), static_cast<Uint32>(SDL_USEREVENT)), 1);
}

TEST_F(MessageTest, ShutdownHooksRunNewestFirstBeforeTheWindowsGo)
{
    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    SDL_Window* window = BackendGetSDLWindow(hwnd);
    std::vector<int> order;
    bool windowAlive = false;
    BackendAddShutdownHook([&] { order.push_back(1); });
    BackendAddShutdownHook([&] {
        order.push_back(2);
        windowAlive = BackendGetSDLWindow(hwnd) == window;
    });
    const int removed = BackendAddShutdownHook([&] { order.push_back(3); });
    BackendRemoveShutdownHook(removed);
    DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
    BackendShutdownVideo();
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
    EXPECT_TRUE(windowAlive);
    EXPECT_FALSE(BackendIsVideoReady());
}

TEST_F(MessageTest, MovesAndResizesByTheSystemEndInOneExitSizeMove)
{
    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    Drain();
    SDL_Window* window = BackendGetSDLWindow(hwnd);
    struct Case {
        const char* name;
        int x, y, width, height; // where the system put the client area
        RECT outer;              // the window rectangle that follows
        size_t exitSizeMoves;
    } cases[] = {
        {"moved", 200, 131, 304, 161, {192, 100, 512, 300}, 1},
        {"resized", 200, 131, 500, 400, {192, 100, 708, 539}, 1},
        {"reported where it already is", 200, 131, 500, 400, {192, 100, 708, 539}, 0},
    };
    for (const Case& c : cases) {
        SDL_SetWindowPosition(window, c.x, c.y);
        SDL_SetWindowSize(window, c.width, c.height);
        for (Uint8 kind : {SDL_WINDOWEVENT_MOVED, SDL_WINDOWEVENT_SIZE_CHANGED, SDL_WINDOWEVENT_MOVED}) {
            SDL_Event e = {};
            e.type = SDL_WINDOWEVENT;
            e.window.windowID = SdlId();
            e.window.event = kind;
            SDL_PushEvent(&e);
        }
        g_Seen.clear();
        Drain();
        EXPECT_EQ(SeenWithoutScreensaver().size(), c.exitSizeMoves) << c.name;
        if (c.exitSizeMoves) {
            EXPECT_EQ(SeenWithoutScreensaver()[0], (Seen{WM_EXITSIZEMOVE, 0, 0})) << c.name;
        }
        RECT outer;
        GetWindowRect(hwnd, &outer);
        EXPECT_EQ(outer.left, c.outer.left) << c.name;
        EXPECT_EQ(outer.top, c.outer.top) << c.name;
        EXPECT_EQ(outer.right, c.outer.right) << c.name;
        EXPECT_EQ(outer.bottom, c.outer.bottom) << c.name;
    }
}

TEST_F(MessageTest, MouseOverTheWindowAsksForTheCursorOncePerPump)
{
    HWND hwnd = Create();
    ASSERT_NE(hwnd, nullptr);
    Drain();
    g_Seen.clear();
    for (int i = 0; i < 3; ++i) {
        SDL_Event e = {};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = SdlId();
        e.motion.x = i;
        SDL_PushEvent(&e);
    }
    Drain();
    const LPARAM lParam = HTCLIENT | (WM_MOUSEMOVE << 16);
    EXPECT_EQ(SeenWithoutScreensaver(), (std::vector<Seen>{{WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), lParam}}));
}
