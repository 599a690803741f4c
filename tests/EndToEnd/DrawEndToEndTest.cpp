// The stages on screen: the title showcase and the home base drawn by the running game, checked
// at known pixels (places from the Lua data and the cameras, colours from the image generator's
// palette), and stage switches under the sanitizers.
#include "Components/Core/Animation.h"
#include "Components/Core/Camera2D.h"
#include "Components/Core/FontRenderer.h"
#include "Components/Core/MovieRenderer.h"
#include "Components/Core/SpriteBlurRenderer.h"
#include "Components/Core/SpriteNumberRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Platform/D3D9/D3D9Testing.h"
#include "Platform/Win32/Windows.h"
#include "Support/GameHarness.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/FontSet.h"
#include "System/Graphics/RenderWindow.h"
#include "System/Movie/MoviePlayer.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

#include <SDL.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <cmath>
#include <string>

namespace {

// The image generator's palette.
constexpr uint32_t kInk = 0xFF1E1E2A;
constexpr uint32_t kWhite = 0xFFF4F1E8;
constexpr uint32_t kRed = 0xFFD9483B;
constexpr uint32_t kOrange = 0xFFF08A24;
constexpr uint32_t kYellow = 0xFFF2C94C;
constexpr uint32_t kGreen = 0xFF5DAA4F;
constexpr uint32_t kBlue = 0xFF3D6FD9;
constexpr uint32_t kGrey = 0xFF8C8C99;
constexpr uint32_t kBrown = 0xFF8A5A3B;

// The title showcase as the tests keep it, whatever the title's own data becomes: the sky
// stretched over the screen camera's view, the looping title movie in the top right quarter
// behind the logo, the logo, a sliced panel with a gauge, the heroine standing, a caption with
// a red word under the panel, a right-aligned version line, and both cameras.
const char* const kTitleShowcase = R"(
stage_TitleScene = {
  object_name = "Title showcase", object_tag = "Stage", object_layer = LAYER_STAGE, object_activity = ACTIVE,
  components = { Transform = {} },
  children = {
    { base_script = "title_Version" },
    { base_script = "title_Caption" },
    { base_script = "title_Movie" },
    { base_script = "title_Logo" },
    { base_script = "title_Panel" },
    { base_script = "title_Player" },
    { base_script = "prop_Backdrop" },
    { base_script = "ui_camera" },
    { base_script = "camera" },
  },
}
)";

// Where a world point lands on the game camera's screen: the camera at (480, 270) sees 0..960
// by 0..540, y up.
int ScreenX(float x) { return int(std::trunc(x + 0.5f)); }
int ScreenY(float y) { return int(std::trunc(540.0f - y + 0.5f)); }

float WorldX(const GameObj* o) { return o->GetTransform()->WorldMatrix().m[3][0]; }
float WorldY(const GameObj* o) { return o->GetTransform()->WorldMatrix().m[3][1]; }

struct Probe {
    const char* what;
    int x, y;
    uint32_t argb;
};

// The title movie's picture as the generator paints it: diagonal bands drifting one period
// over the 60 frames, so the loop has no seam.
uint32_t TitleMovieColour(int frame, int x, int y)
{
    constexpr double kPi = 3.14159265358979323846;
    struct Rgb {
        double r, g, b;
    };
    auto mix = [](Rgb a, Rgb b, double t) {
        t = std::clamp(t, 0.0, 1.0);
        return Rgb{double(std::lround(a.r + (b.r - a.r) * t)), double(std::lround(a.g + (b.g - a.g) * t)),
                   double(std::lround(a.b + (b.b - a.b) * t))};
    };
    const Rgb night{18, 22, 48}, ink{30, 34, 60}, sky{96, 156, 214};
    const double phase = 2.0 * kPi * frame / 60.0;
    const double wave = std::sin((x + y * 0.5) * 2.0 * kPi / 240.0 - phase);
    const double glow = 0.5 + 0.5 * std::sin(y * 2.0 * kPi / 540.0 + phase);
    const Rgb c = mix(night, mix(ink, sky, glow * 0.5), 0.5 + 0.5 * wave);
    return 0xFF000000u | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b);
}

