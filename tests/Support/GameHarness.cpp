#include "Support/GameHarness.h"

#include "Platform/Backend/Input.h"
#include "Platform/Backend/Video.h"
#include "Platform/D3D9/D3D9.h"
#include "Platform/Win32/Windows.h"
#include "Support/GraphicsFixture.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/RenderWindow.h"
#include "System/Graphics/ScreenFader.h"
#include "System/Sound/SoundManager.h"
#include "World/GameObj.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <cstdio>
#include <sstream>
#include <thread>

namespace {

// The game's own loop runs at 60 Hz.
constexpr std::chrono::steady_clock::duration kRealFramePeriod =
    std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(1.0 / 60.0));

} // namespace

uint32_t HarnessFrame::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
}

testing::AssertionResult HarnessFrame::Probe(int x, int y, uint32_t argb, int tolerance) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return testing::AssertionFailure()
               << "(" << x << ", " << y << ") lies outside the " << width << " x " << height << " frame";
    const uint32_t actual = Pixel(x, y);
    // The back buffer is X8R8G8B8: its alpha byte says nothing.
    if (NearColor(actual | 0xFF000000u, argb | 0xFF000000u, tolerance))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << HexColor(actual) << ", not "
                                       << HexColor(argb) << " within " << tolerance;
}

double HarnessFrame::Share(int x, int y, int w, int h, uint32_t argb, int tolerance) const
{
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + w, width), y1 = std::min(y + h, height);
    if (x1 <= x0 || y1 <= y0)
        return 0.0;
    size_t hits = 0;
    for (int row = y0; row < y1; ++row)
        for (int col = x0; col < x1; ++col)
            hits += NearColor(Pixel(col, row) | 0xFF000000u, argb | 0xFF000000u, tolerance) ? 1 : 0;
    return static_cast<double>(hits) / (static_cast<double>(x1 - x0) * (y1 - y0));
}

bool HarnessFrame::WritePpm(const std::string& path) const
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = Pixel(x, y);
            row[static_cast<size_t>(x) * 3 + 0] = static_cast<unsigned char>(c >> 16);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<unsigned char>(c >> 8);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<unsigned char>(c);
        }
        std::fwrite(row.data(), 1, row.size(), file);
    }
    return std::fclose(file) == 0;
}

namespace {

// The backend's focus outlives a window: each game starts in the background, whatever focus an
// earlier game in this process gave.
void LoseFocus()
{
    SDL_Event blur{};
    blur.type = SDL_WINDOWEVENT;
    blur.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    BackendInputHandleEvent(blur);
}

// The keyboard and the focus are the harness's alone. On a real display the window system sends
// its own: the windows of tests sharing one X server take the focus from one another, and a lost
// focus lets go of every key a test holds. Those never reach the game; what the harness pushes
// (while this is set) does.
bool g_bHarnessPushing = false;

int HarnessEventsOnly(void*, SDL_Event* event)
{
    if (g_bHarnessPushing)
        return 1;
    switch (event->type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
    case SDL_TEXTEDITING: return 0;
    case SDL_WINDOWEVENT:
        return event->window.event == SDL_WINDOWEVENT_FOCUS_GAINED ||
                       event->window.event == SDL_WINDOWEVENT_FOCUS_LOST ||
                       event->window.event == SDL_WINDOWEVENT_TAKE_FOCUS
                   ? 0
                   : 1;
    default: return 1;
    }
}

} // namespace

GameHarness::GameHarness() { LoseFocus(); }

GameHarness::~GameHarness() { Teardown(); }

void GameHarness::Teardown()
{
    if (m_bRunning)
        Shutdown();
    // The application registers itself globally; nothing may reach it once it is gone.
    if (g_pApplication == m_pApp.get())
        g_pApplication = nullptr;
    m_pApp.reset();
    m_pCwd.reset();
    BackendShutdownVideo();
    SDL_SetEventFilter(nullptr, nullptr);
}

bool GameHarness::Restart(uint32_t seed, bool focused)
{
    Teardown();
    // Nothing of the last run reaches the new one: no queued key, no jump still watched.
    m_Queued.clear();
    m_JumpedTo.clear();
    LoseFocus();
    return Start(seed, focused);
}

