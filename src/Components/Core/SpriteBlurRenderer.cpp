#include "Components/Core/SpriteBlurRenderer.h"

#include <lua.hpp>

#include "Components/Core/Camera2D.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Core/StageGenerator.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/MathUtil.h"
#include "System/Graphics/SpriteBatch.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

const ClassKey SpriteBlurRenderer::s_Class("SpriteBlurRenderer");

SpriteBlurRenderer::SpriteBlurRenderer(GameObj* owner) : Renderer(owner, s_Class) {}

SpriteBlurRenderer::~SpriteBlurRenderer() { DeleteSnapshots(); }

bool SpriteBlurRenderer::Load(lua_State* L)
{
    LoadColor(L);
    m_nMaxBlurs = LuaTruncateToInt32(LuaGetFloatField(L, "maxBlurs"));
    m_nBaseAlpha = LuaGetByteField(L, "baseAlpha");
    m_fIntervalTime = LuaGetFloatField(L, "intervalTime");
    m_nBlendMode = LuaGetUIntField(L, "blendMode");
    m_bUseStageColor = LuaGetBoolField(L, "useStageColor");
    m_fInterval = m_fIntervalTime;
    m_fLifetime = float(m_nMaxBlurs) * m_fIntervalTime;
    m_fTimer = 0.0f;
    return true;
}

void SpriteBlurRenderer::Detach()
{
    DeleteSnapshots();
    Renderer::Detach();
}

void SpriteBlurRenderer::DeleteSnapshots()
{
    for (BlurSnapshot* snapshot : m_Snapshots)
        delete snapshot;
    m_Snapshots.clear();
}

bool SpriteBlurRenderer::IsKindOf(TypeKey key) const
{
    return key == s_Class.Key || key == Renderer::s_Class.Key;
}

void SpriteBlurRenderer::Start()
{
    if (GameObj* parent = GetOwner()->GetParent()) {
        m_pSprite = static_cast<SpriteRenderer*>(parent->GetComponent(SpriteRenderer::s_Class.Key));
        if (const Transform* t = parent->GetTransform())
            m_fDepth = t->WorldMatrix().m[3][2] + 0.009999999776482582f;
    }
    if (!m_bUseStageColor || !g_pSceneManager)
        return;
    const GameObj* root = g_pSceneManager->GetRoot();
    const Component* c = root ? root->GetComponent(StageGenerator::s_Class.Key) : nullptr;
    if (!c)
        return;
    const uint8_t* argb = static_cast<const StageGenerator*>(c)->m_aBlurColor;
    SetColor((uint32_t(argb[0]) << 24) | (uint32_t(argb[1]) << 16) | (uint32_t(argb[2]) << 8) | uint32_t(argb[3]));
}

void SpriteBlurRenderer::LateUpdate()
{
    const float dt = GetAppDeltaTime();
    if (m_bSpawning) {
        m_fTimer += dt;
        if (m_fInterval <= 0.0f) {
            // Subtracting nothing would never bring the timer below the interval.
            m_fTimer = 0.0f;
        } else if (m_fTimer >= m_fInterval) {
            m_fTimer = FloatMod(m_fTimer, m_fInterval); // a loop would never end on a tiny interval
            BlurSnapshot snapshot;
            if (TakeSnapshot(snapshot))
                m_Snapshots.push_back(new BlurSnapshot(snapshot));
        }
    }
    size_t kept = 0;
    for (BlurSnapshot* snapshot : m_Snapshots) {
        if (snapshot->age >= snapshot->lifetime) {
            delete snapshot;
            continue;
        }
        snapshot->age = std::min(snapshot->age + dt, snapshot->lifetime);
        m_Snapshots[kept++] = snapshot;
    }
    m_Snapshots.resize(kept);
}

bool SpriteBlurRenderer::TakeSnapshot(BlurSnapshot& snapshot) const
{
    // Actors find the trail anywhere below them, so it may sit where no sprite is above it.
    if (!m_pSprite || !g_pTextureTable)
        return false;
    const TextureEntry* entry = g_pTextureTable->Find(m_pSprite->GetTextureId());
    if (!entry || !entry->texture)
        return false;
    BlurSnapshot s;
    if (const Transform* t = GetOwner()->GetTransform()) {
        const Matrix4x4& w = t->WorldMatrix();
        s.x = w.m[3][0];
        s.y = w.m[3][1];
        s.scaleX = t->WorldScale().x;
        s.scaleY = t->WorldScale().y;
        s.angle = -Atan2(w.m[0][1], w.m[1][1]);
    }
    s.width = m_pSprite->GetWidth();
    s.height = m_pSprite->GetHeight();
    s.offsetX = m_pSprite->GetOffsetX();
    s.offsetY = m_pSprite->GetOffsetY();
    float uv[4];
    m_pSprite->GetUVRect(uv);
    s.u0 = uv[0], s.v0 = uv[1], s.du = uv[2], s.dv = uv[3];
    if (m_pSprite->GetFlipH()) {
        s.offsetX = -s.offsetX;
        s.u0 += s.du;
        s.du = -s.du;
    }
    if (m_pSprite->GetFlipV()) {
        s.offsetY = -s.offsetY;
        s.v0 += s.dv;
        s.dv = -s.dv;
    }
    s.textureId = m_pSprite->GetTextureId();
    s.age = 0.0f;
    s.lifetime = m_fLifetime;
    snapshot = s;
    return true;
}

bool SpriteBlurRenderer::IsCulled()
{
    if (!m_pSprite || !m_pSprite->GetCamera() || m_Snapshots.empty())
        return true;
    const Camera2D& camera = *m_pSprite->GetCamera();
    for (const BlurSnapshot* s : m_Snapshots)
        if (!IsOutOfView(camera, s->x, s->y, s->width, s->height))
            return false;
    return true;
}

void SpriteBlurRenderer::Draw()
{
    if (!g_pSpriteBatch || !m_pSprite || !m_pSprite->GetCamera() || (GetColor() >> 24) == 0)
        return;
    const Camera2D& camera = *m_pSprite->GetCamera();
    const uint32_t saved = g_pSpriteBatch->GetRenderState();
    g_pSpriteBatch->SetRenderState((saved & ~kRenderStateBlendMask) | (m_nBlendMode & kRenderStateBlendMask));
    const uint32_t color = GetColor();
    const float r = float((color >> 16) & 0xFF) / 255.0f;
    const float g = float((color >> 8) & 0xFF) / 255.0f;
    const float b = float(color & 0xFF) / 255.0f;
    int k = 0;
    for (auto it = m_Snapshots.rbegin(); it != m_Snapshots.rend(); ++it, ++k) {
        const BlurSnapshot& s = **it;
        const float alpha = (1.0f - s.age / s.lifetime) * float(m_nBaseAlpha) / 255.0f;
        if (!(alpha > 0.0f))
            continue;
        const TextureEntry* entry = g_pTextureTable ? g_pTextureTable->Find(s.textureId) : nullptr;
        if (!entry || !entry->texture)
            continue;
        float sx, sy;
        MapToScreen(camera, s.x, s.y, sx, sy);
        g_pSpriteBatch->DrawSprite(m_fDepth + 0.0010000000474974513f * float(k), entry->texture, sx, sy, s.width,
                                   s.height, s.offsetX, s.offsetY, s.scaleX, s.scaleY, s.angle, s.u0, s.v0, s.du, s.dv,
                                   r, g, b, alpha);
    }
    const uint32_t word = g_pSpriteBatch->GetRenderState();
    g_pSpriteBatch->SetRenderState((word & ~kRenderStateBlendMask) | (saved & kRenderStateBlendMask));
}
