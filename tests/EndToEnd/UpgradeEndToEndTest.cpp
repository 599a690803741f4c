// The parameter upgrade screen in the running game, on the home stage: with experience and two more
// accessories in the save data, the player walks onto the training spot, opens it with Up and drives
// it by pad and keyboard as a player would.
#include "Components/Core/FontRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/UI/UIDialogFrames.h"
#include "Components/UI/UILayoutWidgets.h"
#include "Components/UI/UITweener.h"
#include "Components/UI/UIUpgradeParameter.h"
#include "Support/GameHarness.h"
#include "Support/GameplayDriver.h"
#include "System/Common/NameHash.h"
#include "World/GameObj.h"
#include "World/PlayerSaveData.h"
#include "World/Transform.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Where the training spot stands on the home stage (its script's x): the player walks there from
// the quest board.
constexpr float kUpgradeStandX = 600.0f;

// Where a UI world point lands in the frame (the screen camera sees 0..960 by 0..540, y up).
int PixelX(const GameObj* o) { return int(std::lround(o->GetTransform()->WorldMatrix().m[3][0])); }
int PixelY(const GameObj* o) { return 540 - int(std::lround(o->GetTransform()->WorldMatrix().m[3][1])); }

uint32_t Sum(const HarnessFrame& frame, int x0, int y0, int w, int h)
{
    uint32_t sum = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            sum = sum * 31u + frame.Pixel(x, y);
    return sum;
}

} // namespace

