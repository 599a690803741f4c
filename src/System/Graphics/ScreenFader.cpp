#include "System/Graphics/ScreenFader.h"

#include "System/Graphics/SpriteBatch.h"

ScreenFader* g_pScreenFader = nullptr;

void ScreenFader::Start(uint16_t mode, uint16_t curve, uint32_t color, float duration)
{
    m_fClock = 0.0f;
    m_nMode = mode;
    m_nCurve = curve;
    m_nColor = color;
    m_fDuration = duration;
}

void ScreenFader::Update(float dt)
{
    if (m_nMode != eScreenFade_FadeIn && m_nMode != eScreenFade_FadeOut)
        return;
    m_fClock += dt;
    // A fade without a positive duration is over at once (clock / duration would be 0 / 0).
    if (m_fClock > m_fDuration || !(m_fDuration > 0.0f)) {
        const bool in = m_nMode == eScreenFade_FadeIn;
        m_nColor = (m_nColor & 0x00FFFFFFu) | (in ? 0u : 0xFF000000u);
        m_nMode = in ? eScreenFade_Idle : eScreenFade_Held;
        m_fClock = 0.0f;
        m_fDuration = 0.0f;
        return;
    }
    double x = m_fClock / m_fDuration;
    if (m_nMode == eScreenFade_FadeIn)
        x = 1.0 - x;
    if (m_nCurve == kFadeCurve_Smooth)
        x = (3.0 - 2.0 * x) * x * x;
    if (x < 0.0)
        x = 0.0;
    const uint32_t alpha = static_cast<uint32_t>(x * 255.0);
    m_nColor = (m_nColor & 0x00FFFFFFu) | ((alpha > 255 ? 255 : alpha) << 24);
}

void ScreenFader::Draw() const
{
    if (m_nMode == eScreenFade_Idle || !g_pSpriteBatch)
        return;
    g_pSpriteBatch->DrawRect(nullptr, 0.0f, 0.0f, kScreenWidth, kScreenHeight, kScreenWidth / 2, kScreenHeight / 2,
                             0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, m_nColor, kFadeDepth);
}
