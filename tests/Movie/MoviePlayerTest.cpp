// The movie player on a real device: opening by name id, the quad and texture, the clock and
// due frames, stopping and looping, repeated frames, drawing at the position, the demo movies.
#include "System/Movie/MoviePlayer.h"

#include "MovieTestUtil.h"
#include "Platform/Backend/Video.h"
#include "Support/GraphicsFixture.h"
#include "Support/TempDir.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Archive/ZEVArchive.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/D3D9VertexBuffer.h"
#include "System/Graphics/IWindowProc.h"
#include "System/Graphics/RenderWindow.h"
#include "System/Movie/MovieDecoder.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace {

class NullProc : public IWindowProc {
  public:
    LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
};

const MovieRgb kRed{220, 30, 30}, kGreen{30, 200, 60}, kBlue{40, 60, 210}, kWhite{240, 240, 240};

struct Vertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};

class MoviePlayerTest : public testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(BackendInitVideo());
        m_pWindow = new RenderWindow;
        ASSERT_NE(m_pWindow->Create(&m_Proc, "movie test", 960, 540, false), nullptr);
        m_pRender = new D3D9RenderSystem;
        ASSERT_TRUE(m_pRender->Init(m_pWindow));
        ArchiveSystem* archives = ArchiveSystem::GetInstance();
        archives->SetRoot(m_Dir.Path() + "/");
        std::filesystem::create_directories(m_Dir.File("assets.v1/movies"));
    }
    void TearDown() override
    {
        delete g_pArchiveSystem;
        delete m_pRender;
        delete m_pWindow;
        BackendShutdownVideo();
    }

    // Writes movies as loose files (name -> bytes) and mounts their folder.
    void Mount(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& movies)
    {
        for (const auto& [name, bytes] : movies)
            m_Dir.WriteFile("assets.v1/movies/" + name + ".ogv", std::string(bytes.begin(), bytes.end()));
        ASSERT_NE(nullptr, g_pArchiveSystem->Mount(new FileSystemArchive("assets.v1/movies")));
    }

    static NameId Id(const std::string& name) { return HashName("assets.v1/movies/" + name); }

    // The texture's texel (x, y) as B, G, R, A.
    static std::array<uint8_t, 4> Texel(ITexture* texture, int x, int y)
    {
        uint8_t p[4] = {};
        texture->ReadPixels((uint32_t(y) * texture->GetWidth() + uint32_t(x)) * 4, 4, p);
        return {p[0], p[1], p[2], p[3]};
    }

    static void ExpectColour(MovieRgb want, std::array<uint8_t, 4> bgra)
    {
        EXPECT_NEAR(want.b, bgra[0], 12);
        EXPECT_NEAR(want.g, bgra[1], 12);
        EXPECT_NEAR(want.r, bgra[2], 12);
    }

    static MovieSpec Spec(int width, int height, int frames)
    {
        MovieSpec spec;
        spec.width = width;
        spec.height = height;
        spec.frameCount = frames;
        spec.quality = 63;
        return spec;
    }

    TempDir m_Dir;
    NullProc m_Proc;
    RenderWindow* m_pWindow = nullptr;
    D3D9RenderSystem* m_pRender = nullptr;
};

TEST_F(MoviePlayerTest, QuadAndTextureTakeTheFrameSize)
{
    Mount({{"wide", SolidMovie(Spec(640, 352, 2), {kRed})}});
    MoviePlayer player;
    EXPECT_EQ(MoviePlayer::kDefaultDepth, player.m_fDepth);
    ASSERT_TRUE(player.Open(Id("wide"), 3, 0));
    EXPECT_TRUE(player.IsOpen());
    EXPECT_FALSE(player.m_bPlaying);
    EXPECT_FALSE(player.m_bLoop);
    ASSERT_NE(nullptr, player.GetTexture());
    EXPECT_EQ(640u, player.GetTexture()->GetWidth());
    EXPECT_EQ(352u, player.GetTexture()->GetHeight());
    EXPECT_EQ(int32_t(eTextureUsage_RenderTarget), player.GetTexture()->GetUsage());
    EXPECT_EQ(int32_t(eTextureFormat_A8R8G8B8), player.GetTexture()->GetFormat());
    ASSERT_NE(nullptr, player.GetQuad());
    ASSERT_EQ(144u, player.GetQuad()->GetSize());
    Vertex v[6];
    player.GetQuad()->Read(0, sizeof v, v);
    const float u0 = 0.5f / 640, v0 = 0.5f / 352, u1 = 1 + 0.5f / 640, v1 = 1 + 0.5f / 352;
    const Vertex expected[6] = {{0, 0, 0, 0xFFFFFFFF, u0, v0},   {640, 0, 0, 0xFFFFFFFF, u1, v0},
                                {0, 352, 0, 0xFFFFFFFF, u0, v1}, {0, 352, 0, 0xFFFFFFFF, u0, v1},
                                {640, 0, 0, 0xFFFFFFFF, u1, v0}, {640, 352, 0, 0xFFFFFFFF, u1, v1}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].x, v[i].x);
        EXPECT_EQ(expected[i].y, v[i].y);
        EXPECT_EQ(expected[i].z, v[i].z);
        EXPECT_EQ(expected[i].colour, v[i].colour);
        EXPECT_FLOAT_EQ(expected[i].u, v[i].u);
        EXPECT_FLOAT_EQ(expected[i].v, v[i].v);
    }
    player.Close();
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(nullptr, player.GetTexture());
    EXPECT_EQ(nullptr, player.GetQuad());
    EXPECT_EQ(nullptr, player.GetDecoder());
}

