#include <gtest/gtest.h>

#include "Components/Core/Camera2D.h"
#include "Components/Core/Collider.h"
#include "Components/Game/AttemptDamageController.h"
#include "Components/Game/EnemyController.h"
#include "Components/Game/OskelController.h"
#include "Components/Game/StrangerController.h"
#include "Components/Game/TalkChannel.h"
#include "GameFixture.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Random.h"
#include "System/Graphics/ScreenFader.h"
#include "System/Sound/SoundManager.h"
#include "World/PlayerSaveData.h"
#include "World/SceneManager.h"

namespace {

// An enemy standing still at x with the given health and experience stat.
std::string StillEnemy(const std::string& name, const std::string& tag, int health, int experience,
                       const std::string& more = "")
{
    return name + " = { object_name = '" + name + "', object_tag = '" + tag +
           "', object_layer = 4, object_activity = 1,"
           "  components = { Transform = { position = { x = 300, y = 300 } },"
           "    Kinematics = { needClamp = true, useGravity = false },"
           "    Box2DCollider = { size = { width = 20, height = 20 }, cullingMask = 3 },"
           "    StatusParameter = { health = { init = " +
           std::to_string(health) + ", max = " + std::to_string(health) + " }, experience = { init = " +
           std::to_string(experience) + " } }, HealthController = {}," + more +
           "    EnemyController = { initState = 'idle', stateMachine = { idle = {}, leave = {} } } } }";
}

// The stage: the player, a camera at the origin and the listed children.
std::map<std::string, std::string> VisitorFiles(const std::string& children, const std::string& rootMore = "")
{
    auto files = GameFiles(PlayerPrototype(PlayerTuning()));
    files["stage/stage_Test"] = "stage_Test = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                                "  components = { Transform = {}, TestStageSize = {}, QuestController = {}," +
                                rootMore +
                                " },"
                                "  children = { { base_script = 'test_player' }, { base_script = 'test_floor' },"
                                "    { base_script = 'test_camera' }, " +
                                children + " } }";
    files["game_objects/test_camera"] = "test_camera = { object_name = 'camera', object_tag = 'GameCamera',"
                                        "  object_layer = 4, object_activity = 1,"
                                        "  components = { Transform = {}, Camera2D = {} } }";
    files["game_objects/test_group"] = "test_group = { object_layer = 1, object_activity = 1,"
                                       "  components = { Transform = {} } }";
    files["game_objects/test_group2"] = "test_group2 = { object_layer = 1, object_activity = 1,"
                                        "  components = { Transform = {} } }";
    files["game_objects/gameobj_effect_dead_with_flower4"] =
        "gameobj_effect_dead_with_flower4 = { object_name = 'flower4', object_layer = 1, object_activity = 1,"
        "  components = { Transform = {} } }";
    files["game_objects/gameobj_effect_experience_emitter"] =
        "gameobj_effect_experience_emitter = { object_name = 'emitter', object_layer = 1, object_activity = 1,"
        "  components = { Transform = {} } }";
    return files;
}

// The Oskel pair, each under a group of its own, below the event's object.
const char* const kOskelGroup =
    "{ base_script = 'test_group', object_name = 'event',"
    "  components = { OskelController = {} },"
    "  children = {"
    "    { base_script = 'test_group2', object_name = 'group1', children = { { base_script = 'test_oskel' } } },"
    "    { base_script = 'test_group2', object_name = 'group2',"
    "      components = { Transform = { position = { x = 40, y = 0 } } },"
    "      children = { { base_script = 'test_liberated' } } } } }";

class VisitorTest : public GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        g_pScreenFader = &m_Fader;
        g_PlayerSaveData.Reset();
        SetAppTimeScale(1.0f);
    }
    void TearDown() override
    {
        GameTest::TearDown();
        g_pScreenFader = nullptr;
        g_pSoundManager = nullptr;
        g_PlayerSaveData.Reset();
        SetAppTimeScale(1.0f);
    }
    // A frame as the application runs it: the scene, then the fade.
    void Frame(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            Tick();
            m_Fader.Update(1.0f / 60.0f);
        }
    }
    EnemyController& Enemy(const std::string& name) const
    {
        return *static_cast<EnemyController*>(Find(name)->GetComponent(EnemyController::s_Class.Key));
    }
    template <typename T>
    T* Get(const std::string& object) const
    {
        GameObj* o = Find(object);
        return o ? static_cast<T*>(o->GetComponent(T::s_Class.Key)) : nullptr;
    }

    ScreenFader m_Fader;
};

} // namespace

