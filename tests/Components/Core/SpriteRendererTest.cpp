#include <functional>

#include "Components/Core/Camera2D.h"
#include "Components/Core/SpriteRenderer.h"
#include "RendererFixture.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Random.h"
#include "World/IMessage.h"

namespace {

constexpr float kThirtyDegrees = 0.52359878f;

struct SpriteCase {
    const char* what;
    const char* transform;
    const char* sprite;
    std::function<void(SpriteRenderer*)> tweak; // may be null
    std::vector<SpriteCall> expect;
};

} // namespace

// The game camera sits at (480, 270) with a 960 x 540 view: world (x, y) lands on screen
// (x + 0.5, 540 - y + 0.5), each truncated toward zero.
TEST_F(RendererTest, SpriteRendererQueuesOneRecordPerDraw)
{
    ITexture* sheet = Load("sheet");
    ASSERT_NE(sheet, nullptr);
    const NameId sheetId = HashName("sheet");
    const std::vector<SpriteCase> cases = {
        {"plain", "{ position = { x = 100, y = 200, z = 5 } }", "{ size = { width = 32, height = 16 } }", nullptr,
         {{.depth = 5, .x = 100, .y = 340, .width = 32, .height = 16}}},
        {"half pixel up, then toward zero", "{ position = { x = -10.7, y = 200.4, z = 5 } }",
         "{ size = { width = 8, height = 8 } }", nullptr, {{.depth = 5, .x = -10, .y = 340, .width = 8, .height = 8}}},
        {"a half pixel rounds up", "{ position = { x = 100.5, y = 199.5, z = 5 } }",
         "{ size = { width = 8, height = 8 } }", nullptr, {{.depth = 5, .x = 101, .y = 341, .width = 8, .height = 8}}},
        {"pivot 2 and 1", "{ position = { x = 100, y = 200, z = 5 } }",
         "{ size = { width = 40, height = 20 }, offset = { x = 3, y = 4 }, pivot = 3 }", nullptr,
         {{.depth = 5, .x = 100, .y = 340, .width = 40, .height = 20, .centerX = 23, .centerY = 14}}},
        {"pivot 4 and 8", "{ position = { x = 100, y = 200, z = 5 } }",
         "{ size = { width = 40, height = 20 }, offset = { x = 3, y = 4 }, pivot = 12 }", nullptr,
         {{.depth = 5, .x = 100, .y = 340, .width = 40, .height = 20, .centerX = -17, .centerY = -6}}},
        {"pivot 2 and 4 cancel", "{ position = { x = 100, y = 200, z = 5 } }",
         "{ size = { width = 40, height = 20 }, offset = { x = 3, y = 4 }, pivot = 6 }", nullptr,
         {{.depth = 5, .x = 100, .y = 340, .width = 40, .height = 20, .centerX = 3, .centerY = 4}}},
        {"pivot shifts by the base size, not the size", "{ position = { x = 100, y = 200, z = 5 } }",
         "{ size = { width = 40, height = 20 }, pivot = 2 }", [](SpriteRenderer* s) { s->SetSize(10, 10); },
         {{.depth = 5, .x = 100, .y = 340, .width = 10, .height = 10, .centerX = 20}}},
        {"flipH mirrors offset and U", "{ position = { x = 100, y = 200, z = 5 } }",
         "{ size = { width = 40, height = 20 }, offset = { x = 3, y = 4 }, flipH = true }",
         [sheetId](SpriteRenderer* s) {
             s->SetTextureId(sheetId);
             s->SetUVRect(0.25f, 0.5f, 0.25f, 0.5f);
         },
         {{.depth = 5, .textured = true, .x = 100, .y = 340, .width = 40, .height = 20, .centerX = -3, .centerY = 4,
           .u0 = 0.5f, .v0 = 0.5f, .du = -0.25f, .dv = 0.5f}}},
        {"flipV mirrors offset and V before the pivot flags", "{ position = { x = 100, y = 200, z = 5 } }",
         "{ size = { width = 40, height = 20 }, offset = { x = 3, y = 4 }, flipV = true, pivot = 2 }",
         [sheetId](SpriteRenderer* s) {
             s->SetTextureId(sheetId);
             s->SetUVRect(0.25f, 0.5f, 0.25f, 0.5f);
         },
         {{.depth = 5, .textured = true, .x = 100, .y = 340, .width = 40, .height = 20, .centerX = 23, .centerY = -4,
           .u0 = 0.25f, .v0 = 1.0f, .du = 0.25f, .dv = -0.5f}}},
        {"colour times brightness, alpha times the factor", "{ position = { x = 100, y = 200, z = 5 } }",
         "{ size = { width = 8, height = 8 }, color = { r = 255, g = 102, b = 0, a = 204 }, brightness = 0.5 }",
         [](SpriteRenderer* s) { s->SetAlphaFactor(0.5f); },
         {{.depth = 5, .x = 100, .y = 340, .width = 8, .height = 8, .r = 0.5f, .g = 0.2f, .b = 0.0f, .a = 0.4f}}},
        {"alpha byte 0 draws nothing", "{ position = { x = 100, y = 200, z = 5 } }",
         "{ size = { width = 8, height = 8 }, color = { r = 255, g = 255, b = 255, a = 0 } }", nullptr, {}},
        {"a texture the table lacks draws untextured", "{ position = { x = 100, y = 200, z = 5 } }",
         "{ size = { width = 8, height = 8 } }",
         [](SpriteRenderer* s) {
             s->SetTextureId(HashName("no_such_texture"));
             s->SetUVRect(0.25f, 0.5f, 0.25f, 0.5f);
         },
         {{.depth = 5, .x = 100, .y = 340, .width = 8, .height = 8, .u0 = 0.25f, .v0 = 0.5f, .du = 0.25f,
           .dv = 0.5f}}},
        {"no camera draws nothing", "{ position = { x = 100, y = 200, z = 5 } }",
         "{ size = { width = 8, height = 8 }, renderingCamera = 'NoSuchCamera' }", nullptr, {}},
        {"the world angle is passed negated", "{ position = { x = 100, y = 200, z = 5 }, rotation = 30 }",
         "{ size = { width = 8, height = 8 } }", nullptr,
         {{.depth = 5, .x = 100, .y = 340, .width = 8, .height = 8, .angle = kThirtyDegrees}}},
        {"world scale", "{ position = { x = 100, y = 200, z = 5 }, scaling = { x = 2, y = 3 } }",
         "{ size = { width = 8, height = 8 } }", nullptr,
         {{.depth = 5, .x = 100, .y = 340, .width = 8, .height = 8, .scaleX = 2, .scaleY = 3}}},
        {"blend mode and wrap bits", "{ position = { x = 100, y = 200, z = 5 } }",
         "{ size = { width = 8, height = 8 }, blendMode = 2, addressU = 1, addressV = 1 }", nullptr,
         {{.depth = 5, .x = 100, .y = 340, .width = 8, .height = 8, .state = 0x32}}},
    };
    for (const SpriteCase& c : cases) {
        GameObj* obj = Object(c.what, c.transform);
        auto* sprite = static_cast<SpriteRenderer*>(Add(obj, "SpriteRenderer", c.sprite));
        ASSERT_NE(sprite, nullptr) << c.what;
        StartAll(obj);
        if (c.tweak)
            c.tweak(sprite);
        g_pSpriteBatch->SetRenderState(eBlendMode_Alpha);
        sprite->Draw();
        ExpectQueued(c.expect, sheet, c.what);
        EXPECT_EQ(g_pSpriteBatch->GetRenderState(), uint32_t(eBlendMode_Alpha)) << c.what;
    }
}

