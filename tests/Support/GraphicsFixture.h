// A hidden window with a Direct3D 9 device on it, and helpers that draw and read pixels back.
#pragma once

#include "Platform/D3D9/D3D9.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// One vertex of the fixed-function format XYZ | DIFFUSE | TEX1.
struct ColorTexVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kColorTexFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The back buffer of a device as 0xAARRGGBB values, top row first; its width in `width`.
std::vector<uint32_t> ReadBackBuffer(IDirect3DDevice9* device, int* width = nullptr);

// Creates a hidden top-level window with the given client size; null on failure.
HWND CreateHiddenTestWindow(int width, int height);

class DeviceTest : public testing::Test {
  protected:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 32;

    void SetUp() override;
    void TearDown() override;

    // The back buffer as 0xAARRGGBB values, top row first.
    std::vector<uint32_t> ReadBackBuffer();
    uint32_t Pixel(int x, int y) { return ReadBackBuffer()[static_cast<size_t>(y) * m_nBackWidth + x]; }

    // A vertex buffer holding the vertices (default pool, write-only); the caller releases it.
    IDirect3DVertexBuffer9* MakeBuffer(const void* data, size_t bytes);
    // The six vertices of a screen rectangle in the sprite template's order (clockwise on screen).
    static std::vector<ColorTexVertex> Rect(float x0, float y0, float x1, float y1, float z, D3DCOLOR color,
                                            float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1);
    // Fixed-function transforms mapping screen pixels (y down) and z 0.1..100 to clip space.
    void SetScreenTransforms();
    // Draws triangles of XYZ | DIFFUSE | TEX1 vertices through the fixed-function stages.
    void DrawFixed(const std::vector<ColorTexVertex>& vertices);
    // A managed A8R8G8B8 texture with the given 0xAARRGGBB texels, top row first.
    IDirect3DTexture9* MakeTexture(int width, int height, const std::vector<uint32_t>& texels);

    IDirect3D9* m_pD3D = nullptr;
    IDirect3DDevice9* m_pDevice = nullptr;
    HWND m_hWindow = nullptr;
    D3DPRESENT_PARAMETERS m_Params{};
    int m_nBackWidth = kWidth;
};

// Channel n (0 blue, 1 green, 2 red, 3 alpha) of an 0xAARRGGBB value.
inline int Channel(uint32_t argb, int n)
{
    return static_cast<int>((argb >> (8 * n)) & 0xFF);
}
// True when every channel is within `tolerance` of the expected value.
bool NearColor(uint32_t actual, uint32_t expected, int tolerance);
std::string HexColor(uint32_t argb);