TEST(UpgradeEndToEndTest, ARaiseAndAnAccessoryChosenByPad)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.MakeQuestCurrent("vididezare"));
    ASSERT_TRUE(game.RequestStage("stage_Home"));
    game.Ticks(3);
    GameplayDriver pad(game);
    ASSERT_NE(pad.Player(), nullptr);
    g_PlayerSaveData.m_nExperience = 1000;
    g_PlayerSaveData.AddAccessory(HashName("accessory_Feather"));
    g_PlayerSaveData.AddAccessory(HashName("accessory_Ring"));

    GameObj* panel = game.FindObjectByTag("ui_upgrade_parameter");
    ASSERT_NE(panel, nullptr);
    auto* frame = static_cast<UIFrameUpgradeParameter*>(panel->GetComponent(UIFrameUpgradeParameter::s_Class.Key));
    ASSERT_NE(frame, nullptr);
    ASSERT_FALSE(panel->IsActive());
    ASSERT_TRUE(pad.WalkTo(kUpgradeStandX));
    game.Ticks(2);
    ASSERT_FALSE(panel->IsActive()) << "the screen opened before Up";
    pad.Press("up");
    ASSERT_TRUE(game.TickUntil([&] { return panel->IsActive(); }, "Up on the training spot opens the screen", 10));
    // The first opening's frame builds every row's slide and buttons.
    double openMs = 0.0;
    for (int i = 0; i < 10 && !frame->GetRow(0); ++i) {
        const auto before = std::chrono::steady_clock::now();
        game.Tick();
        openMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count();
    }
    ASSERT_NE(frame->GetRow(0), nullptr);
    ASSERT_NE(frame->GetRow(5), nullptr);
    int slideFrames = 1;
    auto slid = [&] {
        for (int k = 0; k < kUpgradeRowCount; ++k) {
            auto* slide = static_cast<UITweener*>(frame->GetRow(k)->GetOwner()->GetComponent(TweenPosition::s_Class.Key));
            if (!slide || !slide->IsFinished())
                return false;
        }
        return true;
    };
    while (!slid() && slideFrames < 120) {
        game.Tick();
        ++slideFrames;
    }
    ASSERT_TRUE(slid());
    std::printf("upgrade screen: first opening frame %.2f ms, rows in place after %d frames\n", openMs, slideFrames);
    game.Ticks(15);

    // Every row at its place in the table, the first one selected and lit.
    const float rowX = frame->GetRow(0)->GetOwner()->GetTransform()->WorldMatrix().m[3][0];
    for (int k = 0; k < kUpgradeRowCount; ++k) {
        const GameObj* row = frame->GetRow(k)->GetOwner();
        EXPECT_FLOAT_EQ(row->GetTransform()->WorldMatrix().m[3][0], rowX) << k;
        EXPECT_GT(rowX, 100.0f);
    }
    EXPECT_TRUE(frame->GetRow(0)->GetSelectSprite()->IsEnabled());
    EXPECT_FALSE(frame->GetRow(1)->GetSelectSprite()->IsEnabled());

    // Right: one pending piece shown; the cost label shows its price.
    UIUpgradeBar* hp = frame->GetRow(0);
    pad.Press("right");
    ASSERT_TRUE(game.TickUntil([&] { return hp->m_nCurrentLevel == 1; }, "the first row rises", 10));
    // The piece switched on in that frame starts at the next one.
    game.Tick();
    const std::vector<GameObj*> pieces = hp->GetPieceTable()->GetItems();
    ASSERT_FALSE(pieces.empty());
    GameObj* piece = pieces[0];
    ASSERT_TRUE(piece->IsActive());
    for (Component* c : piece->GetComponents())
        EXPECT_TRUE(c->IsStarted()) << c->GetClassName() << " of the new piece never started";
    const int cost = frame->LevelCost(0, 0);
    EXPECT_GT(cost, 0);
    EXPECT_EQ(static_cast<FontRenderer*>(frame->GetCostLabel())->GetText(), std::to_string(cost));
    // The piece in the hp colour (red over green and blue, whatever its blink's tint), and
    // blinking: a quarter second later the same pixel differs.
    const int px = PixelX(piece), py = PixelY(piece);
    const HarnessFrame lit = game.ReadFrame();
    const auto red = [](uint32_t argb) { return int(argb >> 16 & 0xFF) - int(argb >> 8 & 0xFF); };
    EXPECT_GT(red(lit.Pixel(px, py)), 40) << std::hex << lit.Pixel(px, py);
    bool blinked = false;
    for (int i = 0; i < 4 && !blinked; ++i) {
        game.Ticks(15);
        blinked = game.ReadFrame().Pixel(px, py) != lit.Pixel(px, py);
    }
    EXPECT_TRUE(blinked) << "the pending piece does not blink";

    // A asks to confirm; Left moves to yes, Return answers: the level and the spent experience
    // are in the save data, and the piece, now saved, stands still.
    pad.Press("A");
    GameObj* dialog = game.FindObjectByTag("ui_common_yes_no");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(game.TickUntil([&] { return dialog->IsActive(); }, "the yes/no dialog opens", 30));
    game.Ticks(20);
    pad.Press("left");
    game.Ticks(3);
    game.KeyDown(SDL_SCANCODE_RETURN);
    game.Tick();
    game.KeyUp(SDL_SCANCODE_RETURN);
    ASSERT_TRUE(game.TickUntil([&] { return !dialog->IsActive(); }, "the yes/no dialog closes", 60));
    game.Ticks(3);
    EXPECT_EQ(g_PlayerSaveData.m_aLevels[0], 1u);
    EXPECT_EQ(g_PlayerSaveData.m_nExperience, uint32_t(1000 - cost));
    EXPECT_EQ(hp->m_nSavedLevel, 1);
    const HarnessFrame still = game.ReadFrame();
    game.Ticks(15);
    EXPECT_EQ(game.ReadFrame().Pixel(px, py), still.Pixel(px, py)) << "a saved piece still blinks";
    EXPECT_EQ(static_cast<FontRenderer*>(frame->GetCostLabel())->GetText(), "0");

    // Down six times reaches the accessory row; Right equips the next owned accessory.
    for (int i = 0; i < 6; ++i) {
        pad.Press("down");
        game.Ticks(3);
    }
    GameObj* accessory = game.FindObjectByTag("ui_upgrade_accessory");
    ASSERT_EQ(frame->GetSelected(), accessory);
    GameObj* name = game.FindObjectByTag("ui_upgrade_accessory_name");
    const HarnessFrame shown = game.ReadFrame();
    const uint32_t equipped = g_PlayerSaveData.m_nEquippedAccessory;
    const std::vector<uint32_t>& owned = g_PlayerSaveData.m_OwnedAccessories;
    size_t at = 0;
    while (at < owned.size() && owned[at] != equipped)
        ++at;
    ASSERT_LT(at, owned.size());
    pad.Press("right");
    game.Ticks(3);
    EXPECT_EQ(g_PlayerSaveData.m_nEquippedAccessory, owned[(at + 1) % owned.size()]);
    EXPECT_NE(Sum(game.ReadFrame(), PixelX(name), PixelY(name) - 12, 120, 24),
              Sum(shown, PixelX(name), PixelY(name) - 12, 120, 24))
        << "the accessory name did not change on screen";

    // B with nothing pending closes the screen (the accessory is no pending change).
    pad.Press("B");
    ASSERT_TRUE(game.TickUntil([&] { return !panel->IsActive(); }, "the screen closes", 60));

    // Closed, the stage plays again and frees the menus: the player walks, and Up on the spot
    // opens the screen once more.
    game.Ticks(3);
    ASSERT_TRUE(pad.WalkTo(kUpgradeStandX - 120.0f));
    ASSERT_TRUE(pad.WalkTo(kUpgradeStandX));
    pad.Press("up");
    EXPECT_TRUE(game.TickUntil([&] { return panel->IsActive(); }, "Up on the spot opens the screen again", 10));
}

