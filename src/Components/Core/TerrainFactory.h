// Turns the polylines of an area's Lua table into chains of terrain segments: one child object
// per segment, made from "terrain_template", each with a SegmentCollider linked to its
// neighbours in the chain.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "World/Component.h"

class SegmentCollider;

struct TerrainRecord {
    int32_t layerMask = 0;
    int32_t cullingMask = -1;
    // Lua coordinates are y-down from the area's top-left; these are y-up from its centre line.
    float offsetX = 0.0f;
    float offsetY = 0.0f;
    std::vector<std::pair<float, float>> points;
};

class TerrainFactory : public Component {
public:
    static const ClassKey s_Class;

    explicit TerrainFactory(GameObj* owner);

    // "terrain": records of "layerMask", "cullingMask", "x", "y" and "polyline" ({x, y} each).
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Builds every record's chain in order; nothing inside another factory's terrain.
    void Start() override;

    // One chain: n points make n - 1 segments. A segment that cannot be made (no template, no
    // collider) is skipped with an error, and the chain is not linked across the gap.
    std::vector<SegmentCollider*> BuildSegments(const TerrainRecord& record);

    std::vector<TerrainRecord> m_Terrain;
};
