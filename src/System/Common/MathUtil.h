// 2D vectors and the float routines shared by the whole game.
#pragma once

struct Vec2 {
    float x;
    float y;
};

Vec2& Vec2Add(Vec2& out, const Vec2& a, const Vec2& b);
Vec2& Vec2Sub(Vec2& out, const Vec2& a, const Vec2& b);
Vec2& Vec2Scale(Vec2& out, const Vec2& v, float s);
Vec2& Vec2Multiply(Vec2& out, float s, const Vec2& v);
// Flips the sign bits: (0, 0) becomes (-0, -0) and a NaN keeps its payload.
Vec2& Vec2Negate(Vec2& out, const Vec2& v);

bool IsNearlyZero(float x);

// Arc tangent of y / x in (-pi, pi], computed in extended precision.
float Atan2(float y, float x);
// Approximate 1 / sqrt(x) for positive x: a bit-pattern estimate refined by three Newton steps
// in extended precision.
float FastInvSqrt(float x);
// Remainder of a / b with the sign of a (C fmod), in extended precision.
float FloatMod(float a, float b);