std::string Hex(uint32_t argb)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", argb);
    return text;
}

// How far a pixel is from another, the largest channel difference.
int Distance(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int shift = 0; shift < 24; shift += 8)
        d = std::max(d, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return d;
}

void ExpectProbes(const HarnessFrame& frame, const std::vector<Probe>& probes)
{
    for (const Probe& p : probes)
        EXPECT_TRUE(frame.Probe(p.x, p.y, p.argb)) << p.what;
}

} // namespace

TEST(DrawEndToEndTest, TheTitleShowcaseIsDrawnWhereItsDataPutsIt)
{
    GameHarness game;
    game.WriteFile("assets.v1/scripts/stage/stage_TitleScene.lua", kTitleShowcase);
    ASSERT_TRUE(game.Start());
    game.Ticks(12);
    // Both cameras of the one stage hold their tags.
    Camera2D* gameCamera = g_CameraRegistry.Find(GameCameraTag());
    Camera2D* uiCamera = g_CameraRegistry.Find(HashName("UICamera"));
    ASSERT_NE(gameCamera, nullptr);
    ASSERT_NE(uiCamera, nullptr);
    EXPECT_NE(gameCamera, uiCamera);
    EXPECT_EQ(gameCamera->GetOwner()->GetParent(), game.Root());
    EXPECT_EQ(uiCamera->GetOwner()->GetParent(), game.Root());

    const HarnessFrame frame = game.ReadFrame();
    ExpectProbes(frame, {
        // The sky, 256 x 256 stretched to 960 x 540: texel row t of the gradient is
        // (0x60 + 96 t / 256, 0xA0 + 48 t / 256, 0xE8).
        {"sky, top left (row 9)", 20, 20, 0xFF63A1E8},
        {"sky, bottom right (row 237)", 900, 500, 0xFFB8CCE8},
        // The logo, 384 x 96, centred at world (480, 460): screen (480, 80).
        {"logo, middle block", 480, 80, kRed},
        {"logo, left block", 424, 80, kBlue},
        {"logo, plate", 348, 42, kYellow},
        {"logo, rim", 289, 80, kInk},
        {"logo, left star", 336, 80, kOrange},
        // The panel: 420 x 140 at world (480, 150), screen (480, 390), drawn from the 64 x 64
        // frame with 8-texel borders: 3 rows of ink, 2 of white, then the panel colour.
        {"panel, left rim", 271, 390, kInk},
        {"panel, left inner line", 274, 390, kWhite},
        {"panel, top rim", 480, 321, kInk},
        {"panel, bottom inner line", 480, 456, kWhite},
        {"panel, right rim", 688, 390, kInk},
        // The gauge, full: 360 x 16 at the panel's place + (0, -30), screen (480, 420).
        {"gauge, left end", 302, 420, kGreen},
        {"gauge, right end", 657, 420, kGreen},
        {"gauge's undercoat is covered", 480, 413, kGreen},
        // The heroine at world (150, 100), screen (150, 440), in her first idle frame: the
        // scarf 8 rows above her centre is red.
        {"heroine's scarf, first frame", 150, 432, kRed},
        {"heroine's body", 150, 437, kBlue},
    });

    // The second idle frame (0.5 s to 1 s) has an orange scarf.
    auto* idle = static_cast<SpriteAnimation*>(game.FindObject("title_Player")->GetSpriteAnimation());
    ASSERT_NE(idle, nullptr);
    ASSERT_TRUE(game.TickUntil([&] { return idle->GetPlayer()->GetTrackTime() > 0.6f; }, "0.6 s of idling", 60));
    EXPECT_TRUE(game.ReadFrame().Probe(150, 432, kOrange));
}