bool GameHarness::Start(uint32_t seed, bool focused)
{
    if (m_pApp) {
        ADD_FAILURE() << "the game was started before";
        return false;
    }
    m_pCwd = std::make_unique<ScopedCwd>(m_Folder.BinFolder());
    // Before start-up: setting a filter empties SDL's queue, which must not lose the game's own
    // window events.
    SDL_SetEventFilter(HarnessEventsOnly, nullptr);
    m_pApp = std::make_unique<MainApp>();
    m_bRunning = true; // a failed start-up still has services to shut down
    if (!m_pApp->Startup())
        return false;
    delete m_pApp->m_pFramePacer;
    m_pApp->m_pFramePacer = new FramePacer(60, &m_Clock);
    SfmtInit(seed);
    if (focused)
        Focus(true);
    return true;
}

void GameHarness::Shutdown()
{
    if (!m_bRunning)
        return;
    m_bRunning = false;
    m_pApp->Shutdown();
}

void GameHarness::KeyDown(SDL_Scancode scancode)
{
    m_Queued.push_back({SDL_KEYDOWN, scancode});
}

void GameHarness::KeyUp(SDL_Scancode scancode)
{
    m_Queued.push_back({SDL_KEYUP, scancode});
}

void GameHarness::Focus(bool gained)
{
    m_Queued.push_back({SDL_WINDOWEVENT, gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST});
}

void GameHarness::Tick()
{
    ASSERT_TRUE(m_bRunning) << "the game is not running";
    const uint32_t window =
        m_pApp->m_pWindow ? SDL_GetWindowID(BackendGetSDLWindow(m_pApp->m_pWindow->GetHandle())) : 0;
    for (const QueuedEvent& queued : m_Queued) {
        SDL_Event e{};
        e.type = queued.type;
        if (queued.type == SDL_WINDOWEVENT) {
            e.window.event = static_cast<uint8_t>(queued.detail);
            e.window.windowID = window;
        } else {
            const bool down = queued.type == SDL_KEYDOWN;
            const auto scancode = static_cast<SDL_Scancode>(queued.detail);
            e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
            e.key.windowID = window;
            e.key.keysym.scancode = scancode;
            e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
        }
        g_bHarnessPushing = true;
        const int pushed = SDL_PushEvent(&e);
        g_bHarnessPushing = false;
        ASSERT_EQ(pushed, 1) << SDL_GetError();
    }
    m_Queued.clear();
    if (m_bPaceFrames) {
        std::this_thread::sleep_until(m_NextFrameStart);
        m_NextFrameStart = std::max(m_NextFrameStart + kRealFramePeriod, std::chrono::steady_clock::now());
    }
    if (m_bRecordFrameTimes)
        m_FrameTimes.BeginFrame();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            ++m_nQuits;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    m_Clock.Advance(m_nStepMilliseconds);
    m_pApp->Tick();
    if (m_bRecordFrameTimes) {
        // The driver draws behind the caller's back: the frame ends when its picture is done,
        // or its drawing would be billed to whichever later frame waits for the driver.
        if (g_pD3D9RenderSystem && g_pD3D9RenderSystem->GetDevice())
            glFinish();
        // Both sides references: no string is copied inside the timed frames.
        static const std::string kNoStage;
        const GameObj* root = Root();
        m_FrameTimes.EndFrame(root ? root->GetPrototypeName() : kNoStage);
    }
    ++m_nTicks;
    SkipEntryFade();
}

void GameHarness::SkipEntryFade()
{
    if (m_JumpedTo.empty())
        return;
    const GameObj* root = Root();
    if (!root || root->GetPrototypeName() != m_JumpedTo)
        return;
    // A stage fades in from black as it starts; the fade may begin in a later frame than the
    // build, so a few frames are watched.
    if (g_pScreenFader && g_pScreenFader->m_nMode == eScreenFade_FadeIn) {
        g_pScreenFader->m_nMode = eScreenFade_Idle;
        m_JumpedTo.clear();
    } else if (++m_nFramesOnJumpedStage > kEntryFadeFrames) {
        m_JumpedTo.clear();
    }
}