TEST_F(RendererTest, SpriteRendererRestoresOnlyItsOwnRenderStateBits)
{
    GameObj* obj = Object("sprite", "{ position = { x = 100, y = 200, z = 5 } }");
    auto* sprite = static_cast<SpriteRenderer*>(
        Add(obj, "SpriteRenderer", "{ size = { width = 8, height = 8 }, blendMode = 4, addressU = 1, addressV = 0 }"));
    StartAll(obj);
    // Bit 6 is no renderer's: it is carried into the sprite's word and left as it was.
    g_pSpriteBatch->SetRenderState(0x61);
    sprite->Draw();
    EXPECT_EQ(g_pSpriteBatch->GetRenderState(), 0x61u);
    ExpectQueued({{.depth = 5, .x = 100, .y = 340, .width = 8, .height = 8, .state = 0x54}}, nullptr, "state");
}

TEST_F(RendererTest, CameraMappingFollowsTheOtherCameraAndTheShake)
{
    Camera2D* ui = MakeCamera("UICamera", 0.0f, 0.0f);
    GameObj* obj = Object("sprite", "{ position = { x = 0, y = 0, z = 5 } }");
    auto* sprite = static_cast<SpriteRenderer*>(
        Add(obj, "SpriteRenderer", "{ size = { width = 8, height = 8 }, renderingCamera = 'UICamera' }"));
    StartAll(obj);
    EXPECT_EQ(sprite->GetCamera(), ui);
    sprite->Draw();
    ExpectQueued({{.depth = 5, .x = 480, .y = 270, .width = 8, .height = 8}}, nullptr, "UICamera");

    // A shake moves the view's edges: the sprite moves with them on screen.
    SfmtInit(5);
    ui->Shake(40.0f, 40.0f, 1.0f, 2.0f);
    SetAppDeltaTime(0.1f);
    ui->LateUpdate();
    SetAppDeltaTime(0.0f);
    const float shakeX = ui->GetShakeX(), shakeY = ui->GetShakeY();
    ASSERT_NE(shakeX, 0.0f);
    ASSERT_NE(shakeY, 0.0f);
    sprite->Draw();
    ExpectQueued({{.depth = 5, .x = std::trunc(480.0f - shakeX + 0.5f), .y = std::trunc(270.0f + shakeY + 0.5f),
                   .width = 8, .height = 8}},
                 nullptr, "shaken");

    // "MsgSetCamera" binds another camera by tag.
    MsgSetCamera message(obj, int32_t(GameCameraTag()));
    sprite->OnMessage(&message);
    EXPECT_EQ(sprite->GetCamera(), camera);
}

