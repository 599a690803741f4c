#include "Components/Game/ActorController.h"

#include <cmath>

#include <lua.hpp>

#include "Components/Core/Animation.h"
#include "Components/Core/Collider.h"
#include "Components/Core/Kinematics.h"
#include "Components/Core/Renderer.h"
#include "Components/Core/SpriteBlurRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/InvincibleController.h"
#include "Components/Game/KnockbackController.h"
#include "Components/Game/PowerController.h"
#include "Components/Game/QuestController.h"
#include "Components/Game/StatusParameter.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

const ClassKey ActorController::s_Class("ActorController");
const ClassKey g_SpriteBlurRendererClass("SpriteBlurRenderer");

namespace {

// A trail switched on starts a fresh interval; switched off, its copies fade out.
void StartTrail(Component* trail)
{
    auto* blur = static_cast<SpriteBlurRenderer*>(trail);
    blur->SetSpawning(true);
    blur->SetSpawnTimer(0.0f);
}

void StopTrail(Component* trail) { static_cast<SpriteBlurRenderer*>(trail)->SetSpawning(false); }

} // namespace

TrailHooks g_TrailHooks{StartTrail, StopTrail};

namespace {

const ClassKey kInventoryClass("Inventory");
const ClassKey kComboClass("ComboController");

} // namespace

QuestController* FindRootQuestController()
{
    GameObj* root = g_pSceneManager ? g_pSceneManager->GetRoot() : nullptr;
    return root ? static_cast<QuestController*>(root->GetComponent(QuestController::s_Class.Key)) : nullptr;
}

Vec2 WorldPosition(const GameObj* object)
{
    const Transform* t = object ? object->GetTransform() : nullptr;
    if (!t)
        return {0.0f, 0.0f};
    return {t->WorldMatrix().m[3][0], t->WorldMatrix().m[3][1]};
}

ActorController::ActorController(GameObj* owner, const ClassKey& classKey) : Component(owner, classKey) {}

bool ActorController::Load(lua_State* L)
{
    m_nKnockbackType = LuaGetIntField(L, "knockbackType");
    lua_getfield(L, -1, "deadEffect");
    const bool hasDeadEffect = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (hasDeadEffect)
        m_strDeadEffect = LuaGetStringField(L, "deadEffect");
    return true;
}

bool ActorController::Attach()
{
    GetOwner()->SetActorController(this);
    m_pQuestController = FindRootQuestController();
    return true;
}

void ActorController::Detach()
{
    if (GetOwner()->GetActorController() == this)
        GetOwner()->SetActorController(nullptr);
}

bool ActorController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void ActorController::Start()
{
    GameObj* owner = GetOwner();
    m_pTransform = owner->GetTransform();
    m_pKinematics = owner->GetKinematics();
    m_pRenderer = owner->GetRenderer();
    m_pCollider = owner->GetCollider();
    m_pSpriteAnimation = owner->GetSpriteAnimation();
    m_pCollisionAnimation = static_cast<CollisionAnimation*>(owner->GetComponent(CollisionAnimation::s_Class.Key));
    m_pHealth = static_cast<HealthController*>(owner->GetComponent(HealthController::s_Class.Key));
    m_pPower = static_cast<PowerController*>(owner->GetComponent(PowerController::s_Class.Key));
    m_pInventory = owner->GetComponent(kInventoryClass.Key);
    m_pStatus = static_cast<StatusParameter*>(owner->GetComponent(StatusParameter::s_Class.Key));
    m_pKnockback = static_cast<KnockbackController*>(owner->GetComponent(KnockbackController::s_Class.Key));
    m_pInvincible = static_cast<InvincibleController*>(owner->GetComponent(InvincibleController::s_Class.Key));
    m_pCombo = owner->GetComponent(kComboClass.Key);
    m_pBlurRenderer = owner->GetComponentInChildren(g_SpriteBlurRendererClass.Key);
    // The stage that holds this actor is the root by now.
    m_pQuestController = FindRootQuestController();

    if (m_pStatus)
        m_nKnockbackType = static_cast<int32_t>(
            m_pStatus->ApplyAbility(eAbility_KnockbackType, static_cast<float>(m_nKnockbackType)));
    else
        LOG_ERROR << "Actor \"" << owner->GetPrototypeName()
                  << "\" has no StatusParameter; it fights with no stats and no accessory.";
    m_bHomeStage = m_pQuestController && m_pQuestController->m_bHome;
}

void ActorController::LateUpdate()
{
    if (m_fAfterimageLeft >= 0.0f) {
        m_fAfterimageLeft -= GetAppDeltaTime();
        if (m_fAfterimageLeft <= 0.0f)
            StopAfterimage();
    }
}

bool ActorController::HealthGone() const { return m_pHealth && m_pHealth->m_nHealth <= 0; }

void ActorController::SetFacing(bool facesRight)
{
    m_bFacesRight = facesRight;
    if (m_pRenderer && m_pRenderer->IsKindOf(SpriteRenderer::s_Class.Key)) {
        auto* sprite = static_cast<SpriteRenderer*>(m_pRenderer);
        sprite->SetFlip(!facesRight, sprite->GetFlipV());
    }
    if (m_pCollider)
        m_pCollider->SetFlip(!facesRight);
}

void ActorController::OnDamaged(const Vec2& velocity, float spin, int32_t bounces, bool blown)
{
    if (m_pKnockback && m_nKnockbackType == 0) {
        m_pKnockback->Begin(velocity, spin, bounces, blown);
        PlayAnimation(HashName("take_damage"));
        ReleaseObject(m_pHeldObject);
        StopAfterimage();
    }
    if (m_pInvincible)
        m_pInvincible->Begin();
}

void ActorController::OnKnockbackEnd()
{
    if (!m_pKnockback)
        return;
    m_pKnockback->End();
    PlayAnimation(HashName("stand_loop"));
}

void ActorController::HoldObject(GameObj* object)
{
    ReleaseObject(m_pHeldObject);
    m_pHeldObject = object;
}

bool ActorController::ReleaseObject(GameObj* object)
{
    if (!object || object != m_pHeldObject)
        return false;
    if (g_pSceneManager)
        g_pSceneManager->DestroyLater(object, 0.0f);
    m_pHeldObject = nullptr;
    return true;
}

void ActorController::PlayAnimation(NameId clip)
{
    if (m_pSpriteAnimation)
        m_pSpriteAnimation->Play(clip, true);
    if (m_pCollisionAnimation)
        m_pCollisionAnimation->Play(clip, true);
}

void ActorController::QueueAnimation(NameId clip)
{
    if (m_pSpriteAnimation)
        m_pSpriteAnimation->Enqueue(clip);
    if (m_pCollisionAnimation)
        m_pCollisionAnimation->Enqueue(clip);
}

bool ActorController::IsAnimationPlaying(NameId clip) const
{
    return m_pSpriteAnimation && m_pSpriteAnimation->GetCurrent() == clip && m_pSpriteAnimation->IsPlaying();
}

void ActorController::StartAfterimage(float seconds)
{
    if (!m_pBlurRenderer)
        return;
    if (g_TrailHooks.start)
        g_TrailHooks.start(m_pBlurRenderer);
    m_fAfterimageLeft = seconds >= 0.0f ? seconds : -1.0f;
}

void ActorController::StopAfterimage()
{
    m_fAfterimageLeft = -1.0f;
    if (m_pBlurRenderer && g_TrailHooks.stop)
        g_TrailHooks.stop(m_pBlurRenderer);
}
