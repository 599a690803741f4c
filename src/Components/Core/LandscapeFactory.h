// Scatters decorative objects over an area as it starts: fixed placements with a percent chance,
// random counts spread over an x range, and placements chosen by a condition. Every chance,
// count and position is drawn from the shared random pool, so a seed fixes the placements.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "World/Component.h"
#include "World/Condition.h"

class QuestController;

struct LandscapeEntry {
    std::string name;
    float offsetX = 0.0f; // from the factory's object, y up
    float offsetY = 0.0f;
    float z = 0.0f;       // 0 keeps the prototype's own depth
    int32_t rate = 0;     // chance in percent: 0 never, 100 always
};

struct LandscapeSpreadEntry {
    std::string name;
    float xMin = 0.0f, xMax = 0.0f;
    float y = 0.0f;
    int32_t countMin = 0, countMax = 0;
};

struct LandscapeConditionalEntry {
    ConditionSet condition;
    LandscapeEntry consequent;
    LandscapeEntry alternative;
};

class LandscapeFactory : public Component {
public:
    static const ClassKey s_Class;
    // Lua positions are y-down from the area's top-left; entries are kept from its centre line.
    static constexpr float kBaseX = 512.0f;
    static constexpr float kBaseY = 256.0f;
    // More objects than this from one spread entry are not placed: a count in the millions would
    // stall the stage's start and exhaust memory.
    static constexpr int64_t kMaxSpreadCount = 10000;
    // Nor more than this from all the factories of one stage in one frame together: placed
    // objects may hold factories of their own, and counts multiply down the tree.
    static constexpr int64_t kMaxStagePlacements = 20000;

    explicit LandscapeFactory(GameObj* owner);

    // "manual", "procedural" and "conditional" lists. Never fails.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // The manual entries, then the spread ones, then the conditional ones, in list order.
    void Start() override;

    // One draw; places the entry under the parent at origin + offset when the draw mod 100 is
    // below the rate and the name is set. The placed object, or null.
    GameObj* PlaceManual(const LandscapeEntry& entry, GameObj* parent, float originX, float originY);
    // Per entry: one draw for the count, one per object for its x. Later objects sort in front.
    void PlaceProcedural();
    // The consequent at the first group that holds, else the alternative, each by PlaceManual.
    void PlaceConditional();

    static void ReadManualEntry(lua_State* L, LandscapeEntry& entry);
    static void ReadProceduralEntry(lua_State* L, LandscapeSpreadEntry& entry);

    std::vector<LandscapeEntry> m_Manual;
    std::vector<LandscapeSpreadEntry> m_Procedural;
    std::vector<LandscapeConditionalEntry> m_Conditional;

private:
    // Instantiates the name under the parent. Null, with an error naming the area and the name,
    // when there is no such prototype, when it would place what holds this factory (that would
    // place itself again without end), or when the stage has had its fill of placements.
    GameObj* Make(const std::string& name, GameObj* parent);
    // The owner's world position; (0, 0) without a Transform.
    void Origin(float& x, float& y) const;
};

