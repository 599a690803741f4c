#include "Components/Game/GameComponents.h"

#include "Components/Game/AttemptDamageController.h"
#include "Components/Game/BossBattleController.h"
#include "Components/Game/BulletController.h"
#include "Components/Game/BulletHellController.h"
#include "Components/Game/ComboController.h"
#include "Components/Game/EffectController.h"
#include "Components/Game/EndingController.h"
#include "Components/Game/EnemyController.h"
#include "Components/Game/GimmickActivateObject.h"
#include "Components/Game/GimmickObjectName.h"
#include "Components/Game/GimmickOpenMenu.h"
#include "Components/Game/GimmickTalkMessage.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/InvincibleController.h"
#include "Components/Game/ItemController.h"
#include "Components/Game/KnockbackController.h"
#include "Components/Game/MeleeHitController.h"
#include "Components/Game/ObjectiveController.h"
#include "Components/Game/OskelController.h"
#include "Components/Game/PlayerController.h"
#include "Components/Game/PowerController.h"
#include "Components/Game/QuestController.h"
#include "Components/Game/StatusParameter.h"
#include "Components/Game/StrangerController.h"
#include "Components/Game/TitleController.h"
#include "World/ComponentFactory.h"

void RegisterGameComponents(ComponentFactory& factory)
{
    factory.RegisterClass<EffectController>();
    factory.RegisterClass<EffectEmitter>();
    factory.RegisterClass<EffectPointIcon>();
    factory.RegisterClass<KnockbackController>();
    factory.RegisterClass<InvincibleController>();
    factory.RegisterClass<StatusParameter>();
    factory.RegisterClass<HealthController>();
    factory.RegisterClass<PowerController>();
    factory.RegisterClass<Inventory>();
    factory.RegisterClass<AttemptDamageController>();
    factory.RegisterClass<MeleeHitController>();
    factory.RegisterClass<ComboController>();
    factory.RegisterClass<PlayerController>();
    factory.RegisterClass<EnemyController>();
    factory.RegisterClass<BulletHellController>();
    factory.RegisterClass<BulletController>();
    factory.RegisterClass<BulletEraser>();
    factory.RegisterClass<StrangerController>();
    factory.RegisterClass<OskelController>();
    factory.RegisterClass<QuestController>();
    factory.RegisterClass<ObjectiveController>();
    factory.RegisterClass<BossBattleController>();
    factory.RegisterClass<TitleController>();
    factory.RegisterClass<EndingController>();
    factory.RegisterClass<ItemController>();
    factory.RegisterClass<GimmickOpenMenu>();
    factory.RegisterClass<GimmickActivateObject>();
    factory.RegisterClass<GimmickTalkMessage>();
    factory.RegisterClass<GimmickObjectName>();
}