// The two-stage event: slow motion, the white fades, the quest paused and the player held
// invincible from each defeat on until the second enemy stands, the experience of the second
// (with the player's accessory) and, at the end, normal speed, the quest and a hittable player.
TEST_F(VisitorTest, OskelPhases)
{
    TestAccessories accessories;
    accessories.Set(16, 2, 10.0f); // experience + 10
    auto files = VisitorFiles(kOskelGroup);
    files["game_objects/test_oskel"] = StillEnemy("test_oskel", "Oskel", 10, 0);
    files["game_objects/test_liberated"] = StillEnemy("test_liberated", "LiberatedOskel", 10, 40);
    Build(files);
    Player().m_pStatus->m_nAccessoryKey = HashName("accessory_TestRing");
    Player().m_pStatus->Refresh();
    Frame();
    OskelController& oskel = *Get<OskelController>("event");
    QuestController& quest = *Get<QuestController>("stage");
    ASSERT_TRUE(oskel.IsEnabled());
    EXPECT_TRUE(Enemy("test_oskel").m_nFlags & eEnemyFlag_KeepOffscreen);
    EXPECT_TRUE(Enemy("test_liberated").m_nFlags & eEnemyFlag_KeepOffscreen);
    EXPECT_FALSE(Find("test_liberated")->IsActive());
    EXPECT_FALSE(Find("group2")->IsActive());

    struct Checkpoint {
        const char* what;
        const char* defeat; // the enemy whose health drops to 0 first ("": none)
        int frames;
        int32_t phase, step;
        float timeScale;
        uint16_t fade;
        int32_t masks;
        bool questOn, oskelOn, liberatedOn, eventOn;
        uint32_t experience;
    };
    const Checkpoint points[] = {
        {"the first stands", "", 3, 0, 1, 1.0f, eScreenFade_Idle, 0, true, true, false, true, 0},
        {"the first falls", "test_oskel", 1, 0, 2, kOskelTimeScale, eScreenFade_FadeOut, 1, false, true, false, true, 0},
        {"whited out: the second appears", "", 14, 1, 1, 1.0f, eScreenFade_FadeIn, 1, false, false, true, true, 0},
        {"faded in: the fight goes on", "", 20, 1, 2, 1.0f, eScreenFade_Idle, 0, true, false, true, true, 0},
        {"the second falls", "test_liberated", 1, 1, 3, kOskelTimeScale, eScreenFade_FadeOut, 1, false, false, true,
         true, 50},
        // The event's object goes off, and its whole subtree with it.
        {"the end: back from white", "", 17, 1, 4, 1.0f, eScreenFade_FadeIn, 0, true, false, true, false, 50},
    };
    for (const Checkpoint& c : points) {
        SCOPED_TRACE(c.what);
        if (*c.defeat)
            Enemy(c.defeat).m_pHealth->m_nHealth = 0;
        Frame(c.frames);
        EXPECT_EQ(oskel.m_nPhase, c.phase);
        EXPECT_EQ(oskel.m_nStep, c.step);
        EXPECT_FLOAT_EQ(GetAppTimeScale(), c.timeScale);
        EXPECT_EQ(m_Fader.m_nMode, c.fade);
        EXPECT_EQ(Player().m_pInvincible->GetMaskCount(), c.masks);
        EXPECT_EQ(quest.IsEnabled(), c.questOn);
        EXPECT_EQ(Find("test_oskel")->IsActive(), c.oskelOn);
        EXPECT_EQ(Find("test_liberated")->IsActive(), c.liberatedOn);
        EXPECT_EQ(Find("event")->IsActive(), c.eventOn);
        EXPECT_EQ(g_PlayerSaveData.m_nExperience, c.experience);
    }
    ASSERT_NE(Find("flower4"), nullptr);
    EXPECT_FLOAT_EQ(WorldPosition(Find("flower4")).x, 40.0f); // at the second's group
}

