#include "Components/Game/MeleeHitController.h"

#include "Components/Core/Animation.h"
#include "Components/Core/Camera2D.h"
#include "Components/Core/Collider.h"
#include "Components/Game/ActorController.h"
#include "Components/Game/AttemptDamageController.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Sound/SoundManager.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

const ClassKey MeleeHitController::s_Class("MeleeHitController");

namespace {

bool IsLiveObject(const GameObj* object)
{
    return object && object->IsActive() && !(object->GetFlags() & eGameObjFlag_PendingRemoval);
}

} // namespace

MeleeHitController::MeleeHitController(GameObj* owner) : Component(owner, s_Class) {}

bool MeleeHitController::Load(lua_State* L)
{
    m_bFollowPosition = LuaGetBoolField(L, "followPosition");
    m_bFollowDirection = LuaGetBoolField(L, "followDirection");
    m_bIsScreenCenter = LuaGetBoolField(L, "isScreenCenter");
    const std::string se = LuaGetStringField(L, "swingSE");
    m_nSwingSe = se.empty() ? 0 : HashName(se);
    return true;
}

bool MeleeHitController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void MeleeHitController::BindOwner(GameObj* owner)
{
    if (IsLiveObject(owner)) {
        m_pOwnerObj = owner;
    } else {
        m_pOwnerObj = nullptr;
        m_pOwnerActor = nullptr;
    }
}

void MeleeHitController::CopyOwnerPlacement()
{
    const Transform* from = m_pOwnerObj ? m_pOwnerObj->GetTransform() : nullptr;
    if (!from || !m_pTransform)
        return;
    // The hit object lives under the scene root: the owner's world placement is its local one.
    m_pTransform->LocalMatrix() = from->WorldMatrix();
    m_pTransform->UpdateWorldMatrices();
}

void MeleeHitController::ApplyFacing()
{
    if (!m_pOwnerActor)
        return;
    if (m_pCollider)
        m_pCollider->SetFlip(!m_pOwnerActor->m_bFacesRight);
    if (m_pDamage)
        m_pDamage->m_bFacesRight = m_pOwnerActor->m_bFacesRight;
}

void MeleeHitController::Start()
{
    if (!IsLiveObject(m_pOwnerObj)) {
        m_pOwnerObj = nullptr;
        m_pOwnerActor = nullptr;
        return;
    }
    m_pOwnerActor = m_pOwnerObj->GetActorController();
    m_pTransform = GetOwner()->GetTransform();
    m_pCollider = GetOwner()->GetCollider();
    m_pCollisionAnimation =
        static_cast<CollisionAnimation*>(GetOwner()->GetComponent(CollisionAnimation::s_Class.Key));
    m_pDamage = static_cast<AttemptDamageController*>(GetOwner()->GetComponent(AttemptDamageController::s_Class.Key));
    ApplyFacing();
    CopyOwnerPlacement();
    if (m_pDamage && m_pOwnerActor)
        m_pDamage->SetAttacker(*m_pOwnerActor);
    if (m_bIsScreenCenter && m_pTransform)
        if (Camera2D* camera = g_CameraRegistry.Find(GameCameraTag())) {
            const Vec2 at = WorldPosition(camera->GetOwner());
            m_pTransform->SetLocalPosition(at.x, at.y, m_pTransform->LocalMatrix().m[3][2]);
            m_pTransform->UpdateWorldMatrices();
        }
    if (m_nSwingSe && g_pSoundManager)
        g_pSoundManager->PlaySe(m_nSwingSe, false);
}

void MeleeHitController::PhysicsUpdate()
{
    if (!m_pOwnerActor)
        return;
    if (m_bFollowDirection)
        ApplyFacing();
    if (m_bFollowPosition)
        CopyOwnerPlacement();
}

void MeleeHitController::Update()
{
    static const NameId kDefault = HashName("default");
    if (m_pCollisionAnimation) {
        if (m_pCollisionAnimation->GetCurrent() == kDefault && m_pCollisionAnimation->IsPlaying())
            return;
    } else if (!m_bWarnedNoClip) {
        // Nothing to wait for: the swing counts as over.
        m_bWarnedNoClip = true;
        LOG_ERROR << "MeleeHitController of \"" << GetOwner()->GetPrototypeName()
                  << "\" has no CollisionAnimation; the hit object leaves at once.";
    }
    if (m_pOwnerActor && m_pOwnerActor->m_pHeldObject == GetOwner() && m_pOwnerActor->ReleaseObject(GetOwner()))
        return;
    if (g_pSceneManager)
        g_pSceneManager->DestroyLater(GetOwner(), 0.0f);
}

void MeleeHitController::LateUpdate()
{
    if (m_pOwnerObj && (m_pOwnerObj->GetFlags() & eGameObjFlag_PendingRemoval)) {
        m_pOwnerObj = nullptr;
        m_pOwnerActor = nullptr;
    }
}
