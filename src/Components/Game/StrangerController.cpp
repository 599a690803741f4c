#include "Components/Game/StrangerController.h"

#include <algorithm>
#include <cmath>

#include <lua.hpp>

#include "Components/Core/Camera2D.h"
#include "Components/Core/Collider.h"
#include "Components/Core/Kinematics.h"
#include "Components/Core/MusicPlayer.h"
#include "Components/Game/AttemptDamageController.h"
#include "Components/Game/EnemyController.h"
#include "Components/Game/TalkChannel.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Sound/SoundManager.h"
#include "World/GameObj.h"
#include "World/PlayerSaveData.h"
#include "World/SceneManager.h"

const ClassKey StrangerController::s_Class("StrangerController");

namespace {

double NumberItem(lua_State* L, int index)
{
    lua_rawgeti(L, -1, index + 1);
    const double value = lua_isnumber(L, -1) ? lua_tonumber(L, -1) : 0.0;
    lua_pop(L, 1);
    return value;
}

// A number field, or a pair {a, b} handed to pick; absent or mistyped reads 0.
template <typename Pick>
double NumberOrRange(lua_State* L, const char* name, Pick pick)
{
    lua_getfield(L, -1, name);
    double value = 0.0;
    if (lua_istable(L, -1))
        value = pick(NumberItem(L, 0), NumberItem(L, 1));
    else if (lua_isnumber(L, -1))
        value = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return value;
}

void StartBgm(NameId key)
{
    // The music already stopped: PlayBgm starts the key afresh, looping.
    if (key != 0)
        g_pSoundManager->PlayBgm(0.0f, key, true);
}

} // namespace

void RestoreStageMusic(NameId stageMusic, float fadeSeconds)
{
    if (!g_pSoundManager)
        return;
    const IAudioSource* current = g_pSoundManager->GetCurrentBgm();
    if (current && current->GetKey() == stageMusic)
        return;
    g_pSoundManager->FadeOutBgm(fadeSeconds);
    StartBgm(stageMusic);
}

StrangerController::StrangerController(GameObj* owner) : Component(owner, s_Class) {}

bool StrangerController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

bool StrangerController::Load(lua_State* L)
{
    const std::string theme = LuaGetStringField(L, "themeSong");
    m_nThemeSong = theme.empty() ? 0 : HashName(theme);
    m_fDuration = static_cast<float>(NumberOrRange(L, "duration", [](double a, double b) {
        return static_cast<double>(RandomFloat(LuaRoundToFloat(a), LuaRoundToFloat(b)));
    }));
    m_nExtraExp = LuaTruncateToInt32(NumberOrRange(L, "extraExp", [](double a, double b) {
        const double lo = std::min(a, b), hi = std::max(a, b);
        return lo + std::trunc((hi - lo) * static_cast<double>(RandomNext()) / 4294967295.0);
    }));
    const std::string exitState = LuaGetStringField(L, "exitState");
    // Without the key it leaves through the state named "exitState"; with none to enter it
    // would never leave and its theme would play on.
    m_nExitState = HashName(exitState.empty() ? std::string("exitState") : exitState);
    return true;
}

void StrangerController::Start()
{
    m_pEnemy = static_cast<EnemyController*>(GetOwner()->GetComponent(EnemyController::s_Class.Key));
    const GameObj* root = g_pSceneManager ? g_pSceneManager->GetRoot() : nullptr;
    const auto* music = root ? static_cast<const MusicPlayer*>(root->GetComponent(MusicPlayer::s_Class.Key)) : nullptr;
    m_nStageMusic = music ? music->m_nTrack : 0;
    uint32_t levels = 0;
    for (uint32_t level : g_PlayerSaveData.m_aLevels)
        levels += level;
    m_nExtraExp = SaturateToInt32(static_cast<double>(m_nExtraExp) * static_cast<double>(levels / 6 + 1));
}

void StrangerController::Update()
{
    switch (m_nStep) {
    case 0:
        if (g_pSoundManager) {
            g_pSoundManager->FadeOutBgm(0.0f);
            StartBgm(m_nThemeSong);
        }
        TalkOnBargeIn();
        m_nStep = 1;
        break;
    case 1:
        m_fTimer += GetAppDeltaTime();
        if (m_fTimer < m_fDuration)
            break;
        if (m_pEnemy)
            m_pEnemy->EnterState(m_nExitState);
        if (Kinematics* body = GetOwner()->GetKinematics())
            body->m_bNeedClamp = false;
        if (Collider* collider = GetOwner()->GetCollider())
            collider->SetCullingMask(0);
        m_nStep = 2;
        break;
    case 2: {
        const Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
        if (!camera)
            break;
        const Vec2 at = WorldPosition(GetOwner());
        const Vec2 eye = WorldPosition(camera->GetOwner());
        const float dx = at.x - eye.x, dy = at.y - eye.y;
        if (dx * dx + dy * dy < kStrangerGoneDistanceSq)
            break;
        if (m_pEnemy)
            m_pEnemy->m_nFlags |= eEnemyFlag_Despawned;
        GetOwner()->Deactivate();
        RestoreStageMusic(m_nStageMusic, 1.0f);
        TalkOnBowOut();
        m_nStep = 3;
        break;
    }
    default:
        break;
    }
}

GameObj* SpawnStranger(const std::string& name, GameObj* parent, float x, float y)
{
    if (!g_pSceneManager)
        return nullptr;
    GameObj* object = g_pSceneManager->Spawn(name, parent, x, y);
    if (!object) {
        LOG_ERROR << "The stranger \"" << name << "\" could not be made; it does not come.";
        return nullptr;
    }
    auto* enemy = static_cast<EnemyController*>(object->GetComponent(EnemyController::s_Class.Key));
    if (!enemy) {
        LOG_ERROR << "The stranger \"" << name << "\" has no EnemyController; it does not come.";
        g_pSceneManager->DestroyLater(object, 0.0f);
        return nullptr;
    }
    enemy->m_nFlags |= eEnemyFlag_KeepOffscreen;
    return object;
}

void PayStrangerExperience(GameObj* victim)
{
    const auto* stranger =
        victim ? static_cast<const StrangerController*>(victim->GetComponent(StrangerController::s_Class.Key)) : nullptr;
    if (!stranger)
        return;
    const int32_t e = stranger->GetExtraExperience();
    // The saved points and the play's statistic both.
    if (e > 0)
        g_PlayerSaveData.AddExperience(static_cast<uint32_t>(e));
    if (g_pSceneManager) {
        const Vec2 at = WorldPosition(victim);
        g_pSceneManager->Spawn("gameobj_effect_experience_emitter", g_pSceneManager->GetRoot(), at.x, at.y);
    }
}
