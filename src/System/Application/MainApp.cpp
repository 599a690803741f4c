#include "System/Application/MainApp.h"

#include "System/Application/FramePacer.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Archive/ZEVArchive.h"
#include "System/Common/AppControl.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/FrameStats.h"
#include "System/Common/GameSettings.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Common/StringUtil.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/FontSet.h"
#include "System/Graphics/RenderWindow.h"
#include "System/Graphics/ScreenFader.h"
#include "System/Graphics/SpriteBatch.h"
#include "System/Input/DI8InputSystem.h"
#include "System/Input/InputDevice.h"
#include "System/Sound/SoundManager.h"
#include "World/GameStateManager.h"
#include "World/IGameState.h"
#include "World/PlayerSaveData.h"
#include "World/WorldState.h"

#include <algorithm>
#include <clocale>
#include <cstdio>

const char* const kGameWindowTitle = "Quillmark ver1.0.3";

MainApp* g_pApplication = nullptr;

namespace {

int64_t ElapsedNanoseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency{};
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0)
        return 0;
    return static_cast<int64_t>(static_cast<double>(to.QuadPart - from.QuadPart) * 1e9 /
                                static_cast<double>(frequency.QuadPart));
}

constexpr WORD kIconResourceGame = 101;
constexpr uint32_t kFrameRate = 60;
constexpr int kPadCount = 1;
constexpr int kKeyboardDevice = 0;

} // namespace

MainApp::MainApp()
{
    g_pApplication = this;
    AppFrameClock clock;
    clock.pOwner = this;
    clock.pFrameCount = &m_nFrameCount;
    clock.pDeltaTime = &m_fDeltaTime;
    clock.pRawDeltaTime = &m_fRawDeltaTime;
    clock.pTimeScale = &m_fTimeScale;
    clock.pfnResetPacer = [](const void* owner) {
        const MainApp* app = static_cast<const MainApp*>(owner);
        if (app->m_pFramePacer)
            app->m_pFramePacer->Reset();
    };
    RegisterAppFrameClock(clock);
    AppControl control;
    control.pOwner = this;
    control.pfnSettings = [](const void* owner) { return static_cast<const MainApp*>(owner)->m_pSettings; };
    control.pfnQuit = [](const void* owner) { const_cast<MainApp*>(static_cast<const MainApp*>(owner))->Quit(); };
    RegisterAppControl(control);
}

MainApp::~MainApp()
{
    UnregisterAppFrameClock(this);
    UnregisterAppControl(this);
    if (g_pApplication == this)
        g_pApplication = nullptr;
}

bool MainApp::Startup()
{
    StartLocale();
    g_PlayerSaveData.Reset();
    StartSettings();
    StartArchives();
    if (!StartWindow())
        return false;
    if (!StartRenderSystem())
        return false;
    StartSprites();
    StartFonts();
    StartInput();
    StartSound();
    StartRandom();
    StartFramePacer();
    return StartGameState();
}

void MainApp::StartLocale()
{
    // Asks for the Japanese character types; Linux has no such locale and the call fails harmlessly,
    // since code page 932 comes from the platform layer.
    std::setlocale(LC_CTYPE, "jpn");
}

void MainApp::StartSettings()
{
    m_pSettings = new GameSettings;
    m_pSettings->Open(GAME_SETTINGS_FILE_NAME);
}

void MainApp::StartArchives()
{
    ArchiveSystem* archives = ArchiveSystem::GetInstance();
    archives->SetRoot(GetCurrentDirectoryPath() + "../");
    // Loose folders first: the first archive to supply a name keeps it, so loose files override paks.
    for (const char* folder :
         {"assets.v1/2d", "assets.v1/scripts", "assets.v1/shaders", "assets.v1/sounds", "assets.v1/movies"})
        archives->Mount(new FileSystemArchive(folder));
    // A pak that fails to open is dropped by Mount; the game goes on without it.
    for (const char* pak : {"../data/bgm.pak", "../data/movie.pak", "../data/script.pak", "../data/se.pak",
                            "../data/shader.pak", "../data/sprite.pak"})
        archives->Mount(new ZEVArchive(pak));
}

bool MainApp::StartWindow()
{
    m_pWindow = new RenderWindow;
    m_pWindow->SetIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIconResourceGame)));
    m_pWindow->Create(this, kGameWindowTitle, kGameWindowWidth, kGameWindowHeight,
                      m_pSettings && m_pSettings->m_bFullScreen);
    // Nothing can be shown or read without the window: the program stops here.
    if (!m_pWindow->GetHandle()) {
        LOG_ERROR << "The game window could not be created (error " << GetLastError() << "); the program cannot run.";
        return false;
    }
    return true;
}

