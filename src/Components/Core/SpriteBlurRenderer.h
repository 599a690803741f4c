// An after-image trail of the parent object's sprite: while spawning is on it records a
// snapshot of the sprite at a fixed interval and draws the snapshots fading out over a fixed
// lifetime, newest in front. Actors switch spawning on and off.
#pragma once

#include <cstdint>
#include <vector>

#include "Components/Core/Renderer.h"
#include "System/Common/NameHash.h"

class SpriteRenderer;

// The sprite as it was: world position, size, pivot offset, scale, angle (negated for
// drawing), UV rectangle after flips, texture, and how long it has lived of its lifetime. The
// texture is named, not held: the table may let the image go while the snapshot lives.
struct BlurSnapshot {
    float x = 0.0f, y = 0.0f;
    float width = 0.0f, height = 0.0f;
    float offsetX = 0.0f, offsetY = 0.0f;
    float scaleX = 1.0f, scaleY = 1.0f;
    float angle = 0.0f;
    float u0 = 0.0f, v0 = 0.0f, du = 0.0f, dv = 0.0f;
    NameId textureId = 0;
    float age = 0.0f;
    float lifetime = 0.0f;
};

class SpriteBlurRenderer : public Renderer {
public:
    static const ClassKey s_Class;

    explicit SpriteBlurRenderer(GameObj* owner);
    ~SpriteBlurRenderer() override;

    // The colour keys, "maxBlurs" (truncated), "baseAlpha", "intervalTime", "blendMode" (each
    // 0 when absent) and "useStageColor" (by Lua truth). The lifetime is maxBlurs intervals.
    bool Load(lua_State* L) override;
    // Deletes the snapshots and clears the object's renderer slot.
    void Detach() override;
    bool IsKindOf(TypeKey key) const override;
    // Takes the parent's sprite and depth (its world z + 0.01); with useStageColor, the colour
    // becomes the blur colour of the stage generator on the scene's root, when there is one.
    void Start() override;
    // While spawning, one snapshot at most per frame each time the timer passes the interval;
    // then the snapshots that lived their lifetime go and the rest age, up to their lifetime.
    // An interval of 0 or less takes no snapshot.
    void LateUpdate() override;
    // Culled without the parent's sprite or its camera, or when no snapshot is in view.
    bool IsCulled() override;
    // Newest to oldest, each a step of 0.001 deeper, alpha falling with age from baseAlpha;
    // the blend mode is set for them and restored after. A snapshot whose texture is not
    // loaded now is skipped and keeps its step.
    void Draw() override;

    // The parent sprite as it is now at this object's place; false (nothing written) without
    // a parent sprite or without its texture loaded.
    bool TakeSnapshot(BlurSnapshot& snapshot) const;

    // Actors switch the trail on and off through these.
    bool IsSpawning() const { return m_bSpawning; }
    void SetSpawning(bool spawning) { m_bSpawning = spawning; }
    float GetSpawnTimer() const { return m_fTimer; }
    void SetSpawnTimer(float seconds) { m_fTimer = seconds; }

    const std::vector<BlurSnapshot*>& GetSnapshots() const { return m_Snapshots; }
    SpriteRenderer* GetSprite() const { return m_pSprite; }
    float GetDepth() const { return m_fDepth; }
    float GetLifetime() const { return m_fLifetime; }
    float GetInterval() const { return m_fInterval; }
    int32_t GetMaxBlurs() const { return m_nMaxBlurs; }
    uint8_t GetBaseAlpha() const { return m_nBaseAlpha; }
    uint32_t GetBlendMode() const { return m_nBlendMode; }
    bool GetUseStageColor() const { return m_bUseStageColor; }

private:
    void DeleteSnapshots();

    int32_t m_nMaxBlurs = 0;
    uint8_t m_nBaseAlpha = 0;
    float m_fIntervalTime = 0.0f;
    uint32_t m_nBlendMode = 0;
    bool m_bUseStageColor = false;
    float m_fDepth = 0.0f;
    bool m_bSpawning = false;
    float m_fInterval = 0.0f;
    float m_fLifetime = 0.0f;
    float m_fTimer = 0.0f;
    SpriteRenderer* m_pSprite = nullptr;
    std::vector<BlurSnapshot*> m_Snapshots; // oldest first
};
