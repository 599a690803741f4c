#include <cmath>

#include "Components/Core/FontRenderer.h"
#include "Components/Core/MovieRenderer.h"
#include "FontFileBuilder.h"
#include "MovieTestUtil.h"
#include "RendererFixture.h"
#include "System/Graphics/FontSet.h"
#include "System/Movie/MoviePlayer.h"
#include "World/IMessage.h"

namespace {

constexpr float kThirtyDegrees = 0.52359878f;

// Appends every part: GCC 12 at -O3 misreads a literal plus a temporary string as an
// overlapping copy.
template <class... Parts>
std::string Cat(const Parts&... parts)
{
    std::string out;
    ((out += parts), ...);
    return out;
}

// 'A' 10, 'B' 12 and 'C' 7 pixels wide; lines 20 pixels apart.
constexpr float kLineHeight = 20.0f;

struct ExpectedRun {
    std::string text;
    float x, y;
    uint32_t argb;
};

uint32_t Argb(const TextLine& line)
{
    return uint32_t(line.a) << 24 | uint32_t(line.r) << 16 | uint32_t(line.g) << 8 | line.b;
}

} // namespace

class TextRendererTest : public RendererTest {
protected:
    void WriteGameFiles() override
    {
        RendererTest::WriteGameFiles();
        Write("assets.v1/2d/fonts/tiny.fnt", FontFileBuilder()
                                                 .Magic()
                                                 .Info(16)
                                                 .Common(uint16_t(kLineHeight), 1)
                                                 .Pages({"tiny_0.tga"})
                                                 .Chars({{'A', 0, 0, 8, 10, 1, 2, 10, 0},
                                                         {'B', 8, 0, 10, 10, 0, 2, 12, 0},
                                                         {'C', 18, 0, 6, 10, 0, 2, 7, 0}})
                                                 .Bytes());
        Write("assets.v1/2d/fonts/tiny_0.tga", TgaFile(32, 16, std::vector<uint32_t>(32 * 16, 0xFFFFFFFFu)));
        Write("assets.v1/2d/movies/steps.ogv", Bytes(SolidMovie(Spec(32, 32, 4), {{220, 30, 30}, {30, 200, 60}})));
    }
    void SetUp() override
    {
        RendererTest::SetUp();
        if (HasFatalFailure())
            return;
        g_pFontSet = new FontSet;
        font = g_pFontSet->CreateFont(HashName("assets.v1/2d/fonts/tiny"), "assets.v1/2d/fonts/");
        ASSERT_NE(font, nullptr);
        font->SetDepth(kFontDepth);
    }
    void TearDown() override
    {
        // Roots first: a movie renderer holds textures of the device.
        for (GameObj* root : roots)
            delete root;
        roots.clear();
        delete g_pFontSet;
        g_pFontSet = nullptr;
        RendererTest::TearDown();
    }
    static std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }
    static MovieSpec Spec(int width, int height, int frames)
    {
        MovieSpec spec;
        spec.width = width;
        spec.height = height;
        spec.frameCount = frames;
        spec.quality = 63;
        return spec;
    }
    FontRenderer* Text(const std::string& transform, const std::string& table)
    {
        GameObj* obj = Object("text", transform);
        auto* text = static_cast<FontRenderer*>(Add(obj, "FontRenderer", table));
        EXPECT_NE(text, nullptr);
        StartAll(obj);
        return text;
    }

    BitmapFont* font = nullptr;
};

