// The stages' dressing in the running game: the meadow's landscape drawn where the seeded pool
// put it, the sky drifting at a quarter of the camera's speed, and the music carried from the
// home base to the meadow and changed for the cave.
#include "Components/Core/Camera2D.h"
#include "Components/Core/Renderer.h"
#include "Platform/XAudio2/XAudio2Output.h"
#include "Support/GameHarness.h"
#include "System/Sound/SoundManager.h"
#include "System/Sound/XAudio2Device.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The image generator's palette, as the landscape sprites use it.
constexpr uint32_t kInk = 0xFF1E1E2A;
constexpr uint32_t kGreen = 0xFF5DAA4F;
constexpr uint32_t kGrey = 0xFF8C8C99;
constexpr uint32_t kPink = 0xFFE87FB0;
constexpr uint32_t kYellow = 0xFFF2C94C;

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        if (std::abs(d) > tolerance)
            return false;
    }
    return true;
}

// Whether a pixel of one of the colours lies within `radius` of (x, y).
bool ColourAround(const HarnessFrame& frame, int x, int y, int radius, const std::vector<uint32_t>& colours)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px < 0 || py < 0 || px >= frame.width || py >= frame.height)
                continue;
            for (uint32_t c : colours)
                if (Near(frame.Pixel(px, py), c, 10))
                    return true;
        }
    return false;
}

struct Placement {
    std::string prototype;
    float x, y, z;
    bool operator==(const Placement&) const = default;
};

// The meadow built with the seed; its landscape objects in tree order.
std::vector<Placement> MeadowLandscape(GameHarness& game, uint32_t seed)
{
    std::vector<Placement> out;
    if (!game.Start(seed))
        return out;
    game.Tick();
    if (!game.MakeQuestCurrent("quest_Meadow") || !game.RequestStage("stage_Meadow"))
        return out;
    game.Ticks(3);
    for (GameObj* o = game.Root(); o; o = o->GetNext())
        if (o->GetPrototypeName().rfind("land_", 0) == 0) {
            const Matrix4x4& w = o->GetTransform()->WorldMatrix();
            out.push_back({o->GetPrototypeName(), w.m[3][0], w.m[3][1], w.m[3][2]});
        }
    return out;
}

} // namespace

TEST(DressingEndToEndTest, TheMeadowsLandscapeIsDrawnWhereTheSeedPutsIt)
{
    std::vector<Placement> placed;
    {
        GameHarness game;
        placed = MeadowLandscape(game, GameHarness::kDefaultSeed);
        ASSERT_FALSE(placed.empty());
        // Every object stands on a strip's top, 16 above the stage's bottom, made whole; later
        // ones of a spread sort in front, all behind the ground strips (depth 20).
        for (const Placement& p : placed) {
            SCOPED_TRACE(p.prototype + " at " + std::to_string(p.x));
            EXPECT_FLOAT_EQ(p.y, p.prototype == "land_Flower" ? 28.0f : 24.0f);
            EXPECT_GE(p.z, 30.0f);
            EXPECT_LT(p.z, 30.001f);
            EXPECT_EQ(p.x, std::trunc(p.x)) << "whole";
        }
        // Drawn at those places: with the camera over each, it shows its own colours around its
        // centre.
        Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
        ASSERT_NE(camera, nullptr);
        for (const Placement& p : placed) {
            camera->SetPosition(p.x, 270.0f);
            game.Ticks(2);
            float sx = 0, sy = 0;
            MapToScreen(*camera, p.x, p.y, sx, sy);
            const std::vector<uint32_t> colours = p.prototype == "land_Grass"   ? std::vector<uint32_t>{kGreen}
                                                  : p.prototype == "land_Stone" ? std::vector<uint32_t>{kGrey, kInk}
                                                                                : std::vector<uint32_t>{kPink, kYellow, kGreen};
            EXPECT_TRUE(ColourAround(game.ReadFrame(), int(sx), int(sy) - 2, 6, colours))
                << p.prototype << " at " << p.x << ", screen " << sx << ", " << sy;
        }
    }
    // The same seed places the same; another seed places otherwise.
    {
        GameHarness again;
        EXPECT_EQ(MeadowLandscape(again, GameHarness::kDefaultSeed), placed);
    }
    {
        GameHarness other;
        EXPECT_NE(MeadowLandscape(other, GameHarness::kDefaultSeed + 1), placed);
    }
}

