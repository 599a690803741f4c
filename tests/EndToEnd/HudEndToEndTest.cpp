// The HUD, the damage numbers and the companion's talk window in the running game on the home
// stage, whose root carries the quest controller. The test copies the player's hit points and
// power into the status bar before every frame, as the quest flow does.
#include "Components/Core/SpriteNumberRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/PowerController.h"
#include "Components/UI/UIDamageNumber.h"
#include "Components/UI/UIHud.h"
#include "Components/UI/UILayoutWidgets.h"
#include "Components/UI/UIRoot.h"
#include "Components/UI/UITalkWindow.h"
#include "Components/UI/UITweener.h"
#include "Support/GameHarness.h"
#include "Support/GameplayDriver.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The image generator's player-damage digits.
constexpr uint32_t kPlayerDamageRed = 0xFFE02020;

// The talk results heard, "W" or "N".
std::string& Heard()
{
    static std::string heard;
    return heard;
}

class TalkEar : public Component {
public:
    static inline const ClassKey s_Class{"TalkEar"};
    explicit TalkEar(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void OnMessage(IMessage* message) override
    {
        if (message->GetTypeId() != MsgUIResult::s_Class.Key)
            return;
        auto* r = static_cast<MsgUIResult*>(message);
        if (r->m_Values.size() == 1)
            Heard() += static_cast<NameId>(r->m_Values[0]) == g_nResultTalkWindowNext ? "N" : "W";
    }
};

const char* const kEar = R"(
test_TalkEar = { object_name = "ear", object_layer = LAYER_MENU, object_activity = ACTIVE,
  components = { Transform = {}, TalkEar = {} } }
)";

struct Home {
    GameHarness game;
    GameObj* player = nullptr;
    HealthController* health = nullptr;
    PowerController* power = nullptr;
    UIHudStatusBar* bar = nullptr;

    // The director's copy, before each frame.
    void Copy()
    {
        bar->m_fLife = static_cast<float>(health->m_nHealth);
        bar->m_fLifeMax = static_cast<float>(health->m_nMaxHealth);
        bar->m_fSpecial = static_cast<float>(power->m_nPower);
        bar->m_fSpecialMax = static_cast<float>(power->m_nMaxPower);
    }
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            Copy();
            game.Tick();
        }
    }
};

} // namespace