bool MainApp::StartRenderSystem()
{
    if (!g_pRenderSystem)
        new D3D9RenderSystem; // registers itself in g_pRenderSystem and g_pD3D9RenderSystem
    // A frame cannot be drawn without a device: the program stops rather than run blind.
    if (!g_pRenderSystem->Init(m_pWindow)) {
        LOG_ERROR << "The render system could not start; the program cannot run.";
        return false;
    }
    return true;
}

void MainApp::StartSprites()
{
    if (!g_pSpriteBatch) {
        g_pSpriteBatch = new SpriteBatch;
        // Without its shaders the batch draws nothing; the reason is in the log and the game runs on.
        if (!g_pSpriteBatch->Initialize())
            LOG_ERROR << "The sprite batch could not start; sprites will not be drawn.";
    }
    if (!g_pScreenFader)
        g_pScreenFader = new ScreenFader;
}

void MainApp::StartFonts()
{
    if (g_pFontSet)
        return;
    g_pFontSet = new FontSet;
    for (const char* name : kFontNames)
        if (BitmapFont* font = g_pFontSet->CreateFont(HashName(name), kFontFolder))
            font->SetDepth(kFontDepth);
}

void MainApp::StartInput()
{
    if (!g_pInputSystem)
        g_pInputSystem = new DI8InputSystem();
    g_pInputSystem->m_nKeyRepeatDelay = 20;
    g_pInputSystem->m_nKeyRepeatInterval = 6;
    g_pInputSystem->Init(m_pWindow->GetHandle(), kPadCount, GetEventManager());
    // Pad 0 always exists, even when DirectInput could not start.
    if (VirtualPad* pad = g_pInputSystem->GetPad(0); pad && m_pSettings)
        pad->BindFromSettings(*m_pSettings);
}

void MainApp::StartRandom()
{
    SfmtInit(timeGetTime());
}

void MainApp::StartSound()
{
    // XAudio2, or the silent device when it cannot start; the volumes are percentages.
    StartSoundManager(m_pSettings ? m_pSettings->m_nBGMVolume : 0, m_pSettings ? m_pSettings->m_nSEVolume : 0);
}

void MainApp::StartFramePacer()
{
    m_pFramePacer = new FramePacer(kFrameRate);
}

bool MainApp::StartGameState()
{
    m_pGameStateManager = new GameStateManager(g_pRenderSystem);
    IGameState* world = new WorldState;
    m_pGameStateManager->SetCurrent(world);
    return world->Enter();
}

void MainApp::Shutdown()
{
    StopGameState();
    StopFramePacer();
    StopSound();
    StopInput();
    StopFonts();
    StopSprites();
    StopRenderSystem();
    StopWindow();
    StopArchives();
    StopSettings();
}

void MainApp::StopGameState()
{
    GameStateManager::Destroy(m_pGameStateManager);
    m_pGameStateManager = nullptr;
}

void MainApp::StopFramePacer()
{
    delete m_pFramePacer;
    m_pFramePacer = nullptr;
}

void MainApp::StopSound()
{
    StopSoundManager();
}

void MainApp::StopInput()
{
    delete g_pInputSystem;
    g_pInputSystem = nullptr;
}

void MainApp::StopFonts()
{
    delete g_pFontSet;
    g_pFontSet = nullptr;
}

void MainApp::StopSprites()
{
    delete g_pScreenFader;
    g_pScreenFader = nullptr;
    SpriteBatch::Destroy(g_pSpriteBatch);
}

void MainApp::StopRenderSystem()
{
    delete g_pRenderSystem; // clears g_pRenderSystem and g_pD3D9RenderSystem
}

void MainApp::StopWindow()
{
    delete m_pWindow;
    m_pWindow = nullptr;
}

void MainApp::StopArchives()
{
    delete g_pArchiveSystem; // unmounts everything and clears the global
}

void MainApp::StopSettings()
{
    if (m_pSettings)
        GameSettings::Destroy(m_pSettings);
    m_pSettings = nullptr;
}

