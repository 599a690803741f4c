// Stage dressing: backdrop layers against camera positions, landscape placements from a seeded
// pool, and the music switch on stage start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Components/Core/BackgroundLayer.h"
#include "Components/Core/Camera2D.h"
#include "Components/Core/LandscapeFactory.h"
#include "Components/Core/MusicPlayer.h"
#include "Components/Core/SpriteRenderer.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Random.h"
#include "System/Graphics/TextureTable.h"
#include "System/Sound/Decoder.h"
#include "System/Sound/SoundManager.h"
#include "World/PlayStatistics.h"
#include "World/SceneFixture.h"

namespace {

// A TGA header (sizes at offsets 12 and 14): the texture table reads no further.
std::string TgaHeader(int width, int height)
{
    std::string header(18, '\0');
    header[2] = 2;
    header[12] = static_cast<char>(width & 0xFF);
    header[13] = static_cast<char>(width >> 8);
    header[14] = static_cast<char>(height & 0xFF);
    header[15] = static_cast<char>(height >> 8);
    header[16] = 32;
    return header;
}

const Files kFiles = {
    {"textures/texture_bg", "texture_table = {\n"
                            "  sky = { texture_name = 'assets.v1/2d/sprites/sky', load_type = 1 },\n"
                            "  tall = { texture_name = 'assets.v1/2d/sprites/tall', load_type = 1 } }\n"},
    {"game_objects/prop_A", "prop_A = { object_activity = 1, object_layer = 1,\n"
                            "  components = { Transform = { position = { x = 5, y = 5, z = 7 } } } }\n"},
    {"game_objects/prop_B", "prop_B = { object_activity = 1, object_layer = 1, components = { Transform = {} } }\n"},
    {"game_objects/area_L", "area_L = { object_activity = 1, object_layer = 1, components = { Transform = {} } }\n"},
};
const std::map<std::string, std::string> kImages = {
    {"assets.v1/2d/sprites/sky.tga", TgaHeader(960, 540)},
    {"assets.v1/2d/sprites/tall.tga", TgaHeader(960, 1080)},
    {"assets.v1/sounds/bgm/home.ogg", "not a real stream"},
    {"assets.v1/sounds/bgm/cave.ogg", "not a real stream"},
};

// A world over the files, with the texture table loaded and the camera registry empty.
class DressingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_CameraRegistry.Clear();
        g_pArchiveSystem->Mount(new FileSystemArchive("assets.v1/2d"));
        g_pArchiveSystem->Mount(new FileSystemArchive("assets.v1/sounds"));
        m_Textures.LoadFolder("assets.v1/scripts/textures/");
        g_pTextureTable = &m_Textures;
        L = luaL_newstate();
    }
    void TearDown() override
    {
        for (GameObj* root : m_Roots)
            delete root;
        g_CameraRegistry.Clear();
        g_pTextureTable = nullptr;
        m_Textures.Clear();
        lua_close(L);
    }

    GameObj* Object(const std::string& name, float x, float y, float z = 0.0f, GameObj* parent = nullptr)
    {
        auto* obj = new GameObj(name, m_World.Scene()->GetMessageManager());
        obj->SetObjectName(name);
        if (parent)
            obj->SetParent(parent);
        else
            m_Roots.push_back(obj);
        obj->Activate();
        auto* t = static_cast<Transform*>(obj->AddComponent("Transform", nullptr));
        t->SetLocalPosition(x, y, z);
        t->UpdateWorldMatrices();
        return obj;
    }
    Component* Add(GameObj* obj, const char* className, const std::string& table)
    {
        lua_settop(L, 0);
        EXPECT_EQ(luaL_dostring(L, ("return " + table).c_str()), 0) << lua_tostring(L, -1);
        Component* c = obj->AddComponent(className, L);
        lua_settop(L, 0);
        return c;
    }
    static void StartAll(GameObj* obj)
    {
        for (Component* c : obj->GetComponents())
            if (!c->IsStarted()) {
                c->OnEnable();
                c->Start();
                c->SetFlags(eComponentFlag_Started);
            }
    }
    Camera2D* MakeCamera(float x, float y)
    {
        GameObj* obj = Object("camera", x, y);
        obj->SetTag(GameCameraTag());
        auto* camera = static_cast<Camera2D*>(Add(obj, "Camera2D", "{ screenSize = { width = 960, height = 540 } }"));
        StartAll(obj);
        return camera;
    }
    static void MoveTo(Camera2D* camera, float x, float y)
    {
        Transform* t = camera->GetOwner()->GetTransform();
        t->SetLocalPosition(x, y, 0.0f);
        t->UpdateWorldMatrices();
    }

    TestWorld m_World{kFiles, kImages};
    TextureTable m_Textures;
    lua_State* L = nullptr;
    std::vector<GameObj*> m_Roots;
};