TEST_F(RendererTest, CullTestUsesTheViewAndTheSize)
{
    struct Case {
        float x, y, width, height;
        bool culled;
    };
    // The view spans 0..960 x 0..540; a box is out when its centre is further from the camera
    // than half the view plus half its size.
    const Case cases[] = {
        {480, 270, 10, 10, false}, {-4, 270, 10, 10, false}, {-6, 270, 10, 10, true},
        {966, 270, 10, 10, true},  {480, 545, 10, 10, false}, {480, 546, 10, 10, true},
        {480, -5, 10, 10, false},  {-100, 270, 200, 10, false},
    };
    for (const Case& c : cases) {
        GameObj* obj = Object("sprite", Position(c.x, c.y));
        auto* sprite = static_cast<SpriteRenderer*>(Add(obj, "SpriteRenderer", "{}"));
        sprite->SetSize(c.width, c.height);
        StartAll(obj);
        EXPECT_EQ(sprite->IsCulled(), c.culled) << c.x << ", " << c.y;
    }
    // Without a camera there is nothing to be in view of.
    GameObj* lost = Object("lost", "{}");
    auto* sprite = static_cast<SpriteRenderer*>(Add(lost, "SpriteRenderer", "{ renderingCamera = 'Nowhere' }"));
    StartAll(lost);
    EXPECT_TRUE(sprite->IsCulled());
}

