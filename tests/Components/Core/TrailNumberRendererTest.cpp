#include <cmath>

#include "Components/Core/SpriteBlurRenderer.h"
#include "Components/Core/SpriteNumberRenderer.h"
#include "RendererFixture.h"
#include "Support/HangGuard.h"
#include "System/Common/FrameCounter.h"
#include "World/IMessage.h"

namespace {

constexpr float kThirtyDegrees = 0.52359878f;
// Binary fractions, so that ages and lifetimes add up exactly.
constexpr float kSixteenth = 0.0625f;

// Appends every part: GCC 12 at -O3 misreads a literal plus a temporary string as an
// overlapping copy.
template <class... Parts>
std::string Cat(const Parts&... parts)
{
    std::string out;
    ((out += parts), ...);
    return out;
}

} // namespace

// Adds ten digit sprites "d0".."d9" on "other", digit d being (2 + d) x 3 pixels.
class TrailNumberRendererTest : public RendererTest {
protected:
    void WriteGameFiles() override
    {
        RendererTest::WriteGameFiles();
        std::string sprites;
        for (int d = 0; d < 10; ++d)
            sprites += Cat(" { name = 'd", std::to_string(d), ".png', sourceRect = { x = 0, y = 0, width = ",
                           std::to_string(2 + d), ", height = 3 }, originalSize = { width = ", std::to_string(2 + d),
                           ", height = 3 }, uvRect = { x = 0, y = ", std::to_string(d), ", width = ",
                           std::to_string(2 + d), ", height = 3 } },");
        Write("assets.v1/scripts/atlases/atlas_digits.lua",
              Cat("spriteSheet = { texture = 'other.tga', textureSize = { width = 16, height = 16 }, sprites = {",
                  sprites, " } }"));
    }
    void TearDown() override
    {
        SetAppDeltaTime(0.0f);
        RendererTest::TearDown();
    }

    // A hero at (100, 200, 5) with a 32 x 16 sprite of "sheet" and a trail child at its place.
    SpriteBlurRenderer* Trail(const std::string& table, bool withSprite = true)
    {
        hero = Object("hero", "{ position = { x = 100, y = 200, z = 5 } }");
        sprite = withSprite ? static_cast<SpriteRenderer*>(Add(
                                  hero, "SpriteRenderer", "{ size = { width = 32, height = 16 }, offset = { x = 3, y = 4 } }"))
                            : nullptr;
        if (sprite) {
            sprite->SetTextureId(HashName("sheet"));
            sprite->SetUVRect(0.25f, 0.5f, 0.25f, 0.5f);
        }
        StartAll(hero);
        GameObj* child = Object("trail", "{}", hero);
        auto* trail = static_cast<SpriteBlurRenderer*>(Add(child, "SpriteBlurRenderer", table));
        EXPECT_NE(trail, nullptr);
        StartAll(child);
        return trail;
    }
    static void Move(GameObj* obj, float x, float y, float z)
    {
        obj->GetTransform()->SetLocalPosition(x, y, z);
        obj->GetTransform()->UpdateWorldMatrices();
    }
    static void Step(SpriteBlurRenderer* trail, float dt)
    {
        SetAppDeltaTime(dt);
        trail->LateUpdate();
    }
    SpriteNumberRenderer* Number(const std::string& transform, const std::string& table)
    {
        GameObj* obj = Object("number", transform);
        auto* number = static_cast<SpriteNumberRenderer*>(Add(obj, "SpriteNumberRenderer", table));
        EXPECT_NE(number, nullptr);
        StartAll(obj);
        return number;
    }
    static std::string DigitNames()
    {
        return "sprite_names = { 'd0', 'd1', 'd2', 'd3', 'd4', 'd5', 'd6', 'd7', 'd8', 'd9' }";
    }

    GameObj* hero = nullptr;
    SpriteRenderer* sprite = nullptr;
};

