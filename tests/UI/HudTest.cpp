#include "UI/UIFixture.h"

#include <unistd.h>

#include <cmath>

#include "Components/Core/FontRenderer.h"
#include "Components/Core/SpriteNumberRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/ComboController.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/QuestController.h"
#include "Components/UI/UIDamageNumber.h"
#include "Components/UI/UIHud.h"
#include "Components/UI/UILayoutWidgets.h"
#include "World/Transform.h"

namespace {

std::string Obj(const std::string& name, const std::string& tag, const std::string& components,
                const std::string& children = "")
{
    std::string s = name + " = { object_name = '" + name + "', object_tag = '" + tag +
                    "', object_layer = 2048, object_activity = 1, components = { " + components + " }";
    if (!children.empty())
        s.append(", children = { ").append(children).append(" }");
    s += " }";
    return s;
}

std::string Kids(std::initializer_list<const char*> names)
{
    std::string s;
    for (const char* n : names)
        s.append("{ base_script = '").append(n).append("' }, ");
    return s;
}

// stage (the quest controller) > root > hud > combo, name plate, status bar, targets (and a
// second target list whose row prototype is missing); the player's status apart.
std::map<std::string, std::string> HudFiles()
{
    std::map<std::string, std::string> f;
    auto add = [&](const std::string& name, const std::string& tag, const std::string& comps,
                   const std::string& kids = "") { f["game_objects/" + name] = Obj(name, tag, comps, kids); };
    f["stage/stage_H"] = "stage_H = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                         " components = { QuestController = {} },"
                         " children = { { base_script = 'ui_root' }, { base_script = 'player' } } }";
    add("ui_root", "", "UIRoot = {}", Kids({"hud"}));
    add("hud", "ui_hud",
        "UIFrameHud = { not_select = true, combo = 'combo', object_name = 'name', status_bar = 'bar',"
        " quest_target = 'targets' }",
        Kids({"combo", "name", "bar", "targets", "targets2"}));
    add("combo", "combo",
        "UIHudCombo = { sprite_number_combo = 'num', display_time = 1 }, TweenShake = { duration = 0.25 },"
        " TweenAlpha = { from = 0, to = 1, duration = 0.2 }",
        Kids({"num"}));
    add("num", "num", "SpriteNumberRenderer = { max_digit = 3 }");
    add("name", "name",
        "UIHudObjectName = { label_object_name = 'nl', sliced_sprite_bar = 'nb', display_time = 1 },"
        " TweenAlpha = { from = 0, to = 1, duration = 0.5 }",
        Kids({"nl", "nb"}));
    add("nl", "nl", "FontRenderer = {}");
    add("nb", "nb", "SlicedSpriteRenderer = { size = { width = 10, height = 20 }, border = { left = 8, right = 6 } }");
    add("bar", "bar",
        "UIHudStatusBar = { sprite_flower = 'flower', sprite_number_life = 'life', slider_life = 'ls',"
        " slider_special01 = 's1', slider_special02 = 's2', slider_special03 = 's3',"
        " special_red = { r = 200, g = 10, b = 20, a = 255 }, helth_per_force = 100 }",
        Kids({"flower", "life", "ls", "s1", "s2", "s3"}));
    add("flower", "flower", "UIWheel = { friction = 1, limit_force = 1.2 }");
    add("life", "life", "SpriteNumberRenderer = { max_digit = 4 }");
    for (const char* s : {"ls", "s1", "s2", "s3"}) {
        const std::string fg = std::string(s) + "f";
        add(s, s, "UISlider = { foreground = '" + fg + "', direciton = 0, size = { width = 200, height = 16 } }",
            Kids({fg.c_str()}));
        add(fg, fg, "SpriteRenderer = {}");
    }
    add("targets", "targets",
        "UITable = { direction = 1, padding = { x = 0, y = -28 } },"
        " UIHudQuestTarget = { limit_max = 99, quest_target_script_name = 'row' }");
    add("targets2", "targets2", "UIHudQuestTarget = { quest_target_script_name = 'no_such_row' }");
    add("row", "", "Transform = {}", Kids({"row_icon", "row_label"}));
    add("row_icon", "", "SpriteRenderer = {}, TextureAtlas = {}");
    add("row_label", "", "FontRenderer = {}");
    f["game_objects/player"] = "player = { object_name = 'player', object_layer = 1, object_activity = 1,"
                               " components = { StatusParameter = {}, HealthController = {},"
                               "   ComboController = { comboAcceptableTime = 2, maxComboCount = 999 } } }";
    f["game_objects/gameobj_effect_damage_number"] =
        "gameobj_effect_damage_number = { object_name = 'dmg', object_layer = 1, object_activity = 1,"
        " components = { SpriteNumberRenderer = {}, UIDamageNumber = { velocity = { x = 0, y = 100 },"
        " damage_number = { player_damage = { { 'p0','p1','p2','p3','p4','p5','p6','p7','p8','p9' }, 9 } } } } }";
    return f;
}

struct HudWorld {
    UIWorld w{HudFiles(), "stage_H"};
    UIFrameHud* hud = w.Get<UIFrameHud>("hud");
    QuestController* Quest() { return w.Get<QuestController>("stage"); }
    void SetPlayer() { Quest()->m_pPlayerObj = w.Find("player"); }
};

bool Forwards(const UITweener* t) { return t->GetAmountPerDelta() > 0.0f; }

} // namespace