// Runs hold their offsets from the object's screen position and their colour; the returned
// size is the widest line's whole laid-out width and the line pitch times the line count,
// times the world scale.
TEST_F(TextRendererTest, SetTextLaysOutColouredRuns)
{
    struct Case {
        const char* what;
        const char* transform;
        const char* table;
        const char* text;
        std::vector<ExpectedRun> runs;
        float width, height;
    };
    constexpr uint32_t kWhite = 0xFFFFFFFFu, kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u;
    constexpr uint32_t kOwn = 0x80112233u;
    const std::vector<Case> cases = {
        {"a colour tag splits the line", "{}", "{ encoding = true }", "A<FF0000>B",
         {{"A", 0, 0, kWhite}, {"B", 10, 0, kRed}}, 22, 20},
        {"without encoding the tag is text", "{}", "{}", "A<FF0000>B", {{"A<FF0000>B", 0, 0, kWhite}}, 22, 20},
        {"tags of other lengths restore the renderer's colour", "{}",
         "{ encoding = true, color = { r = 17, g = 34, b = 51, a = 128 } }", "<F00>A<FF0000>B<12>C",
         {{"A", 0, 0, kOwn}, {"B", 10, 0, kRed}, {"C", 22, 0, kOwn}}, 29, 20},
        {"the colour carries to the next line", "{}", "{ encoding = true }", "<FF0000>A\nB",
         {{"A", 0, 0, kRed}, {"B", 0, kLineHeight, kRed}}, 12, 40},
        {"centred lines move left by half their own width", "{}", "{ alignment = 1 }", "AB\nC",
         {{"AB", -11, 0, kWhite}, {"C", -3.5f, kLineHeight, kWhite}}, 22, 40},
        {"right alignment moves every run of the line by the whole line", "{}", "{ alignment = 2, encoding = true }",
         "AB<00FF00>C", {{"AB", -29, 0, kWhite}, {"C", -7, 0, kGreen}}, 29, 20},
        {"a final line feed adds no line", "{}", "{}", "A\n", {{"A", 0, 0, kWhite}}, 10, 20},
        {"a lone line feed is one empty line", "{}", "{ lineSpacing = 4 }", "\n", {{"", 0, 0, kWhite}}, 0, 24},
        {"an empty line in the middle is a run of its own", "{}", "{}", "A\n\nB",
         {{"A", 0, 0, kWhite}, {"", 0, 20, kWhite}, {"B", 0, 40, kWhite}}, 12, 60},
        {"letter and line spacing", "{}", "{ letterSpacing = 2, lineSpacing = 5 }", "AB\nA",
         {{"AB", 0, 0, kWhite}, {"A", 0, 25, kWhite}}, 26, 50},
        {"world scale scales the size, not the runs", "{ scaling = { x = 2, y = 3 } }", "{}", "AB",
         {{"AB", 0, 0, kWhite}}, 44, 60},
        {"a six-character tag reads as a base-16 strtol: prefix, then up to the first non-digit", "{}",
         "{ encoding = true }", "<0x00ff>A<12zz34>B<00A0bF>C",
         {{"A", 0, 0, 0xFF0000FFu}, {"B", 10, 0, 0xFF000012u}, {"C", 22, 0, 0xFF00A0BFu}}, 29, 20},
        {"an unclosed tag stays text", "{}", "{ encoding = true }", "A<FF00",
         {{"A", 0, 0, kWhite}, {"<FF00", 10, 0, kWhite}}, 10, 20},
        {"a font index outside the set lays out nothing", "{}", "{ font = 1 }", "AB", {}, 0, 0},
        {"an empty text lays out nothing", "{}", "{}", "", {}, 0, 0},
    };
    for (const Case& c : cases) {
        FontRenderer* text = Text(c.transform, c.table);
        ASSERT_NE(text, nullptr) << c.what;
        float width = -1, height = -1;
        text->SetText(c.text, width, height);
        EXPECT_EQ(text->GetText(), c.text) << c.what;
        EXPECT_FLOAT_EQ(width, c.width) << c.what;
        EXPECT_FLOAT_EQ(height, c.height) << c.what;
        const std::vector<TextLine>& lines = text->GetLines();
        ASSERT_EQ(lines.size(), c.runs.size()) << c.what;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].text, c.runs[i].text) << c.what << " #" << i;
            EXPECT_FLOAT_EQ(lines[i].x, c.runs[i].x) << c.what << " #" << i;
            EXPECT_FLOAT_EQ(lines[i].y, c.runs[i].y) << c.what << " #" << i;
            EXPECT_EQ(Argb(lines[i]), c.runs[i].argb) << c.what << " #" << i << " " << Hex(Argb(lines[i]));
        }
    }
}

TEST_F(TextRendererTest, StartLaysOutTheLoadedText)
{
    FontRenderer* text = Text("{}", "{ text = 'AB\\nC', alignment = 2 }");
    ASSERT_EQ(text->GetLines().size(), 2u);
    EXPECT_FLOAT_EQ(text->GetLines()[0].x, -22);
    EXPECT_FLOAT_EQ(text->GetLines()[1].x, -7);
    EXPECT_EQ(text->GetCamera(), camera);
}