TEST_F(TrailNumberRendererTest, TrailTakesAtMostOneSnapshotPerFrameAndDropsItAtItsLifetime)
{
    ASSERT_NE(Load("sheet"), nullptr);
    SpriteBlurRenderer* trail =
        Trail(Cat("{ maxBlurs = 4, baseAlpha = 200, intervalTime = ", std::to_string(kSixteenth), " }"));
    EXPECT_FLOAT_EQ(trail->GetLifetime(), 0.25f);
    EXPECT_FLOAT_EQ(trail->GetDepth(), 5.01f);

    // Nothing while spawning is off.
    Step(trail, kSixteenth);
    EXPECT_TRUE(trail->GetSnapshots().empty());

    // One interval a frame: four alive at most, each aged up to the lifetime and no further.
    trail->SetSpawning(true);
    for (int frame = 1; frame <= 12; ++frame) {
        Step(trail, kSixteenth);
        const size_t count = trail->GetSnapshots().size();
        EXPECT_EQ(count, size_t(std::min(frame, 4))) << "frame " << frame;
        for (size_t i = 0; i < count; ++i)
            EXPECT_FLOAT_EQ(trail->GetSnapshots()[i]->age, float(count - i) * kSixteenth) << "frame " << frame;
    }

    // A long frame passes several intervals but takes one snapshot; the timer keeps the rest.
    // The oldest goes; the others and the new one age no further than their lifetime.
    Step(trail, 5.5f * kSixteenth);
    EXPECT_FLOAT_EQ(trail->GetSpawnTimer(), 0.5f * kSixteenth);
    ASSERT_EQ(trail->GetSnapshots().size(), 4u);
    for (const BlurSnapshot* s : trail->GetSnapshots())
        EXPECT_FLOAT_EQ(s->age, 0.25f);

    // Switched off, the snapshots at their lifetime go in the next frame.
    trail->SetSpawning(false);
    Step(trail, kSixteenth);
    EXPECT_TRUE(trail->GetSnapshots().empty());
}

// An interval far below a frame takes one snapshot a frame, like any other, and the frame ends.
TEST_F(TrailNumberRendererTest, TrailWithATinyIntervalTakesOneSnapshotAFrame)
{
    ASSERT_NE(Load("sheet"), nullptr);
    SpriteBlurRenderer* trail = Trail("{ maxBlurs = 4, baseAlpha = 200, intervalTime = 1e-12 }");
    trail->SetSpawning(true);
    HangGuard guard("a trail with an interval of 1e-12 s", 30.0);
    for (int frame = 1; frame <= 4; ++frame) {
        Step(trail, kSixteenth);
        EXPECT_EQ(trail->GetSnapshots().size(), 1u) << "frame " << frame;
        EXPECT_LT(trail->GetSpawnTimer(), 1e-12f) << "frame " << frame;
    }
}

