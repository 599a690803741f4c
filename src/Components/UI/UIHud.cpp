#include "Components/UI/UIHud.h"

#include <cmath>
#include <cstdio>
#include <algorithm>
#include <lua.hpp>

#include "Components/Core/FontRenderer.h"
#include "Components/Core/SpriteNumberRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/ActorController.h"
#include "Components/Game/QuestController.h"
#include "Components/Game/StatusParameter.h"
#include "Components/UI/UILayoutWidgets.h"
#include "Components/UI/UIRoot.h"
#include "Components/UI/UITweener.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

const ClassKey UIFrameHud::s_Class("UIFrameHud");
const ClassKey UIHudCombo::s_Class("UIHudCombo");
const ClassKey UIHudObjectName::s_Class("UIHudObjectName");
const ClassKey UIHudStatusBar::s_Class("UIHudStatusBar");
const ClassKey UIHudQuestTarget::s_Class("UIHudQuestTarget");

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

NameId TagField(lua_State* L, const char* name)
{
    const std::string tag = LuaGetStringField(L, name);
    return tag.empty() ? 0 : HashName(tag);
}

template <class T>
T* OwnComponent(GameObj* owner)
{
    return static_cast<T*>(owner->GetComponent(T::s_Class.Key));
}

// The first active object of the subtree with the tag and its component of the class.
template <class T>
T* FindTagged(GameObj* owner, NameId tag)
{
    GameObj* o = tag ? owner->FindActiveByTag(tag) : nullptr;
    return o ? OwnComponent<T>(o) : nullptr;
}

bool IsWidgetKind(TypeKey key) { return key == UIWidget::s_Class.Key; }

} // namespace

UIFrameHud* FindHud()
{
    static const NameId kPanel = HashName("ui_hud");
    QuestController* quest = FindRootQuestController();
    if (quest && quest->m_pHud)
        return static_cast<UIFrameHud*>(quest->m_pHud);
    GameObj* panel = UIRoot::FindPanel(kPanel);
    UIFrameHud* hud = panel ? OwnComponent<UIFrameHud>(panel) : nullptr;
    if (quest)
        quest->m_pHud = hud;
    return hud;
}

// --- UIFrameHud

UIFrameHud::UIFrameHud(GameObj* owner) : UIFrame(owner, s_Class) {}

bool UIFrameHud::Load(lua_State* L)
{
    UIFrame::Load(L);
    m_nComboTag = TagField(L, "combo");
    m_nObjectNameTag = TagField(L, "object_name");
    m_nStatusBarTag = TagField(L, "status_bar");
    m_nQuestTargetTag = TagField(L, "quest_target");
    return true;
}

bool UIFrameHud::IsKindOf(TypeKey key) const { return key == s_Class.Key || UIFrame::IsKindOf(key); }

void UIFrameHud::FindChildren()
{
    if (m_pCombo)
        return;
    GameObj* owner = GetOwner();
    m_pCombo = FindTagged<UIHudCombo>(owner, m_nComboTag);
    m_pObjectName = FindTagged<UIHudObjectName>(owner, m_nObjectNameTag);
    m_pStatusBar = FindTagged<UIHudStatusBar>(owner, m_nStatusBarTag);
    m_pQuestTarget = FindTagged<UIHudQuestTarget>(owner, m_nQuestTargetTag);
}

void UIFrameHud::OnEnable()
{
    FindChildren();
    UIWidget::OnEnable();
}

// --- UIHudCombo

