// Visual effects: an effect object that may wait, follows a transform when told, plays its
// sound and removes itself once its animations and nested effects have ended; an emitter of
// particles; a point icon pulled to the player.
#pragma once

#include <cstdint>
#include <string>

#include "System/Common/MathUtil.h"
#include "World/Component.h"

class Transform;

class EffectController : public Component {
public:
    static const ClassKey s_Class;

    explicit EffectController(GameObj* owner);

    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Without a delay the sound plays now; with one the direct children wait hidden.
    void Start() override;
    void Update() override;
    // Follows, then detects the end over the whole subtree and acts on it.
    void LateUpdate() override;

    // Mirrors every renderer and sprite animation of the subtree when facing left.
    void SetFacing(bool facesRight);
    // Whether some descendant still runs an effect or plays its default loop.
    bool IsSubtreeRunning() const;

    bool m_bFollowOwner = false;
    bool m_bStopSeWhenEffectFinished = false;
    bool m_bRestartSe = true;
    bool m_bRemoveOnEnded = true;
    Transform* m_pFollow = nullptr;
    uint32_t m_nSe = 0;
    float m_fDelay = 0.0f;
    bool m_bActive = true;

private:
    void Reveal();
};

// The most particles one emitter makes.
constexpr int32_t kMaxEmitterCount = 256;

class EffectEmitter : public Component {
public:
    static const ClassKey s_Class;

    explicit EffectEmitter(GameObj* owner);

    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void Start() override;
    void Update() override;

    int32_t m_nCount = 0;
    std::string m_sParticleName;
};

class EffectPointIcon : public Component {
public:
    static const ClassKey s_Class;

    explicit EffectPointIcon(GameObj* owner);

    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void Start() override;
    void Update() override;

    uint32_t m_nCatchSe = 0;
    Vec2 m_vVelocity = {0.0f, 0.0f};
    Transform* m_pTransform = nullptr;
    float m_fFriction = 0.0f;
    float m_fMagneticForce = 0.0f;
    float m_fRemoveLength2 = 0.0f;
};
