#include "Components/Game/GimmickObjectName.h"

#include <lua.hpp>

#include "Components/Core/CollisionWorld.h"
#include "Components/UI/UIHud.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"

const ClassKey GimmickObjectName::s_Class("GimmickObjectName");

GimmickObjectName::GimmickObjectName(GameObj* owner) : Component(owner, s_Class) {}

bool GimmickObjectName::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

bool GimmickObjectName::Load(lua_State* L)
{
    m_fDisplayTime = LuaGetFloatField(L, "display_time");
    m_bIsOther = LuaGetBoolField(L, "is_other");
    m_bIsCollisionStay = LuaGetBoolField(L, "is_collision_stay");
    lua_getfield(L, -1, "layer_mask");
    const bool hasMask = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (hasMask)
        m_nLayerMask = LuaGetUIntField(L, "layer_mask");
    return true;
}

void GimmickObjectName::OnCollisionEnter(const CollisionInfo& info) { ShowName(info.other); }

void GimmickObjectName::OnCollisionStay(const CollisionInfo& info)
{
    if (m_bIsCollisionStay)
        ShowName(info.other);
}

void GimmickObjectName::ShowName(const GameObj* other)
{
    if (!other || !other->IsActive() || !(other->GetLayer() & m_nLayerMask))
        return;
    if (!m_pHud)
        m_pHud = FindHud();
    if (!m_pHud || !m_pHud->m_pObjectName)
        return;
    const GameObj* named = m_bIsOther ? other : GetOwner();
    m_pHud->m_pObjectName->Show(named->GetObjectName(), m_fDisplayTime);
}
