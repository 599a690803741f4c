// The base of every component that shows its object on screen. The scene's draw pass collects
// the enabled and started renderers of the objects in its draw mask, prepares them, asks each
// whether it is out of view, tells the object when that changes, and draws the ones in view.
#pragma once

#include <cstdint>
#include <vector>

#include "World/Component.h"

class Camera2D;
class Transform;

// Where a world point lands on the screen of the camera, in whole pixels (y grows downward):
// each coordinate is offset by half a pixel and truncated toward zero. The camera's shake moves
// the view's edges.
void MapToScreen(const Camera2D& camera, float x, float y, float& screenX, float& screenY);
// True when a box of the size centred at the world point lies wholly outside the camera's view
// on either axis.
bool IsOutOfView(const Camera2D& camera, float x, float y, float width, float height);

class Renderer : public Component {
public:
    static const ClassKey s_Class;

    Renderer(GameObj* owner, const ClassKey& classKey);

    // Caches itself as the owner's renderer: the last one attached wins.
    bool Attach() override;
    // Clears the owner's renderer slot, whichever renderer it holds.
    void Detach() override;
    // Sets or clears the visible flag, then passes the event to the owner's other enabled and
    // started components in list order. An event passed on by a renderer is not passed on
    // again, so two renderers on one object do not echo it between them forever.
    void OnBecameVisible() override;
    void OnBecameInvisible() override;

    // Runs before the cull test of every frame the renderer is collected.
    virtual void PreRender();
    // True when the renderer is out of view; by default never.
    virtual bool IsCulled();
    // Queues what the renderer shows.
    virtual void Draw() = 0;

    // "brightness" (present and not nil) and "color" {r, g, b, a} of bytes; every renderer's
    // Load starts with it. Never fails.
    bool LoadColor(lua_State* L);

    uint32_t GetColor() const { return m_nColor; }
    void SetColor(uint32_t color) { m_nColor = color; }
    float GetAlphaFactor() const { return m_fAlphaFactor; }
    void SetAlphaFactor(float factor) { m_fAlphaFactor = factor; }
    float GetBrightness() const { return m_fBrightness; }
    void SetBrightness(float brightness) { m_fBrightness = brightness; }
    // The Transform the cull test and Draw read, when the class keeps one at hand: the draw
    // pass fetches it ahead of the renderer's turn. Null when none is kept.
    const Transform* GetPlace() const { return m_pPlace; }

protected:
    void SetPlace(const Transform* place) { m_pPlace = place; }

private:
    void Forward(void (Component::*handler)());

    uint32_t m_nColor;     // packed, alpha in the high byte; opaque white by default
    float m_fAlphaFactor;  // no Lua key: other components fade the renderer through it
    float m_fBrightness;
    const Transform* m_pPlace = nullptr;
};

// Appends the object's components that answer to the renderer key, in list order.
void GetRenderers(const GameObj* object, std::vector<Renderer*>& renderers);