// The question asked over the upgrade screen (buying the pending levels): the dialog writes it
// into its label, and its plate covers the screen's rows, numbers and pieces below it, since the
// screen's parts lie deeper than the dialog's.
TEST(UpgradeEndToEndTest, TheBuyQuestionIsShownAboveTheScreen)
{
    constexpr uint32_t kDialogTeal = 0xFF3BA3A3; // the yes/no plate's fill
    GameHarness game;
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.MakeQuestCurrent("vididezare"));
    ASSERT_TRUE(game.RequestStage("stage_Home"));
    game.Ticks(3);
    GameplayDriver pad(game);
    ASSERT_NE(pad.Player(), nullptr);
    g_PlayerSaveData.m_nExperience = 1000;
    GameObj* panel = game.FindObjectByTag("ui_upgrade_parameter");
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(pad.WalkTo(kUpgradeStandX));
    game.Ticks(2);
    pad.Press("up");
    ASSERT_TRUE(game.TickUntil([&] { return panel->IsActive(); }, "Up on the training spot opens the screen", 10));
    game.Ticks(90); // the rows slide in
    pad.Press("right");
    game.Ticks(3);
    pad.Press("A");
    GameObj* dialog = game.FindObjectByTag("ui_common_yes_no");
    ASSERT_NE(dialog, nullptr);
    auto* fade = static_cast<UITweener*>(dialog->GetComponent(TweenAlpha::s_Class.Key));
    ASSERT_NE(fade, nullptr);
    ASSERT_TRUE(game.TickUntil([&] { return dialog->IsActive() && fade->IsFinished(); }, "the dialog fades in", 60));
    game.Ticks(30);

    GameObj* label = dialog->FindActiveByTag(HashName("label_info"));
    ASSERT_NE(label, nullptr);
    auto* text = static_cast<FontRenderer*>(label->GetComponent(FontRenderer::s_Class.Key));
    ASSERT_NE(text, nullptr);
    auto* asking = static_cast<UIFrameCommonYesNo*>(dialog->GetComponent(UIFrameCommonYesNo::s_Class.Key));
    ASSERT_NE(asking, nullptr);
    EXPECT_FALSE(asking->m_InfoText.empty()) << "the screen asks nothing";
    EXPECT_EQ(text->GetText(), asking->m_InfoText) << "the question is not written into the dialog";

    // The plate (360 x 150 round the window's place) away from its question and buttons: plate
    // fill only, none of the screen's parts drawn over it.
    GameObj* window = dialog->FindActiveByTag(HashName("window_root"));
    ASSERT_NE(window, nullptr);
    const HarnessFrame frame = game.ReadFrame();
    const int cx = PixelX(window), cy = PixelY(window);
    int foreign = 0, lettered = 0;
    for (int y = cy - 75 + 10; y < cy + 75 - 10; ++y)
        for (int x = cx - 180 + 10; x < cx + 180 - 10; ++x) {
            // The question's text hangs from its label, 25 above the window's middle.
            const bool question = y >= cy - 25 - 4 && y <= cy - 25 + 30;
            const bool buttons = y >= cy + 35 - 20;
            const uint32_t p = frame.Pixel(x, y);
            if (question)
                lettered += (p >> 16 & 0xFF) > 0xC0 && (p >> 8 & 0xFF) > 0xC0 && (p & 0xFF) > 0xC0;
            else if (!buttons && !frame.Probe(x, y, kDialogTeal, 6))
                ++foreign;
        }
    EXPECT_EQ(foreign, 0) << "pixels of the screen drawn over the dialog's plate";
    EXPECT_GT(lettered, 40) << "no lettering where the question stands";
}

