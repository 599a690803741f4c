// Colours: four floats 0..1 packed into the Direct3D colour word 0xAARRGGBB (alpha in the high
// byte), which is what the sprite batch, the fader and the clear take.
#pragma once

#include <cstdint>

// Each channel is clamped to 0..1 (NaN counts as 0), multiplied by 255 and truncated.
uint32_t PackColor(float alpha, float red, float green, float blue);

inline uint8_t ColorAlpha(uint32_t color) { return uint8_t(color >> 24); }
inline uint8_t ColorRed(uint32_t color) { return uint8_t(color >> 16); }
inline uint8_t ColorGreen(uint32_t color) { return uint8_t(color >> 8); }
inline uint8_t ColorBlue(uint32_t color) { return uint8_t(color); }

extern const uint32_t g_colorRed;
extern const uint32_t g_colorGreen;
extern const uint32_t g_colorBlue;
extern const uint32_t g_colorWhite;
extern const uint32_t g_colorBlack;
extern const uint32_t g_colorYellow;
extern const uint32_t g_colorCyan;
extern const uint32_t g_colorMagenta;
extern const uint32_t g_colorGrey;
extern const uint32_t g_colorClear;
