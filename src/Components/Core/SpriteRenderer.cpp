#include "Components/Core/SpriteRenderer.h"

#include <lua.hpp>

#include "Components/Core/Camera2D.h"
#include "System/Common/Log.h"
#include "System/Common/MathUtil.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/SpriteBatch.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/IMessage.h"
#include "World/Transform.h"

const ClassKey SpriteRenderer::s_Class("SpriteRenderer");
const ClassKey SlicedSpriteRenderer::s_Class("SlicedSpriteRenderer");
const ClassKey SlideBarRenderer::s_Class("SlideBarRenderer");
const ClassKey TextureAtlas::s_Class("TextureAtlas");

namespace {

uint32_t ReadColor(lua_State* L)
{
    return (uint32_t(LuaGetByteField(L, "a")) << 24) | (uint32_t(LuaGetByteField(L, "r")) << 16) |
           (uint32_t(LuaGetByteField(L, "g")) << 8) | uint32_t(LuaGetByteField(L, "b"));
}

float Channel(uint32_t color, int shift) { return float((color >> shift) & 0xFF) / 255.0f; }

} // namespace

// ---------------------------------------------------------------------------------------------
// SpriteRenderer

SpriteRenderer::SpriteRenderer(GameObj* owner) : SpriteRenderer(owner, s_Class) {}

SpriteRenderer::SpriteRenderer(GameObj* owner, const ClassKey& classKey)
    : Renderer(owner, classKey), m_nCameraTag(GameCameraTag())
{
}

bool SpriteRenderer::Load(lua_State* L)
{
    LoadColor(L);
    if (LuaHasField(L, "renderingCamera"))
        m_nCameraTag = HashName(LuaGetStringField(L, "renderingCamera").c_str());
    if (LuaHasField(L, "blendMode"))
        m_nBlendMode = LuaGetUIntField(L, "blendMode");
    if (LuaHasField(L, "addressU"))
        m_nAddressFlags = (m_nAddressFlags & ~kRenderStateWrapU) | (LuaGetIntField(L, "addressU") ? kRenderStateWrapU : 0);
    if (LuaHasField(L, "addressV"))
        m_nAddressFlags = (m_nAddressFlags & ~kRenderStateWrapV) | (LuaGetIntField(L, "addressV") ? kRenderStateWrapV : 0);
    if (LuaHasField(L, "pivot"))
        m_nPivot = LuaGetByteField(L, "pivot");
    if (LuaPushTableField(L, "size")) {
        m_fWidth = m_fBaseWidth = LuaGetFloatField(L, "width");
        m_fHeight = m_fBaseHeight = LuaGetFloatField(L, "height");
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "offset")) {
        m_fOffsetX = LuaGetFloatField(L, "x");
        m_fOffsetY = LuaGetFloatField(L, "y");
        lua_pop(L, 1);
    }
    m_bFlipV = LuaGetBoolField(L, "flipV");
    m_bFlipH = LuaGetBoolField(L, "flipH");
    return true;
}

bool SpriteRenderer::IsKindOf(TypeKey key) const
{
    return key == s_Class.Key || key == Renderer::s_Class.Key;
}

void SpriteRenderer::Start()
{
    m_pCamera = g_CameraRegistry.Find(m_nCameraTag);
    m_pTransform = GetOwner()->GetTransform();
    SetPlace(m_pTransform);
}

const Transform* SpriteRenderer::OwnerTransform() const
{
    return m_pTransform ? m_pTransform : GetOwner()->GetTransform();
}

void SpriteRenderer::OnMessage(IMessage* message)
{
    if (message->GetTypeId() != MsgSetCamera::s_Class.Key)
        return;
    m_nCameraTag = static_cast<NameId>(static_cast<MsgSetCamera*>(message)->m_nCamera);
    m_pCamera = g_CameraRegistry.Find(m_nCameraTag);
}

bool SpriteRenderer::IsCulled()
{
    if (!m_pCamera)
        return true;
    const Transform* t = OwnerTransform();
    const float x = t ? t->WorldMatrix().m[3][0] : 0.0f;
    const float y = t ? t->WorldMatrix().m[3][1] : 0.0f;
    return IsOutOfView(*m_pCamera, x, y, m_fWidth, m_fHeight);
}