TEST(DrawEndToEndTest, TheHomeBasesPropsRestOnTheFloorAndAnEnemyIdles)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    // The home quest is the one whose controller places the cameras (and the player).
    ASSERT_TRUE(game.EnterQuestStage("vididezare", "stage_Home"));
    ASSERT_NE(game.Root(), nullptr);
    // The player puts the home camera at x 512: screen x is world x less 32.
    Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
    ASSERT_NE(camera, nullptr);
    ASSERT_FLOAT_EQ(camera->GetX(), 512.0f);
    ASSERT_FLOAT_EQ(camera->GetY(), 270.0f);
    const auto ScreenX = [](float x) { return ::ScreenX(x - 32.0f); };
    GameObj* slime = g_pSceneManager->Instantiate("enemy_Slime", game.Root(), nullptr);
    ASSERT_NE(slime, nullptr);
    slime->GetTransform()->SetLocalPosition(700, 40, 8);
    slime->GetTransform()->UpdateWorldMatrices();
    auto* idle = static_cast<SpriteAnimation*>(slime->GetSpriteAnimation());
    ASSERT_NE(idle, nullptr);
    // The props fall from where the area puts them; a second is enough for all to land.
    game.Ticks(12);
    ASSERT_LT(idle->GetPlayer()->GetTrackTime(), 0.3f);
    const float slimeX = WorldX(slime), slimeY = WorldY(slime);
    HarnessFrame frame = game.ReadFrame();
    // The blob's first cell: the top of its outline 11 rows above the sprite's centre.
    EXPECT_TRUE(frame.Probe(ScreenX(slimeX), ScreenY(slimeY) - 11, kInk)) << "slime, first cell";
    EXPECT_TRUE(frame.Probe(ScreenX(slimeX), ScreenY(slimeY) - 2, kGreen)) << "slime's body";
    game.Ticks(60);
    frame = game.ReadFrame();

    const std::vector<GameObj*> crates = game.FindObjects("prop_Crate");
    ASSERT_EQ(crates.size(), 3u);
    for (const GameObj* crate : crates) {
        SCOPED_TRACE(crate->GetObjectName());
        EXPECT_NEAR(WorldY(crate), 20.0f, 1e-3f);
        // 48 x 40: ink rim, brown boards, an ink band 18 rows down.
        const int x = ScreenX(WorldX(crate)), y = ScreenY(WorldY(crate));
        EXPECT_TRUE(frame.Probe(x, y - 10, kBrown)) << "crate's boards";
        EXPECT_TRUE(frame.Probe(x, y, kInk)) << "crate's band";
        EXPECT_TRUE(frame.Probe(x - 23, y - 10, kInk)) << "crate's rim";
    }
    const GameObj* post = game.FindObject("prop_Post");
    ASSERT_NE(post, nullptr);
    EXPECT_TRUE(frame.Probe(ScreenX(WorldX(post)), ScreenY(WorldY(post)) - 40, kGrey)) << "post";
    const GameObj* ball = game.FindObject("prop_Ball");
    ASSERT_NE(ball, nullptr);
    EXPECT_NEAR(WorldY(ball), 16.0f, 1e-3f);
    EXPECT_TRUE(frame.Probe(ScreenX(WorldX(ball)) - 8, ScreenY(WorldY(ball)), kOrange)) << "ball";
    // The yard's ground strip: 600 x 16 from x 0 along the floor, grass on top.
    EXPECT_TRUE(frame.Probe(ScreenX(500), 525, kGreen)) << "grass";
    EXPECT_TRUE(frame.Probe(ScreenX(500), 534, kBrown)) << "soil";
    // The floor goes on past the strip under the bank, and so does its earth.
    EXPECT_TRUE(frame.Probe(ScreenX(750), 534, kBrown)) << "earth past the strip's end";

    // Two frames a cell at six a second, looping every 2/3 s: 1.2 s on, the slime shows its
    // second cell, squashed 3 rows down, so the old outline row is sky.
    const float t = idle->GetPlayer()->GetTrackTime();
    ASSERT_GT(t, 1.0f / 3.0f);
    ASSERT_LT(t, 2.0f / 3.0f);
    EXPECT_FALSE(frame.Probe(ScreenX(slimeX), ScreenY(slimeY) - 11, kInk, 24)) << "slime, second cell";
}