// Each run is one DrawText call at the object's screen position plus its offset times the
// world scale, with the run's colour times brightness and alpha factor, each channel kept
// within a byte, at the object's depth and with its world angle as it is: the block angle,
// which for "rotation = 30" is -30 degrees (a sprite passes it negated).
TEST_F(TextRendererTest, DrawPassesEachRunToTheFont)
{
    struct Case {
        const char* what;
        float brightness, alphaFactor;
        uint32_t first, second;
    };
    const Case cases[] = {
        {"as loaded", 1.0f, 1.0f, 0xC8FF8040u, 0xFFFF0000u},
        {"halved", 0.5f, 0.5f, 0x647F4020u, 0x7F7F0000u},
        {"factors above 1 stop at 255", 2.0f, 1.5f, 0xFFFFFF80u, 0xFFFF0000u},
    };
    for (const Case& c : cases) {
        FontRenderer* text = Text("{ position = { x = 100, y = 200, z = 5 }, scaling = { x = 2, y = 2 }, rotation = 30 }",
                                  "{ encoding = true, letterSpacing = 1, lineSpacing = 3,"
                                  " color = { r = 255, g = 128, b = 64, a = 200 }, text = 'A<FF0000>B\\nC' }");
        text->SetBrightness(c.brightness);
        text->SetAlphaFactor(c.alphaFactor);
        text->Draw();
        EXPECT_FLOAT_EQ(font->GetDepth(), kFontDepth) << c.what;
        const std::vector<QueuedSprite> got = Drain(*g_pSpriteBatch);

        // Screen (100, 340); "A" is 11 wide with the spacing, lines 23 apart.
        font->SetDepth(5.0f);
        font->DrawText("A", 100, 340, c.first, 1, 3, 2, -kThirtyDegrees);
        font->DrawText("B", 100 + 11 * 2, 340, c.second, 1, 3, 2, -kThirtyDegrees);
        font->DrawText("C", 100, 340 + 23 * 2, c.second, 1, 3, 2, -kThirtyDegrees);
        font->SetDepth(kFontDepth);
        const std::vector<QueuedSprite> want = Drain(*g_pSpriteBatch);
        ASSERT_EQ(got.size(), want.size()) << c.what;
        ASSERT_EQ(got.size(), 3u) << c.what;
        for (size_t i = 0; i < got.size(); ++i) {
            const float* a = &got[i].record.matrix[0][0];
            const float* b = &want[i].record.matrix[0][0];
            for (int k = 0; k < 24; ++k)
                EXPECT_NEAR(a[k], b[k], 1e-4f) << c.what << " #" << i << " float " << k;
        }
    }
}

TEST_F(TextRendererTest, NothingIsDrawnWithoutCameraOrFont)
{
    FontRenderer* lost = Text("{}", "{ renderingCamera = 'Nowhere', text = 'AB' }");
    EXPECT_EQ(lost->GetCamera(), nullptr);
    lost->Draw();
    FontRenderer* outside = Text("{}", "{ font = 200, text = 'AB' }");
    outside->Draw();
    EXPECT_EQ(g_pSpriteBatch->GetQueuedSpriteCount(), 0u);

    // "MsgSetCamera" binds a camera by its tag.
    MsgSetCamera message(nullptr, int32_t(GameCameraTag()));
    lost->OnMessage(&message);
    EXPECT_EQ(lost->GetCamera(), camera);
    lost->Draw();
    EXPECT_EQ(Drain(*g_pSpriteBatch).size(), 2u);
}

// The size counts as a half extent beyond the view's half: a 50 x 20 text stays in view
// until its position is 480 + 50 from the camera's x.
TEST_F(TextRendererTest, CullTestTakesTheSizeUnhalved)
{
    struct Case {
        float x, y;
        bool culled;
    };
    const Case cases[] = {{-49, 270, false}, {-51, 270, true}, {1009, 270, false}, {1011, 270, true},
                          {480, -19, false}, {480, -21, true}, {480, 559, false},  {480, 561, true}};
    for (const Case& c : cases) {
        FontRenderer* text = Text(Cat("{ position = { x = ", std::to_string(c.x), ", y = ", std::to_string(c.y), " } }"),
                                  "{ size = { width = 50, height = 20 } }");
        EXPECT_EQ(text->IsCulled(), c.culled) << c.x << ", " << c.y;
    }
    EXPECT_TRUE(Text("{}", "{ renderingCamera = 'Nowhere' }")->IsCulled());
}