void MainApp::Tick()
{
    float rawTime = 0.0f;
    if (m_pFramePacer) {
        m_pFramePacer->Wait();
        // A hitch (a stage built, textures loaded, the window dragged) is played as one tenth
        // of a second, not in one step: a body falling a whole hitch at once passes through
        // the ground it should land on. Below 10 frames a second the game slows down instead.
        rawTime = std::min(static_cast<float>(m_pFramePacer->GetElapsed()) / 1000.0f, kMaxFrameSeconds);
    }
    if (g_pInputSystem)
        g_pInputSystem->Update();
    ++m_nFrameCount;
    if (IsScreenshotKeyDown())
        TakeScreenshot();
    m_fRawDeltaTime = rawTime;
    m_fDeltaTime = static_cast<float>(static_cast<double>(m_fTimeScale) * static_cast<double>(rawTime));
    g_FrameStats.updateNanoseconds = 0;
    if (m_pGameStateManager && m_pGameStateManager->GetCurrent()) {
        LARGE_INTEGER updateStart{}, updateEnd{};
        QueryPerformanceCounter(&updateStart);
        const int next = m_pGameStateManager->GetCurrent()->Update(m_fDeltaTime);
        QueryPerformanceCounter(&updateEnd);
        g_FrameStats.updateNanoseconds = ElapsedNanoseconds(updateStart, updateEnd);
        if (next != -1) {
            m_pGameStateManager->SwitchState(next);
            if (g_pSpriteBatch)
                g_pSpriteBatch->ResetFrame();
        }
    }
    if (g_pSoundManager)
        g_pSoundManager->Update(m_fDeltaTime);
    if (g_pScreenFader)
        g_pScreenFader->Update(m_fDeltaTime);
    DrawFrame();
}

void MainApp::DrawFrame()
{
    if (!g_pRenderSystem)
        return;
    if (g_pRenderSystem->IsDeviceReady()) {
        if (m_pFramePacer && m_pFramePacer->IsBehind())
            return;
        g_pRenderSystem->Clear(0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0);
        g_pRenderSystem->BeginScene();
        if (m_pGameStateManager && m_pGameStateManager->GetCurrent())
            m_pGameStateManager->GetCurrent()->Draw();
        if (g_pScreenFader)
            g_pScreenFader->Draw();
        if (g_pSpriteBatch)
            g_pSpriteBatch->Render();
        g_pRenderSystem->EndScene();
        g_pRenderSystem->Present();
    } else {
        g_pRenderSystem->RecoverDevice();
        if (m_pFramePacer)
            m_pFramePacer->Reset();
    }
}

bool MainApp::IsScreenshotKeyDown() const
{
    return g_pInputSystem && g_pInputSystem->GetDevice(kKeyboardDevice)->IsDown(DIK_F12);
}

void MainApp::TakeScreenshot()
{
    PlayScreenshotSound();
    // The back buffer still holds the last finished frame: this frame is not drawn yet.
    __time64_t now = _time64(nullptr);
    struct tm local = {};
    _localtime64_s(&local, &now);
    if (g_pRenderSystem)
        g_pRenderSystem->SaveScreenshot(ScreenshotFileName(local).c_str());
    // The time spent saving must not count as frame time.
    if (m_pFramePacer)
        m_pFramePacer->Reset();
}

std::string ScreenshotFileName(const struct tm& time)
{
    char name[96];
    std::snprintf(name, sizeof name, "%04d%02d%02d-%02d%02d%02d.png", time.tm_year + 1900, time.tm_mon + 1,
                  time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
    return name;
}

void MainApp::ToggleFullScreen()
{
    if (!m_pWindow)
        return;
    m_pWindow->SetFullScreen(!m_pWindow->IsFullScreen());
    if (m_pWindow->GetHandle())
        m_pWindow->ApplyWindowMode();
    if (g_pRenderSystem)
        g_pRenderSystem->ResetDisplay(m_pWindow->IsFullScreen() ? 1 : 0, 0, 0);
    if (m_pSettings)
        m_pSettings->m_bFullScreen = m_pWindow->IsFullScreen();
    if (m_pFramePacer)
        m_pFramePacer->Reset();
}

LRESULT MainApp::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        if ((wParam & 3) != 0 && m_pFramePacer)
            m_pFramePacer->Reset();
        break;
    case WM_ACTIVATEAPP:
        if (wParam == 1 && m_pFramePacer)
            m_pFramePacer->Reset();
        break;
    case WM_SETCURSOR:
        SetCursor(m_pWindow && m_pWindow->IsFullScreen() ? nullptr : LoadCursorA(nullptr, IDC_ARROW));
        return 1;
    case WM_SYSKEYDOWN:
        if (wParam == VK_RETURN && (lParam & (1 << 29)))
            ToggleFullScreen();
        break;
    case WM_SYSCOMMAND:
        if (m_pSettings && m_pSettings->m_bDisableScreensaver &&
            ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER))
            return 1;
        break;
    case WM_EXITSIZEMOVE:
        if (m_pFramePacer)
            m_pFramePacer->Reset();
        break;
    default: break;
    }
    return Application::WindowProc(hWnd, message, wParam, lParam);
}

int RunApplication()
{
    MainApp app;
    const bool started = app.Startup();
    if (started)
        app.Run();
    app.Shutdown();
    return started ? 0 : 1;
}
