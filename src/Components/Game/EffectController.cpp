#include "Components/Game/EffectController.h"

#include <cmath>

#include <lua.hpp>

#include "Components/Core/Animation.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/ActorController.h"
#include "Components/Game/QuestController.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Sound/SoundManager.h"
#include "World/DataTableLoader.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

const ClassKey EffectController::s_Class("EffectController");
const ClassKey EffectEmitter::s_Class("EffectEmitter");
const ClassKey EffectPointIcon::s_Class("EffectPointIcon");

namespace {

uint32_t SoundKey(const std::string& path) { return path.empty() ? 0 : HashName(path); }

// Visits every descendant of the object (not the object) in pre-order.
template <class Visit>
void ForEachDescendant(GameObj* object, Visit visit)
{
    GameObj* last = object->GetLastDescendant();
    if (last == object)
        return;
    for (GameObj* node = object->GetNext(); node; node = node->GetNext()) {
        visit(node);
        if (node == last)
            break;
    }
}

} // namespace

EffectController::EffectController(GameObj* owner) : Component(owner, s_Class) {}

bool EffectController::Load(lua_State* L)
{
    m_bFollowOwner = LuaGetBoolField(L, "followOwner");
    m_bStopSeWhenEffectFinished = LuaGetBoolField(L, "stopSeWhenEffectFinished");
    if (LuaHasField(L, "restartSe"))
        m_bRestartSe = LuaGetBoolField(L, "restartSe");
    if (LuaHasField(L, "removeOnEnded"))
        m_bRemoveOnEnded = LuaGetBoolField(L, "removeOnEnded");
    m_nSe = SoundKey(LuaGetStringField(L, "playSe"));
    m_fDelay = LuaGetFloatField(L, "delay");
    return true;
}

bool EffectController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void EffectController::Start()
{
    if (m_fDelay <= 0.0f) {
        if (m_nSe && g_pSoundManager)
            g_pSoundManager->PlaySe(m_nSe, m_bRestartSe);
        return;
    }
    for (GameObj* child = GetOwner()->GetFirstChild(); child; child = child->GetNextSibling())
        child->Deactivate();
}

void EffectController::Reveal()
{
    for (GameObj* child = GetOwner()->GetFirstChild(); child; child = child->GetNextSibling())
        child->Activate();
    if (m_nSe && g_pSoundManager)
        g_pSoundManager->PlaySe(m_nSe, m_bRestartSe);
}

void EffectController::Update()
{
    if (m_fDelay <= 0.0f)
        return;
    m_fDelay -= GetAppDeltaTime();
    if (m_fDelay <= 0.0f)
        Reveal();
}

bool EffectController::IsSubtreeRunning() const
{
    static const NameId kStandLoop = HashName("stand_loop");
    bool running = false;
    ForEachDescendant(GetOwner(), [&](GameObj* node) {
        if (running)
            return;
        if (auto* fx = static_cast<EffectController*>(node->GetComponent(s_Class.Key)); fx && fx->m_bActive)
            running = true;
        else if (SpriteAnimation* anim = node->GetSpriteAnimation();
                 anim && anim->GetCurrent() == kStandLoop && anim->IsPlaying())
            running = true;
    });
    return running;
}

void EffectController::LateUpdate()
{
    if (m_bFollowOwner && m_pFollow) {
        if (Transform* own = GetOwner()->GetTransform()) {
            const Matrix4x4& w = m_pFollow->WorldMatrix();
            own->SetLocalPosition(w.m[3][0], w.m[3][1], own->LocalMatrix().m[3][2]);
            own->UpdateWorldMatrices();
        }
    }
    if (m_fDelay > 0.0f)
        return;
    if (IsSubtreeRunning())
        return;
    m_bActive = false;
    if (m_bStopSeWhenEffectFinished && g_pSoundManager)
        g_pSoundManager->StopSeByKey(m_nSe);
    if (m_bRemoveOnEnded && g_pSceneManager)
        g_pSceneManager->DestroyLater(GetOwner(), 0.0f);
}

