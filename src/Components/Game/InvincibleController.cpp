#include "Components/Game/InvincibleController.h"

#include <cmath>

#include <lua.hpp>

#include "Components/Core/Collider.h"
#include "Components/Core/Renderer.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"

const ClassKey InvincibleController::s_Class("InvincibleController");

InvincibleController::InvincibleController(GameObj* owner) : Component(owner, s_Class) {}

bool InvincibleController::Load(lua_State* L)
{
    m_fDuration = LuaGetFloatField(L, "duration");
    m_fBlinkInterval = LuaGetFloatField(L, "blinkInterval");
    m_nInvincibleMask = LuaGetUIntField(L, "invincibleMask");
    // Subtracting a non-positive interval would never bring the timer below it.
    if (!(m_fBlinkInterval > 0.0f))
        LOG_WARNING << "InvincibleController of \"" << GetOwner()->GetPrototypeName() << "\": blinkInterval "
                    << m_fBlinkInterval << " is not positive; the object does not blink.";
    return true;
}

bool InvincibleController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void InvincibleController::Start()
{
    m_pRenderer = GetOwner()->GetRenderer();
    m_pCollider = GetOwner()->GetCollider();
    if (m_pCollider)
        m_nSavedMask = m_pCollider->GetCullingMask();
    else
        LOG_ERROR << "InvincibleController of \"" << GetOwner()->GetPrototypeName()
                  << "\" has no collider; its spells only blink.";
    Disable();
}

void InvincibleController::Update()
{
    const float dt = GetAppDeltaTime();
    m_fBlinkTimer += dt;
    if (m_fBlinkInterval > 0.0f && m_fBlinkTimer >= m_fBlinkInterval) {
        m_fBlinkTimer = std::fmod(m_fBlinkTimer, m_fBlinkInterval);
        if (m_pRenderer) {
            if (m_pRenderer->IsEnabled())
                m_pRenderer->Disable();
            else
                m_pRenderer->Enable();
        }
    }
    m_fElapsed += dt;
    if (m_fElapsed >= m_fDuration)
        End();
}

void InvincibleController::ShowRenderer()
{
    if (m_pRenderer && !m_pRenderer->IsEnabled())
        m_pRenderer->Enable();
}

void InvincibleController::Begin()
{
    if (IsEnabled())
        return;
    m_fElapsed = 0.0f;
    m_fBlinkTimer = 0.0f;
    ShowRenderer();
    Enable();
    PushMask();
}

void InvincibleController::End()
{
    if (!IsEnabled())
        return;
    ShowRenderer();
    PopMask();
    Disable();
}

void InvincibleController::PushMask()
{
    if (!m_pCollider)
        return;
    if (m_nMaskCount++ <= 0)
        m_pCollider->SetCullingMask(m_nInvincibleMask);
}

void InvincibleController::PopMask()
{
    if (!m_pCollider || m_nMaskCount <= 0)
        return;
    if (--m_nMaskCount == 0)
        m_pCollider->SetCullingMask(m_nSavedMask);
}
