#include "UI/UIFixture.h"

#include <cmath>

#include "Components/Core/SpriteRenderer.h"

namespace {

// A stage holding whatever prototypes a test adds; the tween object "t" has a test renderer.
std::map<std::string, std::string> TweenFiles(const std::string& tween, const std::string& more = "")
{
    return {
        {"stage/stage_T", "stage_T = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          "  components = { Transform = { position = { x = 100, y = 50 } } },"
                          "  children = { { base_script = 't' } } }"},
        {"game_objects/t", "t = { object_name = 't', object_layer = 1, object_activity = 1,"
                           "  components = { Transform = { position = { x = 10, y = 20 } }, TestRenderer = { name = 'r' }," +
                               tween + " }" + more + " }"},
    };
}

Renderer* RendererOf(UIWorld& w, const std::string& name)
{
    return static_cast<Renderer*>(w.Find(name)->GetComponent(Renderer::s_Class.Key));
}

} // namespace

TEST(TweenTiming, FactorsFrameByFrame)
{
    struct Case {
        const char* name;
        const char* keys;
        bool forward;
        float dt;
        std::vector<float> factors; // after each frame
        std::vector<float> alphas;  // the applied value after each frame (from 0 to 1, linear)
        bool finished;
    };
    const Case cases[] = {
        {"once", "duration = 1", true, 0.25f, {0.25f, 0.5f, 0.75f, 1.0f, 1.0f}, {0.25f, 0.5f, 0.75f, 1.0f, 1.0f}, true},
        {"once backwards ends at 0", "duration = 1", false, 0.25f, {0.75f, 0.5f, 0.25f, 0.0f, 0.0f},
         {0.75f, 0.5f, 0.25f, 0.0f, 0.0f}, true},
        {"loop wraps above 1", "duration = 1, style = 1", true, 0.3f, {0.3f, 0.6f, 0.9f, 0.2f, 0.5f},
         {0.3f, 0.6f, 0.9f, 0.2f, 0.5f}, false},
        {"loop backwards stays below 0", "duration = 1, style = 1", false, 0.3f, {0.7f, 0.4f, 0.1f, -0.2f, -0.5f},
         {0.7f, 0.4f, 0.1f, 0.0f, 0.0f}, false},
        {"ping-pong turns at 1", "duration = 1, style = 2", true, 0.25f, {0.25f, 0.5f, 0.75f, 1.0f, 0.75f, 0.5f},
         {0.25f, 0.5f, 0.75f, 1.0f, 0.75f, 0.5f}, false},
        {"ping-pong turns at 0", "duration = 1, style = 2", false, 0.3f, {0.7f, 0.4f, 0.1f, 0.2f, 0.5f},
         {0.7f, 0.4f, 0.1f, 0.2f, 0.5f}, false},
        {"duration 0 ends in one frame", "duration = 0", true, 0.016f, {1.0f}, {1.0f}, true},
        {"negative duration ends in one frame", "duration = -2", true, 0.016f, {1.0f}, {1.0f}, true},
        {"delay 0.5 counts down three frames of 0.2", "duration = 1, delay = 0.5", true, 0.2f,
         {0.0f, 0.0f, 0.0f, 0.2f, 0.4f}, {1.0f, 1.0f, 1.0f, 0.2f, 0.4f}, false}, // nothing applied while waiting
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UIWorld w(TweenFiles(std::string("TweenAlpha = { from = 0, to = 1, ") + c.keys + " }"), "stage_T");
        auto* tween = w.Get<TweenAlpha>("t");
        ASSERT_NE(tween, nullptr);
        ASSERT_TRUE(tween->IsFinished()); // inert until played
        tween->SetFactor(c.forward ? 0.0f : 1.0f);
        tween->Play(c.forward);
        for (size_t i = 0; i < c.factors.size(); ++i) {
            w.Tick(c.dt);
            EXPECT_NEAR(tween->GetFactor(), c.factors[i], 1e-5) << "frame " << i + 1;
            EXPECT_NEAR(RendererOf(w, "t")->GetAlphaFactor(), c.alphas[i], 1e-5) << "frame " << i + 1;
        }
        EXPECT_EQ(tween->IsFinished(), c.finished);
    }
}

