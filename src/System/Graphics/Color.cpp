#include "System/Graphics/Color.h"

namespace {

uint32_t ChannelByte(float value)
{
    if (!(value > 0.0f)) // NaN as well
        return 0;
    if (value > 1.0f)
        value = 1.0f;
    return static_cast<uint32_t>(value * 255.0f);
}

} // namespace

uint32_t PackColor(float alpha, float red, float green, float blue)
{
    return (ChannelByte(alpha) << 24) | (ChannelByte(red) << 16) | (ChannelByte(green) << 8) | ChannelByte(blue);
}

const uint32_t g_colorRed = PackColor(1.0f, 1.0f, 0.0f, 0.0f);
const uint32_t g_colorGreen = PackColor(1.0f, 0.0f, 1.0f, 0.0f);
const uint32_t g_colorBlue = PackColor(1.0f, 0.0f, 0.0f, 1.0f);
const uint32_t g_colorWhite = PackColor(1.0f, 1.0f, 1.0f, 1.0f);
const uint32_t g_colorBlack = PackColor(1.0f, 0.0f, 0.0f, 0.0f);
const uint32_t g_colorYellow = PackColor(1.0f, 1.0f, 0.92f, 0.016f);
const uint32_t g_colorCyan = PackColor(1.0f, 0.0f, 1.0f, 1.0f);
const uint32_t g_colorMagenta = PackColor(1.0f, 1.0f, 0.0f, 1.0f);
const uint32_t g_colorGrey = PackColor(1.0f, 0.5f, 0.5f, 0.5f);
const uint32_t g_colorClear = PackColor(0.0f, 0.0f, 0.0f, 0.0f);
