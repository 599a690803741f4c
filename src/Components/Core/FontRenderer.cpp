#include "Components/Core/FontRenderer.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <lua.hpp>

#include "Components/Core/Camera2D.h"
#include "System/Common/MathUtil.h"
#include "System/Graphics/FontSet.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/IMessage.h"
#include "World/Transform.h"

const ClassKey FontRenderer::s_Class("FontRenderer");

namespace {

// A channel times a factor, truncated and kept within a byte: a factor above 1 must not carry
// into the neighbouring channel.
uint32_t ScaleChannel(uint8_t value, float factor)
{
    const float v = float(value) * factor;
    if (!(v > 0.0f))
        return 0;
    return v >= 255.0f ? 255u : uint32_t(v);
}

// The six characters of a colour tag read as strtol reads them in base 16 (so "0x12", " -1" and
// "12zz" read as it does); plain hex digits, the usual case, without the library call.
uint32_t ParseTagColor(const char* six)
{
    uint32_t value = 0;
    for (int i = 0; i < 6; ++i) {
        const char c = six[i];
        const int digit = c >= '0' && c <= '9' ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) {
            char digits[7];
            std::memcpy(digits, six, 6);
            digits[6] = '\0';
            return uint32_t(std::strtol(digits, nullptr, 16));
        }
        value = value << 4 | uint32_t(digit);
    }
    return value;
}

} // namespace

FontRenderer::FontRenderer(GameObj* owner) : Renderer(owner, s_Class), m_nCameraTag(GameCameraTag()) {}

bool FontRenderer::Load(lua_State* L)
{
    LoadColor(L);
    if (LuaHasField(L, "renderingCamera"))
        m_nCameraTag = HashName(LuaGetStringField(L, "renderingCamera").c_str());
    m_nFont = LuaGetByteField(L, "font");
    m_nAlignment = LuaGetByteField(L, "alignment");
    m_fLetterSpacing = LuaGetFloatField(L, "letterSpacing");
    m_fLineSpacing = LuaGetFloatField(L, "lineSpacing");
    lua_getfield(L, -1, "size");
    if (lua_istable(L, -1)) {
        m_fWidth = LuaGetFloatField(L, "width");
        m_fHeight = LuaGetFloatField(L, "height");
    }
    lua_pop(L, 1);
    m_bEncoding = LuaGetBoolField(L, "encoding");
    m_Text = LuaGetStringField(L, "text");
    return true;
}

bool FontRenderer::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == Renderer::s_Class.Key; }

void FontRenderer::Start()
{
    const std::string text = m_Text;
    SetText(text);
    m_pCamera = g_CameraRegistry.Find(m_nCameraTag);
}

void FontRenderer::OnMessage(IMessage* message)
{
    if (message->GetTypeId() != MsgSetCamera::s_Class.Key)
        return;
    m_nCameraTag = static_cast<NameId>(static_cast<MsgSetCamera*>(message)->m_nCamera);
    m_pCamera = g_CameraRegistry.Find(m_nCameraTag);
}

BitmapFont* FontRenderer::GetFont() const { return g_pFontSet ? g_pFontSet->GetFont(m_nFont) : nullptr; }

void FontRenderer::SetText(const std::string& text, float& width, float& height)
{
    m_Text = text;
    width = height = 0.0f;
    const BitmapFont* font = GetFont();
    if (text.empty() || !font) {
        m_Lines.clear();
        return;
    }
    const uint32_t packed = GetColor();
    uint32_t color = packed;
    const float pitch = float(font->GetLineHeight()) + m_fLineSpacing;
    // Runs are written over the old ones, so a new text of a similar shape reuses their strings.
    size_t runs = 0;
    auto addRun = [&](const char* begin, const char* end, float x, float y) {
        if (runs == m_Lines.size())
            m_Lines.emplace_back();
        TextLine& line = m_Lines[runs++];
        line.text.assign(begin, end);
        line.x = x;
        line.y = y;
        line.a = uint8_t(color >> 24);
        line.r = uint8_t(color >> 16);
        line.g = uint8_t(color >> 8);
        line.b = uint8_t(color);
        return font->MeasureText(line.text.c_str(), m_fLetterSpacing);
    };

    int lineIndex = 0;
    const char* const data = text.data();
    size_t start = 0;
    // Lines as a stream reads them: a final line feed ends the last line and starts none.
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const size_t firstRun = runs;
        const float y = pitch * float(lineIndex);
        float cursor = 0.0f;
        size_t runStart = start; // the buffer is text[runStart, i)
        for (size_t i = start; i < end; ++i) {
            const char c = data[i];
            if (m_bEncoding && c == '<' && i > runStart) {
                cursor += addRun(data + runStart, data + i, cursor, y);
                runStart = i;
            }
            if (m_bEncoding && c == '>' && data[runStart] == '<') {
                if (i + 1 - runStart == 8) {
                    const uint32_t value = ParseTagColor(data + runStart + 1);
                    color = 0xFF000000u | (value & 0x00FFFFFFu);
                } else {
                    color = packed;
                }
                runStart = i + 1; // the tag itself is never drawn
            }
        }
        const float lastWidth = addRun(data + runStart, data + end, cursor, y);
        const float lineWidth = cursor + lastWidth;
        const float shift = m_nAlignment == eAlign_Center ? lineWidth * 0.5f
                            : m_nAlignment == eAlign_Right ? lineWidth
                                                           : 0.0f;
        for (size_t i = firstRun; i < runs; ++i)
            m_Lines[i].x -= shift;
        ++lineIndex;
        height = std::max(height, pitch * float(lineIndex));
        width = std::max(width, lineWidth);
        start = end + 1;
    }
    m_Lines.resize(runs);
    if (const Transform* t = GetOwner()->GetTransform()) {
        width *= t->WorldScale().x;
        height *= t->WorldScale().y;
    }
}

bool FontRenderer::IsCulled()
{
    if (!m_pCamera)
        return true;
    const Transform* t = GetOwner()->GetTransform();
    const float x = t ? t->WorldMatrix().m[3][0] : 0.0f;
    const float y = t ? t->WorldMatrix().m[3][1] : 0.0f;
    return IsOutOfView(*m_pCamera, x, y, m_fWidth * 2.0f, m_fHeight * 2.0f);
}

void FontRenderer::Draw()
{
    BitmapFont* font = GetFont();
    if (!m_pCamera || !font)
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
    const float savedDepth = font->GetDepth();
    font->SetDepth(z);
    const float alpha = GetAlphaFactor(), brightness = GetBrightness();
    for (const TextLine& line : m_Lines) {
        const uint32_t color = (ScaleChannel(line.a, alpha) << 24) | (ScaleChannel(line.r, brightness) << 16) |
                               (ScaleChannel(line.g, brightness) << 8) | ScaleChannel(line.b, brightness);
        font->DrawText(line.text.c_str(), sx + line.x * scaleX, sy + line.y * scaleY, color, m_fLetterSpacing,
                       m_fLineSpacing, scaleX, angle);
    }
    font->SetDepth(savedDepth);
}