TEST(HudTest, FrameFindsItsWidgetsAndIsTheHud)
{
    HudWorld h;
    ASSERT_NE(h.hud, nullptr);
    EXPECT_EQ(h.hud->m_pCombo, h.w.Get<UIHudCombo>("combo"));
    EXPECT_EQ(h.hud->m_pObjectName, h.w.Get<UIHudObjectName>("name"));
    EXPECT_EQ(h.hud->m_pStatusBar, h.w.Get<UIHudStatusBar>("bar"));
    EXPECT_EQ(h.hud->m_pQuestTarget, h.w.Get<UIHudQuestTarget>("targets"));
    EXPECT_TRUE(h.hud->IsKindOf(UIFrame::s_Class.Key));
    EXPECT_EQ(FindHud(), h.hud);
    EXPECT_EQ(h.Quest()->m_pHud, h.hud) << "the root's quest controller caches it";
    EXPECT_EQ(h.w.Root("ui_root")->GetSelected(), nullptr) << "not_select leaves the selection";
}

// The director's five values -> the gauges after one frame.
TEST(HudTest, StatusBar)
{
    constexpr uint32_t kRed = 0xFFC80A14u, kWhite = 0xFFFFFFFFu;
    struct Case {
        const char* name;
        bool player;
        float life, prevLife, lifeMax, special;
        float force;            // the flower's force after the frame
        float lifeSlider, scale; // -1: untouched since load
        int32_t number;          // -1: untouched
        float specials[3];
        uint32_t colours[3];
    };
    const Case cases[] = {
        {"special 450 of 1000", true, 200, 200, 200, 450, 0, 0, 1, 200, {1, 0.35f, 0}, {kRed, kWhite, kWhite}},
        {"special full", true, 200, 200, 200, 1000, 0, 0, 1, 200, {1, 1, 1}, {kRed, kRed, kRed}},
        {"special 0", true, 200, 200, 200, 0, 0, 0, 1, 200, {0, 0, 0}, {kWhite, kWhite, kWhite}},
        {"life 50 of 200", true, 50, 50, 200, 0, 0, 0.75f, 0.5875f, 50, {0, 0, 0}, {kWhite, kWhite, kWhite}},
        // -150 / 100 = -1.5, beyond the flower's limit of 1.2.
        {"drop 200 to 50", true, 50, 200, 200, 0, -1.2f, 0.75f, 0.5875f, 50, {0, 0, 0}, {kWhite, kWhite, kWhite}},
        {"rise 100 to 150", true, 150, 100, 200, 0, 0.5f, 0.25f, 0.8625f, 150, {0, 0, 0}, {kWhite, kWhite, kWhite}},
        // Before the director writes the maximum nothing of the life gauges moves.
        {"life maximum 0", true, 50, 50, 0, 0, 0, -1, -1, -1, {0, 0, 0}, {kWhite, kWhite, kWhite}},
        // Without the player only the flower follows life.
        {"no player", false, 50, 200, 200, 450, -1.2f, -1, -1, -1, {-1, -1, -1}, {kWhite, kWhite, kWhite}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HudWorld h;
        if (c.player)
            h.SetPlayer();
        UIHudStatusBar* bar = h.hud->m_pStatusBar;
        ASSERT_NE(bar, nullptr);
        const float sliderBefore = bar->GetLifeSlider()->GetValue();
        const int32_t numberBefore = bar->GetLifeNumber()->GetNumber();
        float specialsBefore[3];
        for (int i = 0; i < 3; ++i)
            specialsBefore[i] = bar->GetSpecialSlider(i)->GetValue();
        bar->m_fLife = c.life;
        bar->m_fPrevLife = c.prevLife;
        bar->m_fLifeMax = c.lifeMax;
        bar->m_fSpecial = c.special;
        bar->m_fSpecialMax = 1000;
        h.w.Tick();
        EXPECT_FLOAT_EQ(bar->GetFlower()->GetForce(), c.force);
        EXPECT_EQ(bar->m_fPrevLife, c.life);
        EXPECT_FLOAT_EQ(bar->GetLifeSlider()->GetValue(), c.lifeSlider < 0 ? sliderBefore : c.lifeSlider);
        EXPECT_FLOAT_EQ(h.w.Find("flower")->GetTransform()->LocalScale().x, c.scale < 0 ? 1.0f : c.scale);
        EXPECT_EQ(bar->GetLifeNumber()->GetNumber(), c.number < 0 ? numberBefore : c.number);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(bar->GetSpecialSlider(i)->GetValue(), c.specials[i] < 0 ? specialsBefore[i] : c.specials[i],
                        1e-5f)
                << i;
            EXPECT_EQ(bar->GetSpecialSlider(i)->GetForeground()->GetColor(), c.colours[i]) << i;
        }
        if (c.lifeSlider >= 0) {
            EXPECT_EQ(bar->GetLifeSlider()->GetForeground()->GetWidth(), float(int(200 * c.lifeSlider)));
        }
    }
}

