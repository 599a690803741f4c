#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>

#include "SpriteDeviceFixture.h"
#include "Support/TempDir.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/Color.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/ScreenFader.h"
#include "System/Graphics/SpriteBatch.h"
#include "World/QuestTable.h"

#include <lua.hpp>

namespace {

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;

// An untextured rectangle: position, size, pivot, scale, angle.
void Rect(float x, float y, float w, float h, float cx, float cy, uint32_t color, float depth = 1.0f, float sx = 1.0f,
          float sy = 1.0f, float angle = 0.0f)
{
    g_pSpriteBatch->DrawRect(nullptr, x, y, w, h, cx, cy, 0, 0, 0, 0, sx, sy, angle, color, depth);
}

// The smallest box holding every pixel that is not the background.
struct Box {
    int x0 = 960, y0 = 540, x1 = -1, y1 = -1;
};
Box LitBox(const std::vector<uint32_t>& pixels, uint32_t background)
{
    Box box;
    for (int y = 0; y < 540; ++y)
        for (int x = 0; x < 960; ++x)
            if (!NearRgb(pixels[size_t(y) * 960 + size_t(x)], background, 8)) {
                box.x0 = std::min(box.x0, x);
                box.y0 = std::min(box.y0, y);
                box.x1 = std::max(box.x1, x);
                box.y1 = std::max(box.y1, y);
            }
    return box;
}

class SpriteDrawTest : public SpriteDeviceTest {};

TEST_F(SpriteDrawTest, PlacesSizesPivotsScalesAndTurnsQuads)
{
    const float quarter = 1.5707964f;
    struct Case {
        const char* what;
        float x, y, w, h, cx, cy, sx, sy, angle;
        Box expected; // inclusive pixel bounds
    } cases[] = {
        {"pivot at the centre", 200, 100, 100, 50, 50, 25, 1, 1, 0, {200, 100, 299, 149}},
        {"pivot at the origin", 200, 100, 100, 50, 0, 0, 1, 1, 0, {150, 75, 249, 124}},
        {"scaled about the position", 200, 100, 100, 50, 50, 25, 2, 0.5f, 0, {200, 100, 399, 124}},
        {"negative pivot", 400, 300, 40, 20, -20, -10, 1, 1, 0, {360, 280, 399, 299}},
        {"a quarter turn is clockwise on screen", 500, 200, 100, 20, 50, 10, 1, 1, quarter, {480, 200, 499, 299}},
    };
    for (const Case& c : cases) {
        Frame(kBlack, [&] { Rect(c.x, c.y, c.w, c.h, c.cx, c.cy, kWhite, 1.0f, c.sx, c.sy, c.angle); });
        const Box box = LitBox(ReadBackBuffer(), kBlack);
        EXPECT_EQ(box.x0, c.expected.x0) << c.what;
        EXPECT_EQ(box.y0, c.expected.y0) << c.what;
        EXPECT_EQ(box.x1, c.expected.x1) << c.what;
        EXPECT_EQ(box.y1, c.expected.y1) << c.what;
        EXPECT_TRUE(NearRgb(At((box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2), kWhite)) << c.what;
    }
}

TEST_F(SpriteDrawTest, FartherDepthBandsDrawFirst)
{
    // A half-transparent near quad shows the far one through it only when the far one was drawn
    // first; queue order must not matter.
    for (bool nearFirst : {false, true}) {
        Frame(kBlack, [&] {
            if (nearFirst)
                Rect(100, 100, 50, 50, 25, 25, 0x8000FF00, 5.0f);
            Rect(100, 100, 50, 50, 25, 25, kRed, 90.0f);
            if (!nearFirst)
                Rect(100, 100, 50, 50, 25, 25, 0x8000FF00, 5.0f);
        });
        EXPECT_TRUE(NearRgb(Pixel(125, 125), 0xFF7F8000, 4)) << nearFirst << " " << Hex(At(125, 125));
    }
    EXPECT_LT(MakeSpriteBatchKey(100.0f, 1, 0), MakeSpriteBatchKey(0.1f, 1, 0));
    EXPECT_EQ(MakeSpriteBatchKey(0.1f, 1, 0) >> 48, 0xFFFFu);
    EXPECT_EQ(MakeSpriteBatchKey(100.0f, 1, 0) >> 48, 0xFFFFu - SpriteDepthBand(100.0f));
}

TEST_F(SpriteDrawTest, BlendModesAndColours)
{
    struct Case {
        const char* what;
        uint32_t mode;
        uint32_t under, over;
        uint32_t expected;
    } cases[] = {
        {"alpha", eBlendMode_Alpha, kRed, 0x800000FF, 0xFF7F0080},
        {"add", eBlendMode_Add, kRed, 0xFF00FF00, 0xFFFFFF00},
        {"add weighs by alpha", eBlendMode_Add, 0xFF404040, 0x80FF0000, 0xFFBF4040},
        {"multiply", eBlendMode_Multiply, 0xFF80FF40, 0xFFFF8000, 0xFF808000},
        {"opaque colour", eBlendMode_Alpha, kBlack, 0xFF336699, 0xFF336699},
    };
    for (const Case& c : cases) {
        Frame(kBlack, [&] {
            g_pSpriteBatch->SetRenderState(eBlendMode_Alpha);
            Rect(300, 200, 60, 60, 30, 30, c.under, 50.0f);
            g_pSpriteBatch->SetRenderState(c.mode);
            Rect(300, 200, 60, 60, 30, 30, c.over, 10.0f);
            g_pSpriteBatch->SetRenderState(eBlendMode_Alpha);
        });
        EXPECT_TRUE(NearRgb(Pixel(330, 230), c.expected, 3)) << c.what << ": " << Hex(At(330, 230));
    }
}

TEST_F(SpriteDrawTest, TexturesTakeTheirSourceRectangleAndColour)
{
    // Four 2 x 2 quadrants: red, green / blue, white.
    std::vector<uint32_t> texels(16);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            texels[size_t(y * 4 + x)] = y < 2 ? (x < 2 ? kRed : kGreen) : (x < 2 ? kBlue : kWhite);
    ITexture* texture = MakeTexture(4, 4, texels, HashName("quadrants"));
    ASSERT_EQ(texture->GetWidth(), 4u);
    struct Case {
        float sx, sy;
        uint32_t color;
        uint32_t expected;
    } cases[] = {
        {0, 0, kWhite, kRed}, {2, 0, kWhite, kGreen}, {0, 2, kWhite, kBlue}, {2, 2, kWhite, kWhite},
        {2, 2, 0xFF00FF80, 0xFF00FF80}, // white texels take the sprite's colour
        {2, 0, 0xFF808080, 0xFF008000},
    };
    for (const Case& c : cases) {
        Frame(kBlack, [&] {
            g_pSpriteBatch->DrawRect(texture, 100, 100, 64, 64, 32, 32, c.sx, c.sy, 2, 2, 1, 1, 0, c.color, 1.0f);
        });
        ReadBackBuffer();
        for (auto [x, y] : {std::pair{100, 100}, std::pair{116, 120}, std::pair{132, 132}})
            EXPECT_TRUE(NearRgb(At(x, y), c.expected, 3)) << c.sx << "," << c.sy << " at " << x << "," << y << ": "
                                                          << Hex(At(x, y));
    }
    // A rectangle of the whole texture shows each texel over a quarter of the quad, edge to edge.
    Frame(kBlack, [&] { g_pSpriteBatch->DrawRect(texture, 200, 200, 64, 64, 32, 32, 0, 0, 4, 4, 1, 1, 0, kWhite, 1.0f); });
    ReadBackBuffer();
    EXPECT_TRUE(NearRgb(At(200, 200), kRed));
    EXPECT_TRUE(NearRgb(At(263, 200), kGreen));
    EXPECT_TRUE(NearRgb(At(200, 263), kBlue));
    EXPECT_TRUE(NearRgb(At(263, 263), kWhite));
    delete texture;
}

TEST_F(SpriteDrawTest, WrapAndClampAddressing)
{
    // Left texel red, right texel blue; the sprite shows the texture twice over (u 0..2).
    ITexture* texture = MakeTexture(2, 1, {kRed, kBlue}, HashName("stripes"));
    struct Case {
        uint32_t state;
        uint32_t atMiddle; // u = 1.25 at x = 200: wraps to the red texel's centre, clamps to blue
    } cases[] = {
        {eBlendMode_Alpha, kBlue},
        {eBlendMode_Alpha | kRenderStateWrapU, kRed},
        {eBlendMode_Alpha | kRenderStateWrapU | kRenderStateWrapV, kRed}, // the first batch of a frame wraps too
        {eBlendMode_Alpha | kRenderStateWrapV, kBlue},
    };
    for (const Case& c : cases) {
        Frame(kBlack, [&] {
            g_pSpriteBatch->SetRenderState(c.state);
            g_pSpriteBatch->DrawSprite(1.0f, texture, 100, 100, 200, 20, 100, 10, 1, 1, 0, 0, 0, 2, 1, 1, 1, 1, 1);
            g_pSpriteBatch->SetRenderState(eBlendMode_Alpha);
        });
        EXPECT_TRUE(NearRgb(Pixel(200, 110), c.atMiddle, 8)) << std::hex << c.state << ": " << Hex(At(200, 110));
        EXPECT_TRUE(NearRgb(At(100, 110), kRed, 8)) << std::hex << c.state;
    }
    delete texture;
}

TEST_F(SpriteDrawTest, FortyTwoSpritesPerDrawCall)
{
    struct Case {
        int sprites;
        int batches;
        uint32_t drawCalls;
    } cases[] = {{1, 1, 1}, {42, 1, 1}, {43, 1, 2}, {84, 1, 2}, {85, 1, 3}, {43, 2, 4}};
    for (const Case& c : cases) {
        Frame(kBlack, [&] {
            for (int b = 0; b < c.batches; ++b)
                for (int i = 0; i < c.sprites; ++i)
                    Rect(float(10 + (i % 40) * 20), float(10 + (i / 40) * 20 + b * 200), 10, 10, 5, 5, kWhite,
                         1.0f + float(b));
        });
        EXPECT_EQ(g_pSpriteBatch->GetLastDrawCalls(), c.drawCalls) << c.sprites << " x " << c.batches;
        // The last sprite of the last batch made it to the screen.
        const int i = c.sprites - 1;
        EXPECT_TRUE(NearRgb(Pixel(10 + (i % 40) * 20, 10 + (i / 40) * 20 + (c.batches - 1) * 200), kWhite))
            << c.sprites;
    }
}

TEST_F(SpriteDrawTest, BatchesLiveWhileUsedAndTakeTheFrameTexture)
{
    Frame(kBlack, [&] { Rect(10, 10, 4, 4, 2, 2, kWhite, 1.0f); Rect(10, 10, 4, 4, 2, 2, kWhite, 2.0f); });
    EXPECT_EQ(g_pSpriteBatch->GetBatchCount(), 2u);
    Frame(kBlack, [&] { Rect(10, 10, 4, 4, 2, 2, kWhite, 1.0f); });
    EXPECT_EQ(g_pSpriteBatch->GetBatchCount(), 1u);
    Frame(kBlack, [] {});
    EXPECT_EQ(g_pSpriteBatch->GetBatchCount(), 0u);

    // Two texture objects of one image share a key. The batch made for the first must not draw
    // with it once it is gone.
    const NameId key = HashName("assets.v1/2d/sprites/shared");
    ITexture* first = MakeTexture(1, 1, {kRed}, key);
    Frame(kBlack, [&] { g_pSpriteBatch->DrawRect(first, 50, 50, 20, 20, 10, 10, 0, 0, 1, 1, 1, 1, 0, kWhite, 1.0f); });
    EXPECT_TRUE(NearRgb(Pixel(50, 50), kRed));
    delete first;
    ITexture* second = MakeTexture(1, 1, {kGreen}, key);
    Frame(kBlack, [&] { g_pSpriteBatch->DrawRect(second, 50, 50, 20, 20, 10, 10, 0, 0, 1, 1, 1, 1, 0, kWhite, 1.0f); });
    EXPECT_TRUE(NearRgb(Pixel(50, 50), kGreen));
    delete second;
}

TEST_F(SpriteDrawTest, ATextureThatFailedToDecodeDrawsUntextured)
{
    const std::string garbage = "not an image at all";
    void* copy = std::malloc(garbage.size());
    std::memcpy(copy, garbage.data(), garbage.size());
    auto* stream = new MemoryStreamIO;
    stream->Init(copy, uint32_t(garbage.size()), true, true);
    ITexture* broken = renderSystem->CreateTexture();
    broken->LoadFromMemory(stream, 0, 0, 0, 2);
    ITexture* empty = renderSystem->CreateTexture(); // never given an image: no size at all
    ASSERT_EQ(empty->GetWidth(), 0u);
    Frame(kBlack, [&] {
        g_pSpriteBatch->DrawRect(broken, 300, 300, 20, 20, 10, 10, 4, 4, 8, 8, 1, 1, 0, 0xFF00FFFF, 1.0f);
        g_pSpriteBatch->DrawSprite(1.0f, broken, 400, 300, 20, 20, 10, 10, 1, 1, 0, 0, 0, 1, 1, 1, 0, 0, 1);
        g_pSpriteBatch->DrawRect(empty, 500, 300, 20, 20, 10, 10, 4, 4, 8, 8, 1, 1, 0, 0xFFFFFF00, 1.0f);
        g_pSpriteBatch->DrawSprite(1.0f, empty, 600, 300, 20, 20, 10, 10, 1, 1, 0, 0, 0, 1, 1, 0, 0, 1, 1);
    });
    EXPECT_TRUE(NearRgb(Pixel(310, 310), 0xFF00FFFF));
    EXPECT_TRUE(NearRgb(At(410, 310), kRed));
    EXPECT_TRUE(NearRgb(At(510, 310), 0xFFFFFF00));
    EXPECT_TRUE(NearRgb(At(610, 310), kBlue));
    delete broken;
    delete empty;
}

TEST_F(SpriteDrawTest, FadesOutHoldsAndFadesIn)
{
    g_pScreenFader = new ScreenFader;
    struct Step {
        uint16_t startMode; // 0: keep going
        uint16_t curve;
        float dt;
        uint16_t mode;
        uint32_t alpha;
        uint32_t pixel; // fade colour blue over a white screen
    } steps[] = {
        {eScreenFade_FadeOut, 0, 0.5f, eScreenFade_FadeOut, 127, 0xFF8080FF},
        {0, 0, 0.6f, eScreenFade_Held, 255, kBlue},
        {0, 0, 5.0f, eScreenFade_Held, 255, kBlue},
        {eScreenFade_FadeIn, 0, 0.25f, eScreenFade_FadeIn, 191, 0xFF4040FF},
        {0, 0, 0.8f, eScreenFade_Idle, 0, kWhite},
        {eScreenFade_FadeOut, kFadeCurve_Smooth, 0.25f, eScreenFade_FadeOut, 39, 0xFFD8D8FF}, // 0.15625 of the way
        {eScreenFade_FadeOut, 0, 0.0f, eScreenFade_FadeOut, 0, kWhite},
    };
    for (const Step& s : steps) {
        if (s.startMode)
            g_pScreenFader->Start(s.startMode, s.curve, kBlue, 1.0f);
        g_pScreenFader->Update(s.dt);
        EXPECT_EQ(g_pScreenFader->m_nMode, s.mode) << s.dt;
        EXPECT_EQ(ColorAlpha(g_pScreenFader->m_nColor), s.alpha) << s.dt;
        Frame(kWhite, [] { g_pScreenFader->Draw(); });
        ReadBackBuffer();
        for (auto [x, y] : {std::pair{0, 0}, std::pair{480, 270}, std::pair{959, 539}})
            EXPECT_TRUE(NearRgb(At(x, y), s.pixel, 3)) << s.dt << " at " << x << "," << y << ": " << Hex(At(x, y));
    }
}

TEST_F(SpriteDrawTest, BossFadeColourFromQuestDataDrawsAsWritten)
{
    g_pScreenFader = new ScreenFader;
    struct Case {
        const char* fadeColor;
        uint32_t pixel; // held fade over a white screen
    } cases[] = {
        {"{ r = 0, g = 0, b = 0, a = 255 }", kBlack},
        {"{ r = 255, g = 0, b = 0, a = 255 }", kRed},
        {"{ r = 0, g = 255, b = 0, a = 0 }", kGreen}, // the fader drives the alpha
        {"{ r = 0, g = 0, b = 255, a = 255 }", kBlue},
    };
    for (const Case& c : cases) {
        lua_State* L = luaL_newstate();
        const std::string chunk = std::string("return { boss = { fadeColor = ") + c.fadeColor + " } }";
        ASSERT_EQ(luaL_dostring(L, chunk.c_str()), 0);
        QuestEnemyList list;
        QuestTable::LoadEnemyList(L, list);
        lua_close(L);
        g_pScreenFader->Start(eScreenFade_FadeOut, 0, list.m_nBossFadeColor, 0.0f);
        g_pScreenFader->Update(0.0f);
        Frame(kWhite, [] { g_pScreenFader->Draw(); });
        ReadBackBuffer();
        EXPECT_TRUE(NearRgb(At(480, 270), c.pixel, 3)) << c.fadeColor << ": " << Hex(At(480, 270));
    }
}

TEST(ScreenFaderTest, ZeroDurationsEndTheFadeAtOnce)
{
    struct Case {
        uint16_t mode;
        float duration, dt;
        uint16_t endMode;
        uint32_t alpha;
    } cases[] = {
        {eScreenFade_FadeOut, 0.0f, 0.0f, eScreenFade_Held, 255},
        {eScreenFade_FadeIn, 0.0f, 0.0f, eScreenFade_Idle, 0},
        {eScreenFade_FadeOut, -1.0f, 0.0f, eScreenFade_Held, 255},
        {eScreenFade_FadeOut, 1.0f, 0.0f, eScreenFade_FadeOut, 0},
        {eScreenFade_FadeIn, 1.0f, 0.0f, eScreenFade_FadeIn, 255},
        {eScreenFade_Held, 1.0f, 0.5f, eScreenFade_Held, 0x12},
        {eScreenFade_Idle, 1.0f, 0.5f, eScreenFade_Idle, 0x12},
    };
    for (const Case& c : cases) {
        ScreenFader fader;
        fader.Start(c.mode, kFadeCurve_Smooth, 0x12345678, c.duration);
        fader.Update(c.dt);
        EXPECT_EQ(fader.m_nMode, c.endMode) << c.mode << " " << c.duration;
        EXPECT_EQ(ColorAlpha(fader.m_nColor), c.alpha) << c.mode << " " << c.duration;
        EXPECT_EQ(fader.m_nColor & 0xFFFFFF, 0x345678u);
    }
}

} // namespace

namespace {

class SpriteShaderTest : public SpriteDrawTest {};

TEST_F(SpriteShaderTest, WithoutItsShadersTheBatchDrawsNothing)
{
    struct Case {
        const char* what;
        const char* vertexShader; // null: no such file
    } cases[] = {
        {"missing vertex shader", nullptr},
        {"vertex shader that does not assemble", "vs_2_0\nbogus r0, v0\n"},
    };
    for (const Case& c : cases) {
        TempDir other;
        ::mkdir(other.File("assets.v1").c_str(), 0755);
        ::mkdir(other.File("assets.v1/shaders").c_str(), 0755);
        if (c.vertexShader)
            other.WriteFile("assets.v1/shaders/instancing_vs.vsh", c.vertexShader);
        other.WriteFile("assets.v1/shaders/instancing_ps.psh", "ps_2_0\ndcl t0.xy\ndcl_2d s0\ntexld r0, t0, s0\nmov oC0, r0\n");
        delete g_pArchiveSystem;
        ArchiveSystem::GetInstance()->SetRoot(other.Path());
        ArchiveSystem::GetInstance()->Mount(new FileSystemArchive("assets.v1/shaders"));

        SpriteBatch broken;
        EXPECT_FALSE(broken.Initialize()) << c.what;
        BeginFrame(kBlack);
        broken.DrawRect(nullptr, 100, 100, 50, 50, 25, 25, 0, 0, 0, 0, 1, 1, 0, kWhite, 1.0f);
        broken.Render();
        EndFrame();
        EXPECT_EQ(broken.GetLastDrawCalls(), 0u) << c.what;
        EXPECT_EQ(broken.GetBatchCount(), 1u) << c.what; // emptied, kept for the next frame
        EXPECT_TRUE(NearRgb(Pixel(125, 125), kBlack)) << c.what;
    }
}

} // namespace