TEST(DressingEndToEndTest, TheSkyDriftsAQuarterOfTheCamerasWay)
{
    GameHarness game;
    ASSERT_FALSE(MeadowLandscape(game, GameHarness::kDefaultSeed).empty());
    Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
    ASSERT_NE(camera, nullptr);
    camera->SetPosition(480.0f, 270.0f);
    game.Ticks(2);
    const HarnessFrame before = game.ReadFrame();
    camera->SetPosition(880.0f, 270.0f);
    game.Ticks(2);
    EXPECT_FLOAT_EQ(camera->GetX(), 880.0f);
    const HarnessFrame after = game.ReadFrame();
    // Rows through the clouds, between the HUD's block in the top left and the companion's talk
    // window in the top right: 400 units of camera are 100 texels of the 960-wide sky at scroll 4.
    int same = 0, changed = 0, count = 0;
    for (int y : {70, 90, 120, 150}) {
        for (int x = 160; x + 100 < 720; ++x) {
            ++count;
            same += Near(after.Pixel(x, y), before.Pixel(x + 100, y), 12) ? 1 : 0;
            changed += Near(after.Pixel(x, y), before.Pixel(x, y), 12) ? 0 : 1;
        }
    }
    EXPECT_GT(same, count * 98 / 100) << "the rows moved left by 100 pixels";
    EXPECT_GT(changed, count / 20) << "the clouds did move";
}

TEST(DressingEndToEndTest, TheMusicCarriesOverAndChanges)
{
    XAudio2SetOutputMode(eXAudio2Output_Manual);
    {
        GameHarness game;
        ASSERT_TRUE(game.Start());
        game.Tick();
        ASSERT_NE(g_pSoundManager, nullptr);
        IXAudio2* engine = g_pSoundManager->GetDevice()->GetEngine();
        ASSERT_NE(engine, nullptr) << "the mixer runs";
        std::vector<float> buffer(2 * 4410);
        auto played = [&](IAudioSource* source) -> uint64_t {
            XAUDIO2_VOICE_STATE state = {};
            static_cast<XAudio2Source*>(source)->GetVoice()->GetState(&state);
            return state.SamplesPlayed;
        };
        auto pull = [&](int ticks) {
            for (int i = 0; i < ticks; ++i) {
                game.Tick();
                XAudio2Render(engine, buffer.data(), 750);
            }
        };

        ASSERT_TRUE(game.RequestStage("stage_Home"));
        game.Tick();
        IAudioSource* home = g_pSoundManager->GetCurrentBgm();
        ASSERT_NE(home, nullptr);
        EXPECT_EQ(home->GetKey(), HashName("assets.v1/sounds/bgm/stage"));
        ASSERT_EQ(home->GetDevice()->GetKind(), eAudioDeviceKind_XAudio2);
        EXPECT_TRUE(home->IsPlaying());
        pull(20);
        const uint64_t atHome = played(home);
        EXPECT_GT(atHome, 0u);

        // The meadow names the same track: the same source plays on.
        ASSERT_TRUE(game.EnterQuestStage("quest_Meadow", "stage_Meadow"));
        EXPECT_EQ(g_pSoundManager->GetCurrentBgm(), home);
        EXPECT_EQ(g_pSoundManager->GetFadingBgm(), nullptr);
        pull(20);
        EXPECT_GT(played(home), atHome);

        // The cave plays the master's battle theme: the meadow's fades out over half a second
        // while it plays.
        ASSERT_TRUE(game.RequestStage("stage_Cave"));
        game.Tick();
        IAudioSource* cave = g_pSoundManager->GetCurrentBgm();
        ASSERT_NE(cave, nullptr);
        EXPECT_NE(cave, home);
        EXPECT_EQ(cave->GetKey(), HashName("assets.v1/sounds/bgm/boss"));
        ASSERT_EQ(g_pSoundManager->GetFadingBgm(), home);
        EXPECT_EQ(home->GetFadeMode(), eFadeMode_Down);
        pull(14); // 0.238 s more of 0.5
        ASSERT_EQ(g_pSoundManager->GetFadingBgm(), home);
        EXPECT_GT(home->GetVolume(), 0.25f);
        EXPECT_LT(home->GetVolume(), 0.75f);
        const uint64_t caveEarly = played(cave);
        pull(16); // past 0.5 s
        EXPECT_EQ(g_pSoundManager->GetFadingBgm(), nullptr) << "faded out and gone";
        EXPECT_GT(played(cave), caveEarly);
        EXPECT_TRUE(cave->IsPlaying());
        game.Shutdown();
    }
    XAudio2SetOutputMode(eXAudio2Output_Device);
}
