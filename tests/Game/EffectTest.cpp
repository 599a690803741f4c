#include <gtest/gtest.h>

#include "Components/Game/EffectController.h"
#include "Components/Game/ItemController.h"
#include "Components/Game/TalkChannel.h"
#include "GameFixture.h"

namespace {

class EffectTest : public GameTest {
protected:
    void TearDown() override
    {
        g_nTalkEnableMask = 0;
        g_TalkChannelQueue.Clear(0);
        GameTest::TearDown();
    }
    // The player on the floor and the given objects on the stage.
    void BuildWith(const std::map<std::string, std::string>& placed, const std::map<std::string, std::string>& others = {})
    {
        auto files = GameFiles(PlayerPrototype(PlayerTuning()));
        std::string children = "{ base_script = 'test_player' }, { base_script = 'test_floor' }";
        for (const auto& [name, table] : placed) {
            files["game_objects/" + name] = table;
            children += ", { base_script = '" + name + "' }";
        }
        for (const auto& [name, table] : others)
            files["game_objects/" + name] = table;
        files["stage/stage_Test"] = "stage_Test = { object_name = 'stage', object_layer = 1, object_layer = 1, object_activity = 1,"
                                    "  components = { Transform = {}, TestStageSize = {}, QuestController = {} },"
                                    "  children = { " +
                                    children + " } }";
        Build(files);
    }
    template <class T>
    T& Get(const std::string& name) const
    {
        return *static_cast<T*>(Find(name)->GetComponent(T::s_Class.Key));
    }
    int CountNamed(const std::string& name) const
    {
        int n = 0;
        for (GameObj* o = m_pWorld->Scene()->GetRoot(); o; o = o->GetNext())
            n += o->GetObjectName() == name && o->IsActive();
        return n;
    }
};

} // namespace

// A delayed effect shows its children on the frame the delay runs out, not before.
TEST_F(EffectTest, Delay)
{
    BuildWith({{"test_fx", "test_fx = { object_name = 'fx', object_layer = 1, object_activity = 1,"
                           "  components = { Transform = {}, EffectController = { delay = 0.5 } },"
                           "  children = { { base_script = 'test_child' } } }"}},
              {{"test_child", "test_child = { object_name = 'child', object_layer = 1, object_activity = 1,"
                              "  components = { Transform = {}, EffectController = { delay = 2 } } }"}});
    EXPECT_FALSE(Find("child")->IsActive());
    Ticks(28);
    EXPECT_FALSE(Find("child")->IsActive());
    Ticks(3);
    EXPECT_TRUE(Find("child")->IsActive());
    EXPECT_TRUE(Get<EffectController>("fx").m_bActive);
}

// The end is seen over the subtree: an effect waits while a nested effect runs, then clears its
// flag and is removed, or stays when it is not to be removed.
TEST_F(EffectTest, EndOverSubtree)
{
    for (bool remove : {true, false}) {
        SCOPED_TRACE(remove);
        BuildWith({{"test_fx", std::string("test_fx = { object_name = 'fx', object_layer = 1, object_activity = 1,"
                                           "  components = { Transform = {}, EffectController = { removeOnEnded = ") +
                                   (remove ? "true" : "false") +
                                   " } },"
                                   "  children = { { base_script = 'test_inner' } } }"}},
                  {{"test_inner", "test_inner = { object_name = 'inner', object_layer = 1, object_activity = 1,"
                                  "  components = { Transform = {}, EffectController = { delay = 0.25 } } }"}});
        Ticks(10);
        ASSERT_NE(Find("fx"), nullptr);
        EXPECT_TRUE(Get<EffectController>("fx").m_bActive);
        Ticks(10);
        if (remove) {
            EXPECT_EQ(CountNamed("fx"), 0);
        } else {
            ASSERT_NE(Find("fx"), nullptr);
            EXPECT_FALSE(Get<EffectController>("fx").m_bActive);
        }
    }
}

// The emitter makes its particles at its own place and leaves.
TEST_F(EffectTest, Emitter)
{
    BuildWith({{"test_emit", "test_emit = { object_name = 'emit', object_layer = 1, object_activity = 1,"
                             "  components = { Transform = { position = { x = 40, y = 60 } },"
                             "    EffectEmitter = { count = 3, particle_name = 'test_mote' } } }"}},
              {{"test_mote", "test_mote = { object_name = 'mote', object_layer = 1, object_activity = 1, components = { Transform = {} } }"}});
    Tick();
    EXPECT_EQ(CountNamed("mote"), 3);
    EXPECT_FLOAT_EQ(WorldPosition(Find("mote")).x, 40.0f);
    EXPECT_EQ(CountNamed("emit"), 0);
}