void EffectController::SetFacing(bool facesRight)
{
    ForEachDescendant(GetOwner(), [&](GameObj* node) {
        if (Renderer* r = node->GetRenderer(); r && r->IsKindOf(SpriteRenderer::s_Class.Key)) {
            auto* sprite = static_cast<SpriteRenderer*>(r);
            sprite->SetFlip(!facesRight, sprite->GetFlipV());
        }
        if (SpriteAnimation* anim = node->GetSpriteAnimation())
            anim->SetMirror(!facesRight);
    });
}

EffectEmitter::EffectEmitter(GameObj* owner) : Component(owner, s_Class) {}

bool EffectEmitter::Load(lua_State* L)
{
    m_nCount = LuaGetIntField(L, "count");
    m_sParticleName = LuaGetStringField(L, "particle_name");
    // Every particle is a whole object: a count from data must not exhaust memory.
    if (m_nCount > kMaxEmitterCount) {
        LOG_ERROR << "EffectEmitter of \"" << GetOwner()->GetPrototypeName() << "\": count " << m_nCount
                  << " is above " << kMaxEmitterCount << "; it makes " << kMaxEmitterCount << ".";
        m_nCount = kMaxEmitterCount;
    }
    return true;
}

bool EffectEmitter::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void EffectEmitter::Start()
{
    if (!g_pSceneManager)
        return;
    const Vec2 at = WorldPosition(GetOwner());
    for (int32_t i = 0; i < m_nCount; ++i)
        g_pSceneManager->Spawn(m_sParticleName, g_pSceneManager->GetRoot(), at.x, at.y);
}

void EffectEmitter::Update()
{
    if (g_pSceneManager)
        g_pSceneManager->DestroyLater(GetOwner(), 0.0f);
}

EffectPointIcon::EffectPointIcon(GameObj* owner) : Component(owner, s_Class) {}

bool EffectPointIcon::Load(lua_State* L)
{
    m_nCatchSe = 0;
    WithTableField(L, "sound_effect", [&] { m_nCatchSe = SoundKey(LuaGetStringField(L, "catch")); });
    const float force = LuaGetFloatOrRandomRange(L, "force");
    const float angle = LuaGetFloatOrRandomRange(L, "angle");
    m_vVelocity = {std::sin(angle) * force, std::cos(angle) * force};
    m_fFriction = LuaGetFloatField(L, "friction");
    m_fMagneticForce = LuaGetFloatField(L, "magnetic_force");
    const float length = LuaGetFloatField(L, "remove_length");
    m_fRemoveLength2 = length * length;
    return true;
}

bool EffectPointIcon::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void EffectPointIcon::Start() { m_pTransform = GetOwner()->GetTransform(); }

void EffectPointIcon::Update()
{
    // Without a registered player there is nothing to be pulled to.
    QuestController* quest = FindRootQuestController();
    if (!quest || !quest->m_pPlayerObj || !m_pTransform)
        return;
    const float dt = GetAppDeltaTime();
    const Vec2 player = WorldPosition(quest->m_pPlayerObj);
    const Vec2 self = WorldPosition(GetOwner());
    const Vec2 d = {player.x - self.x, player.y - self.y};
    const float d2 = d.x * d.x + d.y * d.y;
    if (d2 < m_fRemoveLength2) {
        if (g_pSceneManager)
            g_pSceneManager->DestroyLater(GetOwner(), 0.0f);
        if (m_nCatchSe && g_pSoundManager)
            g_pSoundManager->PlaySe(m_nCatchSe, true);
    }
    Vec2 n = {0.0f, 0.0f};
    if (d2 > 1e-6f) {
        const float len = std::sqrt(d2);
        n = {d.x / len, d.y / len};
    }
    m_vVelocity.x += n.x * m_fMagneticForce * dt;
    m_vVelocity.y += n.y * m_fMagneticForce * dt;
    const Vec2 step = {m_vVelocity.x * dt, m_vVelocity.y * dt};
    Matrix4x4& local = m_pTransform->LocalMatrix();
    m_pTransform->SetLocalPosition(local.m[3][0] + step.x, local.m[3][1] + step.y, local.m[3][2]);
    m_pTransform->UpdateWorldMatrices();
    m_vVelocity.x -= step.x * m_fFriction;
    m_vVelocity.y -= step.y * m_fFriction;
}