// Newest first, each 0.001 deeper, alpha (1 - age / lifetime) x baseAlpha / 255 with the colour
// over 255 and no brightness; the blend mode applies to the trail alone.
TEST_F(TrailNumberRendererTest, TrailDrawsNewestFirstWithFallingAlpha)
{
    ITexture* sheet = Load("sheet");
    SpriteBlurRenderer* trail = Trail("{ maxBlurs = 4, baseAlpha = 200, blendMode = 2, intervalTime = " +
                                      std::to_string(kSixteenth) +
                                      ", color = { r = 255, g = 0, b = 102, a = 255 }, brightness = 0.5 }");
    trail->SetSpawning(true);
    for (int frame = 0; frame < 3; ++frame) {
        Move(hero, 100.0f + 10.0f * float(frame), 200.0f, 5.0f);
        Step(trail, kSixteenth);
    }
    ASSERT_EQ(trail->GetSnapshots().size(), 3u);
    EXPECT_FALSE(trail->IsCulled());
    g_pSpriteBatch->SetRenderState(0x31);
    trail->Draw();
    EXPECT_EQ(g_pSpriteBatch->GetRenderState(), 0x31u);
    auto call = [](float depth, float x, float alpha) {
        return SpriteCall{.depth = depth, .textured = true, .x = x, .y = 340, .width = 32, .height = 16, .centerX = 3,
                          .centerY = 4, .u0 = 0.25f, .v0 = 0.5f, .du = 0.25f, .dv = 0.5f, .r = 1, .g = 0,
                          .b = 0.4f, .a = alpha * 200.0f / 255.0f, .state = 0x32};
    };
    ExpectQueued({call(5.01f, 120, 0.75f), call(5.011f, 110, 0.5f), call(5.012f, 100, 0.25f)}, sheet, "trail");

    // A snapshot at the end of its lifetime has no alpha left and keeps its place in the steps.
    for (int frame = 0; frame < 2; ++frame)
        Step(trail, kSixteenth);
    ASSERT_EQ(trail->GetSnapshots().size(), 4u);
    ASSERT_FLOAT_EQ(trail->GetSnapshots()[0]->age, 0.25f);
    trail->Draw();
    EXPECT_EQ(Drain(*g_pSpriteBatch).size(), 3u);

    // Alpha byte 0 draws nothing.
    trail->SetColor(0x00FFFFFFu);
    trail->Draw();
    EXPECT_EQ(g_pSpriteBatch->GetQueuedSpriteCount(), 0u);
}

TEST_F(TrailNumberRendererTest, SnapshotsCopyTheSpriteAfterItsFlips)
{
    ASSERT_NE(Load("sheet"), nullptr);
    struct Case {
        bool flipH, flipV;
        float offsetX, offsetY, u0, v0, du, dv;
    };
    const Case cases[] = {
        {false, false, 3, 4, 0.25f, 0.5f, 0.25f, 0.5f},
        {true, false, -3, 4, 0.5f, 0.5f, -0.25f, 0.5f},
        {false, true, 3, -4, 0.25f, 1.0f, 0.25f, -0.5f},
        {true, true, -3, -4, 0.5f, 1.0f, -0.25f, -0.5f},
    };
    for (const Case& c : cases) {
        SpriteBlurRenderer* trail = Trail("{ maxBlurs = 4, baseAlpha = 255, intervalTime = 0.1 }");
        // The trail's own transform gives the place, scale and angle; pivot flags are not applied.
        trail->GetOwner()->GetTransform()->SetLocalPosition(7, -5, 1);
        trail->GetOwner()->GetTransform()->SetLocalScale(2, 3);
        trail->GetOwner()->GetTransform()->SetRotation(kThirtyDegrees, true);
        sprite->SetFlip(c.flipH, c.flipV);
        BlurSnapshot s;
        ASSERT_TRUE(trail->TakeSnapshot(s));
        EXPECT_FLOAT_EQ(s.x, 107);
        EXPECT_FLOAT_EQ(s.y, 195);
        EXPECT_FLOAT_EQ(s.width, 32);
        EXPECT_FLOAT_EQ(s.height, 16);
        EXPECT_FLOAT_EQ(s.scaleX, 2);
        EXPECT_FLOAT_EQ(s.scaleY, 3);
        EXPECT_NEAR(s.angle, kThirtyDegrees, 1e-5f);
        EXPECT_FLOAT_EQ(s.offsetX, c.offsetX);
        EXPECT_FLOAT_EQ(s.offsetY, c.offsetY);
        EXPECT_FLOAT_EQ(s.u0, c.u0);
        EXPECT_FLOAT_EQ(s.v0, c.v0);
        EXPECT_FLOAT_EQ(s.du, c.du);
        EXPECT_FLOAT_EQ(s.dv, c.dv);
        EXPECT_FLOAT_EQ(s.lifetime, 0.4f);
        EXPECT_EQ(s.textureId, HashName("sheet"));
    }
}

