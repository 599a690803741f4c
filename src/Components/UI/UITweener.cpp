#include "Components/UI/UITweener.h"

#include <algorithm>
#include <cmath>
#include <lua.hpp>

#include "Components/Core/Renderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Common/MathUtil.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/Transform.h"

const ClassKey UITweener::s_Class("UITweener");
const ClassKey TweenAlpha::s_Class("TweenAlpha");
const ClassKey TweenColor::s_Class("TweenColor");
const ClassKey TweenPosition::s_Class("TweenPosition");
const ClassKey TweenShake::s_Class("TweenShake");
const ClassKey TweenAtlasAnimation::s_Class("TweenAtlasAnimation");

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kTwoPi = 6.2831855f;
// 6 x sqrt(3): the wave (2l^2 - 3l + 1) l peaks at about +-1.
constexpr float kShakeWaveScale = 10.392304420471191f;

// The number at the key, when there is one.
bool ReadNumber(lua_State* L, const char* name, double& out)
{
    lua_getfield(L, -1, name);
    const bool present = lua_type(L, -1) == LUA_TNUMBER;
    if (present)
        out = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return present;
}

void ReadPoint(lua_State* L, const char* name, float& x, float& y)
{
    if (!LuaPushTableField(L, name))
        return;
    x = LuaGetFloatField(L, "x");
    y = LuaGetFloatField(L, "y");
    lua_pop(L, 1);
}

// Puts the object's world position at (x, y), keeping its depth, and refreshes the subtree.
void SetWorldPosition(GameObj* owner, Transform* t, float x, float y)
{
    if (GameObj* parent = owner->GetParent())
        if (Transform* pt = parent->GetTransform()) {
            x -= pt->WorldMatrix().m[3][0];
            y -= pt->WorldMatrix().m[3][1];
        }
    t->SetLocalPosition(x, y, t->LocalMatrix().m[3][2]);
    t->UpdateWorldMatrices();
}

} // namespace

float EaseBounce(float t)
{
    double v;
    if (t < 0.363636f) {
        v = 7.56850004196167 * static_cast<double>(t) * static_cast<double>(t);
    } else if (t < 0.727272f) {
        const double u = static_cast<float>(t - 0.5454540252685547);
        v = 7.5625 * u * u + 0.75;
    } else if (t < 0.909089982509613) {
        const double u = static_cast<float>(t - 0.8181809782981873);
        v = 7.5625 * u * u + 0.9375;
    } else {
        const double u = static_cast<float>(t - 0.9545453786849976);
        v = 7.5625 * u * u + 0.984375;
    }
    return static_cast<float>(v);
}

float EaseTween(int32_t method, float t)
{
    switch (method) {
    case eTweenMethod_EaseIn: return 1.0f - static_cast<float>(std::sin((1.0f - t) * kHalfPi));
    case eTweenMethod_EaseOut: return static_cast<float>(std::sin(t * kHalfPi));
    case eTweenMethod_EaseInOut: return t - static_cast<float>(std::sin(kTwoPi * t)) / kTwoPi;
    case eTweenMethod_Bounce: return EaseBounce(t);
    case eTweenMethod_BounceInverse: return 1.0f - EaseBounce(1.0f - t);
    default: return t;
    }
}

UITweener::UITweener(GameObj* owner, const ClassKey& classKey) : Component(owner, classKey) {}

float UITweener::Speed() const { return m_fDuration > 0.0f ? std::fabs(1.0f / m_fDuration) : 1000.0f; }

void UITweener::SetDuration(float duration)
{
    m_fDuration = duration;
    m_fAmountPerDelta = m_fAmountPerDelta < 0.0f ? -Speed() : Speed();
}

bool UITweener::Load(lua_State* L)
{
    double v = 0.0;
    if (ReadNumber(L, "style", v))
        m_eStyle = LuaTruncateToInt32(v);
    if (ReadNumber(L, "method", v))
        m_eMethod = LuaTruncateToInt32(v);
    if (ReadNumber(L, "duration", v)) {
        m_fDuration = static_cast<float>(v);
        m_fAmountPerDelta = Speed();
    }
    if (ReadNumber(L, "delay", v))
        m_fDelay = static_cast<float>(v);
    if (LuaHasField(L, "play")) {
        Play(LuaGetBoolField(L, "play"));
        ResetToBeginning();
    }
    if (ReadNumber(L, "factor", v)) {
        m_fFactor = static_cast<float>(v);
        Sample(m_fFactor);
    }
    m_nGroup = LuaGetByteField(L, "group");
    return true;
}