// A count from data beyond reason makes the most one emitter makes, not a memory's worth.
TEST_F(EffectTest, EmitterCountIsBounded)
{
    BuildWith({{"test_emit", "test_emit = { object_name = 'emit', object_layer = 1, object_activity = 1,"
                             "  components = { Transform = {}, EffectEmitter = { count = 2000000000,"
                             "    particle_name = 'test_mote' } } }"}},
              {{"test_mote", "test_mote = { object_name = 'mote', object_layer = 1, object_activity = 1,"
                             "  components = { Transform = {} } }"}});
    EXPECT_EQ(CountNamed("mote"), kMaxEmitterCount);
}

// Point icons: no friction keeps the speed, a remove length of 0 never collects, one close
// enough is collected.
TEST_F(EffectTest, PointIcons)
{
    struct Case {
        const char* name;
        const char* keys;
        float x, y;
        bool collected;
        float vx; // after a second, with no pull
    };
    const Case cases[] = {
        {"no friction", "force = 60, angle = 1.5707963, friction = 0, remove_length = 5", 100, 300, false, 60.0f},
        {"friction", "force = 60, angle = 1.5707963, friction = 0.5, remove_length = 5", 100, 300, false, -1.0f},
        {"never collected", "friction = 0, remove_length = 0", 500, 0, false, 0.0f},
        {"collected", "friction = 0, remove_length = 10", 500, 0, true, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildWith({{"test_icon", "test_icon = { object_name = 'icon', object_layer = 1, object_activity = 1,"
                                 "  components = { Transform = { position = { x = " +
                                     std::to_string(c.x) + ", y = " + std::to_string(c.y) +
                                     " } }, EffectPointIcon = { " + c.keys + " } } }"}});
        Ticks(60);
        EXPECT_EQ(CountNamed("icon") == 0, c.collected);
        if (!c.collected) {
            const float vx = Get<EffectPointIcon>("icon").m_vVelocity.x;
            if (c.vx >= 0.0f)
                EXPECT_NEAR(vx, c.vx, 1e-3f);
            else
                EXPECT_LT(vx, 59.0f);
        }
    }
}

// Items: an instant heal (the health-recharge stat times the rounded value), a regeneration, a
// dead taker that gains nothing; each is consumed.
TEST_F(EffectTest, ItemsHeal)
{
    struct Case {
        const char* name;
        const char* keys;
        int32_t before;
        int32_t after;
        bool regen;
    };
    const Case cases[] = {
        {"instant", "effect = 0, healType = 0, value = 19.6", 50, 70, false},
        {"instant, share of the maximum", "effect = 0, healType = 1, value = 0.25", 50, 75, false},
        {"instant, capped", "effect = 0, healType = 0, value = 80", 50, 100, false},
        {"regeneration", "effect = 1, healType = 0, duration = 5, interval = 1, value = 2", 50, 50, true},
        {"dead taker", "effect = 0, healType = 0, value = 20", 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildWith({{"test_item", std::string("test_item = { object_name = 'item', object_layer = 1, object_activity = 1,"
                                             "  components = { Transform = {}, ItemController = { layerMask = 2, ") +
                                     c.keys + " } } }"}});
        Player().m_pStatus->m_fHealthRecharge = 1.0f;
        Player().m_pHealth->m_nHealth = c.before;
        Get<ItemController>("item").Take(Find("player"));
        EXPECT_EQ(Player().m_pHealth->m_nHealth, c.after);
        EXPECT_EQ(Player().m_pHealth->m_bRegen, c.regen);
        Tick();
        EXPECT_EQ(CountNamed("item"), 0);
    }
}

// An item never seen leaves 3 s after its start.
TEST_F(EffectTest, ItemOffScreen)
{
    BuildWith({{"test_item", "test_item = { object_name = 'item', object_layer = 1, object_activity = 1,"
                             "  components = { Transform = { position = { x = 2000, y = 300 } },"
                             "    ItemController = { layerMask = 2 } } }"}});
    Ticks(175);
    EXPECT_EQ(CountNamed("item"), 1);
    Ticks(10);
    EXPECT_EQ(CountNamed("item"), 0);
}
