#include "Components/Core/SpriteNumberRenderer.h"

#include <algorithm>
#include <lua.hpp>

#include "Components/Core/Camera2D.h"
#include "System/Common/Log.h"
#include "System/Common/MathUtil.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/SpriteBatch.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/IMessage.h"
#include "World/Transform.h"

const ClassKey SpriteNumberRenderer::s_Class("SpriteNumberRenderer");

SpriteNumberRenderer::SpriteNumberRenderer(GameObj* owner) : Renderer(owner, s_Class), m_nCameraTag(GameCameraTag())
{
}

bool SpriteNumberRenderer::Load(lua_State* L)
{
    LoadColor(L);
    lua_getfield(L, -1, "renderingCamera");
    const bool hasCamera = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (hasCamera)
        m_nCameraTag = HashName(LuaGetStringField(L, "renderingCamera").c_str());
    m_nMaxDigit = LuaGetIntField(L, "max_digit");
    if (m_nMaxDigit < 0 || m_nMaxDigit > kMaxDigits) {
        LOG_ERROR << GetOwner()->GetPrototypeName() << ": SpriteNumberRenderer \"max_digit\" " << m_nMaxDigit
                  << " is outside 0.." << kMaxDigits << "; no digits are shown";
        m_nMaxDigit = 0;
    }
    m_bHiddenZero = LuaGetBoolField(L, "hidden_zero");
    lua_getfield(L, -1, "alignment");
    const bool hasAlignment = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (hasAlignment)
        m_nAlignment = LuaGetByteField(L, "alignment");
    // Built even when the number equals the 0 shown since construction.
    m_nNumber = LuaGetIntField(L, "number");
    BuildDigits();
    lua_getfield(L, -1, "sprite_names");
    if (lua_istable(L, -1)) {
        const size_t count = LuaGetItemCount(L);
        if (count > 10)
            LOG_ERROR << GetOwner()->GetPrototypeName() << ": SpriteNumberRenderer \"sprite_names\" has " << count
                      << " entries; only the first ten name digits";
        for (size_t i = 0; i < std::min<size_t>(count, 10); ++i)
            m_aSprites[i] = HashName(LuaGetStringItem(L, int(i)).c_str());
    }
    lua_pop(L, 1);
    lua_getfield(L, -1, "scale");
    if (lua_istable(L, -1)) {
        m_fScaleLeft = LuaGetFloatField(L, "left");
        m_fScaleRight = LuaGetFloatField(L, "right");
    }
    lua_pop(L, 1);
    lua_getfield(L, -1, "padding");
    if (lua_istable(L, -1)) {
        m_fStepX = LuaGetFloatField(L, "x");
        m_fStepY = LuaGetFloatField(L, "y");
    }
    lua_pop(L, 1);
    return true;
}

bool SpriteNumberRenderer::IsKindOf(TypeKey key) const
{
    return key == s_Class.Key || key == Renderer::s_Class.Key;
}

void SpriteNumberRenderer::Start() { m_pCamera = g_CameraRegistry.Find(m_nCameraTag); }

void SpriteNumberRenderer::OnMessage(IMessage* message)
{
    if (message->GetTypeId() != MsgSetCamera::s_Class.Key)
        return;
    m_nCameraTag = static_cast<NameId>(static_cast<MsgSetCamera*>(message)->m_nCamera);
    m_pCamera = g_CameraRegistry.Find(m_nCameraTag);
}

void SpriteNumberRenderer::SetNumber(int32_t number)
{
    if (number == m_nNumber)
        return;
    m_nNumber = number;
    BuildDigits();
}

void SpriteNumberRenderer::BuildDigits()
{
    m_Digits.clear();
    // A negative number would give digits that name no sprite.
    int32_t n = std::max(m_nNumber, 0);
    int32_t significant = 1;
    for (int32_t i = 0; i < m_nMaxDigit; ++i) {
        const uint8_t digit = uint8_t(n % 10);
        n /= 10;
        m_Digits.push_back(digit);
        if (digit != 0)
            significant = i + 1;
    }
    if (m_bHiddenZero && significant < m_nMaxDigit)
        m_Digits.resize(size_t(significant));
    std::reverse(m_Digits.begin(), m_Digits.end());
}

void SpriteNumberRenderer::Draw()
{
    if (!g_pSpriteBatch || !m_pCamera || (GetColor() >> 24) == 0 || m_Digits.empty())
        return;
    float x = 0.0f, y = 0.0f, z = 0.0f, scaleX = 1.0f, scaleY = 1.0f, angle = 0.0f;
    if (const Transform* t = GetOwner()->GetTransform()) {
        const Matrix4x4& w = t->WorldMatrix();
        x = w.m[3][0];
        y = w.m[3][1];
        z = w.m[3][2];
        scaleX = t->WorldScale().x;
        scaleY = t->WorldScale().y;
        angle = Atan2(w.m[0][1], w.m[1][1]);
    }
    float sx, sy;
    MapToScreen(*m_pCamera, x, y, sx, sy);
    const float n = float(m_Digits.size());
    if (m_nAlignment == 1) {
        sx -= m_fStepX * (n - 1.0f) / 2.0f;
        sy -= m_fStepY * (n - 1.0f) / 2.0f;
    } else if (m_nAlignment == 2) {
        sx -= m_fStepX * (n - 1.0f);
        sy -= m_fStepY * (n - 1.0f);
    }
    const uint32_t color = GetColor();
    const float a = float(color >> 24) / 255.0f * GetAlphaFactor();
    const float r = float((color >> 16) & 0xFF) / 255.0f * GetBrightness();
    const float g = float((color >> 8) & 0xFF) / 255.0f * GetBrightness();
    const float b = float(color & 0xFF) / 255.0f * GetBrightness();
    const float ramp = (m_fScaleRight - m_fScaleLeft) / float(m_nMaxDigit);
    for (size_t k = 0; k < m_Digits.size(); ++k) {
        const AtlasEntry* sprite = g_pAtlasTable ? g_pAtlasTable->Find(m_aSprites[m_Digits[k]]) : nullptr;
        if (!sprite)
            continue;
        const TextureEntry* entry = g_pTextureTable ? g_pTextureTable->Find(sprite->textureId) : nullptr;
        const float sk = m_fScaleLeft + float(k) * ramp;
        g_pSpriteBatch->DrawSprite(z, entry ? entry->texture : nullptr, sx + m_fStepX * float(k),
                                   sy + m_fStepY * float(k), float(sprite->sourceWidth), float(sprite->sourceHeight),
                                   sprite->offsetX, sprite->offsetY, scaleX * sk, scaleY * sk, angle, sprite->u0,
                                   sprite->v0, sprite->du, sprite->dv, r, g, b, a);
    }
}