TEST(TweenTiming, ToggleResetAndStop)
{
    UIWorld w(TweenFiles("TweenAlpha = { from = 0, to = 1, duration = 1 }"), "stage_T");
    auto* tween = w.Get<TweenAlpha>("t");
    tween->Toggle(); // from 0: forwards
    w.Tick(0.5f);
    EXPECT_NEAR(tween->GetFactor(), 0.5f, 1e-6);
    tween->Toggle(); // from above 0: backwards
    w.Tick(0.25f);
    EXPECT_NEAR(tween->GetFactor(), 0.25f, 1e-6);
    tween->Stop();
    w.Tick(0.25f);
    EXPECT_NEAR(tween->GetFactor(), 0.25f, 1e-6);
    tween->Play(false);
    tween->ResetToBeginning(); // backwards begins at 1
    EXPECT_EQ(tween->GetFactor(), 1.0f);
    EXPECT_EQ(RendererOf(w, "t")->GetAlphaFactor(), 1.0f);
    tween->Reset();
    EXPECT_TRUE(tween->IsFinished());
    EXPECT_EQ(tween->GetFactor(), 0.0f);
    EXPECT_GT(tween->GetAmountPerDelta(), 0.0f);
    EXPECT_EQ(RendererOf(w, "t")->GetAlphaFactor(), 0.0f);
}

TEST(TweenEasing, EndsAndKnownValues)
{
    struct Case {
        int32_t method;
        float t;
        float expected;
    };
    const Case cases[] = {
        {eTweenMethod_Linear, 0.3f, 0.3f},
        {eTweenMethod_EaseIn, 0.0f, 0.0f},         {eTweenMethod_EaseIn, 1.0f, 1.0f},
        {eTweenMethod_EaseIn, 0.5f, 0.2928932f},   {eTweenMethod_EaseOut, 0.0f, 0.0f},
        {eTweenMethod_EaseOut, 1.0f, 1.0f},        {eTweenMethod_EaseOut, 0.5f, 0.7071068f},
        {eTweenMethod_EaseInOut, 0.0f, 0.0f},      {eTweenMethod_EaseInOut, 1.0f, 1.0f},
        {eTweenMethod_EaseInOut, 0.25f, 0.0908451f}, {eTweenMethod_EaseInOut, 0.5f, 0.5f},
        {eTweenMethod_Bounce, 0.0f, 0.0f},         {eTweenMethod_Bounce, 1.0f, 1.0f},
        // 7.5685 (not 7.5625) x t^2 just below the first break: slightly above 1.
        {eTweenMethod_Bounce, 0.3636355f, 1.0007887f},
        {eTweenMethod_Bounce, 0.5454540f, 0.75f},  {eTweenMethod_Bounce, 0.8181810f, 0.9375f},
        {eTweenMethod_BounceInverse, 0.0f, 0.0f},  {eTweenMethod_BounceInverse, 1.0f, 1.0f},
        {99, 0.4f, 0.4f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "method " << c.method << " t " << c.t);
        EXPECT_NEAR(EaseTween(c.method, c.t), c.expected, 2e-6);
    }
}

TEST(TweenColorBlend, ChannelsHalvedAndTruncatedBeforeTheSum)
{
    UIWorld w(TweenFiles("TweenColor = { from = { a = 255, r = 255, g = 0, b = 0 },"
                         " to = { a = 255, r = 0, g = 0, b = 255 } }"),
              "stage_T");
    auto* tween = w.Get<TweenColor>("t");
    struct Case {
        float v;
        uint32_t color;
    };
    for (Case c : {Case{0.5f, 0xFE7F007Fu}, Case{0.0f, 0xFFFF0000u}, Case{1.0f, 0xFF0000FFu}}) {
        tween->Sample(c.v);
        EXPECT_EQ(RendererOf(w, "t")->GetColor(), c.color) << c.v;
    }
    EXPECT_EQ(TweenColor::SaturatingAdd(0x80FF0102u, 0x90020304u), 0xFFFF0406u);
}

