#include "Components/Game/GameConditions.h"

#include <cfloat>

#include "Components/Core/CoreConditions.h"
#include "Components/Game/EnemyController.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/PowerController.h"
#include "Components/Game/QuestController.h"
#include "World/Condition.h"
#include "World/GameObj.h"

namespace {

// The player object of the context's quest controller, or null.
GameObj* ContextPlayer(const ConditionContext& context)
{
    return context.m_pQuestController ? context.m_pQuestController->m_pPlayerObj : nullptr;
}

const HealthController* HealthOf(const GameObj* object)
{
    return object ? static_cast<const HealthController*>(object->GetComponent(HealthController::s_Class.Key)) : nullptr;
}

const PowerController* PowerOf(const GameObj* object)
{
    return object ? static_cast<const PowerController*>(object->GetComponent(PowerController::s_Class.Key)) : nullptr;
}

float HealthValue(const HealthController* health) { return health ? static_cast<float>(health->m_nHealth) : 0.0f; }

bool HealthMaximum(const HealthController* health, float& maximum)
{
    if (!health)
        return false;
    maximum = static_cast<float>(health->m_nMaxHealth);
    return true;
}

float PlayerHealth(const ConditionContext& context) { return HealthValue(HealthOf(ContextPlayer(context))); }
bool PlayerMaxHealth(const ConditionContext& context, float& maximum)
{
    return HealthMaximum(HealthOf(ContextPlayer(context)), maximum);
}

float PlayerPower(const ConditionContext& context)
{
    const PowerController* power = PowerOf(ContextPlayer(context));
    return power ? static_cast<float>(power->m_nPower) : 0.0f;
}
bool PlayerMaxPower(const ConditionContext& context, float& maximum)
{
    const PowerController* power = PowerOf(ContextPlayer(context));
    if (!power)
        return false;
    maximum = static_cast<float>(power->m_nMaxPower);
    return true;
}

float ObjectHealth(const ConditionContext& context) { return HealthValue(HealthOf(context.m_pObject)); }
bool ObjectMaxHealth(const ConditionContext& context, float& maximum)
{
    return HealthMaximum(HealthOf(context.m_pObject), maximum);
}

float EnemyStateTime(const ConditionContext& context)
{
    const ActorController* actor = context.m_pObject ? context.m_pObject->GetActorController() : nullptr;
    return actor && actor->IsKindOf(EnemyController::s_Class.Key)
               ? static_cast<const EnemyController*>(actor)->m_fStateTime
               : 0.0f;
}

float PlayerDistance(const ConditionContext& context)
{
    GameObj* player = ContextPlayer(context);
    return player ? KinematicsDistance(context.m_pObject, player) : FLT_MAX;
}

} // namespace

void RegisterGameConditionKinds()
{
    RegisterConditionKind(17, &PlayerHealth, &PlayerMaxHealth);
    RegisterConditionKind(18, &PlayerPower, &PlayerMaxPower);
    RegisterConditionKind(25, &ObjectHealth, &ObjectMaxHealth);
    RegisterConditionKind(26, &EnemyStateTime);
    RegisterConditionKind(27, &PlayerDistance);
    RegisterStageQuestControllerFinder(&FindRootQuestController);
}
