#include <gtest/gtest.h>
#include <lua.hpp>

#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "Components/Core/Animation.h"
#include "Components/Core/Collider.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/SpriteRenderer.h"
#include "Graphics/GameFolderFixture.h"
#include "System/Common/FrameCounter.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/TextureTable.h"
#include "World/AnimationTable.h"
#include "World/ComponentFactory.h"
#include "World/Condition.h"
#include "World/GameObj.h"
#include "World/Transform.h"

namespace {

std::string U32(uint32_t v)
{
    return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}
std::string DdsHeader(uint32_t w, uint32_t h)
{
    std::string header = "DDS ";
    for (uint32_t v : {124u, 0x100Fu, h, w})
        header += U32(v);
    header.append(108, '\0');
    return header;
}

// Clips over atlas sprites "a", "b", "c" of the 256 x 128 texture "grid" (10 rows a second):
// "a" and "b" play once for 0.2 s, "loop" and "stand" repeat, "pose" plays 0.4 s with keys on
// every channel the sprite reads, "hit_on" and "hit_off" move a collider.
class AnimationComponentTest : public GameFolderTest {
protected:
    void SetUp() override
    {
        Write("assets.v1/2d/sprites/grid.dds", DdsHeader(256, 128));
        Write("assets.v1/scripts/textures/texture_t.lua",
              "texture_table = { grid = { texture_name = 'assets.v1/2d/sprites/grid' } }");
        Write("assets.v1/scripts/atlases/atlas_grid.lua",
              "spriteSheet = { texture = 'grid.dds', textureSize = { width = 256, height = 128 }, sprites = {"
              " { name = 'a.png', sourceRect = { x = 2, y = 4, width = 60, height = 56 },"
              "   originalSize = { width = 64, height = 64 }, uvRect = { x = 0, y = 0, width = 60, height = 56 } },"
              " { name = 'b.png', sourceRect = { x = 0, y = 0, width = 32, height = 64 },"
              "   originalSize = { width = 64, height = 64 }, uvRect = { x = 64, y = 0, width = 32, height = 64 } },"
              " { name = 'c.png', sourceRect = { x = 0, y = 0, width = 64, height = 64 },"
              "   originalSize = { width = 64, height = 64 }, uvRect = { x = 128, y = 64, width = 64, height = 64 } } } }");
        Write("assets.v1/scripts/animations/anim_t.lua", R"(animation_table = {
            a = { wrapMode = 0, animationSheet = { frame_per_sec = 10, animation = { { 'a', 2 } } } },
            b = { wrapMode = 0, animationSheet = { frame_per_sec = 10, animation = { { 'b', 2 } } } },
            c = { wrapMode = 0, animationSheet = { frame_per_sec = 10, animation = { { 'c', 2 } } } },
            loop = { wrapMode = 1, animationSheet = { frame_per_sec = 10, animation = { { 'a', 1 }, { 'b', 1 } } } },
            stand = { wrapMode = 1, animationSheet = { frame_per_sec = 10, animation = { { 'c', 5 } } } },
            pose = { wrapMode = 0, animationSheet = { frame_per_sec = 10, animation = { { 'a', 4 } } },
                     pose_anim = { { 0, 1, 10, 0, 0.4, 1 }, { 1, 1, -4, 0, 0.4, 1 }, { 2, 1, 90, 0, 0.4, 1 },
                                   { 3, 0, 2, 0, 0.4, 1 }, { 4, 0, 3, 0, 0.4, 1 }, { 5, 0, 0.5, 0, 0.4, 1 },
                                   { 8, 0, 4, 0, 0.4, 1 }, { 9, 0, -6, 0, 0.4, 1 } } },
            hit_on = { wrapMode = 0, pose_anim = { { 0, 0, 7, 0, 0.3, 1 }, { 1, 0, -3, 0, 0.3, 1 },
                       { 3, 0, 2, 0, 0.3, 1 }, { 4, 0, 0.5, 0, 0.3, 1 }, { 5, 0, 1, 0, 0.3, 1 } } },
            hit_off = { wrapMode = 0, pose_anim = { { 0, 0, 1, 0, 0.3, 1 }, { 3, 0, 1, 0, 0.3, 1 },
                        { 4, 0, 1, 0, 0.3, 1 } } },
        })");
        Mount();
        textures.LoadFolder("assets.v1/scripts/textures/");
        atlas.LoadFolder("assets.v1/scripts/atlases/");
        g_pTextureTable = &textures;
        g_pAtlasTable = &atlas;
        table.LoadFolder("assets.v1/scripts/animations/");
        g_pAnimationTable = &table;
        factory.RegisterAll();
        g_pComponentFactory = &factory;
        L = luaL_newstate();
        world = CollisionWorld::Create();
    }
    void TearDown() override
    {
        for (GameObj* root : roots)
            delete root;
        CollisionWorld::Destroy();
        g_pComponentFactory = nullptr;
        lua_close(L);
        g_pAnimationTable = nullptr;
        g_pTextureTable = nullptr;
        g_pAtlasTable = nullptr;
        SetAppDeltaTime(0.0f);
        GameFolderTest::TearDown();
    }

