#include "Components/UI/UILayoutWidgets.h"

#include <cmath>
#include <lua.hpp>

#include "Components/Core/SpriteRenderer.h"
#include "Components/UI/UITweener.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/Transform.h"

const ClassKey UITable::s_Class("UITable");
const ClassKey UISelector::s_Class("UISelector");
const ClassKey UISlider::s_Class("UISlider");
const ClassKey UIWheel::s_Class("UIWheel");
const ClassKey UIRandomAtlas::s_Class("UIRandomAtlas");

namespace {

// Puts the object's world position at (x, y) as a local position against its parent, keeping
// its depth, and refreshes the subtree.
void PlaceInWorld(GameObj* object, Transform* t, float x, float y)
{
    if (GameObj* parent = object->GetParent())
        if (Transform* pt = parent->GetTransform()) {
            x -= pt->WorldMatrix().m[3][0];
            y -= pt->WorldMatrix().m[3][1];
        }
    t->SetLocalPosition(x, y, t->LocalMatrix().m[3][2]);
    t->UpdateWorldMatrices();
}

} // namespace

// --- UITable

UITable::UITable(GameObj* owner) : Component(owner, s_Class) {}

UITable::~UITable() = default;

bool UITable::Load(lua_State* L)
{
    m_bRepositionPending = LuaGetBoolField(L, "on_start");
    if (LuaPushTableField(L, "padding")) {
        m_fPaddingX = LuaGetFloatField(L, "x");
        m_fPaddingY = LuaGetFloatField(L, "y");
        lua_pop(L, 1);
    }
    m_nAlignment = LuaGetByteField(L, "alignment");
    m_nDirection = LuaGetByteField(L, "direction");
    return true;
}

bool UITable::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void UITable::Update()
{
    if (m_bRepositionPending)
        Reposition(false);
}

void UITable::Collect()
{
    m_Cells.clear();
    for (GameObj* c = GetOwner()->GetFirstChild(); c; c = c->GetNextSibling()) {
        Transform* t = c->GetTransform();
        m_Cells.push_back({UIObjectRef(c), t ? t->LocalMatrix().m[3][0] : 0.0f, t ? t->LocalMatrix().m[3][1] : 0.0f});
    }
}

void UITable::Reposition(bool force)
{
    if (!m_bRepositionPending && !force)
        return;
    if (m_Cells.empty())
        Collect();
    float stepX = m_fPaddingX, stepY = m_fPaddingY;
    uint8_t align = m_nAlignment;
    if (m_nDirection == 2) {
        stepX = -stepX, stepY = -stepY;
        if (align == 0)
            align = 2;
        else if (align == 2)
            align = 0;
    }
    m_Items.clear();
    if (m_nDirection != 0) {
        int n = 0;
        for (const Cell& cell : m_Cells)
            if (GameObj* o = cell.object.Get(); o && o->IsActive())
                ++n;
        const float span = static_cast<float>(n - 1);
        float offX = 0.0f, offY = 0.0f;
        if (align == 1)
            offX = -(span * stepX) / 2.0f, offY = -(span * stepY) / 2.0f;
        else if (align == 2)
            offX = -(span * stepX), offY = -(span * stepY);
        float baseX = 0.0f, baseY = 0.0f;
        if (const Transform* t = GetOwner()->GetTransform())
            baseX = t->WorldMatrix().m[3][0], baseY = t->WorldMatrix().m[3][1];
        int k = 0;
        for (const Cell& cell : m_Cells) {
            GameObj* o = cell.object.Get();
            if (!o || !o->IsActive())
                continue;
            const float kf = static_cast<float>(k);
            if (Transform* t = o->GetTransform())
                PlaceInWorld(o, t, offX + (baseX + kf * stepX) + cell.x, offY + (baseY + kf * stepY) + cell.y);
            m_Items.push_back(cell.object);
            ++k;
        }
    }
    m_bRepositionPending = false;
}

