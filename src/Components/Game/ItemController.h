// Pickups and drops: an item that falls to the ground, leaves after a while off screen and
// heals (at once or over time) the actor that touches it; the weighted list of items an enemy
// may drop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "World/Component.h"

class Kinematics;
class Transform;

// Picks an index by weight with one random word: cumulative ranges of the rates in list order
// (computed in double); a total of 0 or less picks word mod count; otherwise r = word x 2^-32 x
// total and the first range [low, high) holding r wins, or, when none holds it, the last entry
// with a positive rate. -1 for an empty list.
int32_t PickWeighted(const std::vector<int32_t>& rates, uint32_t word);

struct InventoryItem {
    std::string name;
    int32_t rate = 0;
};

class Inventory : public Component {
public:
    static const ClassKey s_Class;

    explicit Inventory(GameObj* owner);

    // "items": an array of {"name", "rate"}.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;

    // The name picked with the next pooled word; the default name (empty: no drop) without items.
    std::string Pick() const;

    std::vector<InventoryItem> m_Items;
    std::string m_sDefaultName;
};

class ItemController : public Component {
public:
    static const ClassKey s_Class;

    explicit ItemController(GameObj* owner);

    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void Start() override;
    // Off-screen time; 3 s removes the item.
    void Update() override;
    void OnCollisionEnter(const CollisionInfo& info) override;
    void OnCollisionStay(const CollisionInfo& info) override;
    void OnBecameVisible() override;
    void OnBecameInvisible() override;

    // The item's effect on the object that touched it, then it leaves.
    void Take(GameObj* taker);

    Transform* m_pTransform = nullptr;
    Kinematics* m_pKinematics = nullptr;
    int32_t m_nEffect = 0;
    int32_t m_nHealType = 0;
    float m_fDuration = 0.0f;
    float m_fInterval = 0.0f;
    float m_fValue = 0.0f;
    uint32_t m_nLayerMask = 0;
    float m_fOffscreenTime = 0.0f;
    bool m_bOffscreen = false;
    std::string m_sTakeMessage;
    uint32_t m_nTakeMessage = 0;
    uint32_t m_nTakeSe = 0;
    bool m_bTaken = false;

private:
    void OnTerrain(const CollisionInfo& info);
};