TEST_F(RendererTest, SlicedSpriteDrawsNineCells)
{
    ITexture* sheet = Load("sheet");
    const NameId sheetId = HashName("sheet");
    struct Case {
        const char* what;
        const char* transform;
        const char* sliced;
        float drawWidth, drawHeight;
        bool textured;
        std::vector<SpriteCall> expect;
    };
    // 64 x 64 texels, whole texture as the source. Cells tile the draw rectangle from its top
    // left, row by row.
    auto cell = [](float x, float y, float w, float h, float u0, float v0, float du, float dv) {
        return SpriteCall{.depth = 5, .textured = true, .x = x, .y = y, .width = w, .height = h, .u0 = u0,
                          .v0 = v0, .du = du, .dv = dv};
    };
    const std::vector<Case> cases = {
        {"borders keep their size, the middle stretches", "{ position = { x = 480, y = 270, z = 5 } }",
         "{ size = { width = 64, height = 64 }, border = { left = 16, right = 16, top = 8, bottom = 24 } }", 128, 96,
         true,
         {cell(424, 226, 16, 8, 0, 0, 0.25f, 0.125f), cell(480, 226, 96, 8, 0.25f, 0, 0.5f, 0.125f),
          cell(536, 226, 16, 8, 0.75f, 0, 0.25f, 0.125f), cell(424, 262, 16, 64, 0, 0.125f, 0.25f, 0.5f),
          cell(480, 262, 96, 64, 0.25f, 0.125f, 0.5f, 0.5f), cell(536, 262, 16, 64, 0.75f, 0.125f, 0.25f, 0.5f),
          cell(424, 306, 16, 24, 0, 0.625f, 0.25f, 0.375f), cell(480, 306, 96, 24, 0.25f, 0.625f, 0.5f, 0.375f),
          cell(536, 306, 16, 24, 0.75f, 0.625f, 0.25f, 0.375f)}},
        // 20 < 16 + 16: both shrink by 20 / 32 to 10; the middle column is 0 wide on screen and
        // its texels are what the shrunk borders leave.
        {"borders wider than the draw size shrink, the middle is 0", "{ position = { x = 480, y = 270, z = 5 } }",
         "{ size = { width = 64, height = 64 }, border = { left = 16, right = 16, top = 0, bottom = 0 } }", 20, 64,
         true,
         {cell(475, 238, 10, 0, 0, 0, 10 / 64.0f, 0), cell(480, 238, 0, 0, 10 / 64.0f, 0, 44 / 64.0f, 0),
          cell(485, 238, 10, 0, 54 / 64.0f, 0, 10 / 64.0f, 0), cell(475, 270, 10, 64, 0, 0, 10 / 64.0f, 1),
          cell(480, 270, 0, 64, 10 / 64.0f, 0, 44 / 64.0f, 1), cell(485, 270, 10, 64, 54 / 64.0f, 0, 10 / 64.0f, 1),
          cell(475, 302, 10, 0, 0, 1, 10 / 64.0f, 0), cell(480, 302, 0, 0, 10 / 64.0f, 1, 44 / 64.0f, 0),
          cell(485, 302, 10, 0, 54 / 64.0f, 1, 10 / 64.0f, 0)}},
        {"no texture draws nothing", "{ position = { x = 480, y = 270, z = 5 } }",
         "{ size = { width = 64, height = 64 }, border = { left = 16, right = 16, top = 8, bottom = 8 } }", 128, 96,
         false, {}},
        {"without border every cell but the middle is empty", "{ position = { x = 480, y = 270, z = 5 } }",
         "{ size = { width = 64, height = 64 } }", 32, 32, true,
         {cell(464, 254, 0, 0, 0, 0, 0, 0), cell(480, 254, 32, 0, 0, 0, 1, 0), cell(496, 254, 0, 0, 1, 0, 0, 0),
          cell(464, 270, 0, 32, 0, 0, 0, 1), cell(480, 270, 32, 32, 0, 0, 1, 1), cell(496, 270, 0, 32, 1, 0, 0, 1),
          cell(464, 286, 0, 0, 0, 1, 0, 0), cell(480, 286, 32, 0, 0, 1, 1, 0), cell(496, 286, 0, 0, 1, 1, 0, 0)}},
    };
    for (const Case& c : cases) {
        GameObj* obj = Object(c.what, c.transform);
        auto* sliced = static_cast<SlicedSpriteRenderer*>(Add(obj, "SlicedSpriteRenderer", c.sliced));
        ASSERT_NE(sliced, nullptr) << c.what;
        StartAll(obj);
        EXPECT_EQ(sliced->GetDrawWidth(), 64.0f) << c.what; // the size, until changed
        sliced->SetDrawSize(c.drawWidth, c.drawHeight);
        if (c.textured)
            sliced->SetTextureId(sheetId);
        sliced->SetUVRect(0, 0, 1, 1);
        sliced->Draw();
        ExpectQueued(c.expect, sheet, c.what);
        EXPECT_EQ(g_pSpriteBatch->GetRenderState(), uint32_t(eBlendMode_Alpha)) << c.what;
    }
}

