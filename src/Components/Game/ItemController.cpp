#include "Components/Game/ItemController.h"

#include <cmath>

#include <lua.hpp>

#include "Components/Core/Collider.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "Components/Core/Renderer.h"
#include "Components/Game/ActorController.h"
#include "Components/Game/AttemptDamageController.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/StatusParameter.h"
#include "Components/Game/TalkChannel.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Sound/SoundManager.h"
#include "World/DataTableLoader.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"

const ClassKey Inventory::s_Class("Inventory");
const ClassKey ItemController::s_Class("ItemController");

int32_t PickWeighted(const std::vector<int32_t>& rates, uint32_t word)
{
    if (rates.empty())
        return -1;
    double total = 0.0;
    for (int32_t rate : rates)
        total += rate;
    if (total <= 0.0)
        return static_cast<int32_t>(word % rates.size());
    const double r = static_cast<double>(word) * (1.0 / 4294967296.0) * total;
    double low = 0.0;
    int32_t lastPositive = -1;
    for (size_t i = 0; i < rates.size(); ++i) {
        const double high = low + rates[i];
        if (r >= low && r < high)
            return static_cast<int32_t>(i);
        if (rates[i] > 0)
            lastPositive = static_cast<int32_t>(i);
        low = high;
    }
    // Negative rates can leave r in no range; the last entry that can be drawn takes it.
    return lastPositive;
}

Inventory::Inventory(GameObj* owner) : Component(owner, s_Class) {}

bool Inventory::Load(lua_State* L)
{
    m_Items.clear();
    WithTableField(L, "items", [&] {
        ForEachTableItem(L, [&](int) {
            InventoryItem item;
            item.name = LuaGetStringField(L, "name");
            item.rate = LuaGetIntField(L, "rate");
            m_Items.push_back(std::move(item));
        });
    });
    return true;
}

bool Inventory::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

std::string Inventory::Pick() const
{
    if (m_Items.empty())
        return m_sDefaultName;
    std::vector<int32_t> rates;
    rates.reserve(m_Items.size());
    for (const InventoryItem& item : m_Items)
        rates.push_back(item.rate);
    const int32_t i = PickWeighted(rates, RandomNext());
    return i >= 0 ? m_Items[static_cast<size_t>(i)].name : m_sDefaultName;
}

ItemController::ItemController(GameObj* owner) : Component(owner, s_Class) {}

bool ItemController::Load(lua_State* L)
{
    m_nEffect = LuaGetIntField(L, "effect");
    m_nHealType = LuaGetIntField(L, "healType");
    m_fDuration = LuaGetFloatField(L, "duration");
    m_fInterval = LuaGetFloatField(L, "interval");
    m_fValue = LuaGetFloatField(L, "value");
    m_nLayerMask = LuaGetUIntField(L, "layerMask");
    m_sTakeMessage = LuaGetStringField(L, "takeMessage");
    m_nTakeMessage = m_sTakeMessage.empty() ? 0 : HashName(m_sTakeMessage);
    const std::string se = LuaGetStringField(L, "takeSe");
    m_nTakeSe = se.empty() ? 0 : HashName(se);
    return true;
}

bool ItemController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void ItemController::Start()
{
    m_pTransform = GetOwner()->GetTransform();
    m_pKinematics = GetOwner()->GetKinematics();
    const Renderer* renderer = GetOwner()->GetRenderer();
    m_bOffscreen = !renderer || !renderer->HasFlags(eComponentFlag_Visible);
}

void ItemController::Update()
{
    if (!m_bOffscreen)
        return;
    m_fOffscreenTime += GetAppDeltaTime();
    if (m_fOffscreenTime >= 3.0f && g_pSceneManager)
        g_pSceneManager->DestroyLater(GetOwner(), 0.0f);
}

void ItemController::OnBecameVisible()
{
    m_bOffscreen = false;
    m_fOffscreenTime = 0.0f;
}

void ItemController::OnBecameInvisible()
{
    m_bOffscreen = true;
    m_fOffscreenTime = 0.0f;
}

void ItemController::OnTerrain(const CollisionInfo& info)
{
    if (!m_pKinematics)
        return;
    const Collider* c = info.other->GetCollider();
    if (!c || c->GetShape() != eColliderShape_Segment)
        return;
    if (std::fabs(static_cast<const SegmentCollider*>(c)->GetDirectionX()) < 1e-6f) {
        m_pKinematics->m_fVelX = info.vectorX;
        m_pKinematics->m_fPosX = info.pointX;
    } else {
        m_pKinematics->m_fVelY = info.vectorY;
        m_pKinematics->m_fPosY = info.pointY;
    }
}

void ItemController::OnCollisionEnter(const CollisionInfo& info)
{
    static const NameId kTerrain = HashName("Terrain");
    if (info.other && info.other->GetTag() == kTerrain)
        OnTerrain(info);
}

void ItemController::OnCollisionStay(const CollisionInfo& info)
{
    OnCollisionEnter(info);
    if (info.other && (info.other->GetLayer() & m_nLayerMask) != 0)
        Take(info.other);
}

void ItemController::Take(GameObj* taker)
{
    // Once taken the item is on its way out; a second contact in the same frame takes nothing.
    if (m_bTaken)
        return;
    ActorController* actor = taker->GetActorController();
    HealthController* health =
        actor ? static_cast<HealthController*>(taker->GetComponent(HealthController::s_Class.Key)) : nullptr;
    if (health && health->m_nHealth > 0) {
        const StatusParameter* status =
            static_cast<StatusParameter*>(taker->GetComponent(StatusParameter::s_Class.Key));
        auto ability = [&](int index, float value) { return status ? status->ApplyAbility(index, value) : value; };
        if (m_nEffect != 0) {
            health->StartRegen(m_nHealType, ability(9, m_fDuration), m_fInterval, m_fValue);
            if (g_nTalkEnableMask & eTalk_TakeMessage)
                TalkByKeyHashAlways(m_nTakeMessage);
        } else {
            const float x = m_nHealType != 0 ? m_fValue * static_cast<float>(health->m_nMaxHealth) : m_fValue;
            const float recharge = status ? status->m_fHealthRecharge : 0.0f;
            const float rounded = std::trunc(x + 0.5f);
            const int32_t amount = SaturateToInt32(ability(8, std::trunc(recharge * rounded)));
            const int32_t before = health->m_nHealth;
            health->ApplyDamage(amount == INT32_MIN ? INT32_MAX : -amount, amount < 0 ? 1 : 3);
            if (RandomChance(50))
                TalkOnHealItem(before, health->m_nMaxHealth);
            else if (g_nTalkEnableMask & eTalk_TakeMessage)
                TalkByKeyHashAlways(m_nTakeMessage);
        }
    }
    if (actor && m_nTakeSe && g_pSoundManager)
        g_pSoundManager->PlaySe(m_nTakeSe, false);
    m_bTaken = true;
    if (g_pSceneManager)
        g_pSceneManager->DestroyLater(GetOwner(), 0.0f);
}
