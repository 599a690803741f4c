#include "Components/UI/UIComponents.h"

#include "Components/UI/UIDamageNumber.h"
#include "Components/UI/UIDialogFrames.h"
#include "Components/UI/UIEventWidgets.h"
#include "Components/UI/UIHud.h"
#include "Components/UI/UILayoutWidgets.h"
#include "Components/UI/UIMenuFrames.h"
#include "Components/UI/UIQuestSelect.h"
#include "Components/UI/UIRoot.h"
#include "Components/UI/UITalkWindow.h"
#include "Components/UI/UITweener.h"
#include "Components/UI/UIUpgradeParameter.h"
#include "Components/UI/UIWidget.h"
#include "World/ComponentFactory.h"

void RegisterUIComponents(ComponentFactory& factory)
{
    factory.RegisterClass<UIFrame>();
    factory.RegisterClass<UISelector>();
    factory.RegisterClass<UITable>();
    factory.RegisterClass<UIRoot>();
    factory.RegisterClass<UIButtonKeyBinding>();
    factory.RegisterClass<UIButtonKeys>();
    factory.RegisterClass<UIForwardEvents>();
    factory.RegisterClass<UIButtonMessage>();
    factory.RegisterClass<UITriggerSound>();
    factory.RegisterClass<UITriggerTween>();
    factory.RegisterClass<UIActivateTween>();
    factory.RegisterClass<TweenPosition>();
    factory.RegisterClass<TweenColor>();
    factory.RegisterClass<TweenAlpha>();
    factory.RegisterClass<TweenAtlasAnimation>();
    factory.RegisterClass<TweenShake>();
    factory.RegisterClass<UISlider>();
    factory.RegisterClass<UIWheel>();
    factory.RegisterClass<UIRandomAtlas>();
    factory.RegisterClass<UIUpgradeBar>();
    factory.RegisterClass<UIAccessoryBar>();
    factory.RegisterClass<UIFrameUpgradeParameter>();
    factory.RegisterClass<UIQuestWindow>();
    factory.RegisterClass<UIFrameQuestSelect>();
    factory.RegisterClass<UIStageTab>();
    factory.RegisterClass<UIQuestNumberDisplay>();
    factory.RegisterClass<UIFrameCommonYesNo>();
    factory.RegisterClass<UIFrameHud>();
    factory.RegisterClass<UIHudCombo>();
    factory.RegisterClass<UIHudObjectName>();
    factory.RegisterClass<UIHudStatusBar>();
    factory.RegisterClass<UIHudQuestTarget>();
    factory.RegisterClass<UITalkWindow>();
    factory.RegisterClass<UIDamageNumber>();
    factory.RegisterClass<UIFrameReport>();
    factory.RegisterClass<UIFrameTitleSelect>();
}
