#include "System/Common/MathUtil.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

uint32_t FloatBits(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

float BitsFloat(uint32_t u)
{
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

} // namespace

Vec2& Vec2Add(Vec2& out, const Vec2& a, const Vec2& b)
{
    out.x = a.x + b.x;
    out.y = a.y + b.y;
    return out;
}

Vec2& Vec2Sub(Vec2& out, const Vec2& a, const Vec2& b)
{
    out.x = a.x - b.x;
    out.y = a.y - b.y;
    return out;
}

Vec2& Vec2Scale(Vec2& out, const Vec2& v, float s)
{
    out.x = v.x * s;
    out.y = v.y * s;
    return out;
}

Vec2& Vec2Multiply(Vec2& out, float s, const Vec2& v) { return Vec2Scale(out, v, s); }

Vec2& Vec2Negate(Vec2& out, const Vec2& v)
{
    out.x = BitsFloat(FloatBits(v.x) ^ 0x80000000u);
    out.y = BitsFloat(FloatBits(v.y) ^ 0x80000000u);
    return out;
}

bool IsNearlyZero(float x) { return std::fabs(x) < 1e-6f; }

float Atan2(float y, float x) { return static_cast<float>(std::atan2(static_cast<long double>(y), static_cast<long double>(x))); }

float FastInvSqrt(float x)
{
    long double y = BitsFloat((0xBE6EB508u - FloatBits(x)) >> 1);
    long double h = BitsFloat(FloatBits(x) - 0x800000u);
    for (int k = 0; k < 3; ++k)
        y = y * (1.5L - h * y * y);
    return static_cast<float>(y);
}

float FloatMod(float a, float b) { return static_cast<float>(std::fmod(static_cast<long double>(a), static_cast<long double>(b))); }
