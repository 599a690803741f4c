#include "Components/UI/UIUpgradeParameter.h"

#include <algorithm>
#include <cstdio>
#include <lua.hpp>

#include "Components/Core/FontRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/ActorController.h"
#include "Components/Game/QuestController.h"
#include "Components/Game/StatusParameter.h"
#include "Components/UI/UIDialogFrames.h"
#include "Components/UI/UIEventWidgets.h"
#include "Components/UI/UILayoutWidgets.h"
#include "Components/UI/UIRoot.h"
#include "Components/UI/UITweener.h"
#include "System/Common/Log.h"
#include "System/Graphics/Color.h"
#include "System/Lua/LuaTableReader.h"
#include "World/AccessoryTable.h"
#include "World/GameObj.h"
#include "World/PlayerSaveData.h"
#include "World/Transform.h"

const NameId g_nResultLevelUp = HashName("LevelUp");
const NameId g_nResultLevelDown = HashName("LevelDown");
const NameId g_nResultAccessoryPrev = HashName("AccessoryPrev");
const NameId g_nResultAccessorySkipPrev = HashName("AccessorySkipPrev");
const NameId g_nResultAccessoryNext = HashName("AccessoryNext");
const NameId g_nResultAccessorySkipNext = HashName("AccessorySkipNext");
const NameId g_nResultAccessorySpecified = HashName("AccessorySpecified");

const uint32_t g_nUpgradeColorSaved = PackColor(1.0f, 1.0f, 1.0f, 1.0f);
const uint32_t g_nUpgradeColorShort = PackColor(1.0f, 1.0f, 0.2f, 0.2f);
const uint32_t g_nUpgradeColorPending = PackColor(1.0f, 0.08627451f, 0.9529412f, 0.5411765f);

const ClassKey UIUpgradeBar::s_Class("UIUpgradeBar");
const ClassKey UIAccessoryBar::s_Class("UIAccessoryBar");
const ClassKey UIFrameUpgradeParameter::s_Class("UIFrameUpgradeParameter");

namespace {

const NameId kPieceSprites[kUpgradeRowCount] = {
    HashName("upgrade_parameter/piece_hp_max"),         HashName("upgrade_parameter/piece_hp_cure"),
    HashName("upgrade_parameter/piece_attack"),         HashName("upgrade_parameter/piece_defense"),
    HashName("upgrade_parameter/piece_special_attack"), HashName("upgrade_parameter/piece_special_charge"),
};

const NameId kRankSprites[5] = {
    HashName("upgrade_parameter/honor_01"), HashName("upgrade_parameter/honor_02"),
    HashName("upgrade_parameter/honor_03"), HashName("upgrade_parameter/honor_04"),
    HashName("upgrade_parameter/honor_05"),
};

const char* const kRowTagNames[kUpgradeRowCount] = {
    "ui_upgrade_hp_max",  "ui_upgrade_hp_recharge",    "ui_upgrade_attack",
    "ui_upgrade_defense", "ui_upgrade_special_attack", "ui_upgrade_special_charge",
};
const NameId kRowTags[kUpgradeRowCount] = {
    HashName(kRowTagNames[0]), HashName(kRowTagNames[1]), HashName(kRowTagNames[2]),
    HashName(kRowTagNames[3]), HashName(kRowTagNames[4]), HashName(kRowTagNames[5]),
};

const NameId kYesNoPanel = HashName("ui_common_yes_no");

// The row kinds' curves in the player status, in row order.
const int kRowStats[kUpgradeRowCount] = {eStat_Health,     eStat_HealthRecharge, eStat_Attack,
                                         eStat_Defense,    eStat_SpecialAtk,     eStat_PowerRecharge};

template <class T>
T* FindTagged(GameObj* owner, NameId tag)
{
    GameObj* o = tag ? owner->FindActiveByTag(tag) : nullptr;
    return o ? static_cast<T*>(o->GetComponent(T::s_Class.Key)) : nullptr;
}

void SetShown(Component* component, bool shown)
{
    if (!component)
        return;
    if (shown)
        component->Enable();
    else
        component->Disable();
}

void PostResult(GameObj* sender, GameObj* target, std::vector<int32_t> values)
{
    if (!sender || !target)
        return;
    auto* result = new MsgUIResult(sender);
    result->m_Values = std::move(values);
    target->PostMessage(result, 0.0f);
}

int IndexOfEquipped()
{
    const std::vector<uint32_t>& owned = g_PlayerSaveData.m_OwnedAccessories;
    auto it = std::find(owned.begin(), owned.end(), g_PlayerSaveData.m_nEquippedAccessory);
    return it == owned.end() ? -1 : static_cast<int>(it - owned.begin());
}

} // namespace