// What a layer leaves on its sprite and object after Start and one late pass with the camera
// at (camX, camY).
TEST_F(DressingTest, BackgroundLayerFollowsTheCamera)
{
    struct Case {
        const char* name;
        const char* layer; // the BackgroundLayer table
        const char* texture;
        bool sprite, atlas, camera, parent;
        float camX, camY;
        float u0, v0, du, dv, width, height; // the sprite afterwards
        float x, y;                          // the layer's world position afterwards
        const char* error;                   // a part of the one error, or null
    };
    // The layer starts at (0, 300); its parent, when it has one, sits at (100, 50). The sky is
    // 960 x 540, the tall backdrop 960 x 1080; the screen is 960 x 540.
    const std::vector<Case> cases = {
        {"sideways, camera at the left edge", "{ layer = 0, scroll = 4 }", "sky", true, true, true, false, 480, 270,
         0, 0, 1, 1, 960, 540, 480, 300, nullptr},
        {"sideways, 400 to the right: 100 texels of 960", "{ layer = 0, scroll = 4 }", "sky", true, true, true, false,
         880, 700, 400.0f / 3840.0f, 0, 1, 1, 960, 540, 880, 300, nullptr},
        {"sideways under a moved parent", "{ layer = 0, scroll = 4 }", "sky", true, true, true, true, 880, 270,
         400.0f / 3840.0f, 0, 1, 1, 960, 540, 880, 300, nullptr},
        {"a negative scroll turns the other way", "{ layer = 0, scroll = -2 }", "sky", true, true, true, false, 880, 270,
         -400.0f / 1920.0f, 0, 1, 1, 960, 540, 880, 300, nullptr},
        {"no scroll keeps the U offset at 0", "{ layer = 0 }", "sky", true, true, true, false, 880, 270, 0, 0, 1, 1, 960,
         540, 880, 300, "\"scroll\" is 0"},
        {"both ways, top edge at 2000: V offset 0", "{ layer = 1, scroll = 2 }", "tall", true, true, true, false, 1480,
         2270, 1000.0f / 1920.0f, 0, 1, 0.5f, 960, 540, 1480, 2270, nullptr},
        {"both ways, top edge at 0: the whole range", "{ layer = 1, scroll = 2 }", "tall", true, true, true, false, 480,
         270, 0, 0.5f, 1, 0.5f, 960, 540, 480, 270, nullptr},
        {"both ways, halfway up", "{ layer = 1, scroll = 2 }", "tall", true, true, true, false, 480, 1270, 0, 0.25f, 1,
         0.5f, 960, 540, 480, 1270, nullptr},
        {"another layer does nothing", "{ layer = 2, scroll = 2 }", "sky", true, true, true, false, 880, 270, 0, 0, 1, 1,
         960, 540, 0, 300, nullptr},
        {"no sprite", "{ layer = 0, scroll = 4 }", "sky", false, true, true, false, 880, 270, 0, 0, 0, 0, 0, 0, 0, 300,
         "its object has no SpriteRenderer"},
        {"no atlas", "{ layer = 0, scroll = 4 }", "sky", true, false, true, false, 880, 270, 0, 0, 0, 0, 0, 0, 0, 300,
         "its object has no TextureAtlas"},
        {"no game camera", "{ layer = 0, scroll = 4 }", "sky", true, true, false, false, 880, 270, 0, 0, 1, 1, 960, 540,
         0, 300, "no camera is registered as \"GameCamera\""},
        {"an atlas of no size", "{ layer = 1, scroll = 4 }", "gone", true, true, true, false, 880, 270, 0, 0, 0, 0, 0, 0,
         0, 300, "its atlas is 0 x 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Camera2D* camera = c.camera ? MakeCamera(480, 270) : nullptr;
        GameObj* parent = c.parent ? Object("parent", 100, 50) : nullptr;
        GameObj* obj = Object("bg", c.parent ? -100.0f : 0.0f, c.parent ? 250.0f : 300.0f, 90.0f, parent);
        SpriteRenderer* sprite = c.sprite ? static_cast<SpriteRenderer*>(Add(obj, "SpriteRenderer", "{ addressU = 1 }"))
                                          : nullptr;
        if (c.atlas)
            Add(obj, "TextureAtlas", std::string("{ atlasInfo = { texture = '") + c.texture + "' } }");
        auto* layer = static_cast<BackgroundLayer*>(Add(obj, "BackgroundLayer", c.layer));
        ::testing::internal::CaptureStdout();
        StartAll(obj);
        if (camera)
            MoveTo(camera, c.camX, c.camY);
        layer->LateUpdate();
        layer->LateUpdate();
        const std::string log = ::testing::internal::GetCapturedStdout();
        if (sprite) {
            float uv[4];
            sprite->GetUVRect(uv);
            EXPECT_FLOAT_EQ(uv[0], c.u0);
            EXPECT_FLOAT_EQ(uv[1], c.v0);
            EXPECT_FLOAT_EQ(uv[2], c.du);
            EXPECT_FLOAT_EQ(uv[3], c.dv);
            EXPECT_FALSE(std::isnan(uv[0]) || std::isnan(uv[1]));
            EXPECT_EQ(sprite->GetWidth(), c.width);
            EXPECT_EQ(sprite->GetHeight(), c.height);
        }
        const Matrix4x4& world = obj->GetTransform()->WorldMatrix();
        EXPECT_FLOAT_EQ(world.m[3][0], c.x);
        EXPECT_FLOAT_EQ(world.m[3][1], c.y);
        EXPECT_FLOAT_EQ(world.m[3][2], 90.0f) << "the depth is the layer's own";
        size_t errors = 0;
        for (size_t at = log.find("BackgroundLayer of"); at != std::string::npos; at = log.find("BackgroundLayer of", at + 1))
            ++errors;
        if (c.error) {
            EXPECT_NE(log.find(c.error), std::string::npos) << log;
            EXPECT_NE(log.find("\"bg\""), std::string::npos) << "names the object: " << log;
            EXPECT_EQ(errors, 1u) << "one error, at Start: " << log;
        } else {
            EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
        }
        for (GameObj* root : m_Roots)
            delete root;
        m_Roots.clear();
        g_CameraRegistry.Clear();
    }
}

// The placed objects under the owner, as "<prototype> x y z" in world units, sorted.
std::vector<std::string> Placed(const GameObj* owner)
{
    std::vector<std::string> out;
    for (const GameObj* child = owner->GetFirstChild(); child; child = child->GetNextSibling()) {
        const Matrix4x4& w = child->GetTransform()->WorldMatrix();
        char line[128];
        std::snprintf(line, sizeof line, "%s %g %g %.4f", child->GetPrototypeName().c_str(), w.m[3][0], w.m[3][1],
                      w.m[3][2]);
        out.push_back(line);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// What one factory on an area at (1536, 256) places, and what it logs. Lua positions are
// y-down from the area's top-left corner (1024, 512).
TEST_F(DressingTest, LandscapePlacements)
{
    struct Case {
        const char* name;
        const char* table;
        std::vector<std::string> placed;
        const char* error; // a part of the error, or null
    };
    const std::vector<Case> cases = {
        {"rate 100 always places",
         "{ manual = { { name = 'prop_A', position = { x = 612, y = 156, z = 3 }, rate = 100 } } }",
         {"prop_A 1636 356 3.0000"}, nullptr},
        {"rate 0 never places", "{ manual = { { name = 'prop_A', rate = 0 } } }", {}, nullptr},
        {"without a rate, never placed", "{ manual = { { name = 'prop_A', position = { x = 512, y = 256 } } } }", {},
         nullptr},
        {"z 0 keeps the prototype's depth",
         "{ manual = { { name = 'prop_A', position = { x = 512, y = 256, z = 0 }, rate = 100 } } }",
         {"prop_A 1536 256 7.0000"}, nullptr},
        {"without a position: at the origin", "{ manual = { { name = 'prop_A', rate = 100 } } }",
         {"prop_A 1536 256 7.0000"}, nullptr},
        {"an unknown name is left out, the next entry placed",
         "{ manual = { { name = 'prop_Gone', rate = 100 }, { name = 'prop_B', position = { x = 512, y = 256 }, rate = 100 } } }",
         {"prop_B 1536 256 0.0000"}, "\"area_L\": no prototype \"prop_Gone\""},
        {"an entry naming what holds the factory is left out",
         "{ manual = { { name = 'area_L', rate = 100 } } }", {}, "\"area_L\" holds this factory"},
        {"count {3, 3}: three, each a hair nearer",
         "{ procedural = { { name = 'prop_A', position = { x = { min = 612, max = 612 }, y = 56 }, count = { min = 3, max = 3 } } } }",
         {"prop_A 1636 456 7.0000", "prop_A 1636 456 7.0001", "prop_A 1636 456 7.0002"}, nullptr},
        {"count {0, 0} places nothing",
         "{ procedural = { { name = 'prop_A', count = { min = 0, max = 0 } } } }", {}, nullptr},
        {"a spread of an unknown name: one error",
         "{ procedural = { { name = 'prop_Gone', count = { min = 4, max = 4 } } } }", {}, "no prototype \"prop_Gone\""},
        {"no condition: the consequent",
         "{ conditional = { { consequent = { name = 'prop_A', rate = 100 }, alternative = { name = 'prop_B', rate = 100 } } } }",
         {"prop_A 1536 256 7.0000"}, nullptr},
        {"no condition, the consequent without a rate: nothing",
         "{ conditional = { { consequent = { name = 'prop_A' }, alternative = { name = 'prop_B', rate = 100 } } } }", {},
         nullptr},
        {"a condition that fails: the alternative",
         "{ conditional = { { condition = { { { compare = 0 } } }, consequent = { name = 'prop_A', rate = 100 },\n"
         "  alternative = { name = 'prop_B', position = { x = 0, y = 0 }, rate = 100 } } } }",
         {"prop_B 1024 512 0.0000"}, nullptr},
        {"an empty condition set: the alternative",
         "{ conditional = { { condition = {}, consequent = { name = 'prop_A', rate = 100 },\n"
         "  alternative = { name = 'prop_B', rate = 100 } } } }",
         {"prop_B 1536 256 0.0000"}, nullptr},
        {"the second group holds: the consequent",
         "{ conditional = { { condition = { { { compare = 0 } }, { { compare = 5, target = 1, value = 2 } } },\n"
         "  consequent = { name = 'prop_A', rate = 100 }, alternative = { name = 'prop_B', rate = 100 } } } }",
         {"prop_A 1536 256 7.0000"}, nullptr},
        {"no alternative: nothing",
         "{ conditional = { { condition = { { { compare = 0 } } }, consequent = { name = 'prop_A', rate = 100 } } } }", {},
         nullptr},
    };
    g_PlayStatistics.Reset();
    g_PlayStatistics.m_fPlayTime = 3.0f; // value kind 1
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObj* area = Object("area_L", 1536, 256);
        auto* factory = static_cast<LandscapeFactory*>(Add(area, "LandscapeFactory", c.table));
        ASSERT_NE(factory, nullptr);
        // The factory's object is built from its prototype in the game; here by hand.
        SfmtInit(7);
        ::testing::internal::CaptureStdout();
        factory->Start();
        const std::string log = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(Placed(area), c.placed);
        if (c.error) {
            EXPECT_NE(log.find(c.error), std::string::npos) << log;
            size_t errors = 0;
            for (size_t at = log.find("LandscapeFactory of"); at != std::string::npos; at = log.find("LandscapeFactory of", at + 1))
                ++errors;
            EXPECT_EQ(errors, 1u) << log;
        } else {
            EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
        }
        for (GameObj* root : m_Roots)
            delete root;
        m_Roots.clear();
    }
    g_PlayStatistics.Reset();
}

// Every chance, count and position comes from the shared pool in list order: one draw per manual
// entry, one per spread count, one per spread position, one per conditional entry.
TEST_F(DressingTest, LandscapeDrawsInListOrder)
{
    const char* const table =
        "{ manual = { { name = 'prop_B', position = { x = 100, y = 256 }, rate = 50 },\n"
        "             { name = 'prop_B', position = { x = 200, y = 256 }, rate = 50 },\n"
        "             { name = 'prop_B', position = { x = 300, y = 256 }, rate = 50 },\n"
        "             { name = 'prop_B', position = { x = 400, y = 256 }, rate = 50 },\n"
        "             { name = 'prop_B', position = { x = 500, y = 256 }, rate = 50 } },\n"
        "  procedural = { { name = 'prop_A', position = { x = { min = 1000, max = 0 }, y = 256 }, count = { min = 4, max = 1 } } },\n"
        "  conditional = { { consequent = { name = 'prop_B', position = { x = 900, y = 256 }, rate = 50 } } } }";
    for (uint32_t seed : {1u, 2u, 3u, 20240611u}) {
        SCOPED_TRACE(seed);
        // The placements worked out from the pool's words.
        SfmtInit(seed);
        std::vector<std::string> expected;
        char line[128];
        for (int i = 1; i <= 5; ++i)
            if (RandomNext() % 100u < 50u) {
                std::snprintf(line, sizeof line, "prop_B %d 256 0.0000", 1024 + 100 * i);
                expected.push_back(line);
            }
        const int count = 1 + static_cast<int>(3.0 * static_cast<double>(RandomNext()) * 2.3283064370807974e-10);
        for (int i = 0; i < count; ++i) {
            // From the area's centre line: the range is -512 to 488, made whole toward zero.
            const float x = std::trunc(-512.0f + 1000.0f * static_cast<float>(RandomNext()) / 4294967295.0f + 0.5f);
            std::snprintf(line, sizeof line, "prop_A %g 256 %.4f", 1536.0f + x, 7.0f + static_cast<float>(i) * 0.0001f);
            expected.push_back(line);
        }
        if (RandomNext() % 100u < 50u)
            expected.push_back("prop_B 1924 256 0.0000");
        std::sort(expected.begin(), expected.end());

        GameObj* area = Object("area_L", 1536, 256);
        auto* factory = static_cast<LandscapeFactory*>(Add(area, "LandscapeFactory", table));
        SfmtInit(seed);
        factory->Start();
        EXPECT_EQ(Placed(area), expected);
        const uint32_t next = RandomNext();
        SfmtInit(seed);
        for (size_t i = 0; i < 5 + 1 + static_cast<size_t>(count) + 1; ++i)
            RandomNext();
        EXPECT_EQ(next, RandomNext()) << "no draw more or less";
    }
}

// A source that records what the sound manager asks of it.
struct SourceLog {
    std::vector<std::string> lines;
};

class RecordingSource : public IAudioSource {
public:
    RecordingSource(IAudioDevice* device, int id, int group, NameId key, SourceLog& log)
        : IAudioSource(device, id, group, key), m_Log(log)
    {
    }
    ~RecordingSource() override
    {
        delete m_pDecoder;
        Note("deleted");
    }
    bool Create(IDecoder* decoder) override
    {
        m_pDecoder = decoder;
        return true;
    }
    void Release() override {}
    void Play(int loopCount) override { Note("play " + std::to_string(loopCount)); }
    void Stop() override { Note("stop"); }
    void Rewind() override { Note("rewind"); }
    void SetVolume(float) override {}
    float GetVolume() override { return 1.0f; }
    bool IsPlaying() override { return true; }
    void UpdateFade(float) override {}
    void FadeTo(float target, float seconds) override
    {
        char text[64];
        std::snprintf(text, sizeof text, "fade to %g over %g", target, seconds);
        Note(text);
    }
    int GetFadeMode() override { return eFadeMode_None; }

private:
    void Note(const std::string& what) { m_Log.lines.push_back(std::to_string(GetId()) + " " + what); }

    SourceLog& m_Log;
    IDecoder* m_pDecoder = nullptr;
};

class RecordingDevice : public NullAudioDevice {
public:
    explicit RecordingDevice(SourceLog& log) : m_Log(log) {}
    IAudioSource* CreateSource(int id, int group, NameId key) override
    {
        return new RecordingSource(this, id, group, key, m_Log);
    }

private:
    SourceLog& m_Log;
};

// Music players starting one after another, as stages do.
TEST_F(DressingTest, MusicPlayerSwitchesTheTrack)
{
    SourceLog log;
    SoundManager sounds(new RecordingDevice(log));
    g_pSoundManager = &sounds;
    SoundManager::SetSourceCounter(0);
    const NameId home = HashName("assets.v1/sounds/bgm/home");
    const NameId cave = HashName("assets.v1/sounds/bgm/cave");
    struct Step {
        const char* name;
        const char* table;
        std::vector<std::string> log; // what the sources were asked
        NameId current;               // 0: no music
        bool sameSource;              // the current source is the one before
        NameId fading;
    };
    const std::vector<Step> steps = {
        {"the first track starts, looping", "{ name = 'assets.v1/sounds/bgm/home' }", {"0 play 255"}, home, false, 0},
        {"the same track goes on", "{ name = 'assets.v1/sounds/bgm/home' }", {}, home, true, 0},
        {"another track: the old one fades over 0.5 s", "{ name = 'assets.v1/sounds/bgm/cave' }",
         {"0 fade to 0 over 0.5", "1 play 255"}, cave, false, home},
        {"back again while it fades", "{ name = 'assets.v1/sounds/bgm/home' }",
         {"0 deleted", "1 fade to 0 over 0.5", "2 play 255"}, home, false, cave},
        {"no name stops the music at once", "{}", {"1 deleted", "2 deleted"}, 0, false, 0},
        {"an empty name likewise, with nothing playing", "{ name = '' }", {}, 0, true, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        IAudioSource* before = sounds.GetCurrentBgm();
        log.lines.clear();
        GameObj* root = Object("stage", 0, 0);
        auto* player = static_cast<MusicPlayer*>(Add(root, "MusicPlayer", s.table));
        player->Start();
        EXPECT_EQ(log.lines, s.log);
        IAudioSource* current = sounds.GetCurrentBgm();
        EXPECT_EQ(current ? current->GetKey() : 0u, s.current);
        if (current) {
            EXPECT_EQ(current->GetGroup(), eSoundGroup_Bgm);
        }
        EXPECT_EQ(current == before, s.sameSource);
        IAudioSource* fading = sounds.GetFadingBgm();
        EXPECT_EQ(fading ? fading->GetKey() : 0u, s.fading);
    }
    sounds.Release();
    g_pSoundManager = nullptr;
}

} // namespace

namespace {

size_t ChildCount(const GameObj* owner)
{
    size_t n = 0;
    for (const GameObj* child = owner->GetFirstChild(); child; child = child->GetNextSibling())
        ++n;
    return n;
}

size_t Occurrences(const std::string& log, const std::string& text)
{
    size_t n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
        ++n;
    return n;
}

} // namespace

// Counts in the billions, or factories whose objects hold factories, would stall the stage's
// start and exhaust memory: one spread places at most its limit, one stage at most its own.
TEST_F(DressingTest, RunawayCountsAreCapped)
{
    GameObj* stage = Object("stage", 0, 0);
    const char* const huge = "{ procedural = { { name = 'prop_B', count = { min = 2000000000, max = 2000000000 } } } }";
    std::vector<GameObj*> areas;
    std::vector<std::string> logs;
    for (int i = 0; i < 4; ++i) {
        GameObj* area = Object("area_L", 512.0f + 1024.0f * float(i), 256, 0, stage);
        auto* factory = static_cast<LandscapeFactory*>(Add(area, "LandscapeFactory", huge));
        ::testing::internal::CaptureStdout();
        factory->Start();
        logs.push_back(::testing::internal::GetCapturedStdout());
        areas.push_back(area);
    }
    EXPECT_EQ(ChildCount(areas[0]), size_t(LandscapeFactory::kMaxSpreadCount));
    EXPECT_EQ(ChildCount(areas[1]), size_t(LandscapeFactory::kMaxStagePlacements - LandscapeFactory::kMaxSpreadCount));
    EXPECT_EQ(ChildCount(areas[2]), 0u);
    EXPECT_EQ(ChildCount(areas[3]), 0u);
    for (const std::string& log : logs)
        EXPECT_EQ(Occurrences(log, "only 10000 are placed"), 1u) << log;
    EXPECT_EQ(Occurrences(logs[0], "ERROR"), 1u) << logs[0];
    EXPECT_EQ(Occurrences(logs[1], "ERROR"), 1u) << "the budget is just full: " << logs[1];
    EXPECT_EQ(Occurrences(logs[2], "the stage already has 20000 landscape objects"), 1u) << logs[2];
    EXPECT_EQ(Occurrences(logs[3], "the stage already has"), 0u) << "reported once per stage: " << logs[3];
    // The next frame has a budget of its own.
    SetStandInFrameCount(GetAppFrameCount() + 1);
    auto* later = static_cast<LandscapeFactory*>(areas[3]->GetComponent(LandscapeFactory::s_Class.Key));
    ::testing::internal::CaptureStdout();
    later->Start();
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(ChildCount(areas[3]), size_t(LandscapeFactory::kMaxSpreadCount));
    SetStandInFrameCount(0);
    // Another stage starts with a budget of its own.
    GameObj* next = Object("area_L", 512, 256);
    auto* factory = static_cast<LandscapeFactory*>(
        Add(next, "LandscapeFactory", "{ manual = { { name = 'prop_A', rate = 100 } } }"));
    factory->Start();
    EXPECT_EQ(ChildCount(next), 1u);
}
