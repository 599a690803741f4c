// The game's application: creates the engine services in a fixed order, runs one frame per pass
// of the message loop, answers the window's messages and deletes the services in a fixed order.
#pragma once

#include "System/Application/Application.h"

#include <cstdint>
#include <ctime>
#include <string>

struct GameSettings;
class RenderWindow;
class FramePacer;
class GameStateManager;

// The game window's client size and title.
constexpr int32_t kGameWindowWidth = 960;
constexpr int32_t kGameWindowHeight = 540;
extern const char* const kGameWindowTitle;
// The longest frame the game is handed: a longer one is played as this long.
constexpr float kMaxFrameSeconds = 0.1f;

class MainApp : public Application {
  public:
    MainApp();
    ~MainApp() override;

    LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool Startup() override;
    void Shutdown() override;
    void Tick() override;

    GameSettings* m_pSettings = nullptr;
    RenderWindow* m_pWindow = nullptr;
    FramePacer* m_pFramePacer = nullptr;
    GameStateManager* m_pGameStateManager = nullptr;
    // Scaled frame time in seconds: the time step of components, messages and scripts.
    float m_fDeltaTime = 0.0f;
    float m_fRawDeltaTime = 0.0f;
    // Game speed; gameplay writes it.
    float m_fTimeScale = 1.0f;
    // One per tick, counted before the game state updates.
    uint32_t m_nFrameCount = 0;

  private:
    // Start-up steps, in the order Startup runs them; each step that fails stops start-up.
    void StartLocale();
    void StartSettings();
    void StartArchives();
    bool StartWindow();
    bool StartRenderSystem();
    void StartSprites();
    void StartFonts();
    void StartInput();
    void StartSound();
    void StartRandom();
    void StartFramePacer();
    bool StartGameState();

    // Shutdown steps, in the order Shutdown runs them; each deletes its service when present.
    void StopGameState();
    void StopFramePacer();
    void StopSound();
    void StopInput();
    void StopFonts();
    void StopSprites();
    void StopRenderSystem();
    void StopWindow();
    void StopArchives();
    void StopSettings();

    // F12 on the keyboard (device 0) while it is held: one screenshot per frame.
    bool IsScreenshotKeyDown() const;
    void TakeScreenshot();

    // Clears, begins and ends the scene and presents when the device is usable and the pacer
    // keeps up; restores the device when it is not.
    void DrawFrame();

    // Alt+Enter: switches between windowed and full screen and remembers the choice.
    void ToggleFullScreen();
};

// The application object while it exists; every subsystem reads the frame times through it.
extern MainApp* g_pApplication;

// The screenshot file name for a local time: YYYYMMDD-HHMMSS.png.
std::string ScreenshotFileName(const struct tm& time);

// The program body: start-up, the loop, shutdown. 0 on a clean run; 1 when start-up failed.
int RunApplication();
