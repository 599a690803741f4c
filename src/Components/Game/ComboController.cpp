#include "Components/Game/ComboController.h"

#include <algorithm>

#include "Components/Game/TalkChannel.h"
#include "Components/UI/UIHud.h"
#include "System/Common/FrameCounter.h"
#include "System/Lua/LuaTableReader.h"
#include "World/PlayStatistics.h"

const ClassKey ComboController::s_Class("ComboController");

namespace {

void ShowComboOnHud(int32_t count)
{
    UIFrameHud* hud = FindHud();
    if (hud && hud->m_pCombo)
        hud->m_pCombo->ShowCount(count);
}

} // namespace

void (*g_pfnShowComboCount)(int32_t count) = ShowComboOnHud;

ComboController::ComboController(GameObj* owner) : Component(owner, s_Class) {}

bool ComboController::Load(lua_State* L)
{
    // An absent key keeps its working default: an acceptance time or a cap of 0 would never
    // show a combo.
    if (LuaHasField(L, "comboAcceptableTime"))
        m_fAcceptableTime = LuaGetFloatField(L, "comboAcceptableTime");
    if (LuaHasField(L, "maxComboCount"))
        m_nMaxCount = LuaGetIntField(L, "maxComboCount");
    if (LuaHasField(L, "comboNotice"))
        m_nNotice = LuaGetIntField(L, "comboNotice");
    return true;
}

bool ComboController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void ComboController::Update()
{
    // The first frame looks the HUD up, so the root's quest controller caches it.
    if (m_bFirstUpdate) {
        m_bFirstUpdate = false;
        FindHud();
        return;
    }
    if (m_nCount < 0)
        return;
    m_fTimer += GetAppDeltaTime();
    if (m_fTimer >= m_fAcceptableTime)
        m_nCount = -1;
}

void ComboController::AddHit()
{
    const bool started = m_nCount >= 0;
    m_nCount = m_nCount == INT32_MAX ? INT32_MAX : m_nCount + 1;
    m_fTimer = 0.0f;
    if (!started)
        return;
    m_nCount = std::min(m_nCount, m_nMaxCount);
    if (g_pfnShowComboCount)
        g_pfnShowComboCount(m_nCount);
    TalkOnCombo(m_nCount);
    g_PlayStatistics.m_nBestCombo = std::max(g_PlayStatistics.m_nBestCombo, m_nCount);
}