void UITweener::OnEnable() { m_fDelayLeft = m_fDelay; }

void UITweener::Update()
{
    if (m_bFinished)
        return;
    const float dt = GetAppDeltaTime();
    if (m_fDelayLeft > 0.0f) {
        m_fDelayLeft -= dt;
        return;
    }
    m_fFactor += m_fAmountPerDelta * dt;
    if (m_eStyle == eTweenStyle_Loop) {
        if (m_fFactor > 1.0f)
            m_fFactor -= std::trunc(m_fFactor);
    } else if (m_eStyle == eTweenStyle_PingPong) {
        if (m_fFactor > 1.0f) {
            m_fFactor = 1.0f - (m_fFactor - std::trunc(m_fFactor));
            m_fAmountPerDelta = -m_fAmountPerDelta;
        } else if (m_fFactor < 0.0f) {
            m_fFactor = -m_fFactor - std::trunc(-m_fFactor);
            m_fAmountPerDelta = -m_fAmountPerDelta;
        }
    }
    Sample(m_fFactor);
    if (m_eStyle == eTweenStyle_Once && (m_fFactor > 1.0f || m_fFactor < 0.0f)) {
        m_bFinished = true;
        m_fFactor = std::clamp(m_fFactor, 0.0f, 1.0f);
    }
}

void UITweener::Sample(float factor)
{
    // NaN from data would pass a clamp untouched; it stands at the start instead.
    const float t = factor >= 0.0f ? std::min(factor, 1.0f) : 0.0f;
    OnUpdate(EaseTween(m_eMethod, t));
}

void UITweener::EnableForPlay()
{
    if (!IsEnabled())
        Enable();
}

void UITweener::Play(bool forward)
{
    m_bFinished = false;
    m_fAmountPerDelta = forward ? Speed() : -Speed();
    EnableForPlay();
}

void UITweener::Toggle()
{
    m_bFinished = false;
    m_fAmountPerDelta = m_fFactor > 0.0f ? -Speed() : Speed();
    EnableForPlay();
}

void UITweener::ResetToBeginning()
{
    m_fFactor = m_fAmountPerDelta < 0.0f ? 1.0f : 0.0f;
    Sample(m_fFactor);
}

void UITweener::Stop() { m_bFinished = true; }

void UITweener::Reset()
{
    m_bFinished = true;
    m_fFactor = 0.0f;
    m_fAmountPerDelta = Speed();
    Sample(0.0f);
}

// --- TweenAlpha

TweenAlpha::TweenAlpha(GameObj* owner) : UITweener(owner, s_Class) {}

bool TweenAlpha::Load(lua_State* L)
{
    UITweener::Load(L);
    double v = 0.0;
    if (ReadNumber(L, "from", v))
        m_fFrom = static_cast<float>(v);
    if (ReadNumber(L, "to", v))
        m_fTo = static_cast<float>(v);
    if (LuaHasField(L, "children"))
        m_bChildren = LuaGetBoolField(L, "children");
    return true;
}

void TweenAlpha::Start()
{
    m_Renderers.clear();
    m_Holders.clear();
    GameObj* owner = GetOwner();
    if (!m_bChildren) {
        for (Component* c : owner->GetComponents())
            if (c->IsKindOf(Renderer::s_Class.Key)) {
                m_Renderers.push_back(static_cast<Renderer*>(c));
                m_Holders.push_back({-1, owner});
            }
        return;
    }
    GameObj* end = owner->GetNextSkippingSubtree();
    for (GameObj* o = owner; o && o != end; o = o->GetNext()) {
        if (!o->IsActive())
            continue;
        for (Component* c : o->GetComponents())
            if (c->IsEnabled() && c->IsKindOf(Renderer::s_Class.Key)) {
                m_Renderers.push_back(static_cast<Renderer*>(c));
                m_Holders.push_back({o == owner ? -1 : o->GetId(), o});
            }
    }
}

void TweenAlpha::DropGone()
{
    const MessageManager* manager = GetOwner()->GetMessageManager();
    size_t kept = 0;
    for (size_t i = 0; i < m_Renderers.size(); ++i) {
        const Holder& h = m_Holders[i];
        // An id names the object only while it is registered; a reused id names another one.
        if (h.id >= 0 && (!manager || manager->FindObject(h.id) != h.object))
            continue;
        m_Renderers[kept] = m_Renderers[i];
        m_Holders[kept] = h;
        ++kept;
    }
    m_Renderers.resize(kept);
    m_Holders.resize(kept);
}

