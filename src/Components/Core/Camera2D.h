// The view of the stage: a component on a camera object whose Transform position is the centre
// of the view. Renderers find their camera by the tag of its object through g_CameraRegistry.
// In the late pass the camera follows its target (on a damped spring or exactly), stays inside
// the stage bounds, and adds a decaying shake offset that the renderers read.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "System/Common/NameHash.h"
#include "World/Component.h"

class Camera2D;
class Transform;

// Tag id of the camera object -> its camera.
class CameraRegistry {
public:
    // The camera registered under the tag, or null.
    Camera2D* Find(NameId tag) const;
    // False, and nothing changes, when the tag is taken.
    bool Register(NameId tag, Camera2D* camera);
    // Removes the tag only while it maps to this camera.
    void Unregister(NameId tag, const Camera2D* camera);
    void Clear() { m_Cameras.clear(); }
    size_t GetCount() const { return m_Cameras.size(); }

private:
    std::unordered_map<NameId, Camera2D*> m_Cameras;
};

extern CameraRegistry g_CameraRegistry;

// Name id of "GameCamera", the camera of renderers and colliders that name none.
NameId GameCameraTag();

class Camera2D : public Component {
public:
    static const ClassKey s_Class;

    explicit Camera2D(GameObj* owner);

    // "depth", "screenSize" {width, height} and "spring" {length, springConst, dumpConst}, whose
    // presence turns the spring on. Never fails.
    bool Load(lua_State* L) override;
    // Fails when another camera holds the owner's tag.
    bool Attach() override;
    // Unregisters the owner's tag only while it names this camera.
    void Detach() override;
    bool IsKindOf(TypeKey key) const override;
    void Start() override;
    // Follow, clamp to the stage bounds, shake.
    void LateUpdate() override;

    // Stops following and moves to the point, clamped so the view stays on the stage.
    void SetPosition(float x, float y);
    // Starts a shake; each axis gets its own random amplitude factor and period.
    void Shake(float amplitudeX, float amplitudeY, float duration, float cycles);

    void SetTarget(Transform* target) { m_pTarget = target; }
    Transform* GetTarget() const { return m_pTarget; }
    // The camera's world position (centre of the view); (0, 0) before Start.
    float GetX() const;
    float GetY() const;
    float GetHalfWidth() const { return m_fHalfWidth; }
    float GetHalfHeight() const { return m_fHalfHeight; }
    float GetShakeX() const { return m_fShakeOffsetX; }
    float GetShakeY() const { return m_fShakeOffsetY; }
    bool IsShaking() const { return m_bShaking; }
    float GetShakePeriodX() const { return m_fShakePeriodX; }
    float GetShakePeriodY() const { return m_fShakePeriodY; }
    float GetShakeAmplitudeX() const { return m_fShakeAmplitudeX; }
    float GetShakeAmplitudeY() const { return m_fShakeAmplitudeY; }
    uint8_t GetDepth() const { return m_nDepth; }
    bool HasSpring() const { return m_bSpring; }

private:
    // Clamps against the stage bounds inset by the half screen, writes the local position.
    void MoveTo(float x, float y);

    float m_fHalfWidth = 0.0f;
    float m_fHalfHeight = 0.0f;
    uint8_t m_nDepth = 0;
    bool m_bSpring = false;
    float m_fSpringLength = 0.0f;
    float m_fSpringConst = 0.0f;
    float m_fDampConst = 0.0f;
    Transform* m_pTransform = nullptr;
    Transform* m_pTarget = nullptr;
    float m_fPrevTargetX = 0.0f;
    float m_fPrevTargetY = 0.0f;
    bool m_bShaking = false;
    float m_fShakeElapsed = 0.0f;
    float m_fShakeDuration = 0.0f;
    float m_fShakeAmplitudeX = 0.0f;
    float m_fShakeAmplitudeY = 0.0f;
    float m_fShakePeriodX = 0.0f;
    float m_fShakePeriodY = 0.0f;
    float m_fShakeOffsetX = 0.0f;
    float m_fShakeOffsetY = 0.0f;
};
