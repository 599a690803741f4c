#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "Components/Core/AnimationPlayer.h"
#include "Graphics/GameFolderFixture.h"
#include "System/Common/NameHash.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/TextureTable.h"
#include "World/AnimationTable.h"

namespace {

std::string U32(uint32_t v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)}; }
std::string DdsHeader(uint32_t w, uint32_t h) { return "DDS " + U32(124) + U32(0x100F) + U32(h) + U32(w) + std::string(108, '\0'); }

// Textures: "grid" 256 x 128 (4 x 2 cells of 64), "tall" 64 x 512, "wide" 8128 x 64 (127 cells of 64), "wider" 8192 x 64, "blank"
// an image whose size cannot be read. Atlas sprites "a", "b", "c" on "grid".
class AnimationTest : public GameFolderTest {
protected:
    void Load(const std::vector<std::pair<std::string, std::string>>& files)
    {
        Write("assets.v1/2d/sprites/grid.dds", DdsHeader(256, 128));
        Write("assets.v1/2d/sprites/tall.dds", DdsHeader(64, 512));
        Write("assets.v1/2d/sprites/wide.dds", DdsHeader(127 * 64, 64));
        Write("assets.v1/2d/sprites/wider.dds", DdsHeader(128 * 64, 64));
        Write("assets.v1/2d/sprites/blank.dds", "??");
        Write("assets.v1/scripts/textures/texture_t.lua",
              "texture_table = { grid = { texture_name = 'assets.v1/2d/sprites/grid' },"
              " tall = { texture_name = 'assets.v1/2d/sprites/tall' },"
              " wide = { texture_name = 'assets.v1/2d/sprites/wide' },"
              " wider = { texture_name = 'assets.v1/2d/sprites/wider' },"
              " blank = { texture_name = 'assets.v1/2d/sprites/blank' } }");
        Write("assets.v1/scripts/atlases/atlas_grid.lua",
              "spriteSheet = { texture = 'grid.dds', textureSize = { width = 256, height = 128 }, sprites = {"
              " { name = 'a.png', sourceRect = { x = 2, y = 4, width = 60, height = 56 }, originalSize = { width = 64, height = 64 },"
              "   uvRect = { x = 0, y = 0, width = 64, height = 64 } },"
              " { name = 'b.png', sourceRect = { x = 0, y = 0, width = 32, height = 64 }, originalSize = { width = 64, height = 64 },"
              "   uvRect = { x = 64, y = 0, width = 32, height = 64 } },"
              " { name = 'c.png', sourceRect = { x = 0, y = 0, width = 64, height = 64 }, originalSize = { width = 64, height = 64 },"
              "   uvRect = { x = 128, y = 64, width = 64, height = 64 } } } }");
        for (const auto& [name, text] : files)
            Write("assets.v1/scripts/animations/" + name, text);
        Mount();
        textures.LoadFolder("assets.v1/scripts/textures/");
        atlas.LoadFolder("assets.v1/scripts/atlases/");
        g_pTextureTable = &textures;
        g_pAtlasTable = &atlas;
        ::testing::internal::CaptureStdout();
        table.LoadFolder("assets.v1/scripts/animations/");
        log = ::testing::internal::GetCapturedStdout();
    }

    void TearDown() override
    {
        g_pTextureTable = nullptr;
        g_pAtlasTable = nullptr;
        GameFolderTest::TearDown();
    }

    const AnimationClip* Clip(const char* name) const { return table.Find(HashName(name)); }

    TextureTable textures;
    AtlasTable atlas;
    AnimationTable table;
    std::string log;
};

const float kU_a = 0.0f, kU_b = 0.25f, kU_c = 0.5f;