void TweenAlpha::OnEnable()
{
    UITweener::OnEnable();
    m_fCurrent = m_fFrom;
}

void TweenAlpha::OnUpdate(float value)
{
    m_fCurrent = (1.0f - value) * m_fFrom + value * m_fTo;
    for (const Holder& h : m_Holders)
        if (h.id >= 0) {
            DropGone();
            break;
        }
    for (Renderer* r : m_Renderers)
        r->SetAlphaFactor(m_fCurrent);
}

// --- TweenColor

TweenColor::TweenColor(GameObj* owner) : UITweener(owner, s_Class) {}

namespace {

uint32_t ReadColor(lua_State* L, const char* name, uint32_t fallback)
{
    if (!LuaPushTableField(L, name))
        return fallback;
    const uint32_t c = static_cast<uint32_t>(LuaGetByteField(L, "a")) << 24 |
                       static_cast<uint32_t>(LuaGetByteField(L, "r")) << 16 |
                       static_cast<uint32_t>(LuaGetByteField(L, "g")) << 8 | LuaGetByteField(L, "b");
    lua_pop(L, 1);
    return c;
}

} // namespace

bool TweenColor::Load(lua_State* L)
{
    UITweener::Load(L);
    m_nFrom = ReadColor(L, "from", m_nFrom);
    m_nTo = ReadColor(L, "to", m_nTo);
    return true;
}

void TweenColor::Start()
{
    m_pRenderer = static_cast<Renderer*>(GetOwner()->GetComponent(Renderer::s_Class.Key));
    if (!m_pRenderer)
        LOG_ERROR << "TweenColor of \"" << GetOwner()->GetPrototypeName() << "\": the object has no renderer; it colours nothing.";
}

void TweenColor::OnEnable()
{
    UITweener::OnEnable();
    m_nCurrent = m_nFrom;
}

uint32_t TweenColor::Scale(uint32_t color, double s)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const double x = static_cast<double>((color >> shift) & 0xFF) * s;
        const uint32_t b = x <= 0.0 ? 0u : x >= 255.0 ? 255u : static_cast<uint32_t>(x);
        out |= b << shift;
    }
    return out;
}

uint32_t TweenColor::SaturatingAdd(uint32_t a, uint32_t b)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= std::min(((a >> shift) & 0xFF) + ((b >> shift) & 0xFF), 255u) << shift;
    return out;
}

void TweenColor::OnUpdate(float value)
{
    if (!m_pRenderer)
        return;
    m_nCurrent = SaturatingAdd(Scale(m_nTo, value), Scale(m_nFrom, 1.0f - value));
    m_pRenderer->SetColor(m_nCurrent);
}

// --- TweenPosition

TweenPosition::TweenPosition(GameObj* owner) : UITweener(owner, s_Class) {}

bool TweenPosition::Load(lua_State* L)
{
    // The points first: "play" and "factor" in the base apply them at once.
    ReadPoint(L, "from", m_fFromX, m_fFromY);
    ReadPoint(L, "to", m_fToX, m_fToY);
    if (LuaHasField(L, "islocal"))
        m_bLocal = LuaGetBoolField(L, "islocal");
    UITweener::Load(L);
    return true;
}

void TweenPosition::OnUpdate(float value)
{
    // Looked up each time: at Load the object may not have its Transform yet.
    Transform* t = GetOwner()->GetTransform();
    if (!t)
        return;
    const float x = value * m_fToX + (1.0f - value) * m_fFromX;
    const float y = value * m_fToY + (1.0f - value) * m_fFromY;
    if (m_bLocal) {
        t->SetLocalPosition(x, y, t->LocalMatrix().m[3][2]);
        t->UpdateWorldMatrices();
    } else {
        SetWorldPosition(GetOwner(), t, x, y);
    }
}

void TweenPosition::MoveTo(float x, float y, float duration)
{
    m_bFinished = false;
    m_fFactor = 0.0f;
    m_eMethod = eTweenMethod_Linear;
    m_fDuration = duration;
    m_fAmountPerDelta = Speed();
    EnableForPlay();
    if (Transform* t = GetOwner()->GetTransform()) {
        m_fFromX = t->WorldMatrix().m[3][0];
        m_fFromY = t->WorldMatrix().m[3][1];
    }
    m_fToX = x;
    m_fToY = y;
    Play(true);
}