TEST(HudTest, StatusBarLifePerForceZeroKeepsTheDefault)
{
    auto files = HudFiles();
    files["game_objects/bar"].replace(files["game_objects/bar"].find("helth_per_force = 100"), 21,
                                      "helth_per_force = 0");
    testing::internal::CaptureStdout();
    UIWorld w(files, "stage_H");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("bar: UIHudStatusBar \"helth_per_force\" must not be 0"), std::string::npos) << out;
    UIHudStatusBar* bar = w.Get<UIHudStatusBar>("bar");
    EXPECT_EQ(bar->GetLifePerForce(), 100.0f);
    bar->m_fLife = 100;
    w.Tick();
    EXPECT_FLOAT_EQ(bar->GetFlower()->GetForce(), 1.0f);
}

// Shown with a display time of 1: the fade-out starts in the first frame below 0.
TEST(HudTest, ComboFadesOutAfterItsDisplayTime)
{
    HudWorld h;
    UIHudCombo* combo = h.hud->m_pCombo;
    EXPECT_FALSE(Forwards(combo->GetFade())) << "starts hidden";
    combo->ShowCount(12);
    EXPECT_EQ(combo->GetNumber()->GetNumber(), 12);
    EXPECT_TRUE(Forwards(combo->GetFade()));
    EXPECT_FALSE(Forwards(combo->GetShake()));
    EXPECT_FALSE(combo->GetShake()->IsFinished());
    EXPECT_EQ(combo->GetRemainingTime(), 1.0f);
    for (int i = 0; i < 3; ++i) {
        h.w.Tick(0.3f);
        EXPECT_TRUE(Forwards(combo->GetFade())) << i;
    }
    EXPECT_GT(combo->GetRemainingTime(), 0.0f);
    h.w.Tick(0.3f);
    EXPECT_EQ(combo->GetRemainingTime(), 0.0f);
    EXPECT_FALSE(Forwards(combo->GetFade()));
}

// Every shown count shakes, the first of the HUD's life too: its shake runs backward from
// the end rather than ending at once from the start it rests at.
TEST(HudTest, EveryComboCountShakes)
{
    HudWorld h;
    UIHudCombo* combo = h.hud->m_pCombo;
    for (int count : {3, 4}) {
        SCOPED_TRACE(count);
        combo->ShowCount(count);
        EXPECT_EQ(combo->GetShake()->GetFactor(), 1.0f);
        h.w.Tick(0.05f);
        EXPECT_FALSE(combo->GetShake()->IsFinished());
        EXPECT_LT(combo->GetShake()->GetFactor(), 1.0f);
        EXPECT_GT(combo->GetShake()->GetFactor(), 0.0f);
        for (int i = 0; i < 10; ++i)
            h.w.Tick(0.05f);
        EXPECT_TRUE(combo->GetShake()->IsFinished());
    }
}

