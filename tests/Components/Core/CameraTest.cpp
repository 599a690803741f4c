#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Components/Core/Camera2D.h"
#include "Components/Core/Collider.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/SpriteRenderer.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Random.h"
#include "System/Graphics/SpriteBatch.h"
#include "World/SceneFixture.h"
#include "World/WorldFixture.h"

namespace {

class CameraTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        g_CameraRegistry.Clear();
        m_pWorld = CollisionWorld::Create();
    }
    void TearDown() override
    {
        WorldTest::TearDown();
        g_CameraRegistry.Clear();
        CollisionWorld::Destroy();
        SetAppDeltaTime(0.0f);
        SetAppRawDeltaTime(0.0f);
    }
    // A started camera on a new object with the tag, at (x, y), under the parent when given.
    Camera2D* Camera(const char* tag, const std::string& table, float x, float y, GameObj* parent = nullptr)
    {
        GameObj* obj = parent ? Make(tag, parent) : Root(tag);
        obj->SetTag(HashName(tag));
        auto* t = static_cast<Transform*>(obj->AddComponent("Transform", nullptr));
        t->SetLocalPosition(x, y, 0);
        t->UpdateWorldMatrices();
        PushTable(table);
        auto* camera = static_cast<Camera2D*>(obj->AddComponent("Camera2D", m_L));
        lua_settop(m_L, 0);
        if (camera)
            camera->Start();
        return camera;
    }
    Transform* Target(float x, float y)
    {
        GameObj* obj = Root("target");
        auto* t = static_cast<Transform*>(obj->AddComponent("Transform", nullptr));
        t->SetLocalPosition(x, y, 0);
        t->UpdateWorldMatrices();
        return t;
    }

    CollisionWorld* m_pWorld = nullptr;
};

const char* const kScreen = "{ screenSize = { width = 960, height = 540 } }";

} // namespace

TEST_F(CameraTest, LoadReadsItsKeys)
{
    Camera2D* camera = Camera("GameCamera", "{ depth = 260, screenSize = { width = 800, height = 600 },"
                                            " spring = { length = 5, springConst = 2, dumpConst = 1 } }", 0, 0);
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->GetDepth(), 4); // 260 truncated to 8 bits
    EXPECT_EQ(camera->GetHalfWidth(), 400.0f);
    EXPECT_EQ(camera->GetHalfHeight(), 300.0f);
    EXPECT_TRUE(camera->HasSpring());
    Camera2D* bare = Camera("Other", "{ screenSize = 3 }", 0, 0);
    EXPECT_EQ(bare->GetHalfWidth(), 0.0f);
    EXPECT_FALSE(bare->HasSpring());
}

TEST_F(CameraTest, PositionsStayInsideTheStage)
{
    struct Case {
        StageBounds bounds;
        float x, y, wantX, wantY;
    };
    const Case cases[] = {
        {{0, 0, 1024, 2000}, 100, 100, 480, 270},
        {{0, 0, 1024, 2000}, 500, 600, 500, 600},
        {{0, 0, 1024, 2000}, 2000, 3000, 544, 1730},
        {{0, 0, 3072, 2000}, 2000, 1000, 2000, 1000},
        {{-100, -50, 2000, 2000}, -1000, -1000, 380, 220},
        // A stage narrower than the view: the low edge is tested first and wins.
        {{0, 0, 800, 400}, 100, 100, 480, 270},
        {{0, 0, 800, 400}, 700, 300, 320, 130},
    };
    Camera2D* camera = Camera("GameCamera", kScreen, 0, 0);
    for (const Case& c : cases) {
        m_pWorld->SetStageBounds(c.bounds);
        camera->SetPosition(c.x, c.y);
        EXPECT_EQ(camera->GetX(), c.wantX) << c.x << ", " << c.y;
        EXPECT_EQ(camera->GetY(), c.wantY) << c.x << ", " << c.y;
    }
}

