// Tweens: each animates one property of its object (the alpha of renderers, a renderer colour,
// the position, a shake offset, an atlas frame) by a factor that runs from 0 to 1 over the
// duration. A tween starts finished, so it is inert until Play, Toggle or a Lua "play".
#pragma once

#include <cstdint>
#include <vector>

#include "System/Common/NameHash.h"
#include "World/Component.h"

class Renderer;
class TextureAtlas;
class Transform;

enum TweenStyle : int32_t {
    eTweenStyle_Once = 0,
    eTweenStyle_Loop = 1,
    eTweenStyle_PingPong = 2,
};

enum TweenMethod : int32_t {
    eTweenMethod_Linear = 0,
    eTweenMethod_EaseIn = 1,
    eTweenMethod_EaseOut = 2,
    eTweenMethod_EaseInOut = 3,
    eTweenMethod_Bounce = 4,
    eTweenMethod_BounceInverse = 5,
};

// The bounce curve; slightly above 1 just below its first break.
float EaseBounce(float t);
// The eased value of a factor already clamped to [0, 1]; unknown methods pass it through.
float EaseTween(int32_t method, float t);

class UITweener : public Component {
public:
    static const ClassKey s_Class;

    // "style", "method", "duration", "delay", "play" (then back to the beginning), "factor"
    // (sampled at once) and "group". Never fails.
    bool Load(lua_State* L) override;
    // Advances the factor by the frame time, wraps it by style and applies it; a Once tween
    // finishes at either end with the end value applied exactly.
    void Update() override;
    // Restarts the delay countdown.
    void OnEnable() override;

    // To the start of the current direction (1 when running backwards) and applies it.
    virtual void ResetToBeginning();
    // Runs towards 0 from a factor above 0, towards 1 otherwise.
    virtual void Toggle();
    // Runs forwards or backwards from where it stands; enables the component.
    virtual void Play(bool forward);
    virtual void Stop();
    // Finished, factor 0, forwards, and applies 0.
    virtual void Reset();
    // Applies the eased value to the target.
    virtual void OnUpdate(float value) = 0;

    // Clamps, eases and applies.
    void Sample(float factor);

    int32_t GetMethod() const { return m_eMethod; }
    int32_t GetStyle() const { return m_eStyle; }
    bool IsFinished() const { return m_bFinished; }
    uint8_t GetGroup() const { return m_nGroup; }
    float GetDelay() const { return m_fDelay; }
    float GetDuration() const { return m_fDuration; }
    float GetAmountPerDelta() const { return m_fAmountPerDelta; }
    float GetFactor() const { return m_fFactor; }
    void SetFactor(float factor) { m_fFactor = factor; }
    void SetMethod(int32_t method) { m_eMethod = method; }
    void SetStyle(int32_t style) { m_eStyle = style; }
    void SetDelay(float delay) { m_fDelay = delay; }
    void SetDuration(float duration);
    // The signed speed, as another tween's, to run in step with it.
    void SetAmountPerDelta(float amount) { m_fAmountPerDelta = amount; }

protected:
    UITweener(GameObj* owner, const ClassKey& classKey);
    // |1 / duration|, or 1000 for a duration <= 0 (done in one frame).
    float Speed() const;
    // Sets the enabled bit; OnEnable runs when the object is active.
    void EnableForPlay();
    bool IsKindOfTweener(TypeKey key) const { return key == GetTypeKey() || key == s_Class.Key; }

    int32_t m_eMethod = eTweenMethod_Linear;
    int32_t m_eStyle = eTweenStyle_Once;
    bool m_bFinished = true;
    uint8_t m_nGroup = 0;
    float m_fDelay = 0.0f;
    float m_fDelayLeft = 0.0f;
    float m_fDuration = 0.0f;
    float m_fAmountPerDelta = 1.0f;
    float m_fFactor = 0.0f;
};

