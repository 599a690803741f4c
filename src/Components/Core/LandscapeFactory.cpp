#include "Components/Core/LandscapeFactory.h"

#include <algorithm>
#include <cmath>

#include <lua.hpp>

#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

const ClassKey LandscapeFactory::s_Class("LandscapeFactory");

namespace {

// Placements made in one frame under one stage root (by its id: ids are never reused).
int32_t g_nBudgetRootId = -1;
uint32_t g_nBudgetFrame = 0;
int64_t g_nStagePlacements = 0;

} // namespace

LandscapeFactory::LandscapeFactory(GameObj* owner) : Component(owner, s_Class) {}

bool LandscapeFactory::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void LandscapeFactory::ReadManualEntry(lua_State* L, LandscapeEntry& entry)
{
    entry = LandscapeEntry();
    if (!lua_istable(L, -1))
        return;
    entry.name = LuaGetStringField(L, "name");
    lua_getfield(L, -1, "position");
    if (lua_istable(L, -1)) {
        entry.offsetX = LuaGetFloatField(L, "x") - kBaseX;
        entry.offsetY = kBaseY - LuaGetFloatField(L, "y");
        entry.z = LuaGetFloatField(L, "z");
    }
    lua_pop(L, 1);
    entry.rate = LuaGetIntField(L, "rate");
}

void LandscapeFactory::ReadProceduralEntry(lua_State* L, LandscapeSpreadEntry& entry)
{
    entry = LandscapeSpreadEntry();
    if (!lua_istable(L, -1))
        return;
    entry.name = LuaGetStringField(L, "name");
    lua_getfield(L, -1, "position");
    if (lua_istable(L, -1)) {
        lua_getfield(L, -1, "x");
        if (lua_istable(L, -1)) {
            entry.xMin = LuaGetFloatField(L, "min");
            entry.xMax = LuaGetFloatField(L, "max");
        }
        lua_pop(L, 1);
        entry.y = LuaGetFloatField(L, "y");
        entry.xMin -= kBaseX;
        entry.xMax -= kBaseX;
        entry.y = kBaseY - entry.y;
    }
    lua_pop(L, 1);
    lua_getfield(L, -1, "count");
    if (lua_istable(L, -1)) {
        entry.countMin = LuaGetIntField(L, "min");
        entry.countMax = LuaGetIntField(L, "max");
    }
    lua_pop(L, 1);
}

