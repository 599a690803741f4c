#include "Components/Core/BackgroundLayer.h"

#include <cmath>

#include <lua.hpp>

#include "Components/Core/Camera2D.h"
#include "Components/Core/SpriteRenderer.h"
#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/Transform.h"

const ClassKey BackgroundLayer::s_Class("BackgroundLayer");

BackgroundLayer::BackgroundLayer(GameObj* owner) : Component(owner, s_Class) {}

bool BackgroundLayer::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

bool BackgroundLayer::Load(lua_State* L)
{
    m_nLayer = LuaGetIntField(L, "layer");
    m_fScroll = LuaGetFloatField(L, "scroll");
    return true;
}

void BackgroundLayer::Start()
{
    GameObj* owner = GetOwner();
    m_pTransform = owner->GetTransform();
    m_pSprite = static_cast<SpriteRenderer*>(owner->GetComponent(SpriteRenderer::s_Class.Key));
    m_pAtlas = static_cast<TextureAtlas*>(owner->GetComponent(TextureAtlas::s_Class.Key));
    m_pCamera = g_CameraRegistry.Find(GameCameraTag());
    m_bBound = false;
    const std::string& name = owner->GetPrototypeName();
    const char* missing = !m_pTransform ? "its object has no Transform"
        : !m_pSprite                    ? "its object has no SpriteRenderer"
        : !m_pAtlas                     ? "its object has no TextureAtlas"
        : !m_pCamera                    ? "no camera is registered as \"GameCamera\""
                                        : nullptr;
    if (missing) {
        LOG_ERROR << "BackgroundLayer of \"" << name << "\": " << missing << "; the layer stays still.";
        return;
    }
    m_fAtlasWidth = static_cast<float>(m_pAtlas->GetWidth());
    m_fAtlasHeight = static_cast<float>(m_pAtlas->GetHeight());
    if (m_fAtlasWidth <= 0.0f || m_fAtlasHeight <= 0.0f) {
        // The UV scale divides by the atlas size.
        LOG_ERROR << "BackgroundLayer of \"" << name << "\": its atlas is " << m_fAtlasWidth << " x " << m_fAtlasHeight
                  << "; the layer stays still.";
        return;
    }
    m_fScreenWidth = 2.0f * m_pCamera->GetHalfWidth();
    m_fScreenHeight = 2.0f * m_pCamera->GetHalfHeight();
    m_fScrollWidth = m_fScroll * m_fAtlasWidth;
    m_fVerticalRange = m_nLayer == 1 ? m_fAtlasHeight - m_fScreenHeight : 0.0f;
    if (m_fScrollWidth == 0.0f)
        LOG_ERROR << "BackgroundLayer of \"" << name << "\": \"scroll\" is 0; the texture does not scroll sideways.";
    m_bBound = true;
}

void BackgroundLayer::LateUpdate()
{
    if (!m_bBound)
        return;
    if (m_nLayer == 0)
        ScrollX();
    else if (m_nLayer == 1)
        ScrollXY();
}

double BackgroundLayer::OffsetU(double cameraX, double halfWidth) const
{
    if (m_fScrollWidth == 0.0f)
        return 0.0;
    return (cameraX - halfWidth) / static_cast<double>(m_fScrollWidth);
}

void BackgroundLayer::PlaceAt(float x, float y)
{
    if (GameObj* parent = GetOwner()->GetParent())
        if (Transform* pt = parent->GetTransform()) {
            x -= pt->WorldMatrix().m[3][0];
            y -= pt->WorldMatrix().m[3][1];
        }
    m_pTransform->SetLocalPosition(x, y, m_pTransform->LocalMatrix().m[3][2]);
    m_pTransform->UpdateWorldMatrices();
}

void BackgroundLayer::ScrollX()
{
    const float camX = m_pCamera->GetX();
    const float u = static_cast<float>(OffsetU(camX, m_pCamera->GetHalfWidth()));
    m_pSprite->SetUVRect(u, 0.0f, m_fScreenWidth / m_fAtlasWidth, 1.0f);
    PlaceAt(camX, m_pTransform->WorldMatrix().m[3][1]);
}

void BackgroundLayer::ScrollXY()
{
    const double camX = m_pCamera->GetX();
    const double camY = m_pCamera->GetY();
    const double halfH = m_pCamera->GetHalfHeight();
    const float u = static_cast<float>(OffsetU(camX, m_pCamera->GetHalfWidth()));
    const float v = static_cast<float>(((1.0 - (camY - halfH) / kStageHeight) * static_cast<double>(m_fVerticalRange)) /
                                       static_cast<double>(m_fAtlasHeight));
    const float du = static_cast<float>(static_cast<double>(m_fScreenWidth) / static_cast<double>(m_fAtlasWidth));
    const float dv = static_cast<float>(static_cast<double>(m_fScreenHeight) / static_cast<double>(m_fAtlasHeight));
    m_pSprite->SetUVRect(u, v, du, dv);
    m_pSprite->SetSize(std::trunc(m_fScreenWidth), std::trunc(m_fScreenHeight));
    PlaceAt(static_cast<float>(camX), static_cast<float>(camY));
}
