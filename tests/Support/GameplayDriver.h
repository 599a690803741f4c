// Plays the game through the harness as a person would, for every gameplay end-to-end test:
// buttons of the first pad by name, pressed or held as key events on the default keyboard
// bindings; scene queries to steer and to check (the player's position, state, health and power,
// the nearest enemy); and checkpoints that save a screenshot through the game's own F12 path and
// probe pixels of the saved file.
#pragma once

#include "Support/GameHarness.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class ActorController;
class Camera2D;
class GameObj;
class PlayerController;
class SlicedSpriteRenderer;

// A pixel the checkpoint expects, by what it shows.
struct PixelProbe {
    std::string what;
    int x = 0, y = 0;
    uint32_t argb = 0;
    int tolerance = 8;
};

// A rectangle of the 960 x 540 frame (y down), its right and bottom edges outside it.
struct ScreenBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
    bool Overlaps(const ScreenBox& other) const
    {
        return !Empty() && !other.Empty() && left < other.right && other.left < right && top < other.bottom &&
               other.top < bottom;
    }
};
std::ostream& operator<<(std::ostream& out, const ScreenBox& box);

class GameplayDriver {
  public:
    explicit GameplayDriver(GameHarness& game) : m_Game(game) {}

    // Buttons by name, several joined by '+' ("step+right"): up, down, left, right, slash, jump,
    // blow, attack, special, step, glide, homing, start, select (the pad's own names A, B, X, Y,
    // LB, RB, LT, RT work too). An unknown name fails the test.
    // Down for `ticks` ticks, up again at the next one.
    void Press(const std::string& buttons, int ticks = 1);
    // Down from the next tick until released.
    void Hold(const std::string& buttons);
    void Release(const std::string& buttons);
    // Every held button up at the next tick.
    void ReleaseAll();
    void Wait(int ticks) { m_Game.Ticks(ticks); }
    // Ticks with the buttons as they are until the condition holds (tested first); the failure
    // names the description.
    testing::AssertionResult WaitUntil(const std::function<bool()>& condition, const std::string& description,
                                       int frameLimit = 600)
    {
        return m_Game.TickUntil(condition, description, frameLimit);
    }
    testing::AssertionResult WaitForState(int32_t state, int frameLimit = 600);
    // Walks (left or right held) until the player's body is within `reach` of x, then lets go
    // and waits until it stands still (a stop slides on a little); the failure tells where the
    // player got stuck.
    testing::AssertionResult WalkTo(float x, float reach = 10.0f, int frameLimit = 600);

    // The scene: the object registered as the player by the stage's quest controller.
    GameObj* Player() const;
    PlayerController* Controller() const;
    // The player's body position (x, y up); (0, 0) without a player.
    float PlayerX() const;
    float PlayerY() const;
    float PlayerVelocityX() const;
    float PlayerVelocityY() const;
    // The current player state id, -1 without a player.
    int32_t PlayerState() const;
    bool Grounded() const;
    int32_t Health() const;
    int32_t Power() const;
    // The active object tagged "Enemy" nearest to the player, or null.
    GameObj* NearestEnemy() const;
    // Every active object tagged "Enemy", in tree order.
    std::vector<GameObj*> LiveEnemies() const;
    // An object's world position (x, y up); (0, 0) for null.
    static float XOf(const GameObj* object);
    static float YOf(const GameObj* object);
    // "right" or "left": the way from the player to x.
    std::string Toward(float x) const;

    // Fighting, by the pad only. Runs at the object (following it as it moves) until the
    // player's body is within `reach` of it across, then stops facing it; fails when it is
    // gone first, the player falls, or the frames run out.
    testing::AssertionResult Approach(const GameObj* target, float reach = 40.0f, int frameLimit = 600);
    // Fights the nearest enemy until `done` holds (tested first, every tick): runs at it while
    // it is out of reach, else presses attack toward it every `rhythm` ticks (the chain goes
    // on), jumping into the swing when it is above the player's head. With no enemy about it
    // stands and waits. The failure names the description, the frames spent, the player's
    // state and health and the enemy it last fought; the player falling ends it at once.
    testing::AssertionResult FightUntil(const std::function<bool()>& done, const std::string& description,
                                        int frameLimit = 3600, int rhythm = 5);
    Camera2D* GameCamera() const;
    // Where a world point lands in a 960 x 540 frame of the game camera (y down).
    void ToScreen(float x, float y, int& sx, int& sy) const;
    // Where an object's body (the box about its box or circle collider) is drawn by the game
    // camera; a bare point without one.
    ScreenBox BodyOnScreen(const GameObj* object) const;
    // Where a sprite of the screen camera (placed in its fixed 960 x 540 view, y up) is drawn:
    // its draw size about its object's position.
    static ScreenBox ScreenSpriteBox(const SlicedSpriteRenderer* sprite);
    // Whether the player's whole body box lies inside that frame; the failure says where it is.
    testing::AssertionResult PlayerOnScreen() const;

    // F12 for one tick: the game saves the last finished frame as a PNG in its working folder;
    // the file is read back and removed. An empty frame (and a failure) when none appears.
    HarnessFrame Screenshot();
    // A screenshot probed at every point; the failure names each probe that misses.
    testing::AssertionResult Checkpoint(const std::string& name, const std::vector<PixelProbe>& probes);

  private:
    std::vector<SDL_Scancode> Keys(const std::string& buttons) const;

    // Where the fight stands, for failure messages.
    std::string FightReport() const;

    GameHarness& m_Game;
    std::vector<SDL_Scancode> m_Held;
    int32_t m_nLastFoeId = -1;
};

// The SDL key of each pad button's default keyboard binding, in pad button order (the
// DirectInput scan codes of the settings' defaults).
SDL_Scancode DefaultKeyOfPadButton(int button);