TEST_F(CameraTest, SetPositionWritesTheLocalPositionUnderAParentAndStopsFollowing)
{
    GameObj* parent = Root("rig");
    auto* pt = static_cast<Transform*>(parent->AddComponent("Transform", nullptr));
    pt->SetLocalPosition(100, 50, 0);
    pt->UpdateWorldMatrices();
    Camera2D* camera = Camera("GameCamera", kScreen, 0, 0, parent);
    camera->SetTarget(Target(900, 900));
    camera->SetPosition(500, 400);
    EXPECT_EQ(camera->GetTarget(), nullptr);
    EXPECT_EQ(camera->GetX(), 500.0f);
    EXPECT_EQ(camera->GetY(), 400.0f);
    const Matrix4x4& local = camera->GetOwner()->GetTransform()->LocalMatrix();
    EXPECT_EQ(local.m[3][0], 400.0f);
    EXPECT_EQ(local.m[3][1], 350.0f);
}

TEST_F(CameraTest, FollowsItsTargetExactlyOrOnASpring)
{
    Transform* target = Target(500, 300);
    // Without a spring the camera snaps to the target each frame (clamped).
    Camera2D* snap = Camera("Snap", "{ screenSize = { width = 200, height = 200 } }", 600, 300);
    snap->SetTarget(target);
    snap->LateUpdate();
    EXPECT_EQ(snap->GetX(), 500.0f);
    EXPECT_EQ(snap->GetY(), 300.0f);

    // P = (600, 300), T = (500, 300): u = (1, 0), dist = 100. With dt = 0.1, the damping term
    // carries dt twice: k = ((((0, 0) - T) * dt) . u * 2 + (50 - 100) * 10) * dt = -60.
    SetAppRawDeltaTime(0.1f);
    SetAppDeltaTime(0.5f); // the scaled time plays no part
    Camera2D* spring = Camera("Spring", "{ screenSize = { width = 200, height = 200 },"
                                        " spring = { length = 50, springConst = 10, dumpConst = 2 } }",
                              600, 300);
    spring->SetTarget(target);
    spring->LateUpdate();
    EXPECT_NEAR(spring->GetX(), 540.0f, 1e-3f);
    EXPECT_NEAR(spring->GetY(), 300.0f, 1e-3f);
    // The target stood still since: k = (50 - 40) * 10 * 0.1 = 10, back out to the length.
    spring->LateUpdate();
    EXPECT_NEAR(spring->GetX(), 550.0f, 1e-3f);
    // On the target itself nothing moves.
    Camera2D* onTarget = Camera("On", "{ screenSize = { width = 200, height = 200 },"
                                      " spring = { length = 50, springConst = 10, dumpConst = 2 } }",
                                500, 300);
    onTarget->SetTarget(target);
    onTarget->LateUpdate();
    EXPECT_EQ(onTarget->GetX(), 500.0f);
}

TEST_F(CameraTest, ShakeRunsItsPeriodsAndEnds)
{
    Camera2D* camera = Camera("GameCamera", kScreen, 480, 270);
    for (uint32_t seed : {1u, 77u, 4242u}) {
        SfmtInit(seed);
        camera->Shake(10.0f, 20.0f, 0.5f, 5.0f);
        EXPECT_TRUE(camera->IsShaking());
        for (float period : {camera->GetShakePeriodX(), camera->GetShakePeriodY()}) {
            EXPECT_GE(period, 0.5f / 5.625f - 1e-6f) << seed;
            EXPECT_LE(period, 0.5f / 4.375f + 1e-6f) << seed;
        }
        EXPECT_GE(camera->GetShakeAmplitudeX(), 8.75f);
        EXPECT_LT(camera->GetShakeAmplitudeX(), 11.25f);
        EXPECT_GE(camera->GetShakeAmplitudeY(), 17.5f);
        EXPECT_LT(camera->GetShakeAmplitudeY(), 22.5f);
        // The same seed shakes the same way.
        const float px = camera->GetShakePeriodX();
        SfmtInit(seed);
        camera->Shake(10.0f, 20.0f, 0.5f, 5.0f);
        EXPECT_EQ(camera->GetShakePeriodX(), px);

        SetAppDeltaTime(0.03125f);
        bool moved = false;
        for (int frame = 1; frame < 16; ++frame) {
            camera->LateUpdate();
            const float elapsed = 0.03125f * float(frame);
            const float envelope = 1.0f - std::sin(elapsed / 0.5f * 1.5707964f);
            EXPECT_LE(std::fabs(camera->GetShakeX()), camera->GetShakeAmplitudeX() * envelope + 1e-4f) << frame;
            EXPECT_LE(std::fabs(camera->GetShakeY()), camera->GetShakeAmplitudeY() * envelope + 1e-4f) << frame;
            moved = moved || camera->GetShakeX() != 0.0f;
            ASSERT_TRUE(camera->IsShaking()) << frame;
        }
        EXPECT_TRUE(moved);
        camera->LateUpdate(); // 16 x 1/32 = the duration
        EXPECT_FALSE(camera->IsShaking());
        EXPECT_EQ(camera->GetShakeX(), 0.0f);
        EXPECT_EQ(camera->GetShakeY(), 0.0f);
        EXPECT_EQ(camera->GetX(), 480.0f); // the shake never moves the camera itself
    }
}