TEST(DrawEndToEndTest, SwitchingBetweenTitleAndHomeRunsClean)
{
    GameHarness game;
    game.WriteFile("assets.v1/scripts/stage/stage_TitleScene.lua", kTitleShowcase);
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_TRUE(game.MakeQuestCurrent("vididezare"));
    for (int i = 0; i < 20; ++i) {
        const char* stage = i % 2 ? "stage_TitleScene" : "stage_Home";
        ASSERT_TRUE(game.RequestStage(stage));
        game.Ticks(3);
        ASSERT_NE(game.Root(), nullptr);
        ASSERT_EQ(game.Root()->GetPrototypeName(), stage);
        // The stage's own cameras hold the tags.
        Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
        ASSERT_NE(camera, nullptr) << i;
        EXPECT_EQ(camera->GetOwner()->GetParent(), game.Root()) << i;
        EXPECT_EQ(g_CameraRegistry.GetCount(), 2u) << i;
    }
    // The last switch went to the title: the logo's middle block is on screen.
    EXPECT_TRUE(game.ReadFrame().Probe(480, 80, kRed));
}

// The movie behind the logo shows the generated picture, moves on and loops; the caption's
// glyphs carry ink where the font puts them, the tagged word in red; the version line ends at
// its object's place.
TEST(DrawEndToEndTest, TheTitleShowcasePlaysItsMovieAndShowsItsTexts)
{
    GameHarness game;
    game.WriteFile("assets.v1/scripts/stage/stage_TitleScene.lua", kTitleShowcase);
    ASSERT_TRUE(game.Start());
    game.Ticks(12);
    GameObj* movieObject = game.FindObject("title_Movie");
    ASSERT_NE(movieObject, nullptr);
    auto* movie = static_cast<MovieRenderer*>(movieObject->GetComponent(MovieRenderer::s_Class.Key));
    ASSERT_NE(movie, nullptr);
    ASSERT_TRUE(movie->IsPlaying());
    MoviePlayer* player = movie->GetPlayer();
    ITexture* texture = player->GetTexture();
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(texture->GetWidth(), 960u);

    // The movie's corner is at screen (480, -270): screen (x, y) shows movie pixel
    // (x - 480, y + 270). The probes avoid the logo.
    const std::pair<int, int> probes[] = {{700, 200}, {900, 20}, {560, 250}, {940, 150}, {800, 140}};
    auto check = [&](const char* when) {
        const HarnessFrame frame = game.ReadFrame();
        const int shown = player->GetFrameNumber();
        std::vector<uint32_t> seen;
        for (const auto& [x, y] : probes) {
            const uint32_t pixel = frame.Pixel(x, y);
            const uint32_t painted = TitleMovieColour(shown, x - 480, y + 270);
            EXPECT_LE(Distance(pixel, painted), 24)
                << when << ": frame " << shown << " at (" << x << ", " << y << ") " << Hex(pixel) << " for "
                << Hex(painted);
            uint8_t bgra[4] = {};
            texture->ReadPixels((uint32_t(y + 270) * 960u + uint32_t(x - 480)) * 4u, 4, bgra);
            const uint32_t texel = 0xFF000000u | uint32_t(bgra[2]) << 16 | uint32_t(bgra[1]) << 8 | bgra[0];
            EXPECT_LE(Distance(pixel, texel), 2) << when << " at (" << x << ", " << y << ")";
            seen.push_back(pixel);
        }
        return std::make_pair(shown, seen);
    };
    const auto first = check("first look");
    game.Ticks(20);
    const auto second = check("20 ticks on");
    EXPECT_NE(first.first, second.first);
    EXPECT_NE(first.second, second.second) << "the bands drift";

    // Sixty frames at 30 per second: two seconds in, the movie starts over and plays on.
    int last = player->GetFrameNumber();
    bool wrapped = false;
    ASSERT_TRUE(game.TickUntil(
        [&] {
            const int now = player->GetFrameNumber();
            wrapped = wrapped || now < last;
            last = now;
            return wrapped && now > 5;
        },
        "the movie looping past its end", 200));
    EXPECT_TRUE(movie->IsPlaying());
    check("after the loop");

    // The caption: three runs, the middle one in the tag's red.
    GameObj* captionObject = game.FindObject("title_Caption");
    ASSERT_NE(captionObject, nullptr);
    auto* caption = static_cast<FontRenderer*>(captionObject->GetComponent(FontRenderer::s_Class.Key));
    ASSERT_NE(caption, nullptr);
    const BitmapFont* font = caption->GetFont();
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(caption->GetLines().size(), 3u);
    const uint32_t colours[3] = {0xFFFFFFFFu, 0xFFD9483Bu, 0xFFFFFFFFu};
    float sx = 0, sy = 0;
    MapToScreen(*caption->GetCamera(), 480, 60, sx, sy);
    const HarnessFrame frame = game.ReadFrame();
    auto inkIn = [&](int x0, int y0, int x1, int y1, uint32_t colour) {
        int count = 0;
        for (int y = std::max(y0, 0); y < std::min(y1, 540); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, 960); ++x)
                count += Distance(frame.Pixel(x, y), colour) <= 12;
        return count;
    };
    float lineWidth = 0;
    for (const TextLine& run : caption->GetLines())
        lineWidth += font->MeasureText(run.text.c_str(), 0);
    EXPECT_FLOAT_EQ(caption->GetLines()[0].x, -lineWidth / 2) << "centred on the whole line";
    for (size_t r = 0; r < 3; ++r) {
        const TextLine& run = caption->GetLines()[r];
        EXPECT_EQ(uint32_t(run.a) << 24 | uint32_t(run.r) << 16 | uint32_t(run.g) << 8 | run.b, colours[r]);
        float pen = sx + run.x;
        const char* p = run.text.c_str();
        int glyphs = 0;
        while (*p) {
            uint16_t key = uint8_t(*p);
            if (IsFontLeadByte(uint8_t(*p)) && p[1]) {
                key = uint16_t(uint8_t(p[0]) | uint8_t(p[1]) << 8);
                p += 2;
            } else {
                ++p;
            }
            const FontGlyph* glyph = font->FindGlyph(key);
            ASSERT_NE(glyph, nullptr) << "run " << r << " glyph " << glyphs;
            const int gx = int(pen) + glyph->xOffset, gy = int(sy + run.y) + glyph->yOffset;
            EXPECT_GE(inkIn(gx, gy, gx + glyph->width, gy + glyph->height, colours[r]), 3)
                << "run " << r << " glyph " << glyphs << " at " << gx << ", " << gy;
            if (r != 1) {
                EXPECT_EQ(inkIn(gx, gy, gx + glyph->width, gy + glyph->height, colours[1]), 0)
                    << "run " << r << " glyph " << glyphs << " has red ink";
            }
            pen += float(glyph->advance);
            ++glyphs;
        }
        EXPECT_GT(glyphs, 1) << "run " << r;
    }

    // The version line ends at its object's x: white ink to the left, none to the right.
    GameObj* versionObject = game.FindObject("title_Version");
    ASSERT_NE(versionObject, nullptr);
    auto* version = static_cast<FontRenderer*>(versionObject->GetComponent(FontRenderer::s_Class.Key));
    ASSERT_NE(version, nullptr);
    ASSERT_EQ(version->GetLines().size(), 1u);
    MapToScreen(*version->GetCamera(), 940, 250, sx, sy);
    const int height = version->GetFont()->GetLineHeight();
    const int width = int(version->GetFont()->MeasureText(version->GetLines()[0].text.c_str(), 0));
    EXPECT_GT(inkIn(int(sx) - width, int(sy), int(sx), int(sy) + height, 0xFFFFFFFFu), 20);
    EXPECT_EQ(inkIn(int(sx) + 2, int(sy), int(sx) + 20, int(sy) + height, 0xFFFFFFFFu), 0);
    EXPECT_EQ(inkIn(int(sx) - width - 20, int(sy), int(sx) - width - 2, int(sy) + height, 0xFFFFFFFFu), 0);
}

