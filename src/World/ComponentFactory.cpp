#include "World/ComponentFactory.h"

#include "Components/Core/Animation.h"
#include "Components/Core/BackgroundLayer.h"
#include "Components/Core/Camera2D.h"
#include "Components/Core/Collider.h"
#include "Components/Core/FontRenderer.h"
#include "Components/Core/Kinematics.h"
#include "Components/Core/LandscapeFactory.h"
#include "Components/Core/MovieRenderer.h"
#include "Components/Core/MusicPlayer.h"
#include "Components/Core/SpriteBlurRenderer.h"
#include "Components/Core/SpriteNumberRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Core/StageGenerator.h"
#include "Components/Core/TerrainFactory.h"
#include "Components/Game/AttemptDamageController.h"
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
#include "Components/Game/ItemController.h"
#include "Components/Game/InvincibleController.h"
#include "Components/Game/KnockbackController.h"
#include "Components/Game/MeleeHitController.h"
#include "Components/Game/OskelController.h"
#include "Components/Game/PlayerController.h"
#include "Components/Game/PowerController.h"
#include "Components/Game/QuestController.h"
#include "Components/Game/ObjectiveController.h"
#include "Components/Game/BossBattleController.h"
#include "Components/Game/StatusParameter.h"
#include "Components/Game/TitleController.h"
#include "Components/Game/StrangerController.h"
#include "Components/UI/UIEventWidgets.h"
#include "Components/UI/UIDamageNumber.h"
#include "Components/UI/UIDialogFrames.h"
#include "Components/UI/UIHud.h"
#include "Components/UI/UILayoutWidgets.h"
#include "Components/UI/UIMenuFrames.h"
#include "Components/UI/UIQuestSelect.h"
#include "Components/UI/UIRoot.h"
#include "Components/UI/UITalkWindow.h"
#include "Components/UI/UITweener.h"
#include "Components/UI/UIUpgradeParameter.h"
#include "Components/UI/UIWidget.h"
#include "World/Component.h"
#include "World/GameObj.h"
#include "World/Transform.h"

ComponentFactory* g_pComponentFactory = nullptr;

void ComponentFactory::RegisterAll()
{
    // The order is the game's; each class joins the list at its place when it is written.
    RegisterClass<Transform>();
    RegisterClass<Kinematics>();
    RegisterClass<Camera2D>();
    RegisterClass<SpriteRenderer>();
    RegisterClass<SpriteBlurRenderer>();
    RegisterClass<SlicedSpriteRenderer>();
    RegisterClass<SlideBarRenderer>();
    RegisterClass<TextureAtlas>();
    RegisterClass<FontRenderer>();
    RegisterClass<SpriteNumberRenderer>();
    RegisterClass<MovieRenderer>();
    RegisterClass<Box2DCollider>();
    RegisterClass<CircleCollider>();
    RegisterClass<SegmentCollider>();
    RegisterClass<StageGenerator>();
    RegisterClass<TerrainFactory>();
    RegisterClass<LandscapeFactory>();
    RegisterClass<MusicPlayer>();
    RegisterClass<BackgroundLayer>();
    RegisterClass<SpriteAnimation>();
    RegisterClass<CollisionAnimation>();
    RegisterClass<EffectController>();
    RegisterClass<EffectEmitter>();
    RegisterClass<EffectPointIcon>();
    RegisterClass<KnockbackController>();
    RegisterClass<InvincibleController>();
    RegisterClass<StatusParameter>();
    RegisterClass<HealthController>();
    RegisterClass<PowerController>();
    RegisterClass<Inventory>();
    RegisterClass<AttemptDamageController>();
    RegisterClass<MeleeHitController>();
    RegisterClass<ComboController>();
    RegisterClass<PlayerController>();
    RegisterClass<EnemyController>();
    RegisterClass<BulletHellController>();
    RegisterClass<BulletController>();
    RegisterClass<BulletEraser>();
    RegisterClass<StrangerController>();
    RegisterClass<OskelController>();
    RegisterClass<QuestController>();
    RegisterClass<ObjectiveController>();
    RegisterClass<BossBattleController>();
    RegisterClass<TitleController>();
    RegisterClass<EndingController>();
    RegisterClass<ItemController>();
    RegisterClass<GimmickOpenMenu>();
    RegisterClass<GimmickActivateObject>();
    RegisterClass<GimmickTalkMessage>();
    RegisterClass<GimmickObjectName>();
    RegisterClass<UIFrame>();
    RegisterClass<UISelector>();
    RegisterClass<UITable>();
    RegisterClass<UIRoot>();
    RegisterClass<UIButtonKeyBinding>();
    RegisterClass<UIButtonKeys>();
    RegisterClass<UIForwardEvents>();
    RegisterClass<UIButtonMessage>();
    RegisterClass<UITriggerSound>();
    RegisterClass<UITriggerTween>();
    RegisterClass<UIActivateTween>();
    RegisterClass<TweenPosition>();
    RegisterClass<TweenColor>();
    RegisterClass<TweenAlpha>();
    RegisterClass<TweenAtlasAnimation>();
    RegisterClass<TweenShake>();
    RegisterClass<UISlider>();
    RegisterClass<UIWheel>();
    RegisterClass<UIRandomAtlas>();
    RegisterClass<UIUpgradeBar>();
    RegisterClass<UIAccessoryBar>();
    RegisterClass<UIFrameUpgradeParameter>();
    RegisterClass<UIQuestWindow>();
    RegisterClass<UIFrameQuestSelect>();
    RegisterClass<UIStageTab>();
    RegisterClass<UIQuestNumberDisplay>();
    RegisterClass<UIFrameCommonYesNo>();
    RegisterClass<UIFrameHud>();
    RegisterClass<UIHudCombo>();
    RegisterClass<UIHudObjectName>();
    RegisterClass<UIHudStatusBar>();
    RegisterClass<UIHudQuestTarget>();
    RegisterClass<UITalkWindow>();
    RegisterClass<UIDamageNumber>();
    RegisterClass<UIFrameReport>();
    RegisterClass<UIFrameTitleSelect>();
}

void ComponentFactory::RegisterClass(TypeKey key, Creator creator)
{
    m_Creators.emplace(key, Registration{creator, static_cast<int>(m_Creators.size())});
}

Component* ComponentFactory::Create(const char* className, GameObj* owner) const
{
    auto it = m_Creators.find(HashName(className ? className : ""));
    if (it == m_Creators.end())
        return nullptr;
    return it->second.creator(owner);
}

int ComponentFactory::GetRegistrationIndex(TypeKey key) const
{
    auto it = m_Creators.find(key);
    return it == m_Creators.end() ? -1 : it->second.index;
}

void ComponentFactory::Destroy(Component* component)
{
    if (!component)
        return;
    if (component->IsEnabled()) {
        component->ClearFlags(eComponentFlag_Enabled);
        if (component->GetOwner()->IsActive())
            component->OnDisable();
    }
    component->Detach();
    delete component;
}