TEST_F(CameraTest, ATagHoldsOneCamera)
{
    Camera2D* first = Camera("GameCamera", kScreen, 0, 0);
    ASSERT_NE(first, nullptr);
    // The second fails to attach; its clean-up leaves the first registered.
    EXPECT_EQ(Camera("GameCamera", kScreen, 0, 0), nullptr);
    EXPECT_EQ(g_CameraRegistry.Find(GameCameraTag()), first);
    Camera2D* ui = Camera("UICamera", kScreen, 480, 270);
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(g_CameraRegistry.Find(HashName("UICamera")), ui);
    EXPECT_EQ(g_CameraRegistry.GetCount(), 2u);
    // Detach removes only its own entry.
    GameObj* owner = first->GetOwner();
    std::erase(m_Roots, owner);
    delete owner;
    EXPECT_EQ(g_CameraRegistry.Find(GameCameraTag()), nullptr);
    EXPECT_EQ(g_CameraRegistry.Find(HashName("UICamera")), ui);
}

TEST_F(CameraTest, DebugDrawQueuesTheWorldBox)
{
    SpriteBatch batch;
    g_pSpriteBatch = &batch;
    GameObj* obj = Root("box");
    auto* t = static_cast<Transform*>(obj->AddComponent("Transform", nullptr));
    t->SetLocalPosition(100, 200, 0);
    t->UpdateWorldMatrices();
    PushTable("{ center = { x = 10, y = 0 }, size = { width = 40, height = 20 } }");
    auto* box = static_cast<Collider*>(obj->AddComponent("Box2DCollider", m_L));
    PushTable("{ radius = 8 }");
    auto* circle = static_cast<Collider*>(obj->AddComponent("CircleCollider", m_L));
    lua_settop(m_L, 0);
    ASSERT_TRUE(box && circle);
    box->DebugDraw(); // no camera: nothing
    EXPECT_EQ(batch.GetQueuedSpriteCount(), 0u);

    Camera("GameCamera", kScreen, 480, 270);
    box->DebugDraw();
    circle->DebugDraw();
    std::vector<SpriteDrawRecord> got;
    for (const auto& [key, entry] : batch.GetBatches())
        for (uint32_t i = 0; i < entry->blocks[0].count; ++i)
            got.push_back(entry->blocks[0].records[i]);
    SpriteBatch expected;
    // Box centre (110, 200) -> screen (110, 340), 40 x 20, cyan at half alpha; circle at (100,
    // 200) -> (100, 340), 16 x 16, yellow.
    expected.DrawSprite(0.2f, nullptr, 110, 340, 40, 20, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 0.5f);
    expected.DrawSprite(0.2f, nullptr, 100, 340, 16, 16, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1, 234 / 255.0f, 4 / 255.0f, 0.5f);
    std::vector<SpriteDrawRecord> want;
    for (const auto& [key, entry] : expected.GetBatches())
        for (uint32_t i = 0; i < entry->blocks[0].count; ++i)
            want.push_back(entry->blocks[0].records[i]);
    ASSERT_EQ(got.size(), 2u);
    ASSERT_EQ(want.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const float* a = &got[i].matrix[0][0];
        const float* b = &want[i].matrix[0][0];
        for (int k = 0; k < 24; ++k)
            EXPECT_NEAR(a[k], b[k], 1e-5f) << i << " " << k;
    }
    g_pSpriteBatch = nullptr;
}