void UITable::ResetChildPositions()
{
    for (const Cell& cell : m_Cells)
        if (GameObj* o = cell.object.Get())
            if (Transform* t = o->GetTransform()) {
                t->SetLocalPosition(cell.x, cell.y, t->LocalMatrix().m[3][2]);
                t->UpdateWorldMatrices();
            }
    Collect();
}

std::vector<GameObj*> UITable::GetItems() const
{
    std::vector<GameObj*> out;
    for (const UIObjectRef& ref : m_Items)
        if (GameObj* o = ref.Get())
            out.push_back(o);
    return out;
}

std::vector<GameObj*> UITable::GetCellObjects()
{
    if (m_Cells.empty())
        Collect();
    std::vector<GameObj*> out;
    for (const Cell& cell : m_Cells)
        if (GameObj* o = cell.object.Get())
            out.push_back(o);
    return out;
}

GameObj* UITable::FindItem(NameId tag) const
{
    for (const UIObjectRef& ref : m_Items)
        if (GameObj* o = ref.Get(); o && o->GetTag() == tag)
            return o;
    return nullptr;
}

// --- UISelector

UISelector::UISelector(GameObj* owner) : Component(owner, s_Class) {}

bool UISelector::Load(lua_State* L)
{
    m_nTargetTag = LuaGetNameField(L, "target_tag");
    return true;
}

bool UISelector::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void UISelector::OnEnable()
{
    GameObj* parent = GetOwner()->GetParent();
    m_pTable = parent ? static_cast<UITable*>(parent->GetComponent(UITable::s_Class.Key)) : nullptr;
    if (m_pTable)
        m_pTable->Reposition(true);
    MoveTo(m_nTargetTag, true);
}

void UISelector::MoveTo(NameId tag, bool immediate)
{
    m_nCurrentTag = tag;
    GameObj* cell = m_pTable ? m_pTable->FindItem(tag) : nullptr;
    Transform* own = GetOwner()->GetTransform();
    if (!cell || !cell->GetTransform() || !own)
        return;
    const float x = cell->GetTransform()->WorldMatrix().m[3][0];
    const float y = cell->GetTransform()->WorldMatrix().m[3][1];
    auto* tween = static_cast<TweenPosition*>(GetOwner()->GetComponent(TweenPosition::s_Class.Key));
    if (tween && !immediate)
        tween->MoveTo(x, y, tween->GetDuration());
    else
        PlaceInWorld(GetOwner(), own, x, y);
}

void UISelector::OnMessage(IMessage* message)
{
    if (message->GetTypeId() != MsgUIEvent::s_Class.Key)
        return;
    const auto* e = static_cast<const MsgUIEvent*>(message);
    if ((e->m_eKind == eUIEvent_Press || e->m_eKind == eUIEvent_Select) && (e->m_nParam & 0xFF) != 0 && e->m_pSender)
        MoveTo(e->m_pSender->GetTag(), false);
}

// --- UISlider