// The countdown waits for the fade-in; the bar spans the text and both borders.
TEST(HudTest, NamePlate)
{
    HudWorld h;
    UIHudObjectName* name = h.hud->m_pObjectName;
    name->Show("Slime", 1.0f);
    float w = 0, ht = 0;
    name->GetLabel()->SetText("Slime", w, ht);
    EXPECT_EQ(name->GetLabel()->GetText(), "Slime");
    EXPECT_EQ(name->GetBar()->GetDrawWidth(), w + 14.0f);
    EXPECT_EQ(name->GetBar()->GetDrawHeight(), 20.0f);
    h.w.Tick(0.25f);
    EXPECT_EQ(name->GetRemainingTime(), 1.0f) << "still fading in";
    h.w.Tick(0.25f);
    h.w.Tick(0.25f);
    EXPECT_LT(name->GetRemainingTime(), 1.0f);
    for (int i = 0; i < 5; ++i)
        h.w.Tick(0.25f);
    EXPECT_EQ(name->GetRemainingTime(), 0.0f);
    EXPECT_FALSE(Forwards(name->GetFade()));
    // Once faded out the plate stays idle: the fade-out is not started again frame after frame.
    for (int i = 0; i < 4; ++i)
        h.w.Tick(0.25f);
    ASSERT_TRUE(name->GetFade()->IsFinished());
    for (int i = 0; i < 3; ++i) {
        h.w.Tick(0.25f);
        EXPECT_TRUE(name->GetFade()->IsFinished()) << i;
    }
}

TEST(HudTest, QuestTargets)
{
    HudWorld h;
    UIHudQuestTarget* targets = h.hud->m_pQuestTarget;
    const NameId slime = HashName("icon_slime"), bat = HashName("icon_bat");
    EXPECT_TRUE(targets->AddTarget(slime));
    EXPECT_FALSE(targets->AddTarget(slime)) << "a key once";
    EXPECT_TRUE(targets->AddTarget(bat));
    EXPECT_EQ(targets->GetTargetCount(), 2u);
    struct Case {
        NameId key;
        int32_t count;
        const char* label;
    };
    const Case cases[] = {{slime, 0, "x  0"}, {slime, 7, "x  7"}, {slime, 120, "x 99"}, {bat, -3, "x -3"}};
    for (const Case& c : cases) {
        targets->SetCount(c.key, c.count);
        EXPECT_EQ(targets->GetCount(c.key), c.count);
        EXPECT_EQ(targets->GetLabel(c.key)->GetText(), c.label) << c.count;
    }
    targets->SetCount(HashName("unlisted"), 5);
    EXPECT_EQ(targets->GetTargetCount(), 2u);
    // Laid out one row pitch apart.
    std::vector<GameObj*> rows = targets->GetTable()->GetItems();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_FLOAT_EQ(std::fabs(rows[0]->GetTransform()->WorldMatrix().m[3][1] -
                              rows[1]->GetTransform()->WorldMatrix().m[3][1]),
                    28.0f);
    // Without its row prototype a list refuses, naming it.
    testing::internal::CaptureStdout();
    EXPECT_FALSE(h.w.Get<UIHudQuestTarget>("targets2")->AddTarget(slime));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("no row prototype \"no_such_row\""), std::string::npos) << out;
}

// A list whose data leaves out "limit_max" still shows the counts, up to two digits' worth.
TEST(HudTest, QuestTargetCountsWithoutALimit)
{
    auto files = HudFiles();
    files["game_objects/targets"] = Obj("targets", "targets",
                                        "UITable = { direction = 1, padding = { x = 0, y = -28 } },"
                                        " UIHudQuestTarget = { quest_target_script_name = 'row' }");
    UIWorld w(files, "stage_H");
    auto* targets = w.Get<UIHudQuestTarget>("targets");
    const NameId slime = HashName("icon_slime");
    ASSERT_TRUE(targets->AddTarget(slime));
    for (const auto& [count, label] : {std::pair<int32_t, const char*>{0, "x  0"}, {7, "x  7"}, {120, "x 99"}}) {
        targets->SetCount(slime, count);
        EXPECT_EQ(targets->GetLabel(slime)->GetText(), label) << count;
    }
}

namespace {

std::map<std::string, std::string> NumberFiles(const std::string& keys)
{
    return {
        {"stage/stage_N", "stage_N = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          " children = { { base_script = 'num' } } }"},
        {"game_objects/num", "num = { object_name = 'num', object_layer = 1, object_activity = 1,"
                             " components = { Transform = { position = { x = 10, y = 20, z = 5 } },"
                             " SpriteNumberRenderer = {}, UIDamageNumber = { " +
                                 keys + " } } }"},
    };
}

const char* const kDigitSets =
    "damage_number = { enemy_damage = { { 'e0','e1','e2','e3','e4','e5','e6','e7','e8','e9' }, 10 },"
    " critical = { { 'c0','c1','c2','c3','c4','c5','c6','c7','c8','c9','c10','c11' }, 14.7 } }";

} // namespace