// As the sliced sprite has them: its angle goes out as it is, and a flip moves only the offset
// and the UV origin, the cells keep their order and positive UV sizes.
TEST_F(RendererTest, SlicedSpriteAngleAndFlipsAsTheyStand)
{
    ITexture* sheet = Load("sheet");
    GameObj* obj = Object("sliced", "{ position = { x = 480, y = 270, z = 5 }, rotation = 30 }");
    auto* sliced = static_cast<SlicedSpriteRenderer*>(Add(
        obj, "SlicedSpriteRenderer",
        "{ size = { width = 64, height = 64 }, offset = { x = 5, y = 0 }, flipH = true, pivot = 2,"
        " border = { left = 16, right = 16, top = 16, bottom = 16 } }"));
    StartAll(obj);
    sliced->SetDrawSize(32, 32);
    sliced->SetTextureId(HashName("sheet"));
    sliced->SetUVRect(0, 0, 0.5f, 1);
    sliced->Draw();
    std::vector<SpriteCall> expect;
    // Pivot flag 2 shifts by half the draw width: -5 + 16.
    const float xs[3] = {472, 480, 488}, ys[3] = {262, 270, 278};
    const float ws[3] = {16, 0, 16}, hs[3] = {16, 0, 16};
    const float us[3] = {0.5f, 0.75f, 1.25f}, dus[3] = {0.25f, 0.5f, 0.25f};
    const float vs[3] = {0, 0.25f, 0.75f}, dvs[3] = {0.25f, 0.5f, 0.25f};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            expect.push_back({.depth = 5, .textured = true, .x = xs[col], .y = ys[row], .width = ws[col],
                              .height = hs[row], .centerX = 11, .angle = -kThirtyDegrees, .u0 = us[col],
                              .v0 = vs[row], .du = dus[col], .dv = dvs[row]});
    ExpectQueued(expect, sheet, "sliced, turned and flipped");
}

TEST_F(RendererTest, SlideBarDrawsUndercoatAndLeftAlignedFill)
{
    struct Case {
        const char* what;
        const char* bar;
        float ratio;
        std::vector<SpriteCall> expect;
    };
    // Parent at (300, 200); the bar's own place (10, 20, 3) is added: screen (310, 320).
    const float under = 3.0f - 9.999999974752427e-7f;
    const std::vector<Case> cases = {
        {"quarter full", "{ size = { width = 100, height = 10 }, color = { r = 255, g = 0, b = 0, a = 255 },"
                         " undercoatCol = { r = 0, g = 0, b = 255, a = 128 } }",
         0.25f,
         {{.depth = under, .x = 310, .y = 320, .width = 100, .height = 10, .r = 0, .g = 0, .b = 1, .a = 128 / 255.0f},
          {.depth = 3, .x = 310, .y = 320, .width = 25, .height = 10, .centerX = -37.5f, .r = 1, .g = 0, .b = 0}}},
        {"ratio 0 draws only the undercoat", "{ size = { width = 100, height = 10 } }", 0.0f,
         {{.depth = under, .x = 310, .y = 320, .width = 100, .height = 10}}},
        {"an invisible undercoat is skipped",
         "{ size = { width = 100, height = 10 }, undercoatCol = { r = 0, g = 0, b = 0, a = 0 } }", 1.0f,
         {{.depth = 3, .x = 310, .y = 320, .width = 100, .height = 10}}},
        {"brightness and alpha factor do not apply",
         "{ size = { width = 100, height = 10 }, brightness = 0.5, undercoatCol = { r = 0, g = 0, b = 0, a = 0 } }",
         1.0f, {{.depth = 3, .x = 310, .y = 320, .width = 100, .height = 10}}},
    };
    for (const Case& c : cases) {
        GameObj* parent = Object("gauge", "{ position = { x = 300, y = 200 } }");
        GameObj* obj = Object("bar", "{ position = { x = 10, y = 20, z = 3 } }", parent);
        auto* bar = static_cast<SlideBarRenderer*>(Add(obj, "SlideBarRenderer", c.bar));
        ASSERT_NE(bar, nullptr) << c.what;
        StartAll(obj);
        bar->SetAlphaFactor(0.5f);
        bar->SetFillRatio(c.ratio);
        g_pSpriteBatch->SetRenderState(0x12);
        bar->Draw();
        EXPECT_EQ(g_pSpriteBatch->GetRenderState(), 0x12u) << c.what;
        std::vector<SpriteCall> expect = c.expect;
        for (SpriteCall& call : expect)
            call.state = 0x12; // the bar leaves the word as it is
        ExpectQueued(expect, nullptr, c.what);
    }
}