void GameHarness::Ticks(int count)
{
    for (int i = 0; i < count; ++i)
        Tick();
}

testing::AssertionResult GameHarness::TickUntil(const std::function<bool()>& condition, const std::string& description,
                                                int frameLimit)
{
    for (int spent = 0;; ++spent) {
        if (condition())
            return testing::AssertionSuccess();
        if (spent >= frameLimit)
            return testing::AssertionFailure() << "\"" << description << "\" still false after " << spent << " ticks";
        Tick();
        if (testing::Test::HasFatalFailure())
            return testing::AssertionFailure() << "a tick failed while waiting for \"" << description << "\"";
    }
}

HarnessFrame GameHarness::ReadFrame() const
{
    HarnessFrame frame;
    IDirect3DDevice9* device = g_pD3D9RenderSystem ? g_pD3D9RenderSystem->GetDevice() : nullptr;
    if (!device) {
        ADD_FAILURE() << "no render device to read the back buffer from";
        return frame;
    }
    frame.pixels = ReadBackBuffer(device, &frame.width);
    frame.height = frame.width ? static_cast<int>(frame.pixels.size() / static_cast<size_t>(frame.width)) : 0;
    return frame;
}

bool GameHarness::MakeQuestCurrent(const std::string& questName)
{
    if (!g_pQuestTable) {
        ADD_FAILURE() << "no quest table";
        return false;
    }
    QuestRecord* quest = g_pQuestTable->Find(HashName(questName));
    if (!quest) {
        ADD_FAILURE() << "no quest " << questName;
        return false;
    }
    g_pQuestTable->m_pCurrentQuest = quest;
    return true;
}

bool GameHarness::EnterQuestStage(const std::string& questName, const std::string& stageName, bool keepEntryFade)
{
    if (!MakeQuestCurrent(questName) || !RequestStage(stageName, keepEntryFade))
        return false;
    Tick();
    return true;
}

bool GameHarness::RequestStage(const std::string& stageName, bool keepEntryFade)
{
    if (!g_pSceneManager) {
        ADD_FAILURE() << "no scene manager";
        return false;
    }
    // A jump away from the title skips its leave, which would have cleared its fade-in and
    // stopped its music: done here, so that the stage jumped to is seen and heard as itself.
    const GameObj* root = g_pSceneManager->GetRoot();
    if (root && root->GetPrototypeName() == "stage_TitleScene") {
        if (g_pScreenFader)
            g_pScreenFader->m_nMode = eScreenFade_Idle;
        if (g_pSoundManager)
            g_pSoundManager->FadeOutBgm(0.0f);
    }
    g_pSceneManager->RequestStage(stageName);
    m_JumpedTo = keepEntryFade ? std::string() : stageName;
    m_nFramesOnJumpedStage = 0;
    return true;
}

GameObj* GameHarness::Root() const
{
    return g_pSceneManager ? g_pSceneManager->GetRoot() : nullptr;
}

std::vector<GameObj*> GameHarness::FindObjects(const std::string& prototypeName) const
{
    std::vector<GameObj*> found;
    GameObj* root = Root();
    const GameObj* end = root ? root->GetNextSkippingSubtree() : nullptr;
    for (GameObj* object = root; object && object != end; object = object->GetNext())
        if (object->GetPrototypeName() == prototypeName)
            found.push_back(object);
    return found;
}

GameObj* GameHarness::FindObject(const std::string& prototypeName) const
{
    const std::vector<GameObj*> found = FindObjects(prototypeName);
    return found.empty() ? nullptr : found.front();
}

GameObj* GameHarness::FindObjectByTag(const std::string& tag) const
{
    GameObj* root = Root();
    const GameObj* end = root ? root->GetNextSkippingSubtree() : nullptr;
    for (GameObj* object = root; object && object != end; object = object->GetNext())
        if (object->GetTag() == HashName(tag))
            return object;
    return nullptr;
}