void SpriteRenderer::Prepare(Quad& quad, float pivotWidth, float pivotHeight) const
{
    quad.entry = m_nTextureId && g_pTextureTable ? g_pTextureTable->Find(m_nTextureId) : nullptr;
    quad.texture = quad.entry ? quad.entry->texture : nullptr;
    float x = 0.0f, y = 0.0f;
    quad.depth = 0.0f;
    quad.scaleX = quad.scaleY = 1.0f;
    quad.angle = 0.0f;
    if (const Transform* t = OwnerTransform()) {
        const Matrix4x4& w = t->WorldMatrix();
        x = w.m[3][0];
        y = w.m[3][1];
        quad.depth = w.m[3][2];
        quad.scaleX = t->WorldScale().x;
        quad.scaleY = t->WorldScale().y;
        quad.angle = Atan2(w.m[0][1], w.m[1][1]);
    }
    MapToScreen(*m_pCamera, x, y, quad.screenX, quad.screenY);
    quad.pivotX = m_fOffsetX;
    quad.pivotY = m_fOffsetY;
    quad.u0 = m_fU0;
    quad.v0 = m_fV0;
    quad.du = m_fDU;
    quad.dv = m_fDV;
    if (m_bFlipH) {
        quad.pivotX = -quad.pivotX;
        quad.u0 += quad.du;
        quad.du = -quad.du;
    }
    if (m_bFlipV) {
        quad.pivotY = -quad.pivotY;
        quad.v0 += quad.dv;
        quad.dv = -quad.dv;
    }
    if (m_nPivot & 2)
        quad.pivotX += pivotWidth * 0.5f;
    if (m_nPivot & 4)
        quad.pivotX -= pivotWidth * 0.5f;
    if (m_nPivot & 1)
        quad.pivotY += pivotHeight * 0.5f;
    if (m_nPivot & 8)
        quad.pivotY -= pivotHeight * 0.5f;
    const uint32_t color = GetColor();
    quad.a = Channel(color, 24) * GetAlphaFactor();
    quad.r = Channel(color, 16) * GetBrightness();
    quad.g = Channel(color, 8) * GetBrightness();
    quad.b = Channel(color, 0) * GetBrightness();
}

uint32_t SpriteRenderer::ApplyRenderState() const
{
    const uint32_t saved = g_pSpriteBatch->GetRenderState();
    uint32_t word = m_nBlendMode | (saved & ~kRenderStateBlendMask);
    word = (word & ~(kRenderStateWrapU | kRenderStateWrapV)) | m_nAddressFlags;
    g_pSpriteBatch->SetRenderState(word);
    return saved;
}

void SpriteRenderer::RestoreRenderState(uint32_t saved)
{
    constexpr uint32_t kBits = kRenderStateBlendMask | kRenderStateWrapU | kRenderStateWrapV;
    const uint32_t word = g_pSpriteBatch->GetRenderState();
    g_pSpriteBatch->SetRenderState((word & ~kBits) | (saved & kBits));
}

void SpriteRenderer::Draw()
{
    if (!g_pSpriteBatch || !m_pCamera || (GetColor() >> 24) == 0)
        return;
    Quad q;
    Prepare(q, m_fBaseWidth, m_fBaseHeight);
    const uint32_t saved = ApplyRenderState();
    g_pSpriteBatch->DrawSprite(q.depth, q.texture, q.screenX, q.screenY, m_fWidth, m_fHeight, q.pivotX, q.pivotY,
                               q.scaleX, q.scaleY, -q.angle, q.u0, q.v0, q.du, q.dv, q.r, q.g, q.b, q.a);
    RestoreRenderState(saved);
}

// ---------------------------------------------------------------------------------------------
// SlicedSpriteRenderer

SlicedSpriteRenderer::SlicedSpriteRenderer(GameObj* owner) : SpriteRenderer(owner, s_Class) {}

bool SlicedSpriteRenderer::Load(lua_State* L)
{
    SpriteRenderer::Load(L);
    m_fDrawWidth = m_fWidth;
    m_fDrawHeight = m_fHeight;
    if (LuaPushTableField(L, "border")) {
        m_nLeft = LuaTruncateToInt32(LuaGetFloatField(L, "left"));
        m_nRight = LuaTruncateToInt32(LuaGetFloatField(L, "right"));
        m_nTop = LuaTruncateToInt32(LuaGetFloatField(L, "top"));
        m_nBottom = LuaTruncateToInt32(LuaGetFloatField(L, "bottom"));
        lua_pop(L, 1);
    }
    return true;
}

bool SlicedSpriteRenderer::IsKindOf(TypeKey key) const
{
    return key == s_Class.Key || SpriteRenderer::IsKindOf(key);
}