TEST_F(AnimationTest, PlaybackEdgeCases)
{
    Load({{"anim_a.lua", R"(animation_table = {
        loop_sheet = { wrapMode = 1, animationSheet = { frame_per_sec = 10, animation = { { 'a', 5 }, { 'b', 5 } } } },
        once_sheet = { wrapMode = 0, animationSheet = { frame_per_sec = 10, animation = { { 'a', 5 }, { 'b', 5 } } } },
        clamp_sheet = { wrapMode = 2.7, animationSheet = { frame_per_sec = 10, animation = { { 'a', 5 }, { 'b', 5 } } } },
        default_rate = { animationSheet = { frame_per_sec = 0, animation = { { 'a', 3 }, { 'b', 3 } } } },
        no_rate = { animationSheet = { animation = { { 'a', 3 }, { 'c', 3 } } } },
        once_grid = { sprite_anim = { frame_per_sec = 10, spriteSize = { x = 64, y = 64 }, animation = { { 'grid', 0, 5, 2 } } } },
        loop_grid = { wrapMode = 1, sprite_anim = { frame_per_sec = 10, spriteSize = { x = 64, y = 64 }, animation = { { 'grid', 0, 4, 2 } } } },
        unknown_row = { animationSheet = { frame_per_sec = 10, animation = { { 'c', 1 }, { 'nosuch', 1 } } } },
        repeat_key = { wrapMode = 2, pose_anim = { { 0, 1, 10, 1, 2, 0 }, { 1, 0, 1, 0, 5, 0 } } },
        hold_key = { wrapMode = 2, pose_anim = { { 0, 1, 10, 1, 2, 1 }, { 1, 0, 1, 0, 5, 0 } } },
        tiny_loop = { wrapMode = 1, animationSheet = { frame_per_sec = 1e30, animation = { { 'a', 1 }, { 'b', 1 } } } },
        shared = { animationSheet = { animation = { { 'a', 1 } } } },
    })"},
          {"anim_b.lua", "animation_table = { shared = { animationSheet = { animation = { { 'b', 1 } } } } }"}});

    struct Case {
        const char* what;
        const char* clip;
        std::vector<float> steps;
        float time;                    // track time, or pose time for a pose-only clip
        std::optional<float> u0, v0;   // image shown
        std::optional<float> channel0; // pose
    } cases[] = {
        {"a loop of 1.0 advanced by 2.5 at once ends at 0.5", "loop_sheet", {2.5f}, 0.5f, kU_a, {}, {}},
        {"a loop wraps a step that crosses its end", "loop_sheet", {0.75f, 0.5f}, 0.25f, kU_a, {}, {}},
        {"a once-only clip past its end stays at its length on its last row", "once_sheet", {0.4f, 5.0f}, 1.0f, kU_b, {}, {}},
        {"another wrap mode clamps like once", "clamp_sheet", {3.0f}, 1.0f, kU_b, {}, {}},
        {"time 0 shows the first row", "once_sheet", {}, 0.0f, kU_a, {}, {}},
        {"a row is shown up to its end", "once_sheet", {0.5f}, 0.5f, kU_a, {}, {}},
        {"just past a row's end the next row shows", "once_sheet", {0.51f}, 0.51f, kU_b, {}, {}},
        {"frame_per_sec 0 plays at 30", "default_rate", {0.15f}, 0.15f, kU_b, {}, {}},
        {"no frame_per_sec plays at 30", "no_rate", {0.15f}, 0.15f, kU_c, {}, {}},
        {"time 0 shows the first cell", "once_grid", {}, 0.0f, 0.0f, 0.0f, {}},
        {"a once-only grid past its end shows its last cell", "once_grid", {9.0f}, 1.2f, 0.25f, 0.5f, {}},
        {"a looping grid wraps to its first cell", "loop_grid", {1.05f}, 0.05f, 0.0f, 0.0f, {}},
        {"a row naming no sprite keeps the image before it", "unknown_row", {0.15f}, 0.15f, kU_c, 0.5f, {}},
        {"a key before its start adds nothing", "repeat_key", {0.5f}, 0.5f, {}, {}, 0.0f},
        {"a key inside its span follows its curve", "repeat_key", {1.5f}, 1.5f, {}, {}, 5.0f},
        {"a key past its end repeats with period end - start", "repeat_key", {2.25f}, 2.25f, {}, {}, 2.5f},
        {"a key past its end repeats again", "repeat_key", {3.75f}, 3.75f, {}, {}, 7.5f},
        {"a holding key past its end keeps its full value", "hold_key", {3.75f}, 3.75f, {}, {}, 10.0f},
        {"the first file read keeps a clip name", "shared", {}, 0.0f, kU_a, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const AnimationClip* clip = Clip(c.clip);
        ASSERT_NE(clip, nullptr);
        AnimationPlayer player;
        player.Reset(clip);
        for (float dt : c.steps)
            player.Advance(dt);
        const bool poseOnly = !clip->HasSheet() && !clip->HasSprite();
        EXPECT_NEAR(poseOnly ? player.GetPoseTime() : player.GetTrackTime(), c.time, 1e-6f);
        if (c.u0) {
            EXPECT_FLOAT_EQ(player.GetImage().u0, *c.u0);
        }
        if (c.v0) {
            EXPECT_FLOAT_EQ(player.GetImage().v0, *c.v0);
        }
        if (c.channel0) {
            EXPECT_FLOAT_EQ(player.GetPose(0), *c.channel0);
        }
    }

    // A loop whose length is lost in the time's rounding still ends its step.
    AnimationPlayer tiny;
    tiny.Reset(Clip("tiny_loop"));
    tiny.Advance(1.0f / 60.0f);
    EXPECT_LT(tiny.GetTrackTime(), Clip("tiny_loop")->m_fSheetLength);
}

