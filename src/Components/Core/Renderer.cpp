#include "Components/Core/Renderer.h"

#include <cmath>
#include <lua.hpp>

#include "Components/Core/Camera2D.h"
#include "System/Graphics/Color.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"

const ClassKey Renderer::s_Class("Renderer");

namespace {

// 1/255 as the colour tables are scaled.
constexpr float kByteScale = 0.003921568859368563f;

// True while a renderer hands a visibility event to its object's components.
bool s_bForwarding = false;

} // namespace

Renderer::Renderer(GameObj* owner, const ClassKey& classKey)
    : Component(owner, classKey), m_nColor(0xFFFFFFFFu), m_fAlphaFactor(1.0f), m_fBrightness(1.0f)
{
    SetFlags(eComponentFlag_Renderer);
}

bool Renderer::Attach()
{
    GetOwner()->SetRenderer(this);
    return true;
}

void Renderer::Detach() { GetOwner()->SetRenderer(nullptr); }

void Renderer::OnBecameVisible()
{
    SetFlags(eComponentFlag_Visible);
    Forward(&Component::OnBecameVisible);
}

void Renderer::OnBecameInvisible()
{
    ClearFlags(eComponentFlag_Visible);
    Forward(&Component::OnBecameInvisible);
}

void Renderer::Forward(void (Component::*handler)())
{
    if (s_bForwarding)
        return;
    s_bForwarding = true;
    // By index: a handler may add a component to the object.
    const ComponentList& components = GetOwner()->GetComponents();
    for (size_t i = 0; i < components.size(); ++i) {
        Component* component = components[i];
        if (component != this && component->IsLive())
            (component->*handler)();
    }
    s_bForwarding = false;
}

void Renderer::PreRender() {}

bool Renderer::IsCulled() { return false; }

bool Renderer::LoadColor(lua_State* L)
{
    if (!lua_istable(L, -1))
        return true;
    lua_getfield(L, -1, "brightness");
    const bool hasBrightness = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (hasBrightness)
        m_fBrightness = LuaGetFloatField(L, "brightness");
    lua_getfield(L, -1, "color");
    if (lua_istable(L, -1)) {
        const float r = LuaGetByteField(L, "r") * kByteScale;
        const float g = LuaGetByteField(L, "g") * kByteScale;
        const float b = LuaGetByteField(L, "b") * kByteScale;
        const float a = LuaGetByteField(L, "a") * kByteScale;
        m_nColor = PackColor(a, r, g, b);
    }
    lua_pop(L, 1);
    return true;
}

void GetRenderers(const GameObj* object, std::vector<Renderer*>& renderers)
{
    for (Component* component : object->GetComponents())
        if (component->IsKindOf(Renderer::s_Class.Key))
            renderers.push_back(static_cast<Renderer*>(component));
}

void MapToScreen(const Camera2D& camera, float x, float y, float& screenX, float& screenY)
{
    const float left = camera.GetX() - camera.GetHalfWidth() + camera.GetShakeX();
    const float top = camera.GetY() + camera.GetHalfHeight() + camera.GetShakeY();
    screenX = std::trunc(x - left + 0.5f);
    screenY = std::trunc(top - y + 0.5f);
}

bool IsOutOfView(const Camera2D& camera, float x, float y, float width, float height)
{
    return std::fabs(camera.GetX() - x) > std::fabs(camera.GetHalfWidth() + 0.5f * width) ||
           std::fabs(camera.GetY() - y) > std::fabs(camera.GetHalfHeight() + 0.5f * height);
}