// A special move that freezes the enemies' layer as the second enemy appears keeps it from
// starting: the event waits for it to start, fight and fall, and then pays its experience.
TEST_F(VisitorTest, OskelWaitsForASecondEnemyThatReallyFought)
{
    auto files = VisitorFiles(kOskelGroup);
    files["game_objects/test_oskel"] = StillEnemy("test_oskel", "Oskel", 10, 0);
    files["game_objects/test_liberated"] = StillEnemy("test_liberated", "LiberatedOskel", 10, 40);
    Build(files);
    Frame();
    OskelController& oskel = *Get<OskelController>("event");
    Enemy("test_oskel").m_pHealth->m_nHealth = 0;
    Frame();
    ASSERT_EQ(oskel.m_nStep, 2);
    // The enemies' layer (4) frozen from the white-out until well after the fade-in.
    SceneManager& scene = *m_pWorld->Scene();
    scene.m_nUpdateMask = ~4u;
    Frame(62 + 92 + 30);
    EXPECT_EQ(oskel.m_nPhase, 1);
    EXPECT_TRUE(Find("test_liberated")->IsActive());
    EXPECT_FALSE(Enemy("test_liberated").IsStarted());
    EXPECT_EQ(oskel.m_nStep, 2) << "a second enemy that never started has not fallen";
    EXPECT_EQ(g_PlayerSaveData.m_nExperience, 0u);
    // The layer moves again: the enemy starts and stands until its health runs out.
    scene.m_nUpdateMask = 0xFFFFFFFFu;
    Frame(3);
    ASSERT_TRUE(Enemy("test_liberated").IsStarted());
    EXPECT_EQ(oskel.m_nStep, 2);
    Enemy("test_liberated").m_pHealth->m_nHealth = 0;
    Frame();
    EXPECT_EQ(oskel.m_nStep, 3);
    EXPECT_EQ(g_PlayerSaveData.m_nExperience, 40u);
}

// A stranger whose data names no exit state leaves through the state called "exitState".
TEST_F(VisitorTest, StrangerExitStateDefaultsToItsName)
{
    auto files = VisitorFiles("{ base_script = 'test_stranger' }");
    std::string stranger = StillEnemy("test_stranger", "Enemy", 100, 0, "StrangerController = { duration = 1 },");
    stranger.replace(stranger.find("leave = {}"), std::string("leave = {}").size(), "exitState = {}");
    files["game_objects/test_stranger"] = stranger;
    Build(files);
    Frame(65);
    EXPECT_EQ(Get<StrangerController>("test_stranger")->m_nStep, 2);
    EXPECT_EQ(Enemy("test_stranger").m_nStateId, HashName("exitState"));
}