// Fades renderers through their alpha factor: with "children" every enabled renderer of the
// active objects of the subtree (collected at Start), else the owner's own renderers. A
// descendant may be deleted while the fade runs, so each renderer of another object is kept with
// that object's id and checked before it is written; gone ones are dropped.
class TweenAlpha : public UITweener {
public:
    static const ClassKey s_Class;
    explicit TweenAlpha(GameObj* owner);
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override { return IsKindOfTweener(key); }
    void Start() override;
    void OnEnable() override;
    void OnUpdate(float value) override;

    float GetCurrent() const { return m_fCurrent; }
    const std::vector<Renderer*>& GetRenderers() const { return m_Renderers; }

private:
    struct Holder {
        int32_t id; // -1: the owner itself, which outlives its components
        GameObj* object;
    };
    void DropGone();

    std::vector<Renderer*> m_Renderers;
    std::vector<Holder> m_Holders; // one per renderer
    float m_fFrom = 1.0f;
    float m_fTo = 0.0f;
    float m_fCurrent = 0.0f;
    bool m_bChildren = true;
};

// Blends the owner's renderer colour between two packed colours, channel by channel.
class TweenColor : public UITweener {
public:
    static const ClassKey s_Class;
    explicit TweenColor(GameObj* owner);
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override { return IsKindOfTweener(key); }
    void Start() override;
    void OnEnable() override;
    void OnUpdate(float value) override;

    uint32_t GetCurrent() const { return m_nCurrent; }
    // Each channel scaled in double precision, clamped and truncated.
    static uint32_t Scale(uint32_t color, double s);
    // Channel by channel, with a ceiling of 255.
    static uint32_t SaturatingAdd(uint32_t a, uint32_t b);

private:
    Renderer* m_pRenderer = nullptr;
    uint32_t m_nFrom = 0xFFFFFFFFu;
    uint32_t m_nTo = 0xFFFFFFFFu;
    uint32_t m_nCurrent = 0xFFFFFFFFu;
};

// Moves the object between two points, in the world or relative to its parent ("islocal").
// Without a Transform it does nothing.
class TweenPosition : public UITweener {
public:
    static const ClassKey s_Class;
    explicit TweenPosition(GameObj* owner);
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override { return IsKindOfTweener(key); }
    void OnUpdate(float value) override;
    // From where the object stands to the target, linearly, over the duration.
    void MoveTo(float x, float y, float duration);

    void SetFrom(float x, float y) { m_fFromX = x, m_fFromY = y; }
    void SetTo(float x, float y) { m_fToX = x, m_fToY = y; }

private:
    float m_fFromX = 0.0f, m_fFromY = 0.0f;
    float m_fToX = 0.0f, m_fToY = 0.0f;
    bool m_bLocal = false;
};

// Shakes the object about the world position it had at Start, with a wave that is zero at
// both ends; x and y run at slightly different frequencies, drawn again at every Play.
class TweenShake : public UITweener {
public:
    static const ClassKey s_Class;
    explicit TweenShake(GameObj* owner);
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override { return IsKindOfTweener(key); }
    void Start() override;
    void Play(bool forward) override;
    void OnUpdate(float value) override;

    float GetJitter() const { return m_fJitter; }
    float GetBaseX() const { return m_fBaseX; }
    float GetBaseY() const { return m_fBaseY; }

private:
    Transform* m_pTransform = nullptr;
    float m_fLengthX = 0.0f, m_fLengthY = 0.0f;
    float m_fBaseX = 0.0f, m_fBaseY = 0.0f;
    float m_fFrequency = 0.0f;
    float m_fJitter = 0.0f;
};

// Steps the owner's atlas through a list of entries, each shown for its seconds; the list's
// total is the duration. Backwards it walks the list from the end.
class TweenAtlasAnimation : public UITweener {
public:
    static const ClassKey s_Class;
    explicit TweenAtlasAnimation(GameObj* owner);
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override { return IsKindOfTweener(key); }
    void Start() override;
    void OnUpdate(float value) override;

    NameId GetShownEntry() const { return m_nShown; }
    size_t GetFrameCount() const { return m_Frames.size(); }

private:
    struct Frame {
        NameId entry;
        float seconds;
    };
    TextureAtlas* m_pAtlas = nullptr;
    std::vector<Frame> m_Frames;
    NameId m_nShown = 0;
};