void SlicedSpriteRenderer::Draw()
{
    if (!g_pSpriteBatch || !m_pCamera || (GetColor() >> 24) == 0)
        return;
    Quad q;
    Prepare(q, m_fDrawWidth, m_fDrawHeight);
    const uint32_t saved = ApplyRenderState();
    if (!q.texture || q.texture->GetWidth() == 0 || q.texture->GetHeight() == 0) {
        RestoreRenderState(saved);
        return;
    }
    int32_t left = m_nLeft, right = m_nRight, top = m_nTop, bottom = m_nBottom;
    if (m_fDrawWidth < float(left + right)) {
        const float k = m_fDrawWidth / float(left + right);
        left = int32_t(float(left) * k);
        right = int32_t(float(right) * k);
    }
    if (m_fDrawHeight < float(top + bottom)) {
        const float k = m_fDrawHeight / float(top + bottom);
        top = int32_t(float(top) * k);
        bottom = int32_t(float(bottom) * k);
    }
    const float texelU = 1.0f / float(q.texture->GetWidth());
    const float texelV = 1.0f / float(q.texture->GetHeight());
    auto atLeastZero = [](float v) { return v < 0.0f ? 0.0f : v; };
    const float widths[3] = {float(left), atLeastZero(m_fDrawWidth - float(left + right)), float(right)};
    const float uWidths[3] = {float(left) * texelU, atLeastZero((m_fWidth - float(left + right)) * texelU),
                              float(right) * texelU};
    const float heights[3] = {float(top), atLeastZero(m_fDrawHeight - float(top + bottom)), float(bottom)};
    const float vHeights[3] = {float(top) * texelV, atLeastZero((m_fHeight - float(top + bottom)) * texelV),
                               float(bottom) * texelV};
    // Cells tile the draw rectangle edge to edge, from its top-left corner.
    float cellTop = q.screenY - m_fDrawHeight * 0.5f;
    float v = q.v0;
    for (int row = 0; row < 3; ++row) {
        float cellLeft = q.screenX - m_fDrawWidth * 0.5f;
        float u = q.u0;
        for (int column = 0; column < 3; ++column) {
            g_pSpriteBatch->DrawSprite(q.depth, q.texture, cellLeft + widths[column] * 0.5f,
                                       cellTop + heights[row] * 0.5f, widths[column], heights[row], q.pivotX,
                                       q.pivotY, q.scaleX, q.scaleY, q.angle, u, v, uWidths[column], vHeights[row],
                                       q.r, q.g, q.b, q.a);
            cellLeft += widths[column];
            u += uWidths[column];
        }
        cellTop += heights[row];
        v += vHeights[row];
    }
    RestoreRenderState(saved);
}

// ---------------------------------------------------------------------------------------------
// SlideBarRenderer

SlideBarRenderer::SlideBarRenderer(GameObj* owner) : Renderer(owner, s_Class) {}

bool SlideBarRenderer::Load(lua_State* L)
{
    LoadColor(L);
    if (LuaPushTableField(L, "size")) {
        m_fWidth = LuaGetFloatField(L, "width");
        m_fHeight = LuaGetFloatField(L, "height");
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "color")) {
        m_nBarColor = ReadColor(L);
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "undercoatCol")) {
        m_nUndercoatColor = ReadColor(L);
        lua_pop(L, 1);
    }
    return true;
}

bool SlideBarRenderer::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == Renderer::s_Class.Key; }

void SlideBarRenderer::Start()
{
    GameObj* parent = GetOwner()->GetParent();
    m_pParentTransform = parent ? parent->GetTransform() : nullptr;
    m_pTransform = GetOwner()->GetTransform();
    SetPlace(m_pTransform);
    if (m_pTransform) {
        const Matrix4x4& local = m_pTransform->LocalMatrix();
        m_fLocalX = local.m[3][0];
        m_fLocalY = local.m[3][1];
        m_fLocalZ = local.m[3][2];
    }
    m_pCamera = g_CameraRegistry.Find(GameCameraTag());
}

bool SlideBarRenderer::IsCulled()
{
    if (!m_pCamera)
        return true;
    const float x = m_pTransform ? m_pTransform->WorldMatrix().m[3][0] : 0.0f;
    const float y = m_pTransform ? m_pTransform->WorldMatrix().m[3][1] : 0.0f;
    return IsOutOfView(*m_pCamera, x, y, m_fWidth, m_fHeight);
}

void SlideBarRenderer::Draw()
{
    if (!g_pSpriteBatch || !m_pCamera || !m_pParentTransform)
        return;
    const Matrix4x4& parent = m_pParentTransform->WorldMatrix();
    float sx, sy;
    MapToScreen(*m_pCamera, m_fLocalX + parent.m[3][0], m_fLocalY + parent.m[3][1], sx, sy);
    if ((m_nUndercoatColor >> 24) > 0) {
        const uint32_t c = m_nUndercoatColor;
        g_pSpriteBatch->DrawSprite(m_fLocalZ - 9.999999974752427e-7f, nullptr, sx, sy, m_fWidth, m_fHeight, 0.0f,
                                   0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, Channel(c, 16), Channel(c, 8),
                                   Channel(c, 0), Channel(c, 24));
    }
    if (m_fFillRatio > 0.0f && (m_nBarColor >> 24) > 0) {
        const uint32_t c = m_nBarColor;
        const float filled = m_fWidth * m_fFillRatio;
        g_pSpriteBatch->DrawSprite(m_fLocalZ, nullptr, sx, sy, filled, m_fHeight, (m_fWidth - filled) * -0.5f, 0.0f,
                                   1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, Channel(c, 16), Channel(c, 8),
                                   Channel(c, 0), Channel(c, 24));
    }
}