    GameObj* Object(const std::string& name)
    {
        auto* obj = new GameObj(name, nullptr);
        obj->SetObjectName(name);
        obj->Activate();
        roots.push_back(obj);
        auto* t = static_cast<Transform*>(obj->AddComponent("Transform", nullptr));
        t->SetLocalPosition(100, 200, 1);
        t->UpdateWorldMatrices();
        return obj;
    }
    Component* Add(GameObj* obj, const char* className, const std::string& lua)
    {
        lua_settop(L, 0);
        std::string code = "return ";
        code += lua;
        EXPECT_EQ(luaL_dostring(L, code.c_str()), 0) << lua_tostring(L, -1);
        Component* c = obj->AddComponent(className, L);
        lua_settop(L, 0);
        return c;
    }
    static void StartAll(GameObj* obj)
    {
        for (Component* c : obj->GetComponents()) {
            c->OnEnable();
            c->Start();
            c->SetFlags(eComponentFlag_Started);
        }
    }
    // An object with a sprite and a started sprite animation over the test's lists.
    SpriteAnimation* Sprite(GameObj** out = nullptr)
    {
        GameObj* obj = Object("sprite");
        Add(obj, "SpriteRenderer", "{ size = { width = 1, height = 1 } }");
        auto* anim = static_cast<SpriteAnimation*>(Add(obj, "SpriteAnimation", kLists));
        StartAll(obj);
        if (out)
            *out = obj;
        return anim;
    }
    // One late pass of dt seconds; "<clip>@<track time>" of what the player shows after it.
    static std::string Tick(Animation* anim, float dt)
    {
        SetAppDeltaTime(dt);
        anim->LateUpdate();
        const AnimationPlayer* player = anim->GetPlayer();
        std::ostringstream out;
        out << (player->GetClip() ? player->GetClip()->m_Name : "-") << "@"
            << std::round(player->GetTrackTime() * 100.0f) / 100.0f;
        return out.str();
    }

    static constexpr const char* kLists =
        "{ stand_loop = { 'stand' }, ab = { 'a', 'b' }, c = { 'c' }, loop = { 'loop' }, pose = { 'pose' },"
        " empty = {} }";

    TextureTable textures;
    AtlasTable atlas;
    AnimationTable table;
    ComponentFactory factory;
    lua_State* L = nullptr;
    std::vector<GameObj*> roots;
    CollisionWorld* world = nullptr;
};

NameId Id(const char* name) { return HashName(name); }

} // namespace

TEST_F(AnimationComponentTest, PartsAndQueues)
{
    struct Case {
        const char* what;
        std::function<void(SpriteAnimation*)> before;
        int ticks;
        std::string expect; // the frames' "<clip>@<time>", joined by spaces
    };
    const std::vector<Case> cases = {
        {"nothing played: \"stand_loop\", and the first pass shows time 0", nullptr, 3,
         "stand@0 stand@0.1 stand@0.2"},
        {"parts a then b: b starts in the pass that finds a ended", [](SpriteAnimation* s) { s->Play(Id("ab"), true); },
         6, "a@0 a@0.1 b@0 b@0.1 b@0.2 b@0.2"},
        {"a queued name waits for b too",
         [](SpriteAnimation* s) {
             s->Play(Id("ab"), true);
             s->Enqueue(Id("c"));
         },
         6, "a@0 a@0.1 b@0 b@0.1 c@0 c@0.1"},
        {"playing with the clear flag drops what was queued",
         [](SpriteAnimation* s) {
             s->Enqueue(Id("c"));
             s->Play(Id("ab"), true);
         },
         5, "a@0 a@0.1 b@0 b@0.1 b@0.2"},
        {"playing without it keeps the queue",
         [](SpriteAnimation* s) {
             s->Enqueue(Id("c"));
             s->Play(Id("ab"), false);
         },
         5, "a@0 a@0.1 b@0 b@0.1 c@0"},
        {"a looping clip never lets the queue start",
         [](SpriteAnimation* s) {
             s->Play(Id("loop"), true);
             s->Enqueue(Id("c"));
         },
         6, "loop@0 loop@0.1 loop@0 loop@0.1 loop@0 loop@0.1"},
        {"an unknown name changes nothing but the cleared queue",
         [](SpriteAnimation* s) {
             s->Play(Id("c"), true);
             s->Enqueue(Id("ab"));
             s->Play(Id("no_such"), true);
         },
         4, "c@0 c@0.1 c@0.2 c@0.2"},
        {"an empty list sets the name and leaves the clip",
         [](SpriteAnimation* s) { s->Play(Id("empty"), true); }, 2, "stand@0 stand@0.1"},
    };
    for (const Case& c : cases) {
        SpriteAnimation* anim = Sprite();
        if (c.before)
            c.before(anim);
        std::string got;
        for (int i = 0; i < c.ticks; ++i) {
            got += i ? " " : "";
            got += Tick(anim, 0.1f);
        }
        EXPECT_EQ(got, c.expect) << c.what;
    }
}

