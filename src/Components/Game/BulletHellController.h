// A bullet pattern: it builds one waiting bullet per shot definition as its own children, then
// runs a timeline on its own clock that fires shots, steers them, plays clips on them, erases
// them and fires shots from other bullets' positions. When every bullet is erased the pattern
// removes itself. An enemy that spawns a pattern as an attendant becomes its shooter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "World/Component.h"

class BulletController;
class GameObj;

enum TimelineEventType : int32_t {
    eTimeline_SetMotion = 1,
    eTimeline_Erase = 2,
    eTimeline_PlayAnimation = 3,
    eTimeline_Fire = 4,
    eTimeline_FireFrom = 5,
};

enum ShotAngleKind : int32_t {
    eShotAngle_Absolute = 0,
    eShotAngle_Relative = 1,
    eShotAngle_Mirrored = 2,
    eShotAngle_Aimed = 3,
};

// One item of "createShots"; numbers marked as ranges in data are drawn once, at load.
struct ShotDefinition {
    int32_t motion = 0;
    std::string prototype;
    float baseTime = 0.0f;
    int32_t origin = 0;
    float offsetX = 0.0f;
    float offsetY = 0.0f;
    float turnRate = 0.0f;     // homing, radians per second
    float radius = 0.0f;       // orbit
    float angularSpeed = 0.0f; // orbit, radians per second
    int32_t startAngleKind = 0;
    float startAngle = 0.0f; // radians
    int32_t centre = 0;      // orbit: 1 the shooter, 2 the player, else none
    float amplitude = 0.0f;  // wave
    float period = 0.0f;     // wave, seconds
};

// One item of "timeline", kept in data order.
struct TimelineEvent {
    int32_t type = 0;
    uint32_t shot = 0;
    float time = 0.0f; // the shot's base time included
    bool done = false;
    int32_t speedMode = 0;
    float speed = 0.0f;
    float accel = 0.0f;
    float maxSpeed = 0.0f;
    int32_t angleKind = 0;
    float angle = 0.0f; // radians
    uint32_t animation = 0;
    uint32_t firedShot = 0;
};

class BulletHellController : public Component {
public:
    static const ClassKey s_Class;

    explicit BulletHellController(GameObj* owner);

    // "createShots" and "timeline", when present. Never fails; timeline entries that name a
    // shot the pattern lacks are logged once and never act.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Without a live shooter nothing is built (the pattern leaves on its first update).
    void Start() override;
    void Update() override;
    void LateUpdate() override;

    // Places and launches a shot's bullet; false (the bullet erased, its events cancelled)
    // when its origin gives no position.
    bool FireShot(uint32_t shot, BulletController* bullet, BulletController* source);
    // An angle of the given kind, in radians, brought into [0, 2π].
    float ComputeShotAngle(const BulletController* bullet, int32_t kind, float angle) const;
    // Marks the shot's pending events done, erasing its bullet and, through fire-from events,
    // the bullets it would have fired.
    void CancelShot(uint32_t shot);
    // The bullet of a shot; null when the shot has none.
    BulletController* GetBullet(uint32_t shot) const;
    // The shooter and the player are held by id: either may be deleted while the pattern's
    // layer stands still (and skips its updates).
    void SetShooter(const GameObj* shooter);
    // The shooter or the player as it is now; null when there is none, or it is gone or being
    // removed.
    GameObj* FindShooter() const;
    GameObj* FindPlayer() const;

    std::vector<ShotDefinition> m_Shots;
    std::vector<TimelineEvent> m_Timeline;
    std::vector<BulletController*> m_Bullets; // one slot per shot, null without a BulletController
    std::vector<int32_t> m_BulletIds;         // the object id of each slot's bullet
    int32_t m_nShooterId = -1;                // -1: none
    int32_t m_nPlayerId = -1;
    float m_fClock = 0.0f;

private:
    void Perform(const TimelineEvent& event);
    GameObj* FindLive(int32_t id) const;
    // Empties the slots of bullets that are gone or being removed by other means (their own
    // effect, say): an empty slot counts as erased.
    void DropLostBullets();
    bool m_bWarnedEmptySlot = false;
};