// A trail that cannot take a snapshot records nothing, draws nothing and is culled; an interval
// of 0 returns at once instead of subtracting nothing forever.
TEST_F(TrailNumberRendererTest, TrailsWithoutASnapshotToTakeStayEmpty)
{
    ASSERT_NE(Load("sheet"), nullptr);
    struct Case {
        const char* what;
        std::function<SpriteBlurRenderer*()> make;
    };
    const std::vector<Case> cases = {
        {"interval 0", [&] { return Trail("{ maxBlurs = 4, baseAlpha = 255, intervalTime = 0 }"); }},
        {"negative interval", [&] { return Trail("{ maxBlurs = 4, baseAlpha = 255, intervalTime = -1 }"); }},
        {"a parent without a sprite",
         [&] { return Trail("{ maxBlurs = 4, baseAlpha = 255, intervalTime = 0.0625 }", false); }},
        {"no parent",
         [&] {
             GameObj* alone = Object("alone", "{}");
             auto* t = static_cast<SpriteBlurRenderer*>(
                 Add(alone, "SpriteBlurRenderer", "{ maxBlurs = 4, baseAlpha = 255, intervalTime = 0.0625 }"));
             StartAll(alone);
             return t;
         }},
        {"a sprite whose texture is not loaded",
         [&] {
             SpriteBlurRenderer* t = Trail("{ maxBlurs = 4, baseAlpha = 255, intervalTime = 0.0625 }");
             sprite->SetTextureId(HashName("other"));
             return t;
         }},
    };
    for (const Case& c : cases) {
        SpriteBlurRenderer* trail = c.make();
        ASSERT_NE(trail, nullptr) << c.what;
        trail->SetSpawning(true);
        for (int frame = 0; frame < 4; ++frame)
            Step(trail, kSixteenth);
        EXPECT_TRUE(trail->GetSnapshots().empty()) << c.what;
        EXPECT_LT(trail->GetSpawnTimer(), kSixteenth) << c.what;
        EXPECT_TRUE(trail->IsCulled()) << c.what;
        trail->Draw();
        EXPECT_EQ(g_pSpriteBatch->GetQueuedSpriteCount(), 0u) << c.what;
    }
}

// Snapshots name their texture and find it as they are drawn: when the sprite switches image
// and the table lets the old one go, the snapshots of the old image are skipped (never drawn
// from the deleted texture), and drawn again once that image is back, with its new texture.
TEST_F(TrailNumberRendererTest, TrailDrawsSnapshotsOfAnImageOnlyWhileItIsLoaded)
{
    ASSERT_NE(Load("sheet"), nullptr);
    SpriteBlurRenderer* trail = Trail("{ maxBlurs = 8, baseAlpha = 255, intervalTime = 0.0625 }");
    trail->SetSpawning(true);
    Step(trail, kSixteenth);
    Step(trail, kSixteenth);
    ASSERT_EQ(trail->GetSnapshots().size(), 2u);

    // The sprite takes another image; the scene's texture step drops the first.
    sprite->SetTextureId(HashName("other"));
    ITexture* other = Load("other");
    ASSERT_NE(other, nullptr);
    TextureTable::RemoveUse(Entry("sheet"));
    textures.Update();
    ASSERT_EQ(Entry("sheet")->texture, nullptr);
    Step(trail, kSixteenth);
    ASSERT_EQ(trail->GetSnapshots().size(), 3u);
    trail->Draw();
    std::vector<QueuedSprite> queued = Drain(*g_pSpriteBatch);
    ASSERT_EQ(queued.size(), 1u) << "only the snapshot of the loaded image";
    EXPECT_EQ(queued[0].texture, other);

    ITexture* sheet = Load("sheet");
    ASSERT_NE(sheet, nullptr);
    trail->Draw();
    queued = Drain(*g_pSpriteBatch);
    ASSERT_EQ(queued.size(), 3u);
    size_t onSheet = 0;
    for (const QueuedSprite& q : queued)
        onSheet += q.texture == sheet;
    EXPECT_EQ(onSheet, 2u);
}