TEST_F(MoviePlayerTest, FailedOpensKeepNothingButTheDecoder)
{
    Mount({{"broken", std::vector<uint8_t>(3000, 'q')}});
    MoviePlayer player;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(player.Open(Id("missing"), 3, 0));
    const std::string log = testing::internal::GetCapturedStdout();
    // Named as the data writes it, not by its id alone.
    EXPECT_NE(log.find("\"assets.v1/movies/missing\""), std::string::npos) << log;
    EXPECT_EQ(nullptr, player.GetDecoder());
    EXPECT_FALSE(player.Open(Id("broken"), 3, 0));
    EXPECT_NE(nullptr, player.GetDecoder());
    EXPECT_EQ(nullptr, player.GetTexture());
    EXPECT_EQ(nullptr, player.GetQuad());
    EXPECT_FALSE(player.IsOpen());
    player.m_bPlaying = true;
    player.Draw(); // nothing to draw, and no crash
    player.Close();
    EXPECT_EQ(nullptr, player.GetDecoder());
}

TEST_F(MoviePlayerTest, TheClockTakesEveryDueFrameAndShowsTheLast)
{
    const std::vector<MovieRgb> colours = {kRed, kGreen, kBlue, kWhite, kRed, kGreen};
    Mount({{"steps", SolidMovie(Spec(32, 32, 6), colours)}});
    MoviePlayer player;
    ASSERT_TRUE(player.Open(Id("steps"), 3, 0));
    player.Advance(0.5f); // not playing yet: nothing moves
    EXPECT_EQ(0.0f, player.GetClock());
    player.m_bPlaying = true;
    // 0.09 s at 30 frames per second: the frames due at 1/30, 2/30 and 3/30 s, showing the third.
    player.Advance(0.09f);
    EXPECT_EQ(2, player.GetFrameNumber());
    EXPECT_FLOAT_EQ(3.0f / 30.0f, player.GetDueTime());
    ExpectColour(kBlue, Texel(player.GetTexture(), 16, 16));
    // Less than the rest of a frame: nothing new.
    player.Advance(0.005f);
    EXPECT_EQ(2, player.GetFrameNumber());
    player.Advance(0.01f);
    EXPECT_EQ(3, player.GetFrameNumber());
    ExpectColour(kWhite, Texel(player.GetTexture(), 16, 16));
    // Without the loop flag the movie stops after its last frame and keeps showing it.
    for (int i = 0; i < 20 && player.m_bPlaying; ++i)
        player.Advance(1.0f / 30.0f);
    EXPECT_FALSE(player.m_bPlaying);
    EXPECT_EQ(5, player.GetFrameNumber());
    EXPECT_EQ(int(MovieDecoder::eGetFrame_Ended), player.GetLastResult());
    ExpectColour(kGreen, Texel(player.GetTexture(), 16, 16));
    player.Advance(1.0f);
    EXPECT_EQ(5, player.GetFrameNumber());
}