// The home base's counter shows its digits as the HUD does; the comet's tail, switched on by
// the test while the comet flies, leaves copies in the stage's blur colour that fade from the
// newest to the oldest; the signpost carries its two lines.
TEST(DrawEndToEndTest, TheHomeBasesCounterAndCometTail)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_TRUE(game.EnterQuestStage("vididezare", "stage_Home"));
    game.Ticks(60); // the props land

    // The counter reads like the HUD's life number: the same digits at the same size. Both
    // show the same number, right-aligned on their places, so the outlines of their digits
    // (the ink, which neither the sky nor a cloud has) match pixel for pixel around each place.
    GameObj* counterObject = game.FindObject("prop_Counter");
    GameObj* lifeObject = game.FindObjectByTag("sprite_number_life");
    ASSERT_NE(counterObject, nullptr);
    ASSERT_NE(lifeObject, nullptr);
    auto* counter =
        static_cast<SpriteNumberRenderer*>(counterObject->GetComponent(SpriteNumberRenderer::s_Class.Key));
    auto* life = static_cast<SpriteNumberRenderer*>(lifeObject->GetComponent(SpriteNumberRenderer::s_Class.Key));
    ASSERT_NE(counter, nullptr);
    ASSERT_NE(life, nullptr);
    const auto anchor = [](const GameObj* o, int& x, int& y) {
        x = int(std::lround(o->GetTransform()->WorldMatrix().m[3][0]));
        y = 540 - int(std::lround(o->GetTransform()->WorldMatrix().m[3][1]));
    };
    // The HUD keeps its number at the player's life (100 on a new save, its leading zero
    // hidden): the counter is given the same, and its three last digits are compared.
    game.Tick();
    ASSERT_GE(life->GetNumber(), 100);
    ASSERT_LE(life->GetNumber(), 999);
    counter->SetNumber(life->GetNumber());
    game.Tick();
    const HarnessFrame digits = game.ReadFrame();
    int cx, cy, lx, ly;
    anchor(counterObject, cx, cy);
    anchor(lifeObject, lx, ly);
    int inkInLife = 0, mismatched = 0;
    for (int dy = -9; dy <= 9; ++dy)
        for (int dx = -35; dx <= 10; ++dx) {
            const bool lifeInk = Distance(digits.Pixel(lx + dx, ly + dy), kInk) <= 24;
            const bool counterInk = Distance(digits.Pixel(cx + dx, cy + dy), kInk) <= 24;
            inkInLife += lifeInk;
            mismatched += lifeInk != counterInk;
        }
    EXPECT_GT(inkInLife, 40) << "the life number's digits were not found";
    EXPECT_LE(mismatched, inkInLife / 20) << "the counter's digits differ from the HUD's (" << mismatched << " of "
                                          << inkInLife << " outline pixels)";

    // The signpost's two lines, each centred on the post.
    GameObj* signText = game.FindObject("signpost_Text");
    ASSERT_NE(signText, nullptr);
    auto* sign = static_cast<FontRenderer*>(signText->GetComponent(FontRenderer::s_Class.Key));
    ASSERT_NE(sign, nullptr);
    ASSERT_EQ(sign->GetLines().size(), 2u);
    EXPECT_FLOAT_EQ(sign->GetLines()[0].x, -sign->GetFont()->MeasureText(sign->GetLines()[0].text.c_str(), 0) / 2);
    EXPECT_FLOAT_EQ(sign->GetLines()[1].x, -sign->GetFont()->MeasureText(sign->GetLines()[1].text.c_str(), 0) / 2);
    EXPECT_GT(sign->GetLines()[1].y, 0.0f);

    // The comet flies across the top of the view, 30 pixels a tick.
    GameObj* comet = game.FindObject("prop_Comet");
    ASSERT_NE(comet, nullptr);
    GameObj* tailObject = game.FindObject("prop_CometTail");
    ASSERT_NE(tailObject, nullptr);
    auto* tail = static_cast<SpriteBlurRenderer*>(tailObject->GetComponent(SpriteBlurRenderer::s_Class.Key));
    ASSERT_NE(tail, nullptr);
    EXPECT_EQ(tail->GetColor(), 0xFFFFD6AAu) << "the home stage's blur colour";
    ASSERT_NE(tail->GetSprite(), nullptr);
    const Camera2D* camera = tail->GetSprite()->GetCamera();
    ASSERT_NE(camera, nullptr);
    const float left = camera->GetX() - camera->GetHalfWidth(), top = camera->GetY() + camera->GetHalfHeight();
    auto place = [&](float x) {
        comet->GetTransform()->SetLocalPosition(0, 0, 6);
        comet->GetTransform()->UpdateWorldMatrices();
        const Matrix4x4& parent = comet->GetTransform()->WorldMatrix();
        comet->GetTransform()->SetLocalPosition(left + x - parent.m[3][0], top - 100 - parent.m[3][1], 6);
        comet->GetTransform()->UpdateWorldMatrices();
    };
    // The sky where it will fly, with the comet out of view.
    place(-200);
    game.Tick();
    const HarnessFrame background = game.ReadFrame();

    tail->SetSpawning(true);
    for (int tick = 0; tick < 16; ++tick) {
        place(60.0f + 30.0f * float(tick));
        game.Tick();
    }
    const HarnessFrame trail = game.ReadFrame();
    const std::vector<BlurSnapshot*>& snapshots = tail->GetSnapshots();
    ASSERT_GE(snapshots.size(), 4u);
    const float cometX = comet->GetTransform()->WorldMatrix().m[3][0];
    int previous = 256;
    int drawn = 0;
    for (auto it = snapshots.rbegin(); it != snapshots.rend(); ++it) {
        const BlurSnapshot& s = **it;
        if (std::fabs(s.x - cometX) < 40.0f)
            continue; // under the comet itself
        float px, py;
        MapToScreen(*camera, s.x, s.y, px, py);
        const int change = Distance(trail.Pixel(int(px), int(py)), background.Pixel(int(px), int(py)));
        EXPECT_GT(change, 8) << "a copy at " << px << ", " << py << " aged " << s.age;
        EXPECT_LT(change, previous) << "older copies fade: " << px << ", " << py << " aged " << s.age;
        previous = change;
        ++drawn;
    }
    EXPECT_GE(drawn, 3);
}