// The movie plays only once it opened: a title that does not open counts as ended at once.
TEST_F(TextRendererTest, MovieRendererPlaysWhatOpens)
{
    const NameId steps = HashName("assets.v1/2d/movies/steps");
    struct Case {
        const char* what;
        const char* table;
        bool open, playing, loop;
    };
    const Case cases[] = {
        {"autoPlay with loop", "{ title = 'assets.v1/2d/movies/steps', autoPlay = true, loopPlay = true,"
                               " frameBufferCount = 2 }",
         true, true, true},
        {"autoPlay without loop", "{ title = 'assets.v1/2d/movies/steps', autoPlay = true, frameBufferCount = 2 }",
         true, true, false},
        {"opened but waiting", "{ title = 'assets.v1/2d/movies/steps', loopPlay = true, frameBufferCount = 2 }", true,
         false, false},
        {"a missing title", "{ title = 'assets.v1/2d/movies/none', autoPlay = true, loopPlay = true }", false, false,
         false},
        {"no title", "{ autoPlay = true }", false, false, false},
    };
    for (const Case& c : cases) {
        GameObj* obj = Object(c.what, "{}");
        auto* movie = static_cast<MovieRenderer*>(Add(obj, "MovieRenderer", c.table));
        ASSERT_NE(movie, nullptr) << c.what;
        StartAll(obj);
        EXPECT_EQ(obj->GetRenderer(), nullptr) << c.what << ": the movie does not take the renderer slot";
        MoviePlayer* player = movie->GetPlayer();
        ASSERT_NE(player, nullptr) << c.what;
        EXPECT_EQ(player->IsOpen(), c.open) << c.what;
        EXPECT_EQ(player->m_bPlaying, c.playing) << c.what;
        EXPECT_EQ(movie->IsPlaying(), c.playing) << c.what;
        EXPECT_EQ(player->m_bLoop, c.loop) << c.what;
        movie->Draw(); // a movie that never opened draws nothing and does not fail
    }

    GameObj* obj = Object("played", "{}");
    auto* movie = static_cast<MovieRenderer*>(Add(obj, "MovieRenderer", "{ frameBufferCount = 2 }"));
    StartAll(obj);
    EXPECT_FALSE(movie->Play(HashName("assets.v1/2d/movies/none"), false));
    EXPECT_FALSE(movie->IsPlaying());
    EXPECT_FALSE(movie->GetPlayer()->m_bPlaying);

    // Four frames at 30 per second: without loop the movie ends, with loop it goes on.
    ASSERT_TRUE(movie->Play(steps, false));
    EXPECT_TRUE(movie->IsPlaying());
    for (int i = 0; i < 60 && movie->IsPlaying(); ++i)
        movie->GetPlayer()->Advance(0.05f);
    EXPECT_FALSE(movie->IsPlaying());
    ASSERT_TRUE(movie->Play(steps, true));
    for (int i = 0; i < 60; ++i)
        movie->GetPlayer()->Advance(0.05f);
    EXPECT_TRUE(movie->IsPlaying());
    EXPECT_EQ(movie->GetTitle(), steps);

    // A failed Play after a good one leaves nothing open or playing.
    EXPECT_FALSE(movie->Play(HashName("assets.v1/2d/movies/none"), true));
    EXPECT_FALSE(movie->GetPlayer()->IsOpen());
    EXPECT_FALSE(movie->IsPlaying());
}

TEST_F(TextRendererTest, MovieRendererPlacesAndClosesItsPlayer)
{
    GameObj* placed = Object("placed", "{}");
    auto* movie = static_cast<MovieRenderer*>(
        Add(placed, "MovieRenderer", "{ title = 'assets.v1/2d/movies/steps', position = { x = 10, y = 20, z = 3 } }"));
    MoviePlayer* player = movie->GetPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->m_fPositionX, 10.0f);
    EXPECT_EQ(player->m_fPositionY, 20.0f);
    EXPECT_EQ(player->m_fDepth, 3.0f);
    StartAll(placed);
    EXPECT_TRUE(player->IsOpen());
    movie->Detach();
    EXPECT_EQ(movie->GetPlayer(), nullptr);

    GameObj* plain = Object("plain", "{}");
    auto* other = static_cast<MovieRenderer*>(Add(plain, "MovieRenderer", "{}"));
    EXPECT_EQ(other->GetPlayer()->m_fDepth, MoviePlayer::kDefaultDepth);
    EXPECT_EQ(other->GetPlayer()->m_fPositionX, 0.0f);
}