TEST_F(RendererTest, SlideBarKeepsItsStartPlaceAndFollowsItsParent)
{
    GameObj* parent = Object("gauge", "{ position = { x = 300, y = 200 } }");
    GameObj* obj = Object("bar", "{ position = { x = 10, y = 20, z = 3 } }", parent);
    auto* bar = static_cast<SlideBarRenderer*>(
        Add(obj, "SlideBarRenderer", "{ size = { width = 100, height = 10 }, undercoatCol = { a = 0 } }"));
    StartAll(obj);
    obj->GetTransform()->SetLocalPosition(50, 50, 3);
    obj->GetTransform()->UpdateWorldMatrices();
    parent->GetTransform()->SetLocalPosition(400, 100, 0);
    parent->GetTransform()->UpdateWorldMatrices();
    bar->Draw();
    ExpectQueued({{.depth = 3, .x = 410, .y = 420, .width = 100, .height = 10}}, nullptr, "moved");

    // A bar on a root object has no parent to be placed against: it draws nothing.
    GameObj* orphan = Object("orphan", "{ position = { x = 10, y = 20, z = 3 } }");
    auto* lone = static_cast<SlideBarRenderer*>(Add(orphan, "SlideBarRenderer", "{}"));
    StartAll(orphan);
    EXPECT_EQ(lone->GetWidth(), 0.0f);
    lone->Draw();
    ExpectQueued({}, nullptr, "no parent");
}

