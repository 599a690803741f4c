#include "Components/Game/GimmickActivateObject.h"

#include <lua.hpp>

#include "Components/Core/CollisionWorld.h"
#include "Components/UI/UIEventWidgets.h"
#include "Components/UI/UIRoot.h"
#include "System/Common/NameHash.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/Transform.h"

const ClassKey GimmickActivateObject::s_Class("GimmickActivateObject");

GimmickActivateObject::GimmickActivateObject(GameObj* owner) : Component(owner, s_Class) {}

bool GimmickActivateObject::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

bool GimmickActivateObject::Load(lua_State* L)
{
    const std::string target = LuaGetStringField(L, "target");
    m_nTargetTag = target.empty() ? 0 : HashName(target);
    if (LuaPushPath(L, "target_offset")) {
        m_vTargetOffset = {LuaGetFloatField(L, "x"), LuaGetFloatField(L, "y")};
        lua_pop(L, 1);
    }
    m_bOnlyOverlap = LuaGetBoolField(L, "only_overlap");
    lua_getfield(L, -1, "layer_mask");
    const bool hasMask = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (hasMask)
        m_nLayerMask = LuaGetUIntField(L, "layer_mask");
    return true;
}

GameObj* GimmickActivateObject::GetTarget() const { return UIObjectFromParam(m_nTargetId); }

void GimmickActivateObject::OnEnable()
{
    if (m_bLookedUp)
        return;
    m_bLookedUp = true;
    GameObj* target = GetOwner()->FindActiveByTag(m_nTargetTag);
    if (!target)
        return;
    m_nTargetId = target->GetId();
    if (Transform* t = target->GetTransform()) {
        const Matrix4x4& local = t->LocalMatrix();
        t->SetLocalPosition(local.m[3][0] + m_vTargetOffset.x, local.m[3][1] + m_vTargetOffset.y, local.m[3][2]);
        t->UpdateWorldMatrices();
    }
    target->Deactivate();
}

void GimmickActivateObject::OnCollisionEnter(const CollisionInfo& info)
{
    GameObj* target = GetTarget();
    if (!target || !info.other || !(info.other->GetLayer() & m_nLayerMask))
        return;
    if (target->IsActive())
        target->Deactivate();
    target->Activate();
}

void GimmickActivateObject::OnCollisionExit(const CollisionInfo&)
{
    GameObj* target = m_bOnlyOverlap ? GetTarget() : nullptr;
    if (!target)
        return;
    if (target->GetComponent(UIActivateTween::s_Class.Key))
        PostUIEvent(GetOwner(), target, eUIEvent_Closing, UIObjectToParam(GetOwner()));
    else
        target->Deactivate();
}
