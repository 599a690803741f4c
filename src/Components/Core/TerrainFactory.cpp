#include "Components/Core/TerrainFactory.h"

#include <lua.hpp>

#include "Components/Core/Collider.h"
#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"

const ClassKey TerrainFactory::s_Class("TerrainFactory");

TerrainFactory::TerrainFactory(GameObj* owner) : Component(owner, s_Class) {}

bool TerrainFactory::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

bool TerrainFactory::Load(lua_State* L)
{
    lua_getfield(L, -1, "terrain");
    if (lua_istable(L, -1)) {
        const size_t count = LuaGetItemCount(L);
        for (size_t i = 1; i <= count; ++i) {
            lua_rawgeti(L, -1, static_cast<int>(i));
            if (lua_istable(L, -1)) {
                TerrainRecord record;
                record.layerMask = LuaGetIntField(L, "layerMask");
                lua_getfield(L, -1, "cullingMask");
                const bool hasMask = !lua_isnil(L, -1);
                lua_pop(L, 1);
                if (hasMask)
                    record.cullingMask = LuaGetIntField(L, "cullingMask");
                record.offsetX = LuaGetFloatField(L, "x") - 512.0f;
                record.offsetY = 256.0f - LuaGetFloatField(L, "y");
                lua_getfield(L, -1, "polyline");
                if (lua_istable(L, -1)) {
                    const size_t points = LuaGetItemCount(L);
                    for (size_t p = 1; p <= points; ++p) {
                        lua_rawgeti(L, -1, static_cast<int>(p));
                        float x = 0.0f, y = 0.0f;
                        if (lua_istable(L, -1)) {
                            x = LuaGetFloatField(L, "x");
                            y = LuaGetFloatField(L, "y");
                        }
                        record.points.emplace_back(x, -y);
                        lua_pop(L, 1);
                    }
                }
                lua_pop(L, 1);
                m_Terrain.push_back(std::move(record));
            }
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
    return true;
}

void TerrainFactory::Start()
{
    // Terrain built inside terrain (a template that builds terrain itself) would never end.
    for (GameObj* p = GetOwner()->GetParent(); p; p = p->GetParent())
        if (p->GetComponent(s_Class.Key)) {
            LOG_ERROR << "TerrainFactory of \"" << GetOwner()->GetPrototypeName() << "\" lies inside the terrain of \""
                      << p->GetPrototypeName() << "\"; it builds nothing.";
            return;
        }
    for (const TerrainRecord& record : m_Terrain)
        BuildSegments(record);
}

std::vector<SegmentCollider*> TerrainFactory::BuildSegments(const TerrainRecord& record)
{
    std::vector<SegmentCollider*> segments;
    if (record.points.size() < 2)
        return segments;
    const std::string& area = GetOwner()->GetPrototypeName();
    for (size_t i = 0; i + 1 < record.points.size(); ++i) {
        GameObj* obj = g_pSceneManager ? g_pSceneManager->Spawn("terrain_template", GetOwner(), 0.0f, 0.0f) : nullptr;
        if (!obj) {
            LOG_ERROR << "TerrainFactory of \"" << area << "\": no \"terrain_template\" to build segment " << i
                      << " from; it is left out.";
            segments.push_back(nullptr);
            continue;
        }
        obj->SetLayer(static_cast<uint32_t>(record.layerMask));
        auto* seg = static_cast<SegmentCollider*>(obj->AddComponent("SegmentCollider", nullptr));
        if (!seg) {
            LOG_ERROR << "TerrainFactory of \"" << area << "\": segment " << i
                      << " could not get a SegmentCollider; it is left out.";
            segments.push_back(nullptr);
            continue;
        }
        seg->SetCullingMask(static_cast<uint32_t>(record.cullingMask));
        const auto& s = record.points[i];
        const auto& e = record.points[i + 1];
        seg->SetEndpoints(s.first + record.offsetX, s.second + record.offsetY, e.first + record.offsetX,
            e.second + record.offsetY);
        segments.push_back(seg);
    }
    for (size_t i = 0; i < segments.size(); ++i) {
        if (!segments[i])
            continue;
        segments[i]->SetNeighbours(i > 0 ? segments[i - 1] : nullptr, i + 1 < segments.size() ? segments[i + 1] : nullptr);
    }
    return segments;
}