TEST_F(RendererTest, TextureAtlasFillsTheSprite)
{
    struct Case {
        const char* what;
        const char* atlasTable;
        NameId texture;
        float uv[4];
        int width, height, baseWidth, baseHeight;
        float offsetX, offsetY;
    };
    const std::vector<Case> cases = {
        // The atlas entry: source 28 x 24 at (2, 4) inside 32 x 32; offset = source centre minus
        // original centre, y up.
        {"by name", "{ atlasName = 'left' }", HashName("sheet"), {0, 0, 28 / 64.0f, 24 / 64.0f}, 28, 24, 32, 32, 0, 0},
        {"by info with a rectangle",
         "{ atlasInfo = { texture = 'sheet', uvRect = { x = 16, y = 32, width = 8, height = 16 },"
         " offset = { x = 1, y = -2 } } }",
         HashName("sheet"), {0.25f, 0.5f, 0.125f, 0.25f}, 8, 16, 8, 16, 1, -2},
        {"by info, the whole texture", "{ atlasInfo = { texture = 'other' } }", HashName("other"), {0, 0, 1, 1}, 16,
         16, 0, 0, 0, 0},
        {"a name the atlas lacks keeps the defaults", "{ atlasName = 'missing' }", 0, {0, 0, 0, 0}, 0, 0, 0, 0, 0, 0},
        {"info naming a texture the table lacks leaves the image empty", "{ atlasInfo = { texture = 'missing' } }",
         HashName("missing"), {0, 0, 0, 0}, 0, 0, 0, 0, 0, 0},
    };
    const AtlasEntry* left = atlas.Find(HashName("left"));
    ASSERT_NE(left, nullptr);
    for (const Case& c : cases) {
        GameObj* obj = Object(c.what, "{}");
        auto* sprite = static_cast<SpriteRenderer*>(Add(obj, "SpriteRenderer", "{}"));
        auto* tex = static_cast<TextureAtlas*>(Add(obj, "TextureAtlas", c.atlasTable));
        ASSERT_NE(tex, nullptr) << c.what;
        StartAll(obj);
        EXPECT_EQ(sprite->GetTextureId(), c.texture) << c.what;
        float uv[4];
        sprite->GetUVRect(uv);
        for (int k = 0; k < 4; ++k)
            EXPECT_FLOAT_EQ(uv[k], c.uv[k]) << c.what << " uv " << k;
        EXPECT_EQ(sprite->GetWidth(), float(c.width)) << c.what;
        EXPECT_EQ(sprite->GetHeight(), float(c.height)) << c.what;
        EXPECT_EQ(sprite->GetBaseWidth(), float(c.baseWidth)) << c.what;
        EXPECT_EQ(sprite->GetBaseHeight(), float(c.baseHeight)) << c.what;
        const float wantOffsetX = c.texture == HashName("sheet") && c.width == 28 ? left->offsetX : c.offsetX;
        const float wantOffsetY = c.texture == HashName("sheet") && c.width == 28 ? left->offsetY : c.offsetY;
        EXPECT_EQ(sprite->GetOffsetX(), wantOffsetX) << c.what;
        EXPECT_EQ(sprite->GetOffsetY(), wantOffsetY) << c.what;
    }
    // Without a sprite renderer the apply step finds nothing.
    GameObj* bare = Object("bare", "{}");
    auto* tex = static_cast<TextureAtlas*>(Add(bare, "TextureAtlas", "{ atlasName = 'right' }"));
    EXPECT_EQ(tex->SetAtlasEntry(HashName("left")), nullptr);
    EXPECT_EQ(tex->GetWidth(), 28);
}

TEST_F(RendererTest, TextureAtlasHoldsAUseOfItsTexture)
{
    TextureEntry* sheet = Entry("sheet");
    TextureEntry* other = Entry("other");
    TextureEntry* resident = Entry("resident");
    ASSERT_TRUE(sheet && other && resident);
    const uint32_t residentUses = resident->useCount;

    GameObj* obj = Object("atlas", "{}");
    Add(obj, "SpriteRenderer", "{}");
    auto* tex = static_cast<TextureAtlas*>(Add(obj, "TextureAtlas", "{ atlasName = 'left' }"));
    StartAll(obj);
    EXPECT_EQ(sheet->useCount, 1u);

    // Switching to an image on another texture moves the use with it, so the new texture loads
    // and the old one may go.
    SpriteRenderer* sprite = tex->SetAtlasEntry(HashName("small"));
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->GetTextureId(), HashName("other"));
    EXPECT_EQ(sheet->useCount, 0u);
    EXPECT_EQ(other->useCount, 1u);
    textures.Update();
    EXPECT_NE(other->texture, nullptr);
    EXPECT_EQ(sheet->texture, nullptr);
    // An image on the same texture moves nothing.
    tex->SetAtlasEntry(HashName("small"));
    EXPECT_EQ(other->useCount, 1u);

    delete obj; // detaches
    std::erase(roots, obj);
    EXPECT_EQ(other->useCount, 0u);
    EXPECT_EQ(sheet->useCount, 0u);

    // A resident texture's count is never touched; a detached atlas moves no count.
    GameObj* held = Object("held", "{}");
    auto* onResident = static_cast<TextureAtlas*>(Add(held, "TextureAtlas", "{ atlasInfo = { texture = 'resident' } }"));
    EXPECT_EQ(resident->useCount, residentUses);
    onResident->Detach();
    EXPECT_EQ(resident->useCount, residentUses);
    onResident->SetAtlasEntry(HashName("left"));
    EXPECT_EQ(sheet->useCount, 0u);
    EXPECT_EQ(resident->useCount, residentUses);
    onResident->Attach(); // the fixture's delete detaches it once more
}