TEST_F(AnimationComponentTest, IsPlayingAndTheEndedCondition)
{
    SpriteAnimation* anim = Sprite();
    anim->Play(Id("c"), true);
    EXPECT_TRUE(anim->IsPlaying());
    Tick(anim, 0.0f);
    Tick(anim, 0.1f);
    EXPECT_TRUE(anim->IsPlaying());
    Tick(anim, 0.1f);
    EXPECT_FALSE(anim->IsPlaying()); // a once-only clip at its end
    anim->Play(Id("loop"), true);
    Tick(anim, 5.0f);
    EXPECT_TRUE(anim->IsPlaying());
    EXPECT_EQ(anim->GetCurrent(), Id("loop"));
}

TEST_F(AnimationComponentTest, PoseAndImageReachTheTransformAndTheSprite)
{
    for (bool mirror : {false, true}) {
        GameObj* obj = nullptr;
        SpriteAnimation* anim = Sprite(&obj);
        auto* sprite = static_cast<SpriteRenderer*>(obj->GetRenderer());
        sprite->SetColor(0xFF336699u);
        sprite->SetBaseSize(11, 12);
        anim->SetMirror(mirror);
        anim->Play(Id("pose"), true);
        Tick(anim, 0.0f);
        Tick(anim, 0.2f); // half way: linear keys at half their value
        const Transform* t = obj->GetTransform();
        EXPECT_NEAR(t->WorldMatrix().m[3][0], mirror ? 95.0f : 105.0f, 1e-4f) << mirror;
        EXPECT_NEAR(t->WorldMatrix().m[3][1], 198.0f, 1e-4f);
        EXPECT_NEAR(std::atan2(t->WorldMatrix().m[0][1], t->WorldMatrix().m[1][1]), 0.78539816f, 1e-4f);
        EXPECT_FLOAT_EQ(t->LocalScale().x, 2.0f);
        EXPECT_FLOAT_EQ(t->LocalScale().y, 3.0f);
        EXPECT_EQ(sprite->GetColor(), 0x7F336699u); // alpha from the pose, colour kept

        const AtlasEntry* a = atlas.Find(Id("a"));
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(sprite->GetTextureId(), Id("grid"));
        EXPECT_EQ(sprite->GetWidth(), 60.0f);
        EXPECT_EQ(sprite->GetHeight(), 56.0f);
        float uv[4];
        sprite->GetUVRect(uv);
        EXPECT_FLOAT_EQ(uv[0], a->u0);
        EXPECT_FLOAT_EQ(uv[2], a->du);
        EXPECT_FLOAT_EQ(sprite->GetOffsetX(), a->offsetX + 4.0f);
        EXPECT_FLOAT_EQ(sprite->GetOffsetY(), a->offsetY - 6.0f);
        EXPECT_EQ(sprite->GetBaseWidth(), 11.0f); // left alone

        // Without a pose the extra offset is gone.
        anim->Play(Id("c"), true);
        Tick(anim, 0.1f);
        EXPECT_FLOAT_EQ(sprite->GetOffsetX(), atlas.Find(Id("c"))->offsetX);
    }
}

TEST_F(AnimationComponentTest, WithoutASpriteThePlayerStillRuns)
{
    GameObj* obj = Object("bare");
    auto* anim = static_cast<SpriteAnimation*>(Add(obj, "SpriteAnimation", kLists));
    StartAll(obj);
    anim->Play(Id("ab"), true);
    EXPECT_EQ(Tick(anim, 0.1f), "a@0");
    EXPECT_EQ(Tick(anim, 0.1f), "a@0.1");
    EXPECT_EQ(Tick(anim, 0.1f), "b@0");
    EXPECT_EQ(obj->GetTransform()->WorldMatrix().m[3][0], 100.0f);
}