TEST_F(TrailNumberRendererTest, TrailIsCulledWhenNoSnapshotMeetsTheView)
{
    ASSERT_NE(Load("sheet"), nullptr);
    struct Case {
        float x, y;
        bool culled;
    };
    // A 32 x 16 snapshot meets the 960 x 540 view until its centre is 16 (8) beyond an edge.
    const Case cases[] = {{-16, 270, false}, {-17, 270, true}, {976, 270, false}, {977, 270, true},
                          {480, 548, false}, {480, 549, true}};
    for (const Case& c : cases) {
        SpriteBlurRenderer* trail = Trail("{ maxBlurs = 4, baseAlpha = 255, intervalTime = 0.0625 }");
        Move(hero, c.x, c.y, 5.0f);
        trail->SetSpawning(true);
        Step(trail, kSixteenth);
        ASSERT_EQ(trail->GetSnapshots().size(), 1u);
        EXPECT_EQ(trail->IsCulled(), c.culled) << c.x << ", " << c.y;
    }
}

TEST_F(TrailNumberRendererTest, NumberDigits)
{
    struct Case {
        int32_t maxDigit;
        bool hiddenZero;
        int32_t number;
        std::vector<uint8_t> digits;
    };
    const Case cases[] = {
        {3, false, 7, {0, 0, 7}},
        {3, true, 7, {7}},
        {3, true, 0, {0}},
        {3, false, 0, {0, 0, 0}},
        {3, false, 1234, {2, 3, 4}},
        {3, true, 1234, {2, 3, 4}},
        {4, true, 1050, {1, 0, 5, 0}},
        {4, true, 50, {5, 0}},
        {3, false, -5, {0, 0, 0}},
        {3, true, -5, {0}},
        {0, false, 5, {}},
        {10, false, 2147483647, {2, 1, 4, 7, 4, 8, 3, 6, 4, 7}},
        {12, true, 42, {4, 2}},
        {12, false, 42, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 2}},
        {100, false, 42, {}}, // refused with an error
    };
    for (const Case& c : cases) {
        const std::string keys =
            Cat("max_digit = ", std::to_string(c.maxDigit), ", hidden_zero = ", c.hiddenZero ? "true" : "false");
        // The first number, as Load sets it; a 0 here is built as well.
        SpriteNumberRenderer* loaded = Number("{}", Cat("{ ", keys, ", number = ", std::to_string(c.number), " }"));
        EXPECT_EQ(loaded->GetDigits(), c.digits) << keys << " number " << c.number << " loaded";
        // A later number, set over another.
        SpriteNumberRenderer* set = Number("{}", Cat("{ ", keys, ", number = 1 }"));
        set->SetNumber(c.number);
        EXPECT_EQ(set->GetNumber(), c.number);
        EXPECT_EQ(set->GetDigits(), c.digits) << keys << " number " << c.number << " set";
        set->SetNumber(c.number);
        EXPECT_EQ(set->GetDigits(), c.digits) << keys << " number " << c.number << " set twice";
    }
}