TEST(WrapTrackTimeTest, LoopsTakeOffWholeLengthsAndOtherModesClamp)
{
    struct Case {
        float t, length;
        int32_t mode;
        float expected;
    } cases[] = {
        {2.5f, 1.0f, eWrapMode_Loop, 0.5f},  {1.0f, 1.0f, eWrapMode_Loop, 0.0f},   {0.99f, 1.0f, eWrapMode_Loop, 0.99f},
        {5.0f, 0.0f, eWrapMode_Loop, 5.0f},  {5.0f, -1.0f, eWrapMode_Loop, 5.0f},  {5.0f, 1.0f, eWrapMode_Once, 1.0f},
        {1.0f, 1.0f, eWrapMode_Once, 1.0f},  {0.5f, 1.0f, eWrapMode_Once, 0.5f},   {5.0f, 1.0f, 7, 1.0f},
        {5.0f, -1.0f, eWrapMode_Once, -1.0f}, {1000.25f, 0.5f, eWrapMode_Loop, 0.25f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(WrapTrackTime(c.t, c.length, c.mode), c.expected) << c.t << " over " << c.length << " mode " << c.mode;
    // Far more lengths than a frame ever crosses, or a length below the time's precision.
    for (float length : {1e-30f, 1e-3f}) {
        const float t = WrapTrackTime(1e9f, length, eWrapMode_Loop);
        EXPECT_GE(t, 0.0f);
        EXPECT_LT(t, length);
    }
}

TEST(PoseCurveTest, EachCurveFromStartToEnd)
{
    struct Case {
        int curve;
        float at0, atQuarter, atHalf, at1;
    } cases[] = {
        {ePoseCurve_Step, 1, 1, 1, 1},
        {ePoseCurve_Linear, 0, 0.25f, 0.5f, 1},
        {ePoseCurve_EaseIn, 0, 0.0625f, 0.25f, 1},
        {ePoseCurve_EaseOut, 0, 0.4375f, 0.75f, 1},
        {ePoseCurve_SmoothStep, 0, 0.15625f, 0.5f, 1},
        {ePoseCurve_SlowMiddle, 0, 0.34375f, 0.5f, 1},
        {6, 0, 0, 0, 0},
        {-1, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(EvaluatePoseCurve(c.curve, 0.0f), c.at0) << c.curve;
        EXPECT_FLOAT_EQ(EvaluatePoseCurve(c.curve, 0.25f), c.atQuarter) << c.curve;
        EXPECT_FLOAT_EQ(EvaluatePoseCurve(c.curve, 0.5f), c.atHalf) << c.curve;
        EXPECT_FLOAT_EQ(EvaluatePoseCurve(c.curve, 1.0f), c.at1) << c.curve;
    }
}

TEST_F(AnimationTest, PoseKeysSumPerChannelAndReportTheirChange)
{
    Load({{"anim_pose.lua", R"(animation_table = {
        pose = { wrapMode = 0, pose_anim = {
            { 0, 1, 8, 0, 2, 1 },     -- x moves 8 over two seconds, then holds
            { 0, 0, 1, 1, 1.5, 1 },   -- and jumps 1 more at 1 s
            { 2, 0, 90, 0, 4, 0 },    -- rotation in degrees
            { 3, 4, 2, 0, 1, 1 },     -- scale x, smoothstep
            { 5, 2, 1, 0, 2, 1 },     -- alpha, ease-in
            { 9, 3, -4, 0, 2, 1 },    -- offset y, ease-out
            { 10, 5, 6, 0, 2, 1 },
            { 11, 77, 6, 0, 2, 1 },   -- unknown curve
            { 6, 0, 3, 2.5, 3, 0 },
        } },
    })"}});
    const AnimationClip* clip = Clip("pose");
    ASSERT_NE(clip, nullptr);
    EXPECT_FLOAT_EQ(clip->m_fPoseLength, 4.0f);
    EXPECT_FLOAT_EQ(clip->m_fLength, 4.0f);
    EXPECT_FLOAT_EQ(clip->m_PoseKeys[2].value, 90.0f * kDegreesToRadians);

    AnimationPlayer player;
    player.Reset(clip);
    struct Step {
        float dt;
        float pose[kPoseChannelCount];
        float change0;
    } steps[] = {
        {0.5f, {2, 0, 90 * kDegreesToRadians, 1, 0, 0.0625f, 0, 0, 0, -4 * 0.4375f, 6 * 0.34375f, 0}, 2},
        {0.5f, {5, 0, 90 * kDegreesToRadians, 2, 0, 0.25f, 0, 0, 0, -3, 3, 0}, 3},
        {1.0f, {9, 0, 90 * kDegreesToRadians, 2, 0, 1, 0, 0, 0, -4, 6, 0}, 4},
        {0.75f, {9, 0, 90 * kDegreesToRadians, 2, 0, 1, 3, 0, 0, -4, 6, 0}, 0},
        {5.0f, {9, 0, 90 * kDegreesToRadians, 2, 0, 1, 3, 0, 0, -4, 6, 0}, 0},
    };
    float elapsed = 0;
    for (const Step& s : steps) {
        player.Advance(s.dt);
        elapsed += s.dt;
        for (int ch = 0; ch < kPoseChannelCount; ++ch)
            EXPECT_NEAR(player.GetPose(ch), s.pose[ch], 1e-5f) << "channel " << ch << " at " << elapsed;
        EXPECT_FLOAT_EQ(player.GetPoseChange(0), s.change0) << elapsed;
    }
    EXPECT_FLOAT_EQ(player.GetPoseTime(), 4.0f);

    // A reset rewinds and starts the change from 0.
    player.Reset(clip);
    EXPECT_FLOAT_EQ(player.GetPoseTime(), 0.0f);
    EXPECT_FLOAT_EQ(player.GetPose(2), 90 * kDegreesToRadians);
    EXPECT_FLOAT_EQ(player.GetPoseChange(2), 90 * kDegreesToRadians);
    EXPECT_FLOAT_EQ(player.GetPose(0), 0.0f);
}

TEST_F(AnimationTest, GridCellsGiveTheirRectangles)
{
    Load({{"anim_grid.lua", R"(animation_table = {
        walk = { sprite_anim = { frame_per_sec = 10, spriteSize = { x = 64, y = 64 },
                 animation = { { 'grid', 2, 5, 2 }, { 'grid', 7, 5, 1 }, { 'tall', 3, 3, 1 } } } },
        half = { sprite_anim = { frame_per_sec = 10, spriteSize = { x = 32, y = 16.9 }, animation = { { 'grid', 9, 9, 1 } } } },
    })"}});
    const AnimationClip* walk = Clip("walk");
    ASSERT_NE(walk, nullptr);
    ASSERT_EQ(walk->m_SpriteFrames.size(), 3u);
    const SpriteFrame& down = walk->m_SpriteFrames[1];
    EXPECT_EQ(down.textureId, HashName("grid"));
    EXPECT_FLOAT_EQ(down.invTextureWidth, 1.0f / 256.0f);
    EXPECT_FLOAT_EQ(down.invTextureHeight, 1.0f / 128.0f);
    EXPECT_FLOAT_EQ(down.cellDuration, 0.1f);
    EXPECT_EQ(down.cellWidth, 64);
    EXPECT_EQ(down.firstCell, 7);
    EXPECT_EQ(down.lastCell, 5);
    EXPECT_EQ(down.cellCount, 3);
    EXPECT_EQ(down.columns, 4);
    EXPECT_EQ(walk->m_SpriteFrames[2].columns, 1);
    // 4 cells of 0.2 s, 3 of 0.1 s, 1 of 0.1 s.
    EXPECT_NEAR(walk->m_fSpriteLength, 1.2f, 1e-6f);
    EXPECT_NEAR(walk->m_fLength, 1.2f, 1e-6f);

    struct Case {
        float time;
        NameId texture;
        float u0, v0;
    } cases[] = {
        {0.0f, HashName("grid"), 0.5f, 0.0f},   // cell 2
        {0.2f, HashName("grid"), 0.5f, 0.0f},   // a cell lasts up to its end
        {0.25f, HashName("grid"), 0.75f, 0.0f}, // cell 3
        {0.5f, HashName("grid"), 0.0f, 0.5f},   // cell 4: next row
        {0.75f, HashName("grid"), 0.25f, 0.5f}, // cell 5
        {0.85f, HashName("grid"), 0.75f, 0.5f}, // counting down: 7
        {0.95f, HashName("grid"), 0.5f, 0.5f},  // 6
        {1.05f, HashName("grid"), 0.25f, 0.5f}, // 5
        {1.15f, HashName("tall"), 0.0f, 0.375f},
    };
    for (const Case& c : cases) {
        AnimationPlayer player;
        player.Reset(walk);
        player.Advance(c.time);
        const AnimationImage& image = player.GetImage();
        EXPECT_EQ(image.textureId, c.texture) << c.time;
        EXPECT_FLOAT_EQ(image.u0, c.u0) << c.time;
        EXPECT_FLOAT_EQ(image.v0, c.v0) << c.time;
        EXPECT_EQ(image.width, 64) << c.time;
        EXPECT_EQ(image.height, 64) << c.time;
        EXPECT_FLOAT_EQ(image.du, c.texture == HashName("grid") ? 0.25f : 1.0f) << c.time;
        EXPECT_FLOAT_EQ(image.dv, c.texture == HashName("grid") ? 0.5f : 0.125f) << c.time;
    }

    // 8 columns of 32 x 16: cell 9 is the second of row 1.
    AnimationPlayer player;
    player.Reset(Clip("half"));
    EXPECT_FLOAT_EQ(player.GetImage().u0, 0.125f);
    EXPECT_FLOAT_EQ(player.GetImage().v0, 0.125f);
    EXPECT_EQ(player.GetImage().height, 16);
}

TEST_F(AnimationTest, TracksClipsAndTheirOrder)
{
    Load({{"anim_c.lua", R"(animation_table = {
        sheet = { flags = 6.9, wrapMode = 1.9, animationSheet = { frame_per_sec = 10, animation = { { 'b', 2 }, { 'a.png', 2 } } },
                  sprite_anim = { spriteSize = { x = 64, y = 64 }, animation = { { 'grid', 0, 1, 1 } } },
                  texcoord = { 'grid', 16, 32, 64, 32 } },
        grid = { sprite_anim = { spriteSize = { x = 64, y = 64 }, animation = { { 'grid', 0, 1, 1 } } },
                 texcoord = { 'grid', 16, 32, 64, 32 } },
        rect = { texcoord = { 'grid', 65535, 32, 64.9, 32 }, pose_anim = { { 8, 0, 3, 0, 0.5, 1 } } },
        lostrect = { texcoord = { 'nosuch', 0, 0, 8, 8 } },
        longpose = { animationSheet = { frame_per_sec = 10, animation = { { 'a', 2 } } }, pose_anim = { { 0, 1, 1, 0.25, 0.75, 0 } } },
        negative = { pose_anim = { { 0, 1, 1, -3, -2, 0 }, { 1, 1, 1, -5, -1, 0 } } },
        emptypose = { pose_anim = {} },
        sparse = { animationSheet = { frame_per_sec = 10, animation = { { 'a', 1 }, { 'b', 1 }, [4] = { 'c', 1 } } } },
        bare = {},
    })"}});
    EXPECT_EQ(table.GetCount(), 9u);

    const AnimationClip* sheet = Clip("sheet");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->m_Name, "sheet");
    EXPECT_EQ(sheet->m_nFlags, 6u);
    EXPECT_EQ(sheet->m_nWrapMode, 1);
    ASSERT_EQ(sheet->m_SheetFrames.size(), 2u);
    EXPECT_EQ(sheet->m_SheetFrames[0].sprite, atlas.Find(HashName("b")));
    EXPECT_EQ(sheet->m_SheetFrames[1].sprite, nullptr); // sprites are found by their name without extension
    EXPECT_FALSE(sheet->HasSprite());   // a sheet leaves the grid unread
    EXPECT_TRUE(sheet->m_bHasTexcoord); // but not the rectangle
    EXPECT_FALSE(sheet->m_bHasPose);
    EXPECT_FLOAT_EQ(sheet->m_fLength, 0.4f);

    const AnimationClip* grid = Clip("grid");
    EXPECT_TRUE(grid->HasSprite());
    EXPECT_FALSE(grid->m_bHasTexcoord);
    EXPECT_FLOAT_EQ(grid->m_fLength, 2.0f / 30.0f);

    // A sheet row with a sprite shows the sprite's size, rectangle and offset.
    AnimationPlayer player;
    player.Reset(sheet);
    EXPECT_EQ(player.GetImage().textureId, HashName("grid"));
    EXPECT_EQ(player.GetImage().width, 32);
    EXPECT_EQ(player.GetImage().height, 64);
    EXPECT_FLOAT_EQ(player.GetImage().du, 0.125f);
    EXPECT_FLOAT_EQ(player.GetImage().offsetX, -16.0f);

    // The rectangle: signed 16-bit pixels over the texture's size, at no offset.
    const AnimationClip* rect = Clip("rect");
    ASSERT_TRUE(rect->m_bHasTexcoord);
    EXPECT_EQ(rect->m_Texcoord.textureWidth, 256);
    EXPECT_FLOAT_EQ(rect->m_Texcoord.u0, -1.0f / 256.0f);
    EXPECT_FLOAT_EQ(rect->m_Texcoord.v0, 0.25f);
    EXPECT_FLOAT_EQ(rect->m_Texcoord.du, 0.25f);
    EXPECT_FLOAT_EQ(rect->m_Texcoord.dv, 0.25f);
    EXPECT_FLOAT_EQ(rect->m_fLength, 0.5f);
    player.Reset(sheet);
    player.Reset(rect);
    EXPECT_EQ(player.GetImage().textureId, HashName("grid"));
    EXPECT_EQ(player.GetImage().width, 256);
    EXPECT_EQ(player.GetImage().height, 128);
    EXPECT_FLOAT_EQ(player.GetImage().offsetX, 0.0f);
    EXPECT_FLOAT_EQ(player.GetImage().offsetY, 0.0f);
    EXPECT_FLOAT_EQ(player.GetPose(8), 3.0f);
    player.Advance(1.0f); // a rectangle has no track time
    EXPECT_FLOAT_EQ(player.GetTrackTime(), 0.0f);
    EXPECT_FLOAT_EQ(player.GetPoseTime(), 0.5f);

    EXPECT_FALSE(Clip("lostrect")->m_bHasTexcoord);
    EXPECT_FLOAT_EQ(Clip("longpose")->m_fLength, 0.75f);
    EXPECT_FLOAT_EQ(Clip("negative")->m_fPoseLength, -1.0f);
    EXPECT_TRUE(Clip("emptypose")->m_bHasPose);
    EXPECT_FLOAT_EQ(Clip("emptypose")->m_fPoseLength, 0.0f);
    EXPECT_EQ(Clip("sparse")->m_SheetFrames.size(), 2u); // items up to the first gap
    EXPECT_FLOAT_EQ(Clip("bare")->m_fLength, 0.0f);

    // Tracks of different lengths run their own times.
    player.Reset(Clip("longpose"));
    player.Advance(0.5f);
    EXPECT_FLOAT_EQ(player.GetTrackTime(), 0.2f);
    EXPECT_FLOAT_EQ(player.GetPoseTime(), 0.5f);

    table.Destroy();
    EXPECT_EQ(table.GetCount(), 0u);
    EXPECT_EQ(Clip("sheet"), nullptr);
}

TEST_F(AnimationTest, PlayersWithoutClipOrStoppedStayStill)
{
    Load({{"anim_d.lua", "animation_table = { c = { animationSheet = { animation = { { 'a', 3 }, { 'b', 3 } } } } }"}});
    AnimationPlayer fresh;
    EXPECT_TRUE(fresh.IsStopped());
    fresh.Advance(1.0f);
    EXPECT_EQ(fresh.GetClip(), nullptr);

    AnimationPlayer player;
    player.Reset(nullptr);
    EXPECT_FALSE(player.IsStopped());
    player.Advance(1.0f);
    EXPECT_FLOAT_EQ(player.GetTrackTime(), 0.0f);
    EXPECT_EQ(player.GetImage().textureId, 0u);

    player.Reset(Clip("c"));
    player.SetStopped(true);
    player.Advance(0.15f);
    EXPECT_FLOAT_EQ(player.GetTrackTime(), 0.0f);
    EXPECT_FLOAT_EQ(player.GetImage().u0, kU_a);
}

TEST_F(AnimationTest, DataEvaluationCannotShowIsDroppedWithAnError)
{
    Load({{"anim_bad.lua", R"(animation_table = {
        empty_sheet = { animationSheet = { animation = {} } },
        no_rows = { animationSheet = { frame_per_sec = 5 } },
        empty_grid = { sprite_anim = { spriteSize = { x = 64, y = 64 }, animation = {} } },
        sheet_falls_to_grid = { animationSheet = { animation = { 7 } },
                                sprite_anim = { spriteSize = { x = 64, y = 64 }, animation = { { 'grid', 1, 1, 1 } } } },
        lost_texture = { sprite_anim = { spriteSize = { x = 64, y = 64 }, animation = { { 'nosuch', 0, 1, 1 }, { 'grid', 3, 3, 1 } } } },
        no_size = { sprite_anim = { animation = { { 'grid', 0, 1, 1 } } }, texcoord = { 'grid', 0, 0, 8, 8 } },
        too_wide_cell = { sprite_anim = { spriteSize = { x = 300, y = 64 }, animation = { { 'grid', 0, 1, 1 } } } },
        negative_cell = { sprite_anim = { spriteSize = { x = -64, y = 64 }, animation = { { 'grid', 0, 1, 1 } } } },
        many_columns = { sprite_anim = { spriteSize = { x = 32, y = 32 }, animation = { { 'wide', 0, 1, 1 } } } },
        columns_128 = { sprite_anim = { spriteSize = { x = 64, y = 64 }, animation = { { 'wider', 0, 1, 1 } } } },
        columns_127 = { sprite_anim = { spriteSize = { x = 64.9, y = 64 }, animation = { { 'wide', 0, 1, 1 } } } },
        blank_texture = { sprite_anim = { spriteSize = { x = 64, y = 64 }, animation = { { 'blank', 0, 1, 1 } } } },
        bad_channels = { pose_anim = { { 12, 0, 1, 0, 1, 0 }, { -1, 0, 1, 0, 1, 0 }, { 65541, 0, 1, 0, 1, 0 }, { 11, 0, 2, 0, 1, 0 }, 'x' } },
        endless = { pose_anim = { { 1, 1, 1/0, 0, 1, 0 }, { 1, 1, 1, 0, 0/0, 0 }, { 1, 1, 1, -1e39, 1, 0 }, { 1, 1, 4, 0, 1, 0 } } },
        instant = { pose_anim = { { 0, 1, 5, 1, 1, 0 }, { 1, 4, 7, 1, 1, 1 }, { 3, 9, 7, 1, 1, 0 } } },
        high_cells = { sprite_anim = { spriteSize = { x = 64, y = 2 }, animation = { { 'tall', 120, 140, 1 }, { 'tall', 0, 3, 1 } } } },
        long_run = { sprite_anim = { spriteSize = { x = 64, y = 2 }, animation = { { 'tall', 0, 127, 1 }, { 'tall', 0, 3, 1 } } } },
        cells_127 = { sprite_anim = { spriteSize = { x = 64, y = 2 }, animation = { { 'tall', 127, 1, 1 } } } },
        below_zero = { sprite_anim = { spriteSize = { x = 64, y = 64 }, animation = { { 'grid', -1, 2, 1 }, { 'grid', 0, 1, 1 } } } },
        negative_rate = { sprite_anim = { frame_per_sec = -10, spriteSize = { x = 64, y = 64 }, animation = { { 'grid', 0, 3, 1 } } } },
        negative_sheet_rate = { animationSheet = { frame_per_sec = -5, animation = { { 'a', 3 } } } },
        [5] = { animationSheet = { animation = { { 'a', 1 } } } },
        not_a_table = 12,
    })"}});

    struct Case {
        const char* clip;
        const char* reason; // in the ERROR line naming file and clip; null: none expected
        bool sheet, sprite;
        size_t units; // rows, runs or keys kept
    } cases[] = {
        {"empty_sheet", "has no \"animation\" rows", false, false, 0},
        {"no_rows", "has no \"animation\" rows", false, false, 0},
        {"empty_grid", "has no \"animation\" rows", false, false, 0},
        {"sheet_falls_to_grid", "row 1 is not a table", false, true, 1},
        {"lost_texture", "names the texture \"nosuch\", which is not in the texture table", false, true, 1},
        {"no_size", "cells 0 wide make 0 columns", false, false, 0},
        {"too_wide_cell", "cells 300 wide make 0 columns", false, false, 0},
        {"negative_cell", "cells -64 wide make 0 columns", false, false, 0},
        {"many_columns", "cells 32 wide make 254 columns", false, false, 0},
        {"columns_128", "cells 64 wide make 128 columns", false, false, 0},
        {"columns_127", nullptr, false, true, 1},
        {"blank_texture", "the texture \"blank\" has no size", false, false, 0},
        {"bad_channels", "keys channel 12, not 0 to 11", false, false, 2},
        {"endless", "not a finite number", false, false, 1},
        {"instant", nullptr, false, false, 3},
        {"high_cells", "run 1 covers cells 120 to 140", false, true, 1},
        {"long_run", "run 1 covers cells 0 to 127", false, true, 1},
        {"cells_127", nullptr, false, true, 1},
        {"below_zero", "run 1 covers cells -1 to 2", false, true, 1},
        {"negative_rate", "\"frame_per_sec\" -10 is not positive", false, true, 1},
        {"negative_sheet_rate", "\"frame_per_sec\" -5 is not positive", true, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clip);
        const AnimationClip* clip = Clip(c.clip);
        ASSERT_NE(clip, nullptr);
        EXPECT_EQ(clip->HasSheet(), c.sheet);
        EXPECT_EQ(clip->HasSprite(), c.sprite);
        const size_t units = c.sheet ? clip->m_SheetFrames.size()
                             : c.sprite ? clip->m_SpriteFrames.size()
                                        : clip->m_PoseKeys.size();
        EXPECT_EQ(units, c.units);
        // Every row kept plays forward for a while.
        for (const SpriteFrame& run : clip->m_SpriteFrames) {
            EXPECT_GT(run.cellCount, 0);
            EXPECT_GT(run.cellDuration, 0.0f);
        }
        EXPECT_GE(clip->m_fLength, 0.0f);
        const std::string prefix = "Animation table assets.v1/scripts/animations/anim_bad, clip \"" + std::string(c.clip) + "\": ";
        if (c.reason) {
            const size_t at = log.find(prefix);
            ASSERT_NE(at, std::string::npos) << log;
            EXPECT_NE(log.find(c.reason, at), std::string::npos) << log;
        } else {
            EXPECT_EQ(log.find(prefix), std::string::npos) << log;
        }
        // Whatever is left plays without a fault or an undefined number.
        AnimationPlayer player;
        player.Reset(clip);
        for (float dt : {0.0f, 0.3f, 0.7f, 1.0f, 2.5f}) {
            player.Advance(dt);
            for (int ch = 0; ch < kPoseChannelCount; ++ch)
                EXPECT_TRUE(std::isfinite(player.GetPose(ch))) << ch;
            EXPECT_TRUE(std::isfinite(player.GetImage().u0) && std::isfinite(player.GetImage().v0));
        }
    }
    EXPECT_NE(log.find("bad_channels\": \"pose_anim\" key 2 keys channel -1"), std::string::npos) << log;
    EXPECT_NE(log.find("bad_channels\": \"pose_anim\" key 5 is not a table"), std::string::npos) << log;
    EXPECT_NE(log.find("clip \"not_a_table\": the clip is a number, not a table"), std::string::npos) << log;
    EXPECT_NE(log.find("a clip is keyed by a number, not a name"), std::string::npos) << log;
    EXPECT_EQ(table.GetCount(), 21u);
    // A rate of 0 or less plays at 30 frames a second.
    EXPECT_FLOAT_EQ(Clip("negative_rate")->m_fLength, 4.0f / 30.0f);
    EXPECT_FLOAT_EQ(Clip("negative_sheet_rate")->m_fLength, 3.0f / 30.0f);
    EXPECT_EQ(Clip("cells_127")->m_SpriteFrames.at(0).cellCount, 127);

    // Channel 65541 is 5 as a signed 16-bit index, and stays.
    EXPECT_EQ(Clip("bad_channels")->m_PoseKeys[0].channel, 5);
    // A dropped sheet lets the grid be read; a grid that has no runs lets the rectangle be read.
    EXPECT_TRUE(Clip("no_size")->m_bHasTexcoord);

    // A key without a span is a step at its start, whatever its curve; past its end it stays.
    const AnimationClip* instant = Clip("instant");
    AnimationPlayer player;
    player.Reset(instant);
    EXPECT_FLOAT_EQ(player.GetPose(0), 0.0f);
    player.Advance(1.0f);
    EXPECT_FLOAT_EQ(player.GetPose(0), 5.0f);
    EXPECT_FLOAT_EQ(player.GetPose(1), 7.0f);
    EXPECT_FLOAT_EQ(player.GetPose(3), 0.0f); // an unknown curve still adds nothing
    player.Reset(instant);
    player.Advance(0.5f);
    player.Advance(0.75f); // clamped at the length 1
    EXPECT_FLOAT_EQ(player.GetPose(0), 5.0f);
    EXPECT_FLOAT_EQ(player.GetPoseChange(0), 5.0f);
}

} // namespace