TEST(TweenAtlasFrames, FramesForwardsAndBackwards)
{
    UIWorld w(TweenFiles("TextureAtlas = {}, TweenAtlasAnimation = { frames = { { 'f1', 0.1 }, { 'f2', 0.2 }, { 'f3', 0.1 } } }"),
              "stage_T");
    auto* tween = w.Get<TweenAtlasAnimation>("t");
    ASSERT_NE(tween, nullptr);
    EXPECT_NEAR(tween->GetDuration(), 0.4f, 1e-6);
    struct Case {
        bool forward;
        float v;
        const char* entry;
    };
    const Case cases[] = {
        {true, 0.0f, "f1"},  {true, 0.2f, "f1"},  {true, 0.5f, "f2"},  {true, 1.0f, "f3"},
        {false, 1.0f, "f3"}, {false, 0.8f, "f3"}, {false, 0.5f, "f2"}, {false, 0.0f, "f1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.forward << " " << c.v);
        tween->Play(c.forward);
        tween->Stop();
        tween->Sample(c.v);
        EXPECT_EQ(tween->GetShownEntry(), HashName(c.entry));
    }
}

TEST(TweenShakeWave, StandsAtBaseAtBothEnds)
{
    UIWorld w(TweenFiles("TweenShake = { length = { x = 8, y = 6 }, frequency = 3, duration = 1 }"), "stage_T");
    auto* tween = w.Get<TweenShake>("t");
    Transform* t = w.Find("t")->GetTransform();
    EXPECT_EQ(tween->GetBaseX(), 110.0f);
    EXPECT_EQ(tween->GetBaseY(), 70.0f);
    tween->Play(true);
    EXPECT_LE(std::fabs(tween->GetJitter()), 0.05f);
    tween->Stop();
    for (float v : {0.0f, 0.37f, 1.0f}) {
        tween->Sample(v);
        const float dx = t->WorldMatrix().m[3][0] - 110.0f;
        const float dy = t->WorldMatrix().m[3][1] - 70.0f;
        if (v == 0.0f || v == 1.0f) {
            EXPECT_EQ(dx, 0.0f) << v;
            EXPECT_EQ(dy, 0.0f) << v;
        } else {
            EXPECT_NE(dx, 0.0f);
            EXPECT_LE(std::fabs(dx), 8.0f * 1.01f);
            EXPECT_LE(std::fabs(dy), 6.0f * 1.01f);
        }
    }
}

TEST(TweenAlphaRenderers, CollectedWithAndWithoutChildren)
{
    const std::string tree =
        ", children = { { base_script = 'off' }, { base_script = 'on' } }";
    for (bool children : {true, false}) {
        SCOPED_TRACE(children);
        auto files = TweenFiles(std::string("OtherTestRenderer = { name = 'r0b', enabled = false },"
                                            " TweenAlpha = { from = 1, to = 0.5, children = ") +
                                    (children ? "true" : "false") + " }",
                                tree);
        files["game_objects/off"] = "off = { object_name = 'off', object_layer = 1, object_activity = 0,"
                                    " components = { TestRenderer = { name = 'r1' } },"
                                    " children = { { base_script = 'deep' } } }";
        files["game_objects/deep"] = "deep = { object_name = 'deep', object_layer = 1, object_activity = 1,"
                                     " components = { TestRenderer = { name = 'r2' } } }";
        files["game_objects/on"] = "on = { object_name = 'on', object_layer = 1, object_activity = 1,"
                                   " components = { TestRenderer = { name = 'r3' } } }";
        UIWorld w(files, "stage_T");
        auto* tween = w.Get<TweenAlpha>("t");
        std::set<std::string> names;
        for (Renderer* r : tween->GetRenderers())
            names.insert(static_cast<TestRenderer*>(r)->m_Name);
        const std::set<std::string> expected =
            children ? std::set<std::string>{"r", "r2", "r3"} : std::set<std::string>{"r", "r0b"};
        EXPECT_EQ(names, expected);
        tween->Sample(1.0f);
        EXPECT_EQ(RendererOf(w, "on")->GetAlphaFactor(), children ? 0.5f : 1.0f);
    }
}

// A descendant deleted while the fade runs: the next frames write only to the renderers that
// are left, and the one still there keeps fading.
TEST(TweenAlphaRenderers, ADeletedDescendantIsLeftAlone)
{
    auto files = TweenFiles("TweenAlpha = { from = 1, to = 0, duration = 1 }",
                            ", children = { { base_script = 'gone' }, { base_script = 'on' } }");
    files["game_objects/gone"] = "gone = { object_name = 'gone', object_layer = 1, object_activity = 1,"
                                 " components = { TestRenderer = { name = 'r1' } } }";
    files["game_objects/on"] = "on = { object_name = 'on', object_layer = 1, object_activity = 1,"
                               " components = { TestRenderer = { name = 'r2' } } }";
    UIWorld w(files, "stage_T");
    auto* tween = w.Get<TweenAlpha>("t");
    ASSERT_EQ(tween->GetRenderers().size(), 3u);
    tween->Play(true);
    w.Tick(0.25f);
    delete w.Find("gone");
    ASSERT_EQ(w.Find("gone"), nullptr);
    w.Tick(0.25f);
    w.Tick(0.25f);
    EXPECT_NEAR(RendererOf(w, "on")->GetAlphaFactor(), 0.25f, 1e-5);
    EXPECT_NEAR(RendererOf(w, "t")->GetAlphaFactor(), 0.25f, 1e-5);
    EXPECT_EQ(tween->GetRenderers().size(), 2u);
}

// "play" and "factor" apply the tween while the object is being built. With a Transform in the
// list it is there already; without one the object gets its default Transform only afterwards,
// and the tween leaves it alone. The delay keeps the tween from moving in the first frames.
TEST(TweenPositionLoad, PlayAndFactorWithAndWithoutAListedTransform)
{
    struct Case {
        const char* name;
        bool transform;
        const char* keys;
        float x, y;
    };
    const Case cases[] = {
        {"play forwards: at from", true, "play = true", 10.0f, 20.0f},
        {"play backwards: at to", true, "play = false", 30.0f, 40.0f},
        {"factor 0.5: half way", true, "factor = 0.5", 20.0f, 30.0f},
        {"play without a Transform: untouched", false, "play = false", 0.0f, 0.0f},
        {"factor without a Transform: untouched", false, "factor = 0.5", 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::map<std::string, std::string> files = {
            {"stage/stage_P", "stage_P = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                              " children = { { base_script = 'p' } } }"},
            {"game_objects/p", std::string("p = { object_name = 'p', object_layer = 1, object_activity = 1,"
                                           " components = { ") +
                                   (c.transform ? "Transform = {}, " : "") +
                                   "TweenPosition = { from = { x = 10, y = 20 }, to = { x = 30, y = 40 }, duration = 1, delay = 10, " +
                                   c.keys + " } } }"},
        };
        UIWorld w(files, "stage_P");
        Transform* t = w.Find("p")->GetTransform();
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->WorldMatrix().m[3][0], c.x);
        EXPECT_EQ(t->WorldMatrix().m[3][1], c.y);
    }
}

TEST(TweenPositionMove, WorldAndLocalTargetsUnderAParent)
{
    for (bool local : {false, true}) {
        SCOPED_TRACE(local);
        UIWorld w(TweenFiles(std::string("TweenPosition = { from = { x = 0, y = 0 }, to = { x = 200, y = 100 },"
                                         " islocal = ") +
                             (local ? "true" : "false") + " }"),
                  "stage_T");
        auto* tween = w.Get<TweenPosition>("t");
        Transform* t = w.Find("t")->GetTransform();
        tween->Sample(1.0f);
        // The parent stands at (100, 50).
        EXPECT_EQ(t->WorldMatrix().m[3][0], local ? 300.0f : 200.0f);
        EXPECT_EQ(t->WorldMatrix().m[3][1], local ? 150.0f : 100.0f);
    }
    UIWorld w(TweenFiles("TweenPosition = {}"), "stage_T");
    auto* tween = w.Get<TweenPosition>("t");
    tween->MoveTo(210.0f, 70.0f, 0.5f);
    w.Tick(0.25f);
    Transform* t = w.Find("t")->GetTransform();
    EXPECT_NEAR(t->WorldMatrix().m[3][0], 160.0f, 1e-4); // from (110, 70) half way
    w.Tick(0.25f);
    w.Tick(0.25f);
    EXPECT_EQ(t->WorldMatrix().m[3][0], 210.0f);
    EXPECT_TRUE(tween->IsFinished());
}

// A tween whose target component is missing from its object says so once, at Start, naming the
// prototype, and then applies nothing, whatever it is asked.
TEST(TweenTargets, AMissingTargetIsOneErrorAndNothingApplied)
{
    struct Case {
        const char* tween;
        const char* message;
    };
    const Case cases[] = {
        {"TweenColor = { from = { a = 0 }, to = { a = 255 } }", "TweenColor of \"bare\": the object has no renderer"},
        {"TweenAtlasAnimation = { frames = { { 'x', 1 } } }", "TweenAtlasAnimation of \"bare\": the object has no TextureAtlas"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tween);
        std::map<std::string, std::string> files = {
            {"stage/stage_B", "stage_B = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                              " children = { { base_script = 'bare' } } }"},
            {"game_objects/bare", std::string("bare = { object_name = 'bare', object_layer = 1, object_activity = 1,"
                                              " components = { ") + c.tween + " } }"},
        };
        testing::internal::CaptureStdout();
        {
            UIWorld w(files, "stage_B");
            for (Component* comp : w.Find("bare")->GetComponents())
                if (comp->IsKindOf(UITweener::s_Class.Key)) {
                    auto* tween = static_cast<UITweener*>(comp);
                    tween->Play(true);
                    tween->Sample(0.5f);
                }
            w.Ticks(3);
        }
        const std::string log = testing::internal::GetCapturedStdout();
        size_t count = 0;
        for (size_t at = log.find(c.message); at != std::string::npos; at = log.find(c.message, at + 1))
            ++count;
        EXPECT_EQ(count, 1u) << log;
    }
}