namespace {

const char* const kCameraProto =
    "cam = { object_name = 'cam', object_activity = 1, object_layer = 1, object_tag = 'GameCamera',"
    " components = { Transform = { position = { x = 480, y = 270 } },"
    " Camera2D = { screenSize = { width = 960, height = 540 } } } }";

} // namespace

// The draw pass tells a sprite's object when the camera's view takes it in or leaves it.
TEST(CameraScene, VisibilityFollowsTheCamera)
{
    g_CameraRegistry.Clear();
    TestWorld world(Files{
        {"stage/S", "S = { object_name = 'S', object_activity = 1, object_layer = 1, components = { Transform = {} },"
                    " children = { { base_script = 'cam' }, { base_script = 'spr' } } }"},
        {"game_objects/cam", kCameraProto},
        {"game_objects/spr",
         "spr = { object_name = 'spr', object_activity = 1, object_layer = 1,"
         " components = { Transform = { position = { x = 1500, y = 270 } },"
         " SpriteRenderer = { size = { width = 100, height = 100 } }, RecA = { name = 'spr' } } }"},
    });
    world.Scene()->RequestStage("S");
    world.Tick();
    Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
    ASSERT_NE(camera, nullptr);
    g_pCollisionWorld->SetStageBounds({0, 0, 4096, 2000});
    Events().clear();
    world.Scene()->Draw();
    EXPECT_TRUE(EventsWith(Events(), "spr:").empty()); // starts out of view, and already counted so
    camera->SetPosition(1000, 270);                     // 1500 - 1000 = 500 < 480 + 50
    world.Scene()->Draw();
    EXPECT_EQ(EventsWith(Events(), "spr:"), std::vector<std::string>{"spr:Visible"});
    world.Scene()->Draw();
    EXPECT_EQ(EventsWith(Events(), "spr:").size(), 1u);
    camera->SetPosition(900, 270); // 600 > 530
    world.Scene()->Draw();
    EXPECT_EQ(EventsWith(Events(), "spr:"), (std::vector<std::string>{"spr:Visible", "spr:Invisible"}));
}

// A new stage's camera takes the tag from the old stage's even though the old one is deleted
// only after the new stage starts; the new sprites bind the new camera, and the old camera's
// Detach leaves the new entry alone.
TEST(CameraScene, ANewStagesCameraReplacesTheOld)
{
    g_CameraRegistry.Clear();
    SpriteBatch batch;
    g_pSpriteBatch = &batch;
    {
        TestWorld world(Files{
            {"stage/S", "S = { object_name = 'S', object_activity = 1, object_layer = 1, components = { Transform = {} },"
                        " children = { { base_script = 'cam' }, { base_script = 'spr' } } }"},
            {"stage/T", "T = { object_name = 'T', object_activity = 1, object_layer = 1, components = { Transform = {} },"
                        " children = { { base_script = 'cam' }, { base_script = 'spr' } } }"},
            {"game_objects/cam", kCameraProto},
            {"game_objects/spr", "spr = { object_name = 'spr', object_activity = 1, object_layer = 1,"
                                 " components = { Transform = { position = { x = 480, y = 270 } },"
                                 " SpriteRenderer = { size = { width = 10, height = 10 } } } }"},
        });
        for (const char* stage : {"S", "T", "S"}) {
            world.Scene()->RequestStage(stage);
            world.Tick();
            GameObj* root = world.Scene()->GetRoot();
            ASSERT_NE(root, nullptr);
            Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
            ASSERT_NE(camera, nullptr) << stage;
            EXPECT_EQ(camera->GetOwner()->GetParent(), root) << stage;
            auto* sprite = static_cast<SpriteRenderer*>(root->GetComponentInChildren(SpriteRenderer::s_Class.Key));
            ASSERT_NE(sprite, nullptr);
            EXPECT_EQ(sprite->GetCamera(), camera) << stage;
            world.Scene()->Draw();
            EXPECT_EQ(batch.GetQueuedSpriteCount(), 1u) << stage;
            batch.ResetFrame();
        }
    }
    g_pSpriteBatch = nullptr;
    EXPECT_EQ(g_CameraRegistry.GetCount(), 0u);
}