// ---------------------------------------------------------------------------------------------
// TextureAtlas

TextureAtlas::TextureAtlas(GameObj* owner) : Component(owner, s_Class) {}

bool TextureAtlas::Load(lua_State* L)
{
    const std::string atlasName = LuaGetStringField(L, "atlasName");
    if (!atlasName.empty()) {
        SetAtlasEntry(HashName(atlasName.c_str()));
        return true;
    }
    if (!LuaPushTableField(L, "atlasInfo"))
        return true;
    const std::string texture = LuaGetStringField(L, "texture");
    m_nTextureId = HashName(texture.c_str());
    const TextureEntry* entry = g_pTextureTable ? g_pTextureTable->Find(m_nTextureId) : nullptr;
    if (!entry || entry->width == 0 || entry->height == 0) {
        // Without the texture's pixel size no rectangle can be made from its pixels.
        LOG_ERROR << GetOwner()->GetPrototypeName() << ": TextureAtlas \"atlasInfo\" names texture \"" << texture
                  << "\", which the texture table " << (entry ? "holds without a size" : "does not hold")
                  << "; the image is left empty";
    } else {
        const float tw = float(entry->width), th = float(entry->height);
        if (LuaPushTableField(L, "uvRect")) {
            const int32_t x = LuaGetIntField(L, "x"), y = LuaGetIntField(L, "y");
            const int32_t w = LuaGetIntField(L, "width"), h = LuaGetIntField(L, "height");
            lua_pop(L, 1);
            m_fU0 = float(x) / tw;
            m_fV0 = float(y) / th;
            m_fDU = float(w) / tw;
            m_fDV = float(h) / th;
            m_nWidth = m_nBaseWidth = w;
            m_nHeight = m_nBaseHeight = h;
        } else {
            m_fU0 = m_fV0 = 0.0f;
            m_fDU = m_fDV = 1.0f;
            m_nWidth = int32_t(entry->width);
            m_nHeight = int32_t(entry->height);
        }
    }
    if (LuaPushTableField(L, "offset")) {
        m_fOffsetX = LuaGetFloatField(L, "x");
        m_fOffsetY = LuaGetFloatField(L, "y");
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    return true;
}

bool TextureAtlas::Attach()
{
    if (g_pTextureTable)
        TextureTable::AddUse(g_pTextureTable->Find(m_nTextureId));
    m_bAttached = true;
    return true;
}

void TextureAtlas::Detach()
{
    if (g_pTextureTable)
        TextureTable::RemoveUse(g_pTextureTable->Find(m_nTextureId));
    m_bAttached = false;
}

bool TextureAtlas::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void TextureAtlas::Start() { Apply(); }

SpriteRenderer* TextureAtlas::SetAtlasEntry(NameId id)
{
    const AtlasEntry* entry = g_pAtlasTable ? g_pAtlasTable->Find(id) : nullptr;
    if (entry) {
        // The use held since Attach follows the image to its new texture.
        if (m_bAttached && entry->textureId != m_nTextureId && g_pTextureTable) {
            TextureTable::AddUse(g_pTextureTable->Find(entry->textureId));
            TextureTable::RemoveUse(g_pTextureTable->Find(m_nTextureId));
        }
        m_nTextureId = entry->textureId;
        m_fU0 = entry->u0;
        m_fV0 = entry->v0;
        m_fDU = entry->du;
        m_fDV = entry->dv;
        m_nWidth = entry->sourceWidth;
        m_nHeight = entry->sourceHeight;
        m_nBaseWidth = entry->originalWidth;
        m_nBaseHeight = entry->originalHeight;
        m_fOffsetX = entry->offsetX;
        m_fOffsetY = entry->offsetY;
    }
    return Apply();
}

SpriteRenderer* TextureAtlas::Apply()
{
    Component* component = GetOwner()->GetComponent(SpriteRenderer::s_Class.Key);
    if (!component)
        return nullptr;
    auto* sprite = static_cast<SpriteRenderer*>(component);
    sprite->SetTextureId(m_nTextureId);
    sprite->SetUVRect(m_fU0, m_fV0, m_fDU, m_fDV);
    sprite->SetSize(float(m_nWidth), float(m_nHeight));
    sprite->SetBaseSize(float(m_nBaseWidth), float(m_nBaseHeight));
    sprite->SetOffset(m_fOffsetX, m_fOffsetY);
    return sprite;
}