// Every spot of the home stage that the player opens with Up is drawn, and while he stands before
// it, its key hint shows above it in dark letters (and only then).
TEST(UpgradeEndToEndTest, EachHomeSpotIsDrawnWithItsKeyHintWhileThePlayerStandsBeforeIt)
{
    struct Spot {
        const char* prototype;
        float x;
    };
    const Spot spots[] = {{"gimmick_QuestBoard", 732.0f}, {"gimmick_UpgradeStand", kUpgradeStandX},
                          {"gimmick_SavePoint", 470.0f}};
    // Where each hint stood and how many dark pixels its box held while it showed.
    struct HintSeen {
        int x, y, dark;
    };
    std::vector<HintSeen> hintsSeen;
    const auto darkIn = [](const HarnessFrame& frame, int sx, int sy) {
        int dark = 0;
        for (int y = std::max(0, sy - 4); y < std::min(frame.height, sy + 30); ++y)
            for (int x = std::max(0, sx - 100); x < std::min(frame.width, sx + 100); ++x) {
                const uint32_t p = frame.Pixel(x, y);
                dark += (p >> 16 & 0xFF) < 0x50 && (p >> 8 & 0xFF) < 0x50 && (p & 0xFF) < 0x60;
            }
        return dark;
    };
    GameHarness game;
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.MakeQuestCurrent("vididezare"));
    ASSERT_TRUE(game.RequestStage("stage_Home"));
    game.Ticks(3);
    GameplayDriver pad(game);
    ASSERT_NE(pad.Player(), nullptr);
    for (const Spot& spot : spots) {
        SCOPED_TRACE(spot.prototype);
        GameObj* gimmick = game.FindObject(spot.prototype);
        ASSERT_NE(gimmick, nullptr);
        EXPECT_NE(gimmick->GetComponent(SpriteRenderer::s_Class.Key), nullptr) << "the spot is not drawn";
        ASSERT_TRUE(pad.WalkTo(spot.x));
        game.Ticks(3);
        GameObj* hint = nullptr;
        for (GameObj* o = gimmick->GetNext(); o && o != gimmick->GetNextSkippingSubtree(); o = o->GetNext())
            if (o->GetTag() == HashName("key_hint"))
                hint = o;
        ASSERT_NE(hint, nullptr) << "no key hint";
        EXPECT_TRUE(hint->IsActive()) << "the hint is hidden while the player stands before the spot";
        // Dark letters in the hint's box (200 x 30, hanging from its place, centred).
        int sx = 0, sy = 0;
        pad.ToScreen(hint->GetTransform()->WorldMatrix().m[3][0], hint->GetTransform()->WorldMatrix().m[3][1], sx, sy);
        const int dark = darkIn(game.ReadFrame(), sx, sy);
        EXPECT_GT(dark, 40) << "no dark letters where the hint stands (" << sx << ", " << sy << ")";
        hintsSeen.push_back({sx, sy, dark});
    }
    // Away from every spot, no hint shows.
    ASSERT_TRUE(pad.WalkTo(390.0f));
    game.Ticks(3);
    for (const Spot& spot : spots) {
        GameObj* gimmick = game.FindObject(spot.prototype);
        for (GameObj* o = gimmick->GetNext(); o && o != gimmick->GetNextSkippingSubtree(); o = o->GetNext())
            EXPECT_FALSE(o->GetTag() == HashName("key_hint") && o->IsActive()) << spot.prototype << "'s hint stays up";
    }
    // The dark pixels were the hint's letters, not something drawn in front of them: they go
    // with the hint.
    const HarnessFrame away = game.ReadFrame();
    for (size_t i = 0; i < hintsSeen.size(); ++i)
        EXPECT_LT(darkIn(away, hintsSeen[i].x, hintsSeen[i].y) + 40, hintsSeen[i].dark)
            << spots[i].prototype << "'s hint was not seen: its letters lie behind something";
}