// --- TweenShake

TweenShake::TweenShake(GameObj* owner) : UITweener(owner, s_Class) {}

bool TweenShake::Load(lua_State* L)
{
    UITweener::Load(L);
    ReadPoint(L, "length", m_fLengthX, m_fLengthY);
    m_fFrequency = LuaGetFloatField(L, "frequency");
    return true;
}

void TweenShake::Start()
{
    m_pTransform = GetOwner()->GetTransform();
    if (m_pTransform) {
        m_fBaseX = m_pTransform->WorldMatrix().m[3][0];
        m_fBaseY = m_pTransform->WorldMatrix().m[3][1];
    } else {
        LOG_ERROR << "TweenShake of \"" << GetOwner()->GetPrototypeName() << "\": the object has no Transform; it shakes nothing.";
    }
}

void TweenShake::Play(bool forward)
{
    UITweener::Play(forward);
    m_fJitter = static_cast<float>(RandomNext() / 4294967295.0 * 0.1 - 0.05);
}

void TweenShake::OnUpdate(float value)
{
    if (!m_pTransform)
        return;
    float ox = 0.0f;
    float oy = 0.0f;
    if (value != 0.0f && value != 1.0f) {
        const float s = static_cast<float>(std::sin(value * kHalfPi));
        const float px = FloatMod((1.0f - m_fJitter) * m_fFrequency * value, 1.0f);
        const float py = FloatMod((1.0f + m_fJitter) * m_fFrequency * value, 1.0f);
        auto wave = [](float l) { return ((2.0f * l - 3.0f) * l + 1.0f) * l * kShakeWaveScale; };
        ox = wave(px) * m_fLengthX * s;
        oy = wave(py) * m_fLengthY * s;
    }
    SetWorldPosition(GetOwner(), m_pTransform, m_fBaseX + ox, m_fBaseY + oy);
}

// --- TweenAtlasAnimation

TweenAtlasAnimation::TweenAtlasAnimation(GameObj* owner) : UITweener(owner, s_Class) {}

bool TweenAtlasAnimation::Load(lua_State* L)
{
    UITweener::Load(L);
    m_Frames.clear();
    if (LuaPushTableField(L, "frames")) {
        const size_t count = LuaGetItemCount(L);
        for (size_t i = 0; i < count; ++i) {
            lua_rawgeti(L, -1, static_cast<int>(i + 1));
            if (lua_istable(L, -1)) {
                Frame frame{HashName(LuaGetStringItem(L, 0)), 0.0f};
                lua_rawgeti(L, -1, 2);
                frame.seconds = static_cast<float>(lua_tonumber(L, -1));
                lua_pop(L, 1);
                m_Frames.push_back(frame);
            } else {
                LOG_ERROR << GetOwner()->GetPrototypeName() << ": TweenAtlasAnimation frame " << (i + 1)
                          << " is not a table {entry, seconds}; skipped";
            }
            lua_pop(L, 1);
        }
        lua_pop(L, 1);
    }
    float total = 0.0f;
    for (const Frame& f : m_Frames)
        total += f.seconds;
    SetDuration(total);
    return true;
}

void TweenAtlasAnimation::Start()
{
    m_pAtlas = static_cast<TextureAtlas*>(GetOwner()->GetComponent(TextureAtlas::s_Class.Key));
    if (!m_pAtlas)
        LOG_ERROR << "TweenAtlasAnimation of \"" << GetOwner()->GetPrototypeName()
                  << "\": the object has no TextureAtlas; it shows no frames.";
}

void TweenAtlasAnimation::OnUpdate(float value)
{
    if (!m_pAtlas)
        return;
    NameId entry = 0;
    if (!m_Frames.empty()) {
        float sum = 0.0f;
        if (m_fAmountPerDelta >= 0.0f) {
            const float limit = m_fDuration * value;
            size_t i = 0;
            for (; i + 1 < m_Frames.size(); ++i) {
                sum += m_Frames[i].seconds;
                if (sum > limit)
                    break;
            }
            entry = m_Frames[i].entry;
        } else {
            const float limit = (1.0f - value) * m_fDuration;
            size_t i = m_Frames.size() - 1;
            for (; i > 0; --i) {
                sum += m_Frames[i].seconds;
                if (sum > limit)
                    break;
            }
            entry = m_Frames[i].entry;
        }
    }
    if (entry != m_nShown) {
        m_pAtlas->SetAtlasEntry(entry);
        m_nShown = entry;
    }
}