TEST_F(MoviePlayerTest, LoopingRestartsFromFrameZero)
{
    const std::vector<MovieRgb> colours = {kRed, kGreen, kBlue, kWhite};
    Mount({{"loop", SolidMovie(Spec(32, 32, 4), colours)}});
    MoviePlayer player;
    ASSERT_TRUE(player.Open(Id("loop"), 2, 0));
    player.m_bLoop = true;
    player.m_bPlaying = true;
    std::vector<int32_t> shown;
    int restarts = 0;
    for (int i = 0; i < 40; ++i) {
        const float clockBefore = player.GetClock();
        player.Advance(0.02f);
        if (player.GetClock() < clockBefore)
            ++restarts;
        if (shown.empty() || shown.back() != player.GetFrameNumber())
            shown.push_back(player.GetFrameNumber());
        ExpectColour(colours[size_t(player.GetFrameNumber())], Texel(player.GetTexture(), 5, 5));
    }
    EXPECT_TRUE(player.m_bPlaying);
    EXPECT_GE(restarts, 4);
    // 0, 1, 2, 3 over and over.
    ASSERT_GE(shown.size(), 12u);
    for (size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(int32_t(i % 4), shown[i]) << "at " << i;
}

TEST_F(MoviePlayerTest, ALoopingMovieWithoutFramesDoesNotHoldUpTheFrame)
{
    const auto pages = SplitPages(SolidMovie(Spec(32, 32, 3), {kRed}));
    Mount({{"empty", JoinPages({pages[0], pages[1]})}});
    MoviePlayer player;
    ASSERT_TRUE(player.Open(Id("empty"), 2, 0));
    player.m_bLoop = true;
    player.m_bPlaying = true;
    const auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i)
        player.Advance(0.1f);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
    EXPECT_TRUE(player.m_bPlaying);
}

TEST_F(MoviePlayerTest, ARepeatedFrameLeavesTheTextureAsItIs)
{
    MovieSpec spec = Spec(32, 32, 4);
    spec.markRepeats = true;
    Mount({{"still", SolidMovie(spec, {kRed, kGreen, kGreen, kBlue}, [](int f) { return f == 2; })}});
    MoviePlayer player;
    ASSERT_TRUE(player.Open(Id("still"), 3, 0));
    player.m_bPlaying = true;
    player.Advance(1.0f / 30.0f); // frames 0 and 1 (due at 1/30 s exactly)
    ASSERT_EQ(1, player.GetFrameNumber());
    // Mark the texture, then take the repeat of frame 1.
    const uint32_t mark[1] = {0xFF102030};
    player.GetTexture()->WritePixels(0, 4, mark);
    player.Advance(1.0f / 30.0f);
    ASSERT_EQ(2, player.GetFrameNumber());
    EXPECT_EQ((std::array<uint8_t, 4>{0x30, 0x20, 0x10, 0xFF}), Texel(player.GetTexture(), 0, 0));
    ExpectColour(kGreen, Texel(player.GetTexture(), 10, 10));
    player.Advance(1.0f / 30.0f);
    EXPECT_EQ(3, player.GetFrameNumber());
    ExpectColour(kBlue, Texel(player.GetTexture(), 0, 0));
}

