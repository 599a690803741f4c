#include "Components/UI/UIDamageNumber.h"

#include <algorithm>
#include <lua.hpp>

#include "Components/Core/SpriteNumberRenderer.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "World/DataTableLoader.h"
#include "World/GameObj.h"
#include "World/Transform.h"

const ClassKey UIDamageNumber::s_Class("UIDamageNumber");

namespace {

const char* const kTypeKeys[eDamageType_max] = {"enemy_damage", "player_damage", "critical", "healing"};

} // namespace

UIDamageNumber::UIDamageNumber(GameObj* owner) : Component(owner, s_Class) {}

bool UIDamageNumber::Load(lua_State* L)
{
    m_fGravity = LuaGetFloatField(L, "gravity");
    lua_getfield(L, -1, "velocity");
    if (lua_istable(L, -1)) {
        m_fVelocityX = LuaGetFloatOrRandomRange(L, "x");
        m_fVelocityY = LuaGetFloatOrRandomRange(L, "y");
    }
    lua_pop(L, 1);
    lua_getfield(L, -1, "damage_number");
    if (lua_istable(L, -1)) {
        for (int type = 0; type < eDamageType_max; ++type) {
            lua_getfield(L, -1, kTypeKeys[type]);
            if (lua_istable(L, -1)) {
                lua_rawgeti(L, -1, 1);
                if (lua_istable(L, -1)) {
                    // Digits beyond the ninth have no use; the list keeps ten.
                    const size_t count = std::min<size_t>(LuaGetItemCount(L), kDigitCount);
                    for (size_t j = 0; j < count; ++j) {
                        const std::string name = LuaGetStringItem(L, static_cast<int>(j));
                        m_aSprites[type][j] = HashName(name);
                    }
                }
                lua_pop(L, 1);
                m_aPadding[type] = LuaGetIntItem(L, 1);
            }
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
    return true;
}

bool UIDamageNumber::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void UIDamageNumber::FindComponents()
{
    if (m_bFound)
        return;
    m_bFound = true;
    m_pNumber = static_cast<SpriteNumberRenderer*>(GetOwner()->GetComponent(SpriteNumberRenderer::s_Class.Key));
    m_pTransform = GetOwner()->GetTransform();
    if (m_pTransform)
        m_fDepth = m_pTransform->LocalMatrix().m[3][2];
}

void UIDamageNumber::Start()
{
    FindComponents();
    if (m_pNumber) {
        m_pNumber->SetNumber(m_nValue);
        m_pNumber->SetColor(m_nColor);
    }
}

void UIDamageNumber::Show(int32_t value, int32_t nDamageType)
{
    QM_ASSERT(nDamageType >=0 && nDamageType < eDamageType_max);
    if (nDamageType < 0 || nDamageType >= eDamageType_max)
        return;
    m_nValue = value;
    m_nColor = 0xFFFFFFFFu;
    FindComponents();
    if (!m_pNumber)
        return;
    m_pNumber->SetDigitSprites(m_aSprites[nDamageType]);
    m_pNumber->SetPadding(static_cast<float>(m_aPadding[nDamageType]), 0.0f);
    m_pNumber->SetNumber(value);
    m_pNumber->SetColor(0xFFFFFFFFu);
}

void UIDamageNumber::Update()
{
    FindComponents();
    if (!m_pTransform)
        return;
    const float dt = GetAppDeltaTime();
    m_fVelocityY += m_fGravity * dt;
    Matrix4x4& local = m_pTransform->LocalMatrix();
    m_pTransform->SetLocalPosition(local.m[3][0] + m_fVelocityX * dt, local.m[3][1] + m_fVelocityY * dt, local.m[3][2]);
    m_pTransform->UpdateWorldMatrices();
    m_fDepth += dt;
    m_pTransform->SetLocalPosition(local.m[3][0], local.m[3][1], m_fDepth);
    m_pTransform->UpdateWorldMatrices();
}
