// A floating number shown once per hit: it takes the digit set of its damage type, then drifts
// with its velocity, falls with its gravity and moves slowly towards the viewer.
#pragma once

#include <cstdint>

#include "World/Component.h"
#include "System/Common/NameHash.h"

class SpriteNumberRenderer;
class Transform;

enum nDamageType : int32_t {
    eDamageType_Enemy = 0,
    eDamageType_Player = 1,
    eDamageType_Critical = 2,
    eDamageType_Healing = 3,
    eDamageType_max = 4,
};

class UIDamageNumber : public Component {
public:
    static const ClassKey s_Class;
    static constexpr int kDigitCount = 10;

    explicit UIDamageNumber(GameObj* owner);

    // "gravity", "velocity" {x, y} (each a number or a {min, max} range; (0, 1) when absent)
    // and "damage_number" {enemy_damage, player_damage, critical, healing}, each {names,
    // padding}; a name list longer than ten keeps ten. Never fails.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Finds renderer, transform and depth once; shows the stored value in the stored colour.
    void Start() override;
    // Velocity, position and depth follow the scaled frame time.
    void Update() override;

    // The value in the digits of the type (0..3; another type is a fatal assertion and shows
    // nothing).
    void Show(int32_t value, int32_t damageType);

    float GetVelocityX() const { return m_fVelocityX; }
    float GetVelocityY() const { return m_fVelocityY; }
    void SetVelocity(float x, float y) { m_fVelocityX = x, m_fVelocityY = y; }
    float GetGravity() const { return m_fGravity; }
    float GetDepth() const { return m_fDepth; }
    int32_t GetValue() const { return m_nValue; }
    NameId GetDigitSprite(int type, int digit) const { return m_aSprites[type][digit]; }
    int32_t GetPadding(int type) const { return m_aPadding[type]; }

private:
    void FindComponents();

    float m_fDepth = 0.0f;
    float m_fGravity = 0.0f;
    float m_fVelocityX = 0.0f, m_fVelocityY = 1.0f;
    Transform* m_pTransform = nullptr;
    SpriteNumberRenderer* m_pNumber = nullptr;
    bool m_bFound = false;
    NameId m_aSprites[eDamageType_max][kDigitCount] = {};
    int32_t m_aPadding[eDamageType_max] = {};
    int32_t m_nValue = 0;
    uint32_t m_nColor = 0xFFFFFFFFu;
};