// Velocity (0, 200) and gravity -300: after one second the velocity is -100 and the depth has
// grown by one.
TEST(HudTest, DamageNumberMoves)
{
    UIWorld w(NumberFiles("velocity = { x = 0, y = 200 }, gravity = -300"), "stage_N");
    UIDamageNumber* n = w.Get<UIDamageNumber>("num");
    EXPECT_FLOAT_EQ(n->GetDepth(), 5.0f + 1.0f / 60.0f) << "the start frame moved it once";
    n->SetVelocity(0.0f, 200.0f);
    const float y0 = w.Find("num")->GetTransform()->LocalMatrix().m[3][1];
    const float depth0 = n->GetDepth();
    for (int i = 0; i < 4; ++i)
        w.Tick(0.25f);
    EXPECT_EQ(n->GetVelocityY(), -100.0f);
    EXPECT_EQ(n->GetDepth(), depth0 + 1.0f);
    const Matrix4x4& m = w.Find("num")->GetTransform()->LocalMatrix();
    EXPECT_EQ(m.m[3][0], 10.0f) << "no sideways velocity";
    EXPECT_EQ(m.m[3][1], y0 + (125.0f + 50.0f - 25.0f - 100.0f) * 0.25f);
    EXPECT_EQ(m.m[3][2], depth0 + 1.0f);
}

// Load: ranges within their bounds, a list over ten keeps ten, padding truncated; Show takes the
// type's digits and padding.
TEST(HudTest, DamageNumberDigits)
{
    UIWorld w(NumberFiles(std::string("velocity = { x = { -40, 40 }, y = 220 }, ") + kDigitSets), "stage_N");
    UIDamageNumber* n = w.Get<UIDamageNumber>("num");
    EXPECT_GE(n->GetVelocityX(), -40.0f);
    EXPECT_LE(n->GetVelocityX(), 40.0f);
    EXPECT_EQ(n->GetVelocityY(), 220.0f);
    EXPECT_EQ(n->GetDigitSprite(eDamageType_Critical, 9), HashName("c9"));
    EXPECT_EQ(n->GetPadding(eDamageType_Critical), 14);
    EXPECT_EQ(n->GetDigitSprite(eDamageType_Player, 0), 0u) << "absent type";
    n->Show(305, eDamageType_Critical);
    auto* digits = w.Get<SpriteNumberRenderer>("num");
    EXPECT_EQ(digits->GetNumber(), 305);
    EXPECT_EQ(digits->GetDigitSprite(3), HashName("c3"));
    EXPECT_EQ(digits->GetPaddingX(), 14.0f);
    EXPECT_EQ(digits->GetColor(), 0xFFFFFFFFu);
    n->Show(8, eDamageType_Enemy);
    EXPECT_EQ(digits->GetDigitSprite(3), HashName("e3"));
    EXPECT_EQ(digits->GetPaddingX(), 10.0f);
}

TEST(HudDeathTest, DamageNumberTypeOutOfRangeIsFatal)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            UIWorld w(NumberFiles(""), "stage_N");
            w.Get<UIDamageNumber>("num")->Show(1, 4);
        },
        "Assertion failed: nDamageType >=0 && nDamageType < eDamageType_max\\. ");
}

// The game's callers reach the HUD: the second hit of a combo shows 1; a hit spawns a number
// in the type's digits.
TEST(HudTest, GameplayReachesTheHud)
{
    HudWorld h;
    auto* combo = h.w.Get<ComboController>("player");
    combo->AddHit();
    combo->AddHit();
    EXPECT_EQ(h.hud->m_pCombo->GetNumber()->GetNumber(), 1);
    EXPECT_TRUE(Forwards(h.hud->m_pCombo->GetFade()));

    auto* health = h.w.Get<HealthController>("player");
    health->ApplyDamage(-37, eDamageType_Healing);
    health->ApplyDamage(42, eDamageType_Player);
    GameObj* number = h.w.Find("dmg");
    ASSERT_NE(number, nullptr);
    auto* digits = static_cast<SpriteNumberRenderer*>(number->GetComponent(SpriteNumberRenderer::s_Class.Key));
    EXPECT_EQ(digits->GetNumber(), 42) << "the newest number";
    EXPECT_EQ(digits->GetDigitSprite(4), HashName("p4"));
    EXPECT_EQ(digits->GetPaddingX(), 9.0f);
}