void SetUpgradePieceSprites(int kind, GameObj* table)
{
    if (!table || kind < 0 || kind >= kUpgradeRowCount)
        return;
    const NameId entry = kPieceSprites[kind];
    for (GameObj *o = table, *end = table->GetNextSkippingSubtree(); o && o != end; o = o->GetNext())
        for (Component* c : o->GetComponents())
            if (c->IsEnabled() && c->IsKindOf(TextureAtlas::s_Class.Key))
                static_cast<TextureAtlas*>(c)->SetAtlasEntry(entry);
}

// --- UIUpgradeBar

UIUpgradeBar::UIUpgradeBar(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIUpgradeBar::Load(lua_State* L)
{
    const char* keys[6] = {"label_title",        "label_num",          "sprite_select",
                           "sprite_arrow_left",  "sprite_arrow_right", "table_piece"};
    for (int i = 0; i < 6; ++i)
        m_aTags[i] = HashName(LuaGetStringField(L, keys[i]));
    lua_getfield(L, -1, "sound_effect");
    if (lua_istable(L, -1))
        m_nSelectSound = LuaGetNameField(L, "select_bar");
    lua_pop(L, 1);
    return true;
}

bool UIUpgradeBar::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

void UIUpgradeBar::FindChildren()
{
    if (m_bFound)
        return;
    m_bFound = true;
    GameObj* o = GetOwner();
    m_pTitle = FindTagged<FontRenderer>(o, m_aTags[0]);
    m_pNumber = FindTagged<FontRenderer>(o, m_aTags[1]);
    m_pSelect = FindTagged<SpriteRenderer>(o, m_aTags[2]);
    m_pArrowLeft = FindTagged<SpriteRenderer>(o, m_aTags[3]);
    m_pArrowRight = FindTagged<SpriteRenderer>(o, m_aTags[4]);
    m_pPieces = FindTagged<UITable>(o, m_aTags[5]);
}

void UIUpgradeBar::OnEnable()
{
    FindChildren();
    UIWidget::OnEnable();
}

void UIUpgradeBar::Start()
{
    // A kind still unset has no piece of its own: the pieces keep what the data gave them.
    if (m_pPieces)
        SetUpgradePieceSprites(m_nRowKind, m_pPieces->GetOwner());
}

void UIUpgradeBar::Open()
{
    m_nCurrentLevel = m_nSavedLevel;
    m_nShownValue = m_nSavedValue;
    Refresh(false);
    if (m_pTitle)
        m_pTitle->SetText(GetOwner()->GetObjectName());
    SetShown(m_pSelect, false);
    SetShown(m_pArrowLeft, false);
    SetShown(m_pArrowRight, false);
}

void UIUpgradeBar::Refresh(bool shortage)
{
    UpdatePieces(m_nCurrentLevel);
    if (!m_pNumber)
        return;
    if (m_nCurrentLevel == m_nSavedLevel)
        m_pNumber->SetColor(g_nUpgradeColorSaved);
    else
        m_pNumber->SetColor(shortage ? g_nUpgradeColorShort : g_nUpgradeColorPending);
    char text[32];
    std::snprintf(text, sizeof text, "%d", m_nShownValue);
    m_pNumber->SetText(text);
}

void UIUpgradeBar::UpdatePieces(int count)
{
    if (!m_pPieces)
        return;
    m_pPieces->Reposition(false);
    const size_t cells = m_pPieces->GetCellCount();
    const std::vector<GameObj*> items = m_pPieces->GetItems();
    GameObj* parent = GetOwner()->GetParent();
    UITweener* reference = parent ? static_cast<UITweener*>(parent->GetComponent(TweenColor::s_Class.Key)) : nullptr;
    // No laid-out piece: nothing to walk (a modulo by zero otherwise).
    for (size_t i = 0; !items.empty() && i < cells; ++i) {
        GameObj* piece = items[i % items.size()];
        const int index = static_cast<int>(i);
        if (index >= count) {
            if (piece->IsActive())
                piece->Deactivate();
            continue;
        }
        if (!piece->IsActive())
            piece->Activate();
        auto* tween = static_cast<UITweener*>(piece->GetComponent(TweenColor::s_Class.Key));
        if (!tween)
            continue;
        if (index < m_nSavedLevel) {
            tween->Reset();
        } else if (reference) {
            tween->SetDuration(reference->GetDuration());
            tween->SetAmountPerDelta(reference->GetAmountPerDelta());
            tween->SetFactor(reference->GetFactor());
        } else {
            tween->Play(true);
            reference = tween;
        }
    }
}

void UIUpgradeBar::OnSelect(bool selected)
{
    SetShown(m_pSelect, selected);
    SetShown(m_pArrowLeft, selected);
    SetShown(m_pArrowRight, selected);
    if (!selected)
        PlayUISound(m_nSelectSound);
}

void UIUpgradeBar::PostToFrame(NameId result)
{
    if (m_pFrame)
        PostResult(GetOwner(), m_pFrame->GetOwner(), {static_cast<int32_t>(result)});
}

void UIUpgradeBar::OnPad(uint32_t mask)
{
    if (m_pFrame && m_pFrame->IsClosing())
        return;
    if (mask == 8)
        PostToFrame(g_nResultLevelUp);
    else if (mask == 4 && m_nSavedLevel < m_nCurrentLevel)
        PostToFrame(g_nResultLevelDown);
}

// --- UIAccessoryBar

UIAccessoryBar::UIAccessoryBar(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIAccessoryBar::Load(lua_State* L)
{
    const char* keys[4] = {"label_name", "label_info", "sprite_arrow_left", "sprite_arrow_right"};
    for (int i = 0; i < 4; ++i)
        m_aTags[i] = HashName(LuaGetStringField(L, keys[i]));
    lua_getfield(L, -1, "sound_effect");
    if (lua_istable(L, -1)) {
        m_aSounds[0] = LuaGetNameField(L, "select_bar");
        m_aSounds[1] = LuaGetNameField(L, "item_next");
        m_aSounds[2] = LuaGetNameField(L, "item_prev");
    }
    lua_pop(L, 1);
    return true;
}

bool UIAccessoryBar::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

void UIAccessoryBar::FindChildren()
{
    if (m_bFound)
        return;
    m_bFound = true;
    GameObj* o = GetOwner();
    m_pName = FindTagged<FontRenderer>(o, m_aTags[0]);
    m_pInfo = FindTagged<FontRenderer>(o, m_aTags[1]);
    m_pArrowLeft = FindTagged<SpriteRenderer>(o, m_aTags[2]);
    m_pArrowRight = FindTagged<SpriteRenderer>(o, m_aTags[3]);
}

void UIAccessoryBar::OnEnable()
{
    FindChildren();
    UIWidget::OnEnable();
}

void UIAccessoryBar::Open()
{
    SetShown(m_pArrowLeft, false);
    SetShown(m_pArrowRight, false);
    PostToFrame(g_nResultAccessorySpecified, IndexOfEquipped(), true);
}

void UIAccessoryBar::OnSelect(bool selected)
{
    SetShown(m_pArrowLeft, selected);
    SetShown(m_pArrowRight, selected);
    if (!selected)
        PlayUISound(m_aSounds[0]);
}

void UIAccessoryBar::PostToFrame(NameId result, int32_t value, bool withValue)
{
    if (!m_pFrame)
        return;
    std::vector<int32_t> values{static_cast<int32_t>(result)};
    if (withValue)
        values.push_back(value);
    PostResult(GetOwner(), m_pFrame->GetOwner(), std::move(values));
}

void UIAccessoryBar::OnPad(uint32_t mask)
{
    if (m_pFrame && m_pFrame->IsClosing())
        return;
    switch (mask) {
    case 4: PostToFrame(g_nResultAccessoryPrev, 0, false), PlayUISound(m_aSounds[2]); break;
    case 256: PostToFrame(g_nResultAccessorySkipPrev, 0, false), PlayUISound(m_aSounds[2]); break;
    case 8: PostToFrame(g_nResultAccessoryNext, 0, false), PlayUISound(m_aSounds[1]); break;
    case 512: PostToFrame(g_nResultAccessorySkipNext, 0, false), PlayUISound(m_aSounds[1]); break;
    default: break;
    }
}

void UIAccessoryBar::SetTexts(const std::string& name, const std::string& info)
{
    FindChildren();
    float width = 0.0f, height = 0.0f;
    if (m_pName)
        m_pName->SetText(name, width, height);
    if (m_pInfo)
        m_pInfo->SetText(info);
    if (!m_pArrowLeft || !m_pArrowRight)
        return;
    Transform* left = m_pArrowLeft->GetOwner()->GetTransform();
    Transform* right = m_pArrowRight->GetOwner()->GetTransform();
    if (!left || !right)
        return;
    right->SetLocalPosition(left->LocalMatrix().m[3][0] + width + 25.0f, left->LocalMatrix().m[3][1],
                            right->LocalMatrix().m[3][2]);
    right->UpdateWorldMatrices();
}

// --- UIFrameUpgradeParameter

UIFrameUpgradeParameter::UIFrameUpgradeParameter(GameObj* owner) : UIFrame(owner, s_Class) {}

bool UIFrameUpgradeParameter::Load(lua_State* L)
{
    UIFrame::Load(L);
    m_bUpdatable = LuaGetIntField(L, "updatable") == 1;
    m_AcceptText = LuaGetStringField(L, "accept_upgrade_confirm_text");
    m_CancelText = LuaGetStringField(L, "cancel_upgrade_confirm_text");
    m_nSelectTag = HashName(LuaGetStringField(L, "select"));
    m_nTableTag = HashName(LuaGetStringField(L, "table"));
    m_nAccessoryTag = HashName(LuaGetStringField(L, "accessory"));
    m_nCostLabelTag = HashName(LuaGetStringField(L, "label_experience_cost"));
    m_nTotalLabelTag = HashName(LuaGetStringField(L, "label_experience_total"));
    m_nRankTag = HashName(LuaGetStringField(L, "sprite_rank_badge"));
    lua_getfield(L, -1, "sound_effect");
    if (lua_istable(L, -1)) {
        const char* names[eSound_Count] = {"open_window",         "upgrade_accept",        "no_experience",
                                           "open_confirm_window", "select_confirm_window", "close_window",
                                           "force_close_window",  "cancel_close_window",   "level_up",
                                           "level_down"};
        for (int i = 0; i < eSound_Count; ++i)
            m_aSounds[i] = LuaGetNameField(L, names[i]);
    }
    lua_pop(L, 1);
    return true;
}

bool UIFrameUpgradeParameter::IsKindOf(TypeKey key) const { return key == s_Class.Key || UIFrame::IsKindOf(key); }

StatusParameter* UIFrameUpgradeParameter::PlayerStatus() const
{
    // Looked up at each use: the player may be replaced while the screen's stage lives on.
    QuestController* quest = FindRootQuestController();
    GameObj* player = quest ? quest->m_pPlayerObj : nullptr;
    return player ? static_cast<StatusParameter*>(player->GetComponent(StatusParameter::s_Class.Key)) : nullptr;
}

int UIFrameUpgradeParameter::LevelCost(int level, int kind) const
{
    const StatusParameter* status = PlayerStatus();
    if (!status || kind < 0 || kind >= kUpgradeRowCount || level < 0)
        return 0;
    const StatCurve& curve = status->GetCurve(kRowStats[kind]);
    const float cost = static_cast<size_t>(level) < curve.table.size() ? curve.table[static_cast<size_t>(level)].second
                                                                        : curve.step.second;
    return LuaTruncateToInt32(cost);
}

int UIFrameUpgradeParameter::DisplayValue(int level, int kind) const
{
    const StatusParameter* status = PlayerStatus();
    if (!status)
        return 0;
    switch (kind) {
    case 0: return LuaTruncateToInt32(status->ComputeHealth(level));
    case 1: return LuaTruncateToInt32(status->ComputeHealthRecharge(level) * 100.0f + 0.5f);
    case 2: return LuaTruncateToInt32(status->ComputeAttack(level));
    case 3: return LuaTruncateToInt32(status->ComputeDefense(level));
    case 4: return LuaTruncateToInt32(status->ComputeSpecialAtk(level));
    case 5: return LuaTruncateToInt32(status->ComputePowerRecharge(level) * 100.0f + 0.5f);
    default: return 0;
    }
}

int UIFrameUpgradeParameter::AccessoryOpFromResult(NameId name)
{
    if (name == g_nResultAccessoryNext)
        return 2;
    if (name == g_nResultAccessoryPrev)
        return 3;
    if (name == g_nResultAccessorySkipNext)
        return 4;
    if (name == g_nResultAccessorySkipPrev)
        return 5;
    if (name == g_nResultAccessorySpecified)
        return 6;
    return -1;
}

int UIFrameUpgradeParameter::PageAccessory(int op, int i, int n)
{
    // An empty list has nowhere to page to.
    if (n <= 0)
        return i;
    switch (op) {
    case 2: return i + 1 >= n ? 0 : i + 1;
    case 3: return i - 1 < 0 ? n - 1 : i - 1;
    case 4:
        if (i + 10 < n)
            return i + 10;
        return i == n - 1 ? 10 % n : n - 1;
    case 5:
        if (i - 10 >= 0)
            return i - 10;
        return i == 0 ? n - 1 - 10 % n : 0;
    default: return i;
    }
}

bool UIFrameUpgradeParameter::AnyChange() const
{
    for (const UIUpgradeBar* row : m_apRows)
        if (row && row->m_nCurrentLevel != row->m_nSavedLevel)
            return true;
    return false;
}

bool UIFrameUpgradeParameter::Shortage() const
{
    return static_cast<int64_t>(g_PlayerSaveData.m_nExperience) < m_nPendingCost;
}

void UIFrameUpgradeParameter::RefreshCostLabels()
{
    char text[256];
    if (m_pCostLabel) {
        m_pCostLabel->SetColor(Shortage() ? g_nUpgradeColorShort : g_nUpgradeColorSaved);
        std::snprintf(text, sizeof text, "%d", m_nPendingCost);
        m_pCostLabel->SetText(text);
    }
    if (m_pTotalLabel) {
        std::snprintf(text, sizeof text, "/%d", static_cast<int>(g_PlayerSaveData.m_nExperience));
        m_pTotalLabel->SetText(text);
    }
}

void UIFrameUpgradeParameter::RefreshAllBars(bool shortage)
{
    for (UIUpgradeBar* row : m_apRows)
        if (row)
            row->Refresh(shortage);
}

void UIFrameUpgradeParameter::Apply()
{
    // A purchase only ever spends experience.
    if (m_nPendingCost > 0)
        g_PlayerSaveData.m_nExperience -= static_cast<uint32_t>(m_nPendingCost);
    m_nPendingCost = 0;
    for (int kind = 0; kind < kUpgradeRowCount; ++kind) {
        UIUpgradeBar* row = m_apRows[kind];
        if (!row)
            continue;
        g_PlayerSaveData.m_aLevels[kind] = static_cast<uint32_t>(row->m_nCurrentLevel);
        row->m_nSavedLevel = row->m_nCurrentLevel;
        row->m_nSavedValue = row->m_nShownValue;
        row->Refresh(false);
    }
    RefreshCostLabels();
}

void UIFrameUpgradeParameter::Open()
{
    UIFrame::Open();
    if (!m_pRowTable)
        FindChildren();
    if (m_bUpdatable)
        UIFrame::SetSelection(m_nSelectTag ? GetOwner()->FindActiveByTag(m_nSelectTag) : nullptr);
    m_nPendingCost = 0;
    RefreshCostLabels();
    m_nAccessoryIndex = IndexOfEquipped();
    m_nAccessoryCount = static_cast<int>(g_PlayerSaveData.m_OwnedAccessories.size());
    const int32_t rank = g_PlayerSaveData.m_nHonourLevel;
    auto* badge =
        m_pRankObject ? static_cast<TextureAtlas*>(m_pRankObject->GetComponent(TextureAtlas::s_Class.Key)) : nullptr;
    // A rank outside the five badges has none to show.
    if (badge && rank >= 0 && rank < 5)
        badge->SetAtlasEntry(kRankSprites[rank]);
    PlayUISound(m_aSounds[eSound_Open]);
}

void UIFrameUpgradeParameter::FindChildren()
{
    GameObj* o = GetOwner();
    m_pCostLabel = FindTagged<FontRenderer>(o, m_nCostLabelTag);
    m_pTotalLabel = FindTagged<FontRenderer>(o, m_nTotalLabelTag);
    m_pRankObject = m_nRankTag ? o->FindActiveByTag(m_nRankTag) : nullptr;
    for (int kind = 0; kind < kUpgradeRowCount; ++kind) {
        UIUpgradeBar* row = FindTagged<UIUpgradeBar>(o, kRowTags[kind]);
        m_apRows[kind] = row;
        if (!row) {
            LOG_ERROR << "UIFrameUpgradeParameter of " << o->GetPrototypeName()
                      << ": no active row with a UIUpgradeBar tagged \"" << kRowTagNames[kind]
                      << "\"; that parameter is not shown";
            continue;
        }
        row->m_nRowKind = kind;
        row->m_nSavedLevel = static_cast<int>(g_PlayerSaveData.m_aLevels[kind]);
        row->m_nSavedValue = DisplayValue(row->m_nSavedLevel, kind);
        row->m_nCurrentLevel = row->m_nSavedLevel;
        row->m_nShownValue = row->m_nSavedValue;
    }
    GameObj* tableObject = m_nTableTag ? o->FindActiveByTag(m_nTableTag) : nullptr;
    if (!tableObject)
        return;
    if (auto* blink = static_cast<UITweener*>(tableObject->GetComponent(TweenColor::s_Class.Key)))
        blink->Play(true);
    m_pRowTable = static_cast<UITable*>(tableObject->GetComponent(UITable::s_Class.Key));
    if (!m_pRowTable)
        return;
    m_pRowTable->Reposition(false);
    const size_t rows = m_pRowTable->GetCellCount();
    const std::vector<GameObj*> items = m_pRowTable->GetItems();
    // No laid-out row: nothing to wire (a modulo by zero otherwise).
    for (size_t j = 0; !items.empty() && j < rows; ++j) {
        GameObj* row = items[j % items.size()];
        if (auto* slide = static_cast<TweenPosition*>(row->AddComponent("TweenPosition", nullptr))) {
            slide->SetMethod(eTweenMethod_EaseOut);
            slide->SetStyle(eTweenStyle_Once);
            slide->SetDuration(0.2f);
            slide->SetFactor(0.0f);
            slide->SetDelay(static_cast<float>(j) * 0.03f);
            if (Transform* t = row->GetTransform()) {
                const float toX = t->WorldMatrix().m[3][0], toY = t->WorldMatrix().m[3][1];
                t->SetLocalPosition(t->LocalMatrix().m[3][0] - 800.0f, t->LocalMatrix().m[3][1],
                                    t->LocalMatrix().m[3][2]);
                t->UpdateWorldMatrices();
                slide->SetFrom(t->WorldMatrix().m[3][0], t->WorldMatrix().m[3][1]);
                slide->SetTo(toX, toY);
            }
            slide->Play(true);
        }
        if (auto* keys = static_cast<UIButtonKeys*>(row->AddComponent("UIButtonKeys", nullptr))) {
            keys->SetNeighbour(eUIDirection_Up, j > 0 ? items[(j - 1) % items.size()] : nullptr);
            keys->SetNeighbour(eUIDirection_Down, j + 1 < rows ? items[(j + 1) % items.size()] : nullptr);
            keys->SetNeighbour(eUIDirection_Left, nullptr);
            keys->SetNeighbour(eUIDirection_Right, nullptr);
            keys->SetResolved(true);
        }
    }
    GameObj* accessory = m_nAccessoryTag ? o->FindActiveByTag(m_nAccessoryTag) : nullptr;
    if (!accessory || items.empty() || rows == 0)
        return;
    GameObj* lastRow = items[(rows - 1) % items.size()];
    if (auto* keys = static_cast<UIButtonKeys*>(accessory->AddComponent("UIButtonKeys", nullptr))) {
        keys->SetNeighbour(eUIDirection_Up, lastRow);
        keys->SetResolved(true);
    }
    if (auto* keys = static_cast<UIButtonKeys*>(lastRow->GetComponent(UIButtonKeys::s_Class.Key)))
        keys->SetNeighbour(eUIDirection_Down, accessory);
}

void UIFrameUpgradeParameter::OpenConfirm(const std::string& text, int32_t callerValue, NameId yesSound,
                                          NameId cancelSound)
{
    GameObj* panel = UIRoot::FindPanel(kYesNoPanel);
    auto* dialog =
        panel ? static_cast<UIFrameCommonYesNo*>(panel->GetComponent(UIFrameCommonYesNo::s_Class.Key)) : nullptr;
    if (!dialog) {
        LOG_ERROR << "UIFrameUpgradeParameter: no panel \"ui_common_yes_no\" with a UIFrameCommonYesNo to confirm with";
        return;
    }
    dialog->m_InfoText = text;
    dialog->m_nCallerValue = callerValue;
    dialog->SetSounds(m_aSounds[eSound_OpenConfirm], m_aSounds[eSound_SelectConfirm], yesSound, cancelSound);
    if (UIRoot::OpenPanel(kYesNoPanel) && callerValue == 0)
        m_bConfirming = true;
}

void UIFrameUpgradeParameter::OnPad(uint32_t mask)
{
    if (m_bClosing)
        return;
    if (mask == 16) {
        if (!AnyChange())
            return;
        if (static_cast<int64_t>(g_PlayerSaveData.m_nExperience) >= m_nPendingCost)
            OpenConfirm(m_AcceptText, 0, m_aSounds[eSound_Accept], m_aSounds[eSound_Close]);
        else
            PlayUISound(m_aSounds[eSound_NoExperience]);
    } else if (mask == 32) {
        if (AnyChange()) {
            OpenConfirm(m_CancelText, 1, m_aSounds[eSound_ForceClose], m_aSounds[eSound_CancelClose]);
        } else {
            Post(GetOwner(), eUIEvent_Closing, UIObjectToParam(GetOwner()));
            PlayUISound(m_aSounds[eSound_Close]);
        }
    }
}

void UIFrameUpgradeParameter::OnLevelResult(NameId name, GameObj* sender)
{
    if (m_bConfirming || !sender)
        return;
    int kind = -1;
    for (int k = 0; k < kUpgradeRowCount; ++k)
        if (sender->GetTag() == kRowTags[k])
            kind = k;
    auto* bar = static_cast<UIUpgradeBar*>(sender->GetComponent(UIUpgradeBar::s_Class.Key));
    if (kind < 0 || !bar)
        return;
    if (name == g_nResultLevelUp) {
        const int cost = LevelCost(bar->m_nCurrentLevel, kind);
        // A status-less screen has no curve to price a level with, a price of 0 or below would
        // give the level away (or pay for it), and a level past the curve's cap buys nothing:
        // each such raise is refused.
        const StatusParameter* status = PlayerStatus();
        const StatCurve* curve = status ? &status->GetCurve(kRowStats[kind]) : nullptr;
        const bool priced = curve && cost > 0;
        const bool worth = curve && bar->m_nCurrentLevel < INT32_MAX &&
                           curve->Value(bar->m_nCurrentLevel + 1) != curve->Value(bar->m_nCurrentLevel);
        const bool covered = static_cast<int64_t>(g_PlayerSaveData.m_nExperience) >=
                             static_cast<int64_t>(m_nPendingCost) + cost;
        if (priced && worth && (covered || bar->m_nCurrentLevel == bar->m_nSavedLevel)) {
            m_nPendingCost += cost;
            ++bar->m_nCurrentLevel;
            PlayUISound(m_aSounds[eSound_LevelUp]);
        } else {
            PlayUISound(m_aSounds[eSound_NoExperience]);
        }
    } else {
        // The bar asks only above its saved level; a late request after an Apply is dropped.
        if (bar->m_nCurrentLevel <= bar->m_nSavedLevel)
            return;
        --bar->m_nCurrentLevel;
        m_nPendingCost -= LevelCost(bar->m_nCurrentLevel, kind);
        PlayUISound(m_aSounds[eSound_LevelDown]);
    }
    bar->m_nShownValue = DisplayValue(bar->m_nCurrentLevel, kind);
    RefreshAllBars(Shortage());
    RefreshCostLabels();
}

void UIFrameUpgradeParameter::OnAccessoryResult(int op, const MsgUIResult& result)
{
    int index = m_nAccessoryIndex;
    if (op == 6)
        index = result.m_Values.size() >= 2 ? result.m_Values[1] : -1;
    else
        index = PageAccessory(op, index, m_nAccessoryCount);
    m_nAccessoryIndex = index;
    const std::vector<uint32_t>& owned = g_PlayerSaveData.m_OwnedAccessories;
    // Outside the owned list (an equipped key that is not owned, or an empty list) there is no
    // accessory to equip or to describe.
    if (index < 0 || static_cast<size_t>(index) >= owned.size())
        return;
    const uint32_t key = owned[static_cast<size_t>(index)];
    g_PlayerSaveData.m_nEquippedAccessory = key;
    const AccessoryRecord* record = g_pAccessoryTable ? g_pAccessoryTable->Find(key) : nullptr;
    auto* bar = result.m_pSender
                    ? static_cast<UIAccessoryBar*>(result.m_pSender->GetComponent(UIAccessoryBar::s_Class.Key))
                    : nullptr;
    if (bar) {
        if (record)
            bar->SetTexts(record->m_Name, record->m_Explanation);
        else
            bar->SetTexts("", "");
    }
    StatusParameter* status = PlayerStatus();
    if (status)
        status->Refresh();
    for (int kind = 0; kind < kUpgradeRowCount; ++kind)
        if (UIUpgradeBar* row = m_apRows[kind])
            row->m_nShownValue = DisplayValue(row->m_nCurrentLevel, kind);
    RefreshAllBars(Shortage());
}

void UIFrameUpgradeParameter::OnMessage(IMessage* message)
{
    UIFrame::OnMessage(message);
    if (message->GetTypeId() != MsgUIResult::s_Class.Key)
        return;
    const auto* r = static_cast<const MsgUIResult*>(message);
    if (r->m_Values.empty())
        return;
    const NameId name = static_cast<NameId>(r->m_Values[0]);
    if (name == g_nResultLevelUp || name == g_nResultLevelDown) {
        OnLevelResult(name, r->m_pSender);
    } else if (const int op = AccessoryOpFromResult(name); op >= 0) {
        OnAccessoryResult(op, *r);
    } else if (name == g_nResultCloseWindow) {
        const int32_t answer = r->m_Values.size() >= 2 ? r->m_Values[1] : 0;
        const int32_t caller = r->m_Values.size() >= 3 ? r->m_Values[2] : -1;
        if (caller == 0 && answer == 1 && static_cast<int64_t>(g_PlayerSaveData.m_nExperience) >= m_nPendingCost)
            Apply();
        else if (caller == 1 && answer == 1)
            Post(GetOwner(), eUIEvent_Closing, UIObjectToParam(GetOwner()));
        m_bConfirming = false;
    }
}