UIHudCombo::UIHudCombo(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIHudCombo::Load(lua_State* L)
{
    m_nNumberTag = TagField(L, "sprite_number_combo");
    m_fDisplayTime = LuaGetFloatField(L, "display_time");
    return true;
}

bool UIHudCombo::IsKindOf(TypeKey key) const { return key == s_Class.Key || IsWidgetKind(key); }

void UIHudCombo::FindChildren()
{
    if (m_pNumber)
        return;
    m_pNumber = FindTagged<SpriteNumberRenderer>(GetOwner(), m_nNumberTag);
    m_pShake = OwnComponent<TweenShake>(GetOwner());
    m_pFade = OwnComponent<TweenAlpha>(GetOwner());
    if (m_pFade)
        m_pFade->Play(false);
}

void UIHudCombo::OnEnable()
{
    FindChildren();
    UIWidget::OnEnable();
}

void UIHudCombo::ShowCount(int32_t count)
{
    if (m_pNumber)
        m_pNumber->SetNumber(count);
    if (m_pShake) {
        // Backward, from its end: a shake resting at its start (the first count shown) would
        // otherwise end at once without moving.
        m_pShake->Play(false);
        m_pShake->ResetToBeginning();
    }
    if (m_pFade) {
        m_pFade->ResetToBeginning();
        m_pFade->Play(true);
    }
    m_fRemainingTime = m_fDisplayTime;
}

void UIHudCombo::Update()
{
    if (m_fRemainingTime <= 0.0f)
        return;
    m_fRemainingTime -= GetAppDeltaTime();
    // A countdown landing on 0 exactly also ends the display, or the count would stay up.
    if (m_fRemainingTime <= 0.0f) {
        m_fRemainingTime = 0.0f;
        if (m_pFade)
            m_pFade->Play(false);
    }
}

// --- UIHudObjectName

UIHudObjectName::UIHudObjectName(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIHudObjectName::Load(lua_State* L)
{
    m_nLabelTag = TagField(L, "label_object_name");
    m_nBarTag = TagField(L, "sliced_sprite_bar");
    m_fDisplayTime = LuaGetFloatField(L, "display_time");
    return true;
}

bool UIHudObjectName::IsKindOf(TypeKey key) const { return key == s_Class.Key || IsWidgetKind(key); }

void UIHudObjectName::FindChildren()
{
    if (m_pLabel)
        return;
    m_pLabel = FindTagged<FontRenderer>(GetOwner(), m_nLabelTag);
    m_pBar = FindTagged<SlicedSpriteRenderer>(GetOwner(), m_nBarTag);
    m_pFade = OwnComponent<TweenAlpha>(GetOwner());
    if (m_pFade)
        m_pFade->Play(false);
}

void UIHudObjectName::OnEnable()
{
    FindChildren();
    UIWidget::OnEnable();
}

void UIHudObjectName::Show(const std::string& text, float seconds)
{
    float width = 0.0f, height = 0.0f;
    if (m_pLabel)
        m_pLabel->SetText(text, width, height);
    m_fDisplayTime = seconds;
    if (m_pFade)
        m_pFade->Play(true);
    m_fRemainingTime = m_fDisplayTime;
    m_bCounting = true;
    if (m_pBar) {
        const float borders = static_cast<float>(m_pBar->GetBorderLeft()) + static_cast<float>(m_pBar->GetBorderRight());
        m_pBar->SetDrawSize(width + borders, m_pBar->GetDrawHeight());
    }
}

void UIHudObjectName::Update()
{
    // The countdown starts once the fade-in is complete; once run out the plate rests until
    // the next name, so its fade-out plays once.
    if (!m_bCounting || (m_pFade && !m_pFade->IsFinished()))
        return;
    m_fRemainingTime -= GetAppDeltaTime();
    if (m_fRemainingTime < 0.0f) {
        m_fRemainingTime = 0.0f;
        m_bCounting = false;
        if (m_pFade)
            m_pFade->Play(false);
    }
}

// --- UIHudStatusBar

UIHudStatusBar::UIHudStatusBar(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIHudStatusBar::Load(lua_State* L)
{
    m_nFlowerTag = TagField(L, "sprite_flower");
    m_nLifeNumberTag = TagField(L, "sprite_number_life");
    m_nLifeSliderTag = TagField(L, "slider_life");
    m_aSpecialTags[0] = TagField(L, "slider_special01");
    m_aSpecialTags[1] = TagField(L, "slider_special02");
    m_aSpecialTags[2] = TagField(L, "slider_special03");
    uint32_t r = 242, g = 73, b = 73, a = 255;
    lua_getfield(L, -1, "special_red");
    if (lua_istable(L, -1)) {
        r = LuaGetByteField(L, "r");
        g = LuaGetByteField(L, "g");
        b = LuaGetByteField(L, "b");
        a = LuaGetByteField(L, "a");
    }
    lua_pop(L, 1);
    m_nSpecialColor = (a << 24) | (r << 16) | (g << 8) | b;
    lua_getfield(L, -1, "helth_per_force");
    if (lua_type(L, -1) == LUA_TNUMBER) {
        const float perForce = LuaRoundToFloat(lua_tonumber(L, -1));
        // The flower's force is divided by it; 0 would spin it to infinity and rotate by NaN.
        if (perForce == 0.0f || std::isnan(perForce))
            LOG_ERROR << GetOwner()->GetPrototypeName() << ": UIHudStatusBar \"helth_per_force\" must not be 0;"
                      << " keeping " << m_fLifePerForce;
        else
            m_fLifePerForce = perForce;
    }
    lua_pop(L, 1);
    return true;
}

bool UIHudStatusBar::IsKindOf(TypeKey key) const { return key == s_Class.Key || IsWidgetKind(key); }

void UIHudStatusBar::FindChildren()
{
    if (m_pFlower)
        return;
    GameObj* owner = GetOwner();
    m_pFlower = FindTagged<UIWheel>(owner, m_nFlowerTag);
    m_pLifeNumber = FindTagged<SpriteNumberRenderer>(owner, m_nLifeNumberTag);
    m_pLifeSlider = FindTagged<UISlider>(owner, m_nLifeSliderTag);
    for (int i = 0; i < 3; ++i)
        m_apSpecial[i] = FindTagged<UISlider>(owner, m_aSpecialTags[i]);
}

void UIHudStatusBar::OnEnable()
{
    FindChildren();
    UIWidget::OnEnable();
}

void UIHudStatusBar::Start()
{
    m_fSpecial = 0.0f;
    m_fSpecialMax = 1000.0f;
}

void UIHudStatusBar::Update()
{
    const float change = m_fLife - m_fPrevLife;
    if (change != 0.0f) {
        if (m_pFlower) {
            float force = m_pFlower->GetForce() + change / m_fLifePerForce;
            const float limit = m_pFlower->GetLimitForce();
            if (limit != 0.0f && std::fabs(force) > limit)
                force = limit / std::fabs(force) * force;
            m_pFlower->SetForce(force);
        }
        m_fPrevLife = m_fLife;
    }
    if (!m_pPlayerStatus) {
        QuestController* quest = FindRootQuestController();
        GameObj* player = quest ? quest->m_pPlayerObj : nullptr;
        m_pPlayerStatus = player ? OwnComponent<StatusParameter>(player) : nullptr;
        if (!m_pPlayerStatus)
            return;
    }
    ApplyGauges();
}

void UIHudStatusBar::ApplyGauges()
{
    const float perSlider = m_fSpecialMax / 3.0f;
    // Until the director writes the maximum there is nothing to divide by.
    if (m_fLifeMax != 0.0f) {
        if (m_pLifeNumber)
            m_pLifeNumber->SetNumber(LuaTruncateToInt32(m_fLife));
        const float f = m_fLife / m_fLifeMax;
        if (m_pLifeSlider) {
            m_pLifeSlider->SetValue(1.0f - f);
            m_pLifeSlider->Apply();
        }
        Transform* flower = m_pFlower ? m_pFlower->GetOwner()->GetTransform() : nullptr;
        if (flower) {
            const float s = 0.45f + 0.55f * f;
            flower->SetLocalScale(s, s);
        }
    }
    for (int i = 0; i < 3; ++i) {
        UISlider* slider = m_apSpecial[i];
        if (!slider)
            continue;
        float value = 0.0f;
        uint32_t color = kWhite;
        const float full = static_cast<float>(static_cast<double>(i + 1) * static_cast<double>(perSlider));
        if (full <= m_fSpecial) {
            value = 1.0f, color = m_nSpecialColor;
        } else if (perSlider > 0.0f && std::floor(static_cast<double>(m_fSpecial) / perSlider) >= i) {
            const float r = std::fmod(m_fSpecial, perSlider) / perSlider;
            if (r >= 1.0f)
                value = 1.0f, color = m_nSpecialColor;
            else
                value = r;
        }
        slider->SetValue(value);
        slider->Apply();
        if (SpriteRenderer* foreground = slider->GetForeground())
            foreground->SetColor(color);
    }
}

// --- UIHudQuestTarget

UIHudQuestTarget::UIHudQuestTarget(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIHudQuestTarget::Load(lua_State* L)
{
    // Without a limit every count would read 0: two digits' worth fits the row's "x%3d".
    m_nLimit = LuaHasField(L, "limit_max") ? LuaGetIntField(L, "limit_max") : kQuestTargetDefaultLimit;
    m_RowPrototype = LuaGetStringField(L, "quest_target_script_name");
    return true;
}

bool UIHudQuestTarget::IsKindOf(TypeKey key) const { return key == s_Class.Key || IsWidgetKind(key); }

void UIHudQuestTarget::OnEnable()
{
    if (!m_pTable)
        m_pTable = OwnComponent<UITable>(GetOwner());
    UIWidget::OnEnable();
}

bool UIHudQuestTarget::AddTarget(NameId key)
{
    if (m_Targets.count(key))
        return false;
    GameObj* row = nullptr;
    if (g_pSceneManager && g_pSceneManager->HasPrototype(m_RowPrototype))
        row = g_pSceneManager->Instantiate(m_RowPrototype, GetOwner(), nullptr);
    if (!row) {
        LOG_ERROR << GetOwner()->GetPrototypeName() << ": UIHudQuestTarget has no row prototype \"" << m_RowPrototype
                  << "\" (\"quest_target_script_name\")";
        return false;
    }
    if (row->GetTransform())
        row->GetTransform()->UpdateWorldMatrices();
    if (m_pRoot)
        UIRoot::PostCamera(m_pRoot->GetCamera(), row);
    if (m_pTable) {
        m_pTable->ResetChildPositions();
        m_pTable->Reposition(true);
    }
    Row& entry = m_Targets[key];
    entry.label = static_cast<FontRenderer*>(row->GetComponentInChildren(FontRenderer::s_Class.Key));
    if (auto* atlas = static_cast<TextureAtlas*>(row->GetComponentInChildren(TextureAtlas::s_Class.Key)))
        atlas->SetAtlasEntry(key);
    SetCount(key, 0);
    return true;
}

void UIHudQuestTarget::SetCount(NameId key, int32_t count)
{
    auto it = m_Targets.find(key);
    if (it == m_Targets.end())
        return;
    it->second.count = count;
    if (!it->second.label)
        return;
    char text[128];
    std::snprintf(text, sizeof text, "x%3d", std::min(count, m_nLimit));
    it->second.label->SetText(text);
}

FontRenderer* UIHudQuestTarget::GetLabel(NameId key) const
{
    auto it = m_Targets.find(key);
    return it == m_Targets.end() ? nullptr : it->second.label;
}

int32_t UIHudQuestTarget::GetCount(NameId key) const
{
    auto it = m_Targets.find(key);
    return it == m_Targets.end() ? 0 : it->second.count;
}
