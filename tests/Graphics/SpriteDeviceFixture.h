// The game's render system on a 960 x 540 window with the sprite batch (shaders read from the
// project's shader sources through a temporary game folder), and helpers that make textures,
// draw a frame and read the back buffer.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "GameFolderFixture.h"
#include "System/Common/NameHash.h"
#include "System/Graphics/IWindowProc.h"
#include "System/Graphics/RenderWindow.h"

class ITexture;
class D3D9RenderSystem;

class SpriteDeviceTest : public GameFolderTest, public IWindowProc {
protected:
    void SetUp() override;
    void TearDown() override;
    LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Called by SetUp after the shaders are written and before the folders are mounted.
    virtual void WriteGameFiles() {}

    // A texture decoded from a 32-bit TGA of the given 0xAARRGGBB texels (top row first), with
    // `materialKey` as the name id of the file it came from.
    ITexture* MakeTexture(uint32_t width, uint32_t height, const std::vector<uint32_t>& texels, NameId materialKey);
    static std::string TgaFile(uint32_t width, uint32_t height, const std::vector<uint32_t>& texels);

    // Clears to `background`, begins the scene, runs `queue`, renders the batch, ends the scene.
    template <class F>
    void Frame(uint32_t background, F queue)
    {
        BeginFrame(background);
        queue();
        EndFrame();
    }
    void BeginFrame(uint32_t background);
    void EndFrame();

    // The back buffer as 0xAARRGGBB values (alpha forced to 0xFF), top row first.
    std::vector<uint32_t> ReadBackBuffer();
    uint32_t Pixel(int x, int y);
    // Pixels of the last ReadBackBuffer.
    uint32_t At(int x, int y) const { return m_Pixels[size_t(y) * 960 + size_t(x)]; }

    RenderWindow window;
    D3D9RenderSystem* renderSystem = nullptr;
    std::vector<uint32_t> m_Pixels;
};

// True when every colour channel is within `tolerance`.
bool NearRgb(uint32_t actual, uint32_t expected, int tolerance = 3);
std::string Hex(uint32_t argb);