bool LandscapeFactory::Load(lua_State* L)
{
    const std::string& file = GetOwner()->GetPrototypeName();
    LuaReadingFile reading(file);
    lua_getfield(L, -1, "manual");
    if (lua_istable(L, -1)) {
        const size_t count = LuaGetItemCount(L);
        m_Manual.resize(count);
        for (size_t i = 0; i < count; ++i) {
            lua_rawgeti(L, -1, static_cast<lua_Integer>(i + 1));
            ReadManualEntry(L, m_Manual[i]);
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
    lua_getfield(L, -1, "procedural");
    if (lua_istable(L, -1)) {
        const size_t count = LuaGetItemCount(L);
        m_Procedural.resize(count);
        for (size_t i = 0; i < count; ++i) {
            lua_rawgeti(L, -1, static_cast<lua_Integer>(i + 1));
            ReadProceduralEntry(L, m_Procedural[i]);
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
    lua_getfield(L, -1, "conditional");
    if (lua_istable(L, -1)) {
        const size_t count = LuaGetItemCount(L);
        m_Conditional.resize(count);
        for (size_t i = 0; i < count; ++i) {
            LandscapeConditionalEntry& entry = m_Conditional[i];
            lua_rawgeti(L, -1, static_cast<lua_Integer>(i + 1));
            if (lua_istable(L, -1)) {
                lua_getfield(L, -1, "condition");
                if (lua_isnil(L, -1)) {
                    // No condition: one group of one condition that always holds.
                    Condition always;
                    always.m_nCompare = eCompare_Always;
                    entry.condition.m_Groups.assign(1, ConditionGroup(1, always));
                } else {
                    ConditionSet::Load(L, entry.condition);
                }
                lua_pop(L, 1);
                lua_getfield(L, -1, "consequent");
                ReadManualEntry(L, entry.consequent);
                lua_pop(L, 1);
                lua_getfield(L, -1, "alternative");
                ReadManualEntry(L, entry.alternative);
                lua_pop(L, 1);
            }
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
    return true;
}

void LandscapeFactory::Origin(float& x, float& y) const
{
    const Transform* t = GetOwner()->GetTransform();
    x = t ? t->WorldMatrix().m[3][0] : 0.0f;
    y = t ? t->WorldMatrix().m[3][1] : 0.0f;
}

void LandscapeFactory::Start()
{
    float x, y;
    Origin(x, y);
    for (const LandscapeEntry& entry : m_Manual)
        PlaceManual(entry, GetOwner(), x, y);
    PlaceProcedural();
    PlaceConditional();
}

GameObj* LandscapeFactory::Make(const std::string& name, GameObj* parent)
{
    const std::string& area = GetOwner()->GetPrototypeName();
    for (const GameObj* o = GetOwner(); o; o = o->GetParent())
        if (o->GetPrototypeName() == name) {
            LOG_ERROR << "LandscapeFactory of \"" << area << "\": \"" << name
                      << "\" holds this factory and would place itself without end; it is left out.";
            return nullptr;
        }
    const GameObj* root = GetOwner();
    while (root->GetParent())
        root = root->GetParent();
    if (root->GetId() != g_nBudgetRootId || GetAppFrameCount() != g_nBudgetFrame) {
        g_nBudgetRootId = root->GetId();
        g_nBudgetFrame = GetAppFrameCount();
        g_nStagePlacements = 0;
    }
    if (g_nStagePlacements >= kMaxStagePlacements) {
        if (g_nStagePlacements++ == kMaxStagePlacements)
            LOG_ERROR << "LandscapeFactory of \"" << area << "\": the stage already has " << kMaxStagePlacements
                      << " landscape objects placed in this frame; \"" << name << "\" and every later one are left out.";
        return nullptr;
    }
    GameObj* object = g_pSceneManager ? g_pSceneManager->Instantiate(name, parent, nullptr) : nullptr;
    if (!object)
        LOG_ERROR << "LandscapeFactory of \"" << area << "\": no prototype \"" << name << "\" to place; it is left out.";
    else
        ++g_nStagePlacements;
    return object;
}

GameObj* LandscapeFactory::PlaceManual(const LandscapeEntry& entry, GameObj* parent, float originX, float originY)
{
    const uint32_t r = RandomNext();
    if (static_cast<int64_t>(r % 100u) >= entry.rate || entry.name.empty())
        return nullptr;
    GameObj* object = Make(entry.name, parent);
    Transform* t = object ? object->GetTransform() : nullptr;
    if (!t)
        return object;
    float x = originX + entry.offsetX;
    float y = originY + entry.offsetY;
    if (GameObj* up = object->GetParent())
        if (const Transform* pt = up->GetTransform()) {
            x -= pt->WorldMatrix().m[3][0];
            y -= pt->WorldMatrix().m[3][1];
        }
    const float z = entry.z != 0.0f ? entry.z : t->LocalMatrix().m[3][2];
    t->SetLocalPosition(x, y, z);
    t->UpdateWorldMatrices();
    return object;
}

void LandscapeFactory::PlaceProcedural()
{
    float ownerX, ownerY;
    Origin(ownerX, ownerY);
    for (const LandscapeSpreadEntry& entry : m_Procedural) {
        const int64_t lo = std::min(entry.countMin, entry.countMax);
        const int64_t hi = std::max(entry.countMin, entry.countMax);
        const double u = static_cast<double>(RandomNext());
        int64_t count = lo + static_cast<int64_t>(static_cast<double>(hi - lo) * u * 2.3283064370807974e-10);
        if (count > kMaxSpreadCount) {
            LOG_ERROR << "LandscapeFactory of \"" << GetOwner()->GetPrototypeName() << "\": " << count << " of \""
                      << entry.name << "\" drawn; only " << kMaxSpreadCount << " are placed.";
            count = kMaxSpreadCount;
        }
        const float left = std::min(entry.xMin, entry.xMax);
        const float span = std::fabs(entry.xMax - entry.xMin);
        bool failed = false;
        for (int64_t i = 0; i < count; ++i) {
            // After one failure every copy would fail alike: no more errors, but the draws go on
            // so that the later entries keep their places.
            GameObj* object = failed ? nullptr : Make(entry.name, GetOwner());
            failed = !object;
            const float drawn = static_cast<float>(RandomNext());
            if (!object)
                continue;
            Transform* t = object->GetTransform();
            if (!t)
                continue;
            const float x = std::trunc(left + span * drawn / 4294967295.0f + 0.5f);
            float wx = ownerX + x;
            float wy = ownerY + entry.y;
            if (GameObj* up = object->GetParent())
                if (const Transform* pt = up->GetTransform()) {
                    wx -= pt->WorldMatrix().m[3][0];
                    wy -= pt->WorldMatrix().m[3][1];
                }
            const float z = t->LocalMatrix().m[3][2] + static_cast<float>(i) * 0.0001f;
            t->SetLocalPosition(wx, wy, z);
            t->UpdateWorldMatrices();
        }
    }
}

void LandscapeFactory::PlaceConditional()
{
    if (m_Conditional.empty())
        return;
    ConditionContext context;
    context.m_pObject = nullptr;
    context.m_pQuestController = FindStageQuestController();
    float x, y;
    Origin(x, y);
    for (const LandscapeConditionalEntry& entry : m_Conditional)
        PlaceManual(entry.condition.Evaluate(context) ? entry.consequent : entry.alternative, GetOwner(), x, y);
}