// Digit k at start + k steps with scale left + k (right - left) / max_digit, the start moved
// back by half the steps (centre) or all of them (right).
TEST_F(TrailNumberRendererTest, NumberPlacesScalesAndColoursEachDigit)
{
    ITexture* other = Load("other");
    struct Case {
        const char* what;
        const char* transform;
        std::string table;
        float startX, startY;
        float scale; // world scale
    };
    const std::string common = Cat(DigitNames(), ", max_digit = 4, number = 1234, scale = { left = 1, right = 2 },"
                                                  " padding = { x = 10, y = -2 }, color = { r = 255, g = 102, b = 0,"
                                                  " a = 204 }, brightness = 0.5");
    const std::vector<Case> cases = {
        {"left", "{ position = { x = 100, y = 200, z = 5 }, rotation = 30 }", Cat("{ alignment = 0, ", common, " }"), 100,
         340, 1},
        {"centre by default", "{ position = { x = 100, y = 200, z = 5 }, rotation = 30 }", Cat("{ ", common, " }"), 85,
         343, 1},
        {"right", "{ position = { x = 100, y = 200, z = 5 }, rotation = 30 }", Cat("{ alignment = 2, ", common, " }"), 70,
         346, 1},
        {"world scale", "{ position = { x = 100, y = 200, z = 5 }, rotation = 30, scaling = { x = 2, y = 2 } }",
         Cat("{ alignment = 0, ", common, " }"), 100, 340, 2},
    };
    for (const Case& c : cases) {
        SpriteNumberRenderer* number = Number(c.transform, c.table);
        number->SetAlphaFactor(0.5f);
        number->Draw();
        std::vector<SpriteCall> expect;
        for (int k = 0; k < 4; ++k) {
            const int digit = k + 1;
            const AtlasEntry* e = atlas.Find(HashName(Cat("d", std::to_string(digit)).c_str()));
            ASSERT_NE(e, nullptr);
            const float sk = 1.0f + 0.25f * float(k);
            // The world angle as it is: -30 degrees for "rotation = 30".
            expect.push_back({.depth = 5, .textured = true, .x = c.startX + 10.0f * float(k),
                              .y = c.startY - 2.0f * float(k), .width = float(2 + digit), .height = 3,
                              .scaleX = c.scale * sk, .scaleY = c.scale * sk, .angle = -kThirtyDegrees, .u0 = e->u0,
                              .v0 = e->v0, .du = e->du, .dv = e->dv, .r = 0.5f, .g = 0.2f, .b = 0, .a = 0.4f});
        }
        ExpectQueued(expect, other, c.what);
    }
}

TEST_F(TrailNumberRendererTest, NumberSkipsWhatItCannotDraw)
{
    Load("other");
    // Digit 8's sprite is missing: it draws nothing and the next digit keeps its place.
    SpriteNumberRenderer* gap = Number("{ position = { x = 100, y = 200 } }",
                                       "{ alignment = 0, max_digit = 3, number = 181, padding = { x = 10, y = 0 },"
                                       " sprite_names = { 'd0', 'd1', 'd2', 'd3', 'd4', 'd5', 'd6', 'd7', 'nope', 'd9' } }");
    gap->Draw();
    std::vector<QueuedSprite> queued = Drain(*g_pSpriteBatch);
    ASSERT_EQ(queued.size(), 2u);
    EXPECT_FLOAT_EQ(queued[1].record.matrix[0][3] - queued[0].record.matrix[0][3], 20.0f);

    // Names past the tenth are ignored.
    SpriteNumberRenderer* many = Number(
        "{}", "{ max_digit = 2, number = 90, sprite_names = { 'd0', 'd1', 'd2', 'd3', 'd4', 'd5', 'd6', 'd7', 'd8',"
              " 'd9', 'left', 'right' } }");
    EXPECT_EQ(many->GetDigitSprite(9), HashName("d9"));
    many->Draw();
    EXPECT_EQ(Drain(*g_pSpriteBatch).size(), 2u);

    // Without a camera, or with alpha byte 0, nothing at all.
    SpriteNumberRenderer* lost =
        Number("{}", Cat("{ renderingCamera = 'Nowhere', max_digit = 2, number = 12, ", DigitNames(), " }"));
    lost->Draw();
    SpriteNumberRenderer* clear =
        Number("{}", Cat("{ color = { r = 1, g = 1, b = 1, a = 0 }, max_digit = 2, number = 12, ", DigitNames(), " }"));
    clear->Draw();
    EXPECT_EQ(g_pSpriteBatch->GetQueuedSpriteCount(), 0u);
    MsgSetCamera message(nullptr, int32_t(GameCameraTag()));
    lost->OnMessage(&message);
    EXPECT_EQ(lost->GetCamera(), camera);
    lost->Draw();
    EXPECT_EQ(Drain(*g_pSpriteBatch).size(), 2u);
}