namespace {

// Started full screen where the display's mode cannot change (a virtual X server, the headless
// driver), the window still covers the screen and the picture fills it (16:9, with bars on a
// screen of another shape), as after Alt+Enter: not a window of the game's size in the screen's
// corner with the rest black.
TEST(DrawEndToEndTest, StartedFullScreenThePictureCoversTheScreen)
{
    GameHarness game;
    char user[UNLEN + 1];
    DWORD size = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &size));
    game.WriteFile(std::string("userdata/") + user + "/QMPref.ini", "[GameConfig]\nFullScreen=1\n");
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.App().m_pWindow->IsFullScreen()) << "the setting was read";
    game.Ticks(45); // the logo, faded in

    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    RECT client{};
    ASSERT_TRUE(GetClientRect(game.App().m_pWindow->GetHandle(), &client));
    EXPECT_EQ(client.right - client.left, sw);
    EXPECT_EQ(client.bottom - client.top, sh);
    // SDL's headless driver keeps a window's surface at the size it was made at: the pixels are
    // only what a window system that resizes windows shows (the X run of the tests).
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::string(driver) == "offscreen")
        return;
    D3D9WindowCapture capture;
    D3D9CaptureNextPresent(g_pD3D9RenderSystem->GetDevice(), &capture);
    game.Tick();
    ASSERT_EQ(capture.width, sw) << "the window shows " << capture.width << " x " << capture.height;
    ASSERT_EQ(capture.height, sh);
    HarnessFrame shown;
    shown.width = capture.width;
    shown.height = capture.height;
    shown.pixels = capture.pixels;
    // The picture is the largest 16:9 rectangle centred on the screen; the logo leaves none of
    // it black.
    const int pw = std::min(sw, sh * 16 / 9), ph = pw * 9 / 16;
    const double black = shown.Share((sw - pw) / 2 + 2, (sh - ph) / 2 + 2, pw - 4, ph - 4, 0xFF000000u, 4);
    EXPECT_LT(black, 0.05) << black * 100 << " % of the picture is black";
}

} // namespace