// A movie is open with its first frames decoded, so that the frames due right after the
// opening frame do not each wait for a decode; a short movie or a small ring holds fewer.
TEST_F(MoviePlayerTest, OpensWithItsFirstFramesDecoded)
{
    struct Case {
        const char* name;
        int frames, slots;
        int ready;
    } cases[] = {
        {"a long movie", 8, 4, MoviePlayer::kLeadFrames},
        {"a big ring", 8, 16, MoviePlayer::kLeadFrames},
        {"the smallest ring", 8, 2, 1},
        {"a one-frame movie", 1, 4, 1},
    };
    Mount({{"lead8", SolidMovie(Spec(32, 32, 8), {kRed, kGreen})}, {"lead1", SolidMovie(Spec(32, 32, 1), {kRed})}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = "lead" + std::to_string(c.frames);
        MoviePlayer player;
        ASSERT_TRUE(player.Open(Id(name), c.slots, 0));
        EXPECT_GE(player.GetDecoder()->GetReadyFrameCount(), c.ready);
    }
}

// The texture keeps each frame it was given after the frame's ring slot is freed and the
// decoder has written later frames into it.
TEST_F(MoviePlayerTest, TheTextureKeepsItsFrameAfterTheRingMovesOn)
{
    const std::vector<MovieRgb> colours = {kRed, kGreen, kBlue, kWhite, kRed, kGreen, kBlue, kWhite};
    Mount({{"steps", SolidMovie(Spec(32, 32, 8), colours)}});
    for (int slots : {2, 4}) {
        SCOPED_TRACE(slots);
        MoviePlayer player;
        ASSERT_TRUE(player.Open(Id("steps"), slots, 0));
        player.m_bPlaying = true;
        MovieDecoder* decoder = player.GetDecoder();
        for (int i = 0; i < 8; ++i) {
            SCOPED_TRACE(i);
            player.Advance(i == 0 ? 0.001f : 1.0f / 30.0f);
            ASSERT_EQ(i, player.GetFrameNumber());
            // The ring refills over the slot the frame came from (all that is left, near the end).
            EXPECT_TRUE(WaitUntil([&] { return decoder->GetReadyFrameCount() >= std::min(slots - 1, 7 - i); },
                                  std::chrono::seconds(5)));
            ExpectColour(colours[size_t(i)], Texel(player.GetTexture(), 16, 16));
        }
    }
}

TEST_F(MoviePlayerTest, DrawsThePictureWithItsCornerAtThePosition)
{
    // A 40 x 24 red picture inside a 48 x 32 frame, 6 pixels in and 4 down.
    MovieSpec spec = Spec(40, 24, 2);
    spec.offsetX = 6;
    spec.offsetY = 4;
    Mount({{"boxed", SolidMovie(spec, {kRed})}});
    MoviePlayer player;
    ASSERT_TRUE(player.Open(Id("boxed"), 2, 0));
    EXPECT_EQ(6u, player.GetDecoder()->GetVideoInfo().pic_x);
    EXPECT_EQ(4u, player.GetDecoder()->GetVideoInfo().pic_y);
    player.m_fPositionX = 200.0f;
    player.m_fPositionY = 100.0f;
    player.m_fDepth = 5.0f;
    player.m_bPlaying = true;
    m_pRender->Clear(0, 0, 1, 1, 1.0f, 0);
    m_pRender->BeginScene();
    player.Advance(0.04f);
    player.Draw();
    m_pRender->EndScene();
    std::vector<uint32_t> pixels = ReadBackBuffer(m_pRender->GetDevice());
    auto at = [&](int x, int y) { return pixels[size_t(y) * 960 + x]; };
    const uint32_t red = 0xFF000000u | uint32_t(kRed.r) << 16 | uint32_t(kRed.g) << 8 | kRed.b;
    EXPECT_TRUE(NearColor(at(201, 101), red, 16)) << HexColor(at(201, 101));
    EXPECT_TRUE(NearColor(at(238, 122), red, 16)) << HexColor(at(238, 122));
    // The whole 48 x 32 frame is drawn, from 6 left of and 4 above the position (what the
    // encoder put in the padding is its own business); the clear colour lies beyond it.
    const uint32_t clear = 0xFF0000FFu;
    const struct {
        int x, y;
        bool drawn;
    } edges[] = {{195, 110, true}, {192, 110, false}, {240, 110, true}, {243, 110, false},
                 {210, 97, true},  {210, 94, false},  {210, 126, true}, {210, 129, false}};
    for (const auto& e : edges)
        EXPECT_EQ(e.drawn, !NearColor(at(e.x, e.y), clear, 4)) << e.x << ", " << e.y << ": " << HexColor(at(e.x, e.y));
    EXPECT_TRUE(NearColor(at(300, 200), 0xFF0000FFu, 4)) << HexColor(at(300, 200));
}

TEST_F(MoviePlayerTest, TheDemoMoviesPlayFromTheGamePak)
{
    g_pArchiveSystem->SetRoot(std::string(QM_GAME_DIR) + "/");
    ASSERT_NE(nullptr, g_pArchiveSystem->Mount(new ZEVArchive(std::string(QM_GAME_DIR) + "/data/movie.pak")));
    struct Case {
        const char* name;
        uint32_t width, height;
        int frames;
        bool sound;
    } cases[] = {{"logo", 960, 544, 60, false}, {"opening", 960, 544, 90, true}, {"title", 960, 544, 60, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MoviePlayer player;
        ASSERT_TRUE(player.Open(Id(c.name), 4, 16));
        EXPECT_EQ(c.width, player.GetTexture()->GetWidth());
        EXPECT_EQ(c.height, player.GetTexture()->GetHeight());
        EXPECT_EQ(c.sound, player.GetDecoder()->IsDecodingSound());
        player.m_bPlaying = true;
        int frames = 0;
        int32_t last = -1;
        while (player.m_bPlaying && frames < 1000) {
            player.Advance(1.0f / 30.0f);
            if (player.GetFrameNumber() != last) {
                last = player.GetFrameNumber();
                ++frames;
            }
        }
        EXPECT_EQ(c.frames, last + 1);
    }
}

} // namespace
