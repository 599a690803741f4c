// The screen fade: a full-screen coloured quad drawn through the sprite batch, its alpha driven
// from 0 to 255 (fading out) or back (fading in).
#pragma once

#include <cstdint>

enum eScreenFadeMode : uint16_t {
    eScreenFade_Idle = 0,    // not drawn
    eScreenFade_FadeIn = 1,  // the colour clears away
    eScreenFade_FadeOut = 2, // the colour covers the screen
    eScreenFade_Held = 3,    // drawn at full colour until game code sets the mode to idle
};
constexpr uint16_t kFadeCurve_Smooth = 1; // any other curve is linear
constexpr float kFadeDepth = 0.11f;

class ScreenFader {
public:
    // Game code starts a fade by setting clock 0, the mode, the curve, the colour (whose alpha
    // the fader drives) and the duration.
    void Start(uint16_t mode, uint16_t curve, uint32_t color, float duration);
    void Update(float dt);
    void Draw() const;

    uint16_t m_nMode = eScreenFade_Idle;
    uint16_t m_nCurve = 0;
    uint32_t m_nColor = 0; // 0xAARRGGBB
    float m_fClock = 0.0f;
    float m_fDuration = 0.0f;
};

extern ScreenFader* g_pScreenFader;