// Without either tagged object the event cannot run: an error, and the controller is off.
TEST_F(VisitorTest, OskelWithoutPairDisablesItself)
{
    struct Case {
        const char* name;
        const char* liberatedTag;
        const char* expect;
    };
    const Case cases[] = {
        {"no LiberatedOskel", "Enemy", "\"LiberatedOskel\""},
        {"both present", "LiberatedOskel", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto files = VisitorFiles(kOskelGroup);
        files["game_objects/test_oskel"] = StillEnemy("test_oskel", "Oskel", 10, 0);
        files["game_objects/test_liberated"] = StillEnemy("test_liberated", c.liberatedTag, 10, 40);
        testing::internal::CaptureStdout();
        Build(files);
        Frame(2);
        const std::string log = testing::internal::GetCapturedStdout();
        OskelController& oskel = *Get<OskelController>("event");
        if (*c.expect) {
            EXPECT_FALSE(oskel.IsEnabled());
            EXPECT_NE(log.find("ERROR"), std::string::npos) << log;
            EXPECT_NE(log.find(c.expect), std::string::npos) << log;
            EXPECT_TRUE(Find("test_liberated")->IsActive());
        } else {
            EXPECT_TRUE(oskel.IsEnabled());
            EXPECT_EQ(log.find("OskelController"), std::string::npos) << log;
        }
    }
}

// "duration" and "extraExp": a number, or a range drawn once at load; the extra experience
// grows with the saved stat levels (sum / 6 + 1).
TEST_F(VisitorTest, StrangerDurationAndExtraExperience)
{
    struct Case {
        const char* name;
        const char* keys;
        uint32_t levelSum;
        float durationLo, durationHi;
        int32_t expLo, expHi;
    };
    const Case cases[] = {
        {"numbers, levels 0", "duration = 12.5, extraExp = 7.9", 0, 12.5f, 12.5f, 7, 7},
        {"ranges, levels 0", "duration = { 10, 20 }, extraExp = { 9, 3 }", 0, 10.0f, 20.0f, 3, 9},
        {"level sum 12 triples", "duration = 3, extraExp = 5", 12, 3.0f, 3.0f, 15, 15},
        {"level sum 11: integer division", "duration = 3, extraExp = 5", 11, 3.0f, 3.0f, 10, 10},
        {"absent", "", 0, 0.0f, 0.0f, 0, 0},
    };
    for (const Case& c : cases) {
        for (uint32_t seed : {1u, 77u, 4242u}) {
            SCOPED_TRACE(c.name);
            SfmtInit(seed);
            g_PlayerSaveData.Reset();
            g_PlayerSaveData.m_aLevels[0] = c.levelSum / 2;
            g_PlayerSaveData.m_aLevels[5] = c.levelSum - c.levelSum / 2;
            auto files = VisitorFiles("{ base_script = 'test_stranger' }");
            files["game_objects/test_stranger"] =
                StillEnemy("test_stranger", "Enemy", 100, 0, std::string("StrangerController = { ") + c.keys + " },");
            Build(files);
            const StrangerController& s = *Get<StrangerController>("test_stranger");
            EXPECT_GE(s.m_fDuration, c.durationLo);
            EXPECT_LE(s.m_fDuration, c.durationHi);
            EXPECT_GE(s.GetExtraExperience(), c.expLo);
            EXPECT_LE(s.GetExtraExperience(), c.expHi);
        }
    }
}

// A visit: the theme restarts at once (even when it already plays), the stay, the exit state
// with collisions off and no clamp, and at 768 units from the camera the departure with the
// stage music back (unless it already plays) and the companion's two remarks.
TEST_F(VisitorTest, StrangerVisitMusicAndDeparture)
{
    SoundManager sound(new NullAudioDevice);
    g_pSoundManager = &sound;
    const NameId stage = HashName("assets.v1/sounds/bgm/stage");
    const NameId theme = HashName("assets.v1/sounds/bgm/theme");
    struct Case {
        const char* name;
        NameId playing;         // before the stranger comes
        NameId playingAtLeave;  // set just before it leaves (0: whatever plays)
        bool stageRestarted;    // a new stage-music source at the departure
    };
    const Case cases[] = {
        {"stage music playing", stage, 0, true},
        {"theme already playing", theme, 0, true},
        {"stage music back before the departure", stage, stage, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sound.FadeOutBgm(0.0f);
        sound.PlayBgm(0.0f, c.playing, true);
        // Sources are told apart by id: a new one may take a freed one's address.
        const int before = sound.GetCurrentBgm()->GetId();
        g_TalkChannelQueue.Clear(0);
        auto files = VisitorFiles("{ base_script = 'test_stranger' }",
                                  "MusicPlayer = { name = 'assets.v1/sounds/bgm/stage' }");
        files["game_objects/test_stranger"] = StillEnemy(
            "test_stranger", "Enemy", 100, 0,
            "StrangerController = { themeSong = 'assets.v1/sounds/bgm/theme', duration = 1, exitState = 'leave' },");
        Build(files);
        StrangerController& s = *Get<StrangerController>("test_stranger");
        EXPECT_EQ(s.GetStageMusic(), stage);
        ASSERT_NE(sound.GetCurrentBgm(), nullptr);
        EXPECT_EQ(sound.GetCurrentBgm()->GetKey(), theme);
        EXPECT_NE(sound.GetCurrentBgm()->GetId(), before) << "the theme starts afresh";
        EXPECT_EQ(s.m_nStep, 1);

        Frame(55);
        EXPECT_EQ(s.m_nStep, 1);
        Frame(10);
        EXPECT_EQ(s.m_nStep, 2);
        EXPECT_EQ(Enemy("test_stranger").m_nStateId, HashName("leave"));
        EXPECT_FALSE(Find("test_stranger")->GetKinematics()->m_bNeedClamp);
        EXPECT_EQ(Find("test_stranger")->GetCollider()->GetCullingMask(), 0u);

        if (c.playingAtLeave) {
            sound.FadeOutBgm(0.0f);
            sound.PlayBgm(0.0f, c.playingAtLeave, true);
        }
        const int atLeave = sound.GetCurrentBgm()->GetId();
        // Away from the camera (which follows its own target) by a distance, every frame.
        GameObj* stranger = Find("test_stranger");
        auto keepAway = [&](float distance) {
            for (int i = 0; i < 2; ++i) {
                const Vec2 eye = WorldPosition(Find("camera"));
                Kinematics& body = *stranger->GetKinematics();
                body.m_fPosX = eye.x + distance;
                body.m_fPosY = eye.y;
                body.m_fVelX = body.m_fVelY = 0.0f;
                stranger->GetTransform()->SetLocalPosition(eye.x + distance, eye.y, 0.0f);
                stranger->GetTransform()->UpdateWorldMatrices();
                Frame();
            }
        };
        keepAway(700.0f);
        EXPECT_EQ(s.m_nStep, 2) << "700 units away is not gone";
        keepAway(900.0f);
        EXPECT_EQ(s.m_nStep, 3);
        EXPECT_FALSE(Find("test_stranger")->IsActive());
        EXPECT_TRUE(Enemy("test_stranger").m_nFlags & eEnemyFlag_Despawned);
        ASSERT_NE(sound.GetCurrentBgm(), nullptr);
        EXPECT_EQ(sound.GetCurrentBgm()->GetKey(), stage);
        EXPECT_EQ(sound.GetCurrentBgm()->GetId() != atLeave, c.stageRestarted);
    }
    sound.FadeOutBgm(0.0f);
}

// Every hit on a stranger pays its extra experience into the play and the save (capped) with
// an emitter at it; a hit on anything else pays nothing.
TEST_F(VisitorTest, HitOnStrangerPaysExperience)
{
    struct Case {
        const char* name;
        const char* victim;
        uint32_t savedBefore;
        int hits;
        uint32_t saved;
        int32_t played;
        bool emitter;
    };
    const Case cases[] = {
        {"stranger, two hits", "test_stranger", 0, 2, 24, 24, true},
        {"stranger near the cap", "test_stranger", 99999990, 1, 99999999, 12, true},
        {"plain enemy", "test_plain", 0, 1, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_PlayerSaveData.Reset();
        g_PlayerSaveData.m_nExperience = c.savedBefore;
        auto files = VisitorFiles("{ base_script = 'test_stranger' }, { base_script = 'test_plain' },"
                                  "{ base_script = 'test_hit' }");
        files["game_objects/test_stranger"] =
            StillEnemy("test_stranger", "Enemy", 1000, 0, "StrangerController = { duration = 100, extraExp = 12 },");
        files["game_objects/test_plain"] = StillEnemy("test_plain", "Enemy", 1000, 0);
        files["game_objects/test_hit"] =
            "test_hit = { object_name = 'hit', object_layer = 2, object_activity = 1,"
            "  components = { Transform = {}, AttemptDamageController = { targetLayer = 4, damageScale = 1 } } }";
        Build(files);
        g_PlayStatistics.Reset();
        auto& hit = *Get<AttemptDamageController>("hit");
        for (int i = 0; i < c.hits; ++i)
            hit.Hit(Find(c.victim));
        EXPECT_EQ(g_PlayerSaveData.m_nExperience, c.saved);
        EXPECT_EQ(g_PlayStatistics.m_nExperience, c.played);
        EXPECT_EQ(Find("emitter") != nullptr, c.emitter);
    }
}

// The director's way in: a stranger whose prototype builds nothing or has no enemy controller
// does not come (an error naming it); one that comes stays on while off screen.
TEST_F(VisitorTest, SpawnStrangerChecksThePrototype)
{
    struct Case {
        const char* name;
        const char* prototype;
        bool comes;
    };
    const Case cases[] = {
        {"a stranger", "test_stranger", true},
        {"unknown prototype", "test_nobody", false},
        {"no enemy controller", "test_prop", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto files = VisitorFiles("{ base_script = 'test_floor' }");
        files["game_objects/test_stranger"] =
            StillEnemy("test_stranger", "Enemy", 10, 0, "StrangerController = { duration = 5 },");
        files["game_objects/test_prop"] = "test_prop = { object_name = 'prop', object_layer = 1, object_activity = 1,"
                                          "  components = { Transform = {} } }";
        Build(files);
        testing::internal::CaptureStdout();
        GameObj* s = SpawnStranger(c.prototype, m_pWorld->Scene()->GetRoot(), 100.0f, 200.0f);
        Frame(2);
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(s != nullptr, c.comes);
        if (c.comes) {
            EXPECT_TRUE(Enemy(c.prototype).m_nFlags & eEnemyFlag_KeepOffscreen);
        } else {
            EXPECT_NE(log.find(std::string("ERROR")), std::string::npos);
            EXPECT_NE(log.find(c.prototype), std::string::npos) << log;
            EXPECT_EQ(Find("prop"), nullptr) << "a stranger without an actor is removed";
        }
    }
}