UISlider::UISlider(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UISlider::Load(lua_State* L)
{
    m_fValue = LuaGetFloatField(L, "value");
    m_nDirection = LuaGetIntField(L, "direciton");
    m_nForegroundTag = LuaGetNameField(L, "foreground");
    m_nThumbTag = LuaGetNameField(L, "thumb");
    if (LuaPushTableField(L, "size")) {
        m_fWidth = LuaGetFloatField(L, "width");
        m_fHeight = LuaGetFloatField(L, "height");
        lua_pop(L, 1);
    }
    return true;
}

bool UISlider::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

void UISlider::OnEnable()
{
    if (!m_bFound) {
        m_bFound = true;
        auto find = [this](NameId tag, UIObjectRef& ref, SpriteRenderer*& sprite) {
            GameObj* o = tag ? GetOwner()->FindActiveByTag(tag) : nullptr;
            sprite = o ? static_cast<SpriteRenderer*>(o->GetComponent(SpriteRenderer::s_Class.Key)) : nullptr;
            ref.Set(sprite ? o : nullptr);
        };
        find(m_nForegroundTag, m_Foreground, m_pForeground);
        find(m_nThumbTag, m_Thumb, m_pThumb);
        if (!m_pForeground)
            LOG_ERROR << "UISlider of \"" << GetOwner()->GetPrototypeName()
                      << "\": no active object of its subtree with the foreground tag has a sprite; the gauge shows nothing.";
        if (m_fWidth == 0.0f && m_fHeight == 0.0f && m_pForeground)
            m_fWidth = m_pForeground->GetWidth(), m_fHeight = m_pForeground->GetHeight();
    }
    Apply();
}

SpriteRenderer* UISlider::GetForeground() const { return m_Foreground.Get() ? m_pForeground : nullptr; }

SpriteRenderer* UISlider::GetThumb() const { return m_Thumb.Get() ? m_pThumb : nullptr; }

void UISlider::Apply()
{
    SpriteRenderer* sprite = GetForeground();
    if (!sprite)
        return;
    float w = m_fWidth, h = m_fHeight;
    if (m_nDirection == 0)
        w = m_fValue * w;
    else if (m_nDirection == 1)
        h = m_fValue * h;
    w = std::trunc(w), h = std::trunc(h);
    if (sprite->IsKindOf(SlicedSpriteRenderer::s_Class.Key)) {
        static_cast<SlicedSpriteRenderer*>(sprite)->SetDrawSize(w, h);
    } else {
        sprite->SetSize(w, h);
        sprite->SetBaseSize(w, h);
    }
}

// --- UIWheel

UIWheel::UIWheel(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIWheel::Load(lua_State* L)
{
    const float friction = LuaGetFloatField(L, "friction");
    // The force is multiplied by the friction every frame: past 1 either way it grows without end.
    if (std::fabs(friction) <= 1.0f)
        m_fFriction = friction;
    else
        LOG_ERROR << "UIWheel of \"" << GetOwner()->GetPrototypeName() << "\": \"friction\" " << friction
                  << " is not between -1 and 1; " << m_fFriction << " is used.";
    m_fBaseRps = LuaGetFloatField(L, "base_rps");
    m_fForce = LuaGetFloatField(L, "force");
    m_fLimitForce = LuaGetFloatField(L, "limit_force");
    return true;
}

bool UIWheel::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

void UIWheel::Start() { m_pTransform = GetOwner()->GetTransform(); }

void UIWheel::Update()
{
    if (std::fabs(m_fForce) <= 1e-6f)
        return;
    m_fForce *= m_fFriction;
    const double dt = GetAppDeltaTime();
    m_fAngle = static_cast<float>(m_fAngle + m_fBaseRps * 6.2831854820251465 * dt * m_fForce);
    if (!m_pTransform)
        return;
    const float c = std::cos(-m_fAngle), s = std::sin(-m_fAngle);
    Matrix4x4& m = m_pTransform->LocalMatrix();
    m.m[0][0] = c, m.m[0][1] = s;
    m.m[1][0] = -s, m.m[1][1] = c;
    m_pTransform->UpdateWorldMatrices();
}

// --- UIRandomAtlas

UIRandomAtlas::UIRandomAtlas(GameObj* owner) : Component(owner, s_Class) {}

bool UIRandomAtlas::Load(lua_State* L)
{
    m_Entries.clear();
    if (LuaPushTableField(L, "atlases")) {
        const size_t n = LuaGetItemCount(L);
        for (size_t i = 0; i < n; ++i) {
            const std::string name = LuaGetStringItem(L, static_cast<int>(i));
            m_Entries.push_back(HashName(name));
        }
        lua_pop(L, 1);
    }
    return true;
}

bool UIRandomAtlas::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void UIRandomAtlas::OnEnable()
{
    auto* atlas = static_cast<TextureAtlas*>(GetOwner()->GetComponent(TextureAtlas::s_Class.Key));
    if (atlas && !m_Entries.empty())
        atlas->SetAtlasEntry(m_Entries[RandomNext() % m_Entries.size()]);
}
