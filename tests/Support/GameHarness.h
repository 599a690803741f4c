// The game running in the test's own process, frame by frame: the real MainApp started in a
// private copy of the built game folder, its frame pacer on a clock that moves one fixed step
// per tick, the random pool seeded, keys pushed into SDL's queue before a tick, and the back
// buffer read back after it. Every end-to-end test drives the game through this one class.
#pragma once

#include "Support/FrameTimeRecorder.h"
#include "Support/GameFolder.h"
#include "Support/TempDir.h"
#include "System/Application/FramePacer.h"
#include "System/Application/MainApp.h"

#include <SDL.h>
#include <chrono>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class GameObj;

// The pacer's clock: it stands still except when the harness moves it, and a pacer sleep
// moves it by the time slept.
class HarnessClock : public IFrameClock {
  public:
    uint32_t Now() override { return m_nNow; }
    void Sleep(uint32_t milliseconds) override { m_nNow += milliseconds; }
    void Advance(uint32_t milliseconds) { m_nNow += milliseconds; }

  private:
    uint32_t m_nNow = 1000;
};

// The pixels of a back buffer, 0xAARRGGBB, top row first.
struct HarnessFrame {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t Pixel(int x, int y) const;
    // Whether the pixel at (x, y) is within `tolerance` of `argb` in every colour channel
    // (alpha is not compared: the back buffer has none); the failure names both colours.
    testing::AssertionResult Probe(int x, int y, uint32_t argb, int tolerance = 8) const;
    // The share (0 to 1) of the pixels of the rectangle (clipped to the frame) within
    // `tolerance` of `argb`: where a probe of one pixel cannot tell a picture from an empty
    // screen, the share of black in each part of the screen can.
    double Share(int x, int y, int w, int h, uint32_t argb, int tolerance = 8) const;
    // The frame as a binary PPM (P6) at `path`, to look at when a test of a sequence of frames
    // fails; false when the file cannot be written.
    bool WritePpm(const std::string& path) const;
};

class GameHarness {
  public:
    // Every tick lasts this long on the pacer's clock: one step of 17 ms is never a period
    // behind, so each tick draws and the game sees the same frame time (0.017 s) every time.
    static constexpr uint32_t kStepMilliseconds = 17;
    static constexpr uint32_t kDefaultSeed = 20240611;

    GameHarness();
    ~GameHarness();
    GameHarness(const GameHarness&) = delete;
    GameHarness& operator=(const GameHarness&) = delete;

    // The game folder: add or replace data files here before Start.
    const PrivateGameFolder& Folder() const { return m_Folder; }
    void WriteFile(const std::string& name, const std::string& bytes) const { m_Folder.WriteFile(name, bytes); }

    // Starts the application from the folder's "bin", swaps in the pacer on the harness clock,
    // seeds the random pool (after start-up, so the draws of the first tick on repeat) and, when
    // `focused`, queues the window's focus for the first tick. False when start-up fails.
    bool Start(uint32_t seed = kDefaultSeed, bool focused = true);
    bool IsRunning() const { return m_bRunning; }
    // Application::Shutdown: every service deleted in order and its global cleared.
    void Shutdown();
    // The program ended (shut down if still running) and a new one started as Start does, on
    // the same private folder: what the last one wrote under "userdata" is there for it, as
    // after a player's restart. False when the new start-up fails.
    bool Restart(uint32_t seed = kDefaultSeed, bool focused = true);

    MainApp& App() { return *m_pApp; }

    // Events queued for the next tick, in the order given.
    void KeyDown(SDL_Scancode scancode);
    void KeyUp(SDL_Scancode scancode);
    void Focus(bool gained);

