#include "Components/Game/QuestController.h"

#include <cmath>

#include <lua.hpp>

#include "Components/Core/Camera2D.h"
#include "Components/Game/TalkChannel.h"
#include "System/Application/MainApp.h"
#include "System/Common/GameSettings.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/PlayStatistics.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

const ClassKey QuestController::s_Class("QuestController");

namespace {

const ClassKey kObjectiveClass("ObjectiveController");

} // namespace

QuestController::QuestController(GameObj* owner) : Component(owner, s_Class) {}

bool QuestController::Load(lua_State* L)
{
    if (LuaPushPath(L, "initPlayerPos")) {
        if (lua_istable(L, -1)) {
            m_vInitPlayerPos = {LuaGetFloatField(L, "x"), LuaGetFloatField(L, "y")};
            m_bHasInitPlayerPos = true;
        }
        lua_pop(L, 1);
    }
    return true;
}

bool QuestController::Attach()
{
    g_CameraRegistry.Clear();
    return true;
}

bool QuestController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void QuestController::Place(const char* prototype, float dx, float dy)
{
    if (!g_pSceneManager)
        return;
    GameObj* obj = g_pSceneManager->Spawn(prototype, GetOwner(), dx, dy);
    if (!obj)
        LOG_ERROR << "QuestController of \"" << GetOwner()->GetPrototypeName() << "\": no prototype \"" << prototype
                  << "\" to place.";
}

Vec2 QuestController::ChoosePlayerPosition() const
{
    if (m_bHasInitPlayerPos)
        return m_vInitPlayerPos;
    const int32_t areas = m_pQuest ? m_pQuest->m_nAreaCount : 0;
    const float x = RandomFloat(128.0f, static_cast<float>(areas) * 1024.0f - 128.0f);
    return {static_cast<float>(LuaTruncateToInt32(x + 0.5f)), 512.0f};
}

void QuestController::Start()
{
    // The menus' result listener and the HUD join with the quest flow.
    g_PlayStatistics.Reset();
    m_pQuest = g_pQuestTable ? g_pQuestTable->m_pCurrentQuest : nullptr;
    m_pObjective = GetOwner()->GetComponent(kObjectiveClass.Key);
    // Only the stage's own director places: one on a placed object would place again at every
    // start, without end when the player carries one.
    if (!g_pSceneManager || g_pSceneManager->GetRoot() != GetOwner()) {
        LOG_ERROR << "QuestController of \"" << GetOwner()->GetPrototypeName()
                  << "\" is not on the stage's root; it places nothing.";
        return;
    }
    if (!m_pQuest) {
        LOG_ERROR << "QuestController of \"" << GetOwner()->GetPrototypeName()
                  << "\": no current quest; nothing is placed.";
        return;
    }
    m_bHome = m_pQuest->m_nKey == HashName("vididezare");
    if (m_bHome) {
        Place("gameobj_player_pemba", kHomePlacementX, kHomePlacementY);
        Place("camera", kHomePlacementX, kHomePlacementY);
        Place("ui_camera", 0.0f, 0.0f);
        if (g_pApplication && g_pApplication->m_pSettings && g_pApplication->m_pSettings->m_bAutoSave)
            g_PlayerSaveData.Write("QMSave.sav");
    } else {
        const int32_t clears = static_cast<int32_t>(g_PlayerSaveData.GetQuestClearCount(m_pQuest->m_nKey));
        m_nQuestLevel = m_pQuest->m_nInitialLevel + clears - 1;
        g_PlayStatistics.m_nLevel = m_pQuest->m_nInitialLevel + clears;
        const Vec2 at = ChoosePlayerPosition();
        Place("gameobj_player_pemba", at.x, at.y);
        Place("camera", at.x, at.y);
        Place("ui_camera", 0.0f, 0.0f);
    }
    m_nOutcome = 0;
    g_nTalkEnableMask = 0x7FFFFFFF;
    if (g_pApplication)
        g_pApplication->m_fTimeScale = 1.0f;
}