TEST(HudEndToEndTest, TheHudShowsAHitAndPowerAndTheTalkWindowTalks)
{
    Home h;
    h.game.WriteFile("assets.v1/scripts/game_objects/test_TalkEar.lua", kEar);
    ASSERT_TRUE(h.game.Start());
    h.game.Tick();
    g_pComponentFactory->RegisterClass<TalkEar>();
    ASSERT_TRUE(h.game.EnterQuestStage("vididezare", "stage_Home"));
    GameplayDriver driver(h.game);
    h.player = driver.Player();
    ASSERT_NE(h.player, nullptr);
    h.health = static_cast<HealthController*>(h.player->GetComponent(HealthController::s_Class.Key));
    h.power = static_cast<PowerController*>(h.player->GetComponent(PowerController::s_Class.Key));
    ASSERT_NE(h.health, nullptr);
    ASSERT_NE(h.power, nullptr);
    ASSERT_GT(h.health->m_nMaxHealth, 0);
    UIFrameHud* hud = FindHud();
    ASSERT_NE(hud, nullptr);
    h.bar = hud->m_pStatusBar;
    ASSERT_NE(h.bar, nullptr);
    // The director's first write: the flower does not react to it.
    h.Copy();
    h.bar->m_fPrevLife = h.bar->m_fLife;
    h.Ticks(2);
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.Grounded(); }, "the player lands", 120));
    EXPECT_EQ(h.bar->GetFlower()->GetForce(), 0.0f);
    EXPECT_EQ(h.bar->GetLifeSlider()->GetValue(), 0.0f);

    // A quarter of the maximum as player damage.
    const int32_t quarter = h.health->m_nMaxHealth / 4;
    const float y0 = driver.PlayerY();
    h.health->ApplyDamage(quarter, eDamageType_Player);
    h.Ticks(1);
    EXPECT_FLOAT_EQ(h.bar->GetLifeSlider()->GetValue(), 1.0f - float(h.health->m_nMaxHealth - quarter) /
                                                                   float(h.health->m_nMaxHealth));
    EXPECT_EQ(h.bar->GetLifeSlider()->GetForeground()->GetWidth(),
              float(int(h.bar->GetLifeSlider()->GetWidth() * h.bar->GetLifeSlider()->GetValue())));
    EXPECT_NEAR(h.bar->GetLifeSlider()->GetValue(), 0.25f, 0.01f);
    EXPECT_LT(h.bar->GetFlower()->GetForce(), 0.0f) << "the flower spins back on the loss";
    GameObj* number = h.game.FindObject("gameobj_effect_damage_number");
    ASSERT_NE(number, nullptr);
    auto* digits = static_cast<SpriteNumberRenderer*>(number->GetComponent(SpriteNumberRenderer::s_Class.Key));
    EXPECT_EQ(digits->GetNumber(), quarter);
    EXPECT_EQ(digits->GetDigitSprite(0), HashName("dmg_player_0"));
    // Above the player, rising, then falling, then fading out and gone.
    std::vector<float> heights;
    bool drawnRed = false;
    for (int i = 0; i < 90 && h.game.FindObject("gameobj_effect_damage_number"); ++i) {
        heights.push_back(number->GetTransform()->WorldMatrix().m[3][1]);
        if (!drawnRed && i < 20) {
            int sx = 0, sy = 0;
            driver.ToScreen(number->GetTransform()->WorldMatrix().m[3][0], heights.back(), sx, sy);
            const HarnessFrame frame = h.game.ReadFrame();
            for (int y = sy - 14; y <= sy + 14 && !drawnRed; ++y)
                for (int x = sx - 40; x <= sx + 40 && !drawnRed; ++x)
                    drawnRed = x >= 0 && y >= 0 && x < frame.width && y < frame.height &&
                               frame.Probe(x, y, kPlayerDamageRed, 12);
        }
        h.Ticks(1);
    }
    EXPECT_TRUE(drawnRed) << "the number is drawn in the player-damage colour";
    ASSERT_GE(heights.size(), 20u);
    EXPECT_GT(heights.front(), y0 + 30.0f) << "starts above the player";
    const auto top = std::max_element(heights.begin(), heights.end());
    EXPECT_GT(top - heights.begin(), 3) << "rises first";
    EXPECT_LT(heights.back(), *top - 10.0f) << "then falls";
    EXPECT_EQ(h.game.FindObject("gameobj_effect_damage_number"), nullptr) << "faded out and removed";

    // Power at 45 %: the first third full in the special colour, the second partly, white.
    h.power->m_nPower = h.power->m_nMaxPower * 45 / 100;
    h.Ticks(1);
    EXPECT_EQ(h.bar->GetSpecialSlider(0)->GetValue(), 1.0f);
    EXPECT_EQ(h.bar->GetSpecialSlider(0)->GetForeground()->GetColor(), h.bar->GetSpecialColor());
    EXPECT_NEAR(h.bar->GetSpecialSlider(1)->GetValue(), 0.35f, 0.01f);
    EXPECT_EQ(h.bar->GetSpecialSlider(1)->GetForeground()->GetColor(), 0xFFFFFFFFu);
    EXPECT_EQ(h.bar->GetSpecialSlider(2)->GetValue(), 0.0f);

    // The combo count shakes when it changes, then settles where it stood.
    UIHudCombo* combo = hud->m_pCombo;
    ASSERT_NE(combo, nullptr);
    Transform* comboAt = combo->GetOwner()->GetTransform();
    const float comboX = comboAt->WorldMatrix().m[3][0], comboY = comboAt->WorldMatrix().m[3][1];
    combo->ShowCount(5);
    float shaken = 0.0f;
    for (int i = 0; i < 20; ++i) {
        h.Ticks(1);
        shaken = std::max(shaken, std::hypot(comboAt->WorldMatrix().m[3][0] - comboX,
                                             comboAt->WorldMatrix().m[3][1] - comboY));
    }
    EXPECT_GT(shaken, 2.0f) << "the combo count shakes";
    EXPECT_FLOAT_EQ(comboAt->WorldMatrix().m[3][0], comboX);
    EXPECT_FLOAT_EQ(comboAt->WorldMatrix().m[3][1], comboY);

    // The companion's window: opened by tag with a line, it reveals it, shows the marker, and
    // A asks the listener for the next line; Closing switches the panel off.
    GameObj* panel = UIRoot::FindPanel(HashName("ui_lisvet_window"));
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->IsActive());
    UITalkWindow* window = FindCompanionTalkWindow();
    ASSERT_NE(window, nullptr);
    GameObj* ear = g_pSceneManager->Spawn("test_TalkEar", g_pSceneManager->GetRoot(), 0, 0);
    ASSERT_NE(ear, nullptr);
    window->SetListener(ear);
    window->m_Text = "\x82\xa8\x82\xcd\x82\xe6\x82\xa4 <F2C94C>ok";
    ASSERT_EQ(UIRoot::OpenPanel(HashName("ui_lisvet_window")), panel);
    ASSERT_TRUE(driver.WaitUntil([&] { return window->GetLength() > 0 && window->GetRevealed() == window->GetLength(); },
                                 "the line is revealed", 120));
    h.Ticks(2);
    EXPECT_TRUE(window->GetNext()->GetOwner()->IsActive());
    EXPECT_EQ(Heard(), "W");
    {
        // Legible: the line's brightest letters against the see-through frame behind them (the
        // frame is 640 x 120 round (480, 110), the line hangs from 40 above its middle) reach a
        // contrast of 4.5:1.
        const auto luminance = [](uint32_t argb) {
            const auto channel = [](uint32_t c) {
                const double v = c / 255.0;
                return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * channel(argb >> 16 & 0xFF) + 0.7152 * channel(argb >> 8 & 0xFF) +
                   0.0722 * channel(argb & 0xFF);
        };
        const HarnessFrame frame = h.game.ReadFrame();
        double letters = 0.0;
        for (int y = 540 - 150; y < 540 - 150 + 26; ++y)
            for (int x = 180; x < 420; ++x)
                letters = std::max(letters, luminance(frame.Pixel(x, y)));
        const double panel = luminance(frame.Pixel(600, 540 - 110 + 40));
        EXPECT_GE((letters + 0.05) / (panel + 0.05), 4.5)
            << "letters of luminance " << letters << " on the panel " << std::hex << frame.Pixel(600, 540 - 110 + 40);
    }
    driver.Press("slash", 2);
    h.Ticks(2);
    EXPECT_EQ(Heard(), "WN");
    PostUIEvent(window->GetOwner(), panel, eUIEvent_Closing, UIObjectToParam(window->GetOwner()));
    ASSERT_TRUE(driver.WaitUntil([&] { return !panel->IsActive(); }, "the panel switches off", 60));
}