    // One pass of the message loop: the queued events into SDL, every pending window message
    // dispatched, one step of the clock and one Application::Tick.
    void Tick();
    void Ticks(int count);
    // Ticks until `condition` holds, at most `frameLimit` ticks; the condition is tested before
    // the first tick too. The failure names the condition and the ticks spent.
    testing::AssertionResult TickUntil(const std::function<bool()>& condition, const std::string& description,
                                       int frameLimit = 600);
    int TickCount() const { return m_nTicks; }
    // How far the clock moves per tick, kStepMilliseconds unless set: a longer step plays the
    // game as a slow machine runs it, each frame seeing that much time.
    void SetStepMilliseconds(uint32_t milliseconds) { m_nStepMilliseconds = milliseconds; }
    uint32_t StepMilliseconds() const { return m_nStepMilliseconds; }

    // While on, every tick (its pass over the window messages and Application::Tick, up to the
    // end of its drawing) is timed into the recorder under the stage it ended on, with the slow
    // work it did. Off at first; switching it off keeps what was recorded. When `paced`, ticks
    // start no closer than 1/60 s apart in wall time, as the game's own loop runs them: the
    // threads beside the frame (movie decoding, sound) then get their real share of time,
    // instead of a frame waiting for a decoder that back-to-back ticks outrun.
    void RecordFrameTimes(bool on, bool paced = true)
    {
        m_bRecordFrameTimes = on;
        m_bPaceFrames = on && paced;
    }
    bool IsRecordingFrameTimes() const { return m_bRecordFrameTimes; }
    FrameTimeRecorder& FrameTimes() { return m_FrameTimes; }
    // The quit messages the loop has met, on which the real loop would stop. A window destroyed
    // by an earlier game in the process may leave one for the first tick: compare counts.
    int QuitCount() const { return m_nQuits; }

    // The back buffer as the last drawn frame left it.
    HarnessFrame ReadFrame() const;

    // The world's globals at hand. Each fails the test (and returns false or null) when the
    // world is not there.
    // Makes the quest with this table name the quest table's current quest.
    bool MakeQuestCurrent(const std::string& questName);
    // SceneManager::RequestStage: the stage is built at the start of the next tick. Leaving the
    // title this way also clears its fade and stops its music, as the title's own leave does.
    // The stage jumped to is seen as itself at once: its fade-in from black is skipped (the
    // stage's flow goes on as when a fade ends), unless `keepEntryFade` asks to watch it.
    bool RequestStage(const std::string& stageName, bool keepEntryFade = false);
    // Both of the above, then one tick: the quest's stage is built and running.
    bool EnterQuestStage(const std::string& questName, const std::string& stageName, bool keepEntryFade = false);
    // The current stage's root, or null.
    GameObj* Root() const;
    // The first object of the current tree, in pre-order and active or not, built from the
    // prototype; null when there is none.
    GameObj* FindObject(const std::string& prototypeName) const;
    // Every object of the current tree built from the prototype, in pre-order.
    std::vector<GameObj*> FindObjects(const std::string& prototypeName) const;
    // The first object of the current tree with the tag, in pre-order and active or not.
    GameObj* FindObjectByTag(const std::string& tag) const;

  private:
    struct QueuedEvent {
        uint32_t type;  // SDL_KEYDOWN, SDL_KEYUP or SDL_WINDOWEVENT
        int32_t detail; // the scancode, or the window event id
    };

    PrivateGameFolder m_Folder;
    std::unique_ptr<ScopedCwd> m_pCwd;
    HarnessClock m_Clock;
    std::unique_ptr<MainApp> m_pApp;
    std::vector<QueuedEvent> m_Queued;
    bool m_bRunning = false;
    int m_nQuits = 0;
    int m_nTicks = 0;
    uint32_t m_nStepMilliseconds = kStepMilliseconds;
    FrameTimeRecorder m_FrameTimes;
    bool m_bRecordFrameTimes = false;
    bool m_bPaceFrames = false;
    std::chrono::steady_clock::time_point m_NextFrameStart;
    // The stage a RequestStage jumped to, until its entry fade is skipped.
    std::string m_JumpedTo;
    int m_nFramesOnJumpedStage = 0;
    static constexpr int kEntryFadeFrames = 3;

    void SkipEntryFade();
    // Shutdown, then the application, its working folder and the video backend let go of.
    void Teardown();
};