// Every spot the player reads at home, the signpost and the hint board included, is seen whole:
// once the yard's props have come to rest, no prop or other spot drawn nearer covers a tenth of
// its picture.
TEST(UpgradeEndToEndTest, NoHomeSpotIsHiddenBehindAPropOrAnotherSpot)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.MakeQuestCurrent("vididezare"));
    ASSERT_TRUE(game.RequestStage("stage_Home"));
    game.Ticks(150); // the crates and the ball come to rest
    GameplayDriver pad(game);

    struct Drawn {
        const GameObj* object = nullptr;
        std::string name;
        ScreenBox box;
        float depth;
    };
    const auto drawn = [&](GameObj* o, Drawn& out) {
        auto* sprite = static_cast<SpriteRenderer*>(o->GetComponent(SpriteRenderer::s_Class.Key));
        if (!sprite || !o->IsActive())
            return false;
        const Transform* t = o->GetTransform();
        const float x = t->WorldMatrix().m[3][0], y = t->WorldMatrix().m[3][1];
        const float hw = sprite->GetWidth() * std::fabs(t->WorldScale().x) * 0.5f;
        const float hh = sprite->GetHeight() * std::fabs(t->WorldScale().y) * 0.5f;
        out.object = o;
        out.name = o->GetPrototypeName();
        pad.ToScreen(x - hw, y + hh, out.box.left, out.box.top);
        pad.ToScreen(x + hw, y - hh, out.box.right, out.box.bottom);
        out.depth = t->WorldMatrix().m[3][2];
        return !out.box.Empty();
    };
    const auto isSpot = [](const std::string& name) {
        return name.rfind("gimmick_", 0) == 0 || name == "gameobj_signpost";
    };
    std::vector<Drawn> spots, covers;
    for (GameObj* o = game.Root(); o; o = o->GetNext()) {
        Drawn d;
        if (!drawn(o, d))
            continue;
        if (isSpot(d.name))
            spots.push_back(d);
        // The terrain's pictures are left out: a spot stands planted in the ground it stands on,
        // and a slope's picture does not fill the box about it.
        if (isSpot(d.name) || (d.name.rfind("prop_", 0) == 0 && d.name != "prop_Ground"))
            covers.push_back(d);
    }
    std::vector<std::string> names;
    for (const Drawn& s : spots)
        names.push_back(s.name);
    for (const char* expected :
         {"gimmick_QuestBoard", "gimmick_SavePoint", "gimmick_UpgradeStand", "gimmick_HintBoard", "gameobj_signpost"})
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected << " is not drawn";

    for (const Drawn& spot : spots)
        for (const Drawn& cover : covers) {
            if (spot.object == cover.object || cover.depth >= spot.depth || !spot.box.Overlaps(cover.box))
                continue;
            const int w = std::min(spot.box.right, cover.box.right) - std::max(spot.box.left, cover.box.left);
            const int h = std::min(spot.box.bottom, cover.box.bottom) - std::max(spot.box.top, cover.box.top);
            const int area = (spot.box.right - spot.box.left) * (spot.box.bottom - spot.box.top);
            EXPECT_LE(w * h * 10, area) << cover.name << " at " << cover.box << " covers " << spot.name << " at "
                                        << spot.box;
        }
}