TEST_F(AnimationComponentTest, AListNamingAMissingClipDropsIt)
{
    ::testing::internal::CaptureStdout();
    GameObj* obj = Object("broken");
    auto* anim = static_cast<SpriteAnimation*>(
        Add(obj, "SpriteAnimation", "{ stand_loop = { 'stand' }, broken = { 'no_such_clip', 'c' }, gone = { 'x' } }"));
    const std::string log = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("\"broken\""), std::string::npos) << log;
    EXPECT_NE(log.find("\"no_such_clip\""), std::string::npos) << log;
    ASSERT_NE(anim->FindParts(Id("broken")), nullptr);
    EXPECT_EQ(anim->FindParts(Id("broken"))->size(), 1u);
    EXPECT_TRUE(anim->FindParts(Id("gone"))->empty());
    StartAll(obj);
    anim->Play(Id("broken"), true);
    EXPECT_EQ(Tick(anim, 0.1f), "c@0");
    anim->Play(Id("gone"), true); // nothing to play: the old clip goes on
    EXPECT_EQ(Tick(anim, 0.1f), "c@0.1");
}

TEST_F(AnimationComponentTest, SpriteAnimationHoldsUsesOfItsTextures)
{
    TextureEntry* grid = textures.Find(Id("grid"));
    ASSERT_NE(grid, nullptr);
    GameObj* first = nullptr;
    SpriteAnimation* anim = Sprite(&first);
    Sprite();
    EXPECT_EQ(anim->GetTextures(), std::vector<NameId>{Id("grid")});
    EXPECT_EQ(grid->useCount, 2u);
    EXPECT_EQ(first->GetSpriteAnimation(), anim);
    std::erase(roots, first);
    delete first;
    EXPECT_EQ(grid->useCount, 1u);
}

TEST_F(AnimationComponentTest, CollisionAnimationDrivesTheCollider)
{
    GameObj* obj = Object("hitbox");
    auto* box = static_cast<Box2DCollider*>(
        Add(obj, "Box2DCollider", "{ center = { x = 1, y = 2 }, size = { width = 10, height = 20 } }"));
    auto* anim = static_cast<CollisionAnimation*>(
        Add(obj, "CollisionAnimation", "{ default = { 'hit_on' }, off = { 'hit_off' }, both = { 'hit_on', 'hit_off' } }"));
    ASSERT_TRUE(box && anim);
    StartAll(obj);
    EXPECT_EQ(anim->GetCurrent(), Id("default"));

    anim->PhysicsUpdate();
    EXPECT_EQ(box->GetOffsetX(), 7.0f);
    EXPECT_EQ(box->GetOffsetY(), -3.0f);
    EXPECT_TRUE(box->IsEnabled());
    SetAppDeltaTime(0.1f);
    anim->LateUpdate();
    EXPECT_EQ(box->GetScaleX(), 2.0f);
    EXPECT_EQ(box->GetScaleY(), 0.5f);

    // A new animation resets the working shape first.
    WorldBox wb;
    box->ComputeWorldShape(wb);
    EXPECT_EQ(box->GetLocalCenterX(), 8.0f);
    anim->Play(Id("off"), true);
    EXPECT_EQ(box->GetLocalCenterX(), 1.0f);
    anim->PhysicsUpdate();
    EXPECT_FALSE(box->IsEnabled()); // channel 5 is 0
    EXPECT_EQ(box->GetOffsetX(), 1.0f);

    // Parts switch in the late pass, the shape reset each time; an ended clip moves nothing.
    anim->Play(Id("both"), true);
    anim->PhysicsUpdate();
    EXPECT_TRUE(box->IsEnabled());
    for (int i = 0; i < 2; ++i)
        anim->LateUpdate();
    box->ComputeWorldShape(wb);
    EXPECT_EQ(anim->GetPlayer()->GetClip()->m_Name, "hit_on");
    EXPECT_EQ(box->GetLocalCenterX(), 8.0f);
    anim->LateUpdate(); // 0.3 s: hit_on has ended
    EXPECT_EQ(anim->GetPlayer()->GetClip()->m_Name, "hit_off");
    EXPECT_EQ(box->GetLocalCenterX(), 1.0f);
    for (int i = 0; i < 4; ++i)
        anim->LateUpdate();
    box->SetOffset(50, 50);
    anim->PhysicsUpdate();
    EXPECT_EQ(box->GetOffsetX(), 50.0f);
}

// Condition kind 30 asks whether the object's sprite animation has stopped.
TEST_F(AnimationComponentTest, TheStoppedAnimationCondition)
{
    GameObj* obj = nullptr;
    SpriteAnimation* anim = Sprite(&obj);
    const ConditionContext context{obj, nullptr};
    anim->Play(Id("c"), true);
    EXPECT_EQ(ConditionValue(context, 30, 0), 0.0f);
    Tick(anim, 0.0f);
    Tick(anim, 0.1f);
    Tick(anim, 0.1f);
    EXPECT_EQ(ConditionValue(context, 30, 0), 1.0f);
    EXPECT_EQ(ConditionValue(ConditionContext{Object("plain"), nullptr}, 30, 0), 0.0f);
}
