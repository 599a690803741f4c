// The quest select screen and the quest report in the running game, on the demo data's home and
// meadow stages: opened by tag, driven by keys, read back as pixels.
#include "Components/Core/Camera2D.h"
#include "Components/Core/Renderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/UI/UIDialogFrames.h"
#include "Components/UI/UILayoutWidgets.h"
#include "Components/UI/UIQuestSelect.h"
#include "Components/UI/UIRoot.h"
#include "Components/UI/UITweener.h"
#include "Support/GameHarness.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/IMessage.h"
#include "World/PlayStatistics.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/Transform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The image generator's colours: banner middles, the tab plate, the new icon, the dialog plate.
constexpr uint32_t kMeadowGreen = 0xFF5DAA4F;
constexpr uint32_t kFlowersPink = 0xFFE87FB0;
constexpr uint32_t kCaveBlue = 0xFF3D6FD9;
constexpr uint32_t kTabGrey = 0xFF8C8C99;
constexpr uint32_t kNewYellow = 0xFFF2C94C;
constexpr uint32_t kDialogTeal = 0xFF3BA3A3;

// The tab's lit tint over its plate.
uint32_t Lit(uint32_t plate)
{
    const uint32_t tint[3] = {80, 200, 255}; // b, g, r as in the tab's TweenColor "to"
    uint32_t out = 0xFF000000u;
    for (int i = 0; i < 3; ++i)
        out |= (((plate >> (8 * i)) & 0xFF) * tint[i] / 255) << (8 * i);
    return out;
}

// Results the UI root passes on to its listeners: name id and first value.
struct Result {
    int32_t name, value;
};
std::vector<Result>& Results()
{
    static std::vector<Result> results;
    return results;
}

class ResultRecorder : public Component {
public:
    static inline const ClassKey s_Class{"ResultRecorder"};
    explicit ResultRecorder(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void OnMessage(IMessage* message) override
    {
        if (message->GetTypeId() != MsgUIResult::s_Class.Key)
            return;
        const auto* r = static_cast<MsgUIResult*>(message);
        if (!r->m_Values.empty())
            Results().push_back({r->m_Values[0], r->m_Values.size() > 1 ? r->m_Values[1] : 0});
    }
};

// The screen camera sees 0..960 by 0..540 with y up; frames are read top row first.
int ScreenX(const GameObj* o) { return int(o->GetTransform()->WorldMatrix().m[3][0]); }
int ScreenY(const GameObj* o) { return 540 - int(o->GetTransform()->WorldMatrix().m[3][1]); }

void Press(GameHarness& game, SDL_Scancode key)
{
    game.KeyDown(key);
    game.Tick();
    game.KeyUp(key);
    game.Ticks(6); // the pad event, its copy to the tab and the tab's result each take a delivery
}

bool GoTo(GameHarness& game, const char* quest)
{
    return game.MakeQuestCurrent(quest) && game.RequestStage(g_pQuestTable->m_pCurrentQuest->m_StageName) &&
           game.TickUntil([&] { return game.Root() && game.Root()->GetPrototypeName() == g_pQuestTable->m_pCurrentQuest->m_StageName; },
                          std::string("the stage of ") + quest, 30);
}

} // namespace

TEST(QuestScreenEndToEndTest, PickingTheCaveQuestOnTheSelectScreen)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    // The meadow cleared, so the cave tab has its quest; the screen opens on the first quest.
    g_PlayerSaveData.m_nFlagBits |= 1;
    g_LastSelectedQuestKey = 0;
    ASSERT_TRUE(GoTo(game, "vididezare"));
    // The home base's crates come to rest first: the open screen holds the world still.
    game.Ticks(120);

    g_pComponentFactory->RegisterClass<ResultRecorder>();
    auto* listener = new GameObj("test_listener", game.Root()->GetMessageManager());
    listener->SetParent(game.Root());
    listener->SetLayer(2048);
    listener->Activate();
    ASSERT_NE(listener->AddComponent("ResultRecorder", nullptr), nullptr);
    ASSERT_EQ(UIRoot::AddListenerToAll(listener), 1);
    Results().clear();

    GameObj* panel = game.FindObjectByTag("ui_quest_select");
    GameObj* meadowTab = game.FindObjectByTag("tab_meadow");
    GameObj* caveTab = game.FindObjectByTag("tab_cave");
    GameObj* banner = game.FindObjectByTag("sprite_title");
    GameObj* newIcon = game.FindObjectByTag("sprite_new");
    GameObj* cursor = game.FindObjectByTag("sprite_reward_cursor");
    GameObj* rows = game.FindObjectByTag("table_progress");
    for (GameObj* o : {panel, meadowTab, caveTab, banner, newIcon, cursor, rows})
        ASSERT_NE(o, nullptr);
    auto* frame = static_cast<UIFrameQuestSelect*>(panel->GetComponent(UIFrameQuestSelect::s_Class.Key));
    auto* slide = static_cast<TweenPosition*>(panel->GetComponent(TweenPosition::s_Class.Key));
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(slide, nullptr);

    // Opening: the frame time of each tick until the first quest shows.
    ASSERT_EQ(UIRoot::OpenPanel(HashName("ui_quest_select")), panel);
    int frames = 0;
    double slowest = 0.0;
    while (frames < 30 && !(frame->GetQuestWindow() && frame->GetQuestWindow()->GetQuest())) {
        const auto t0 = std::chrono::steady_clock::now();
        game.Tick();
        slowest = std::max(slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        ++frames;
    }
    ASSERT_LT(frames, 30) << "the first quest never showed";
    std::printf("quest select: %d frame(s) from the request to the first quest shown; slowest of them %.2f ms\n",
                frames, slowest);
    ASSERT_TRUE(game.TickUntil([&] { return slide->IsFinished() && ScreenX(panel) == 480; }, "the screen slides in", 60));
    game.Ticks(8); // the tab's light settles

    {
        // The stage's sprites stay behind the open screen: where one lies under the plate, only
        // a tint of it shows through the plate's dark, nearly opaque face.
        const HarnessFrame f = game.ReadFrame();
        constexpr int kLeft = 480 - 360, kRight = 480 + 360, kTop = 270 - 210, kBottom = 270 + 210;
        // The shown reward's two lines (a 300 x 60 box hanging from its label's place) are the
        // screen's own bright text, wherever a sprite lies under them.
        const GameObj* rewardInfo = game.FindObjectByTag("label_reward_info");
        ASSERT_NE(rewardInfo, nullptr);
        const int infoX = ScreenX(rewardInfo), infoY = ScreenY(rewardInfo);
        const auto screenText = [&](int x, int y) { return x >= infoX && x < infoX + 300 && y >= infoY && y < infoY + 60; };
        int covered = 0;
        std::function<void(GameObj*)> check = [&](GameObj* o) {
            auto* sprite = static_cast<SpriteRenderer*>(o->GetComponent(SpriteRenderer::s_Class.Key));
            // The yard's props and the player (the sky and the comet lie under the screen's
            // bright texts and pictures, which this check cannot tell apart).
            const std::string& name = o->GetPrototypeName();
            const bool prop = name == "prop_Post" || name == "prop_Crate" || name == "prop_Ball" ||
                              name == "gameobj_player_pemba";
            if (prop && o->IsActive() && sprite && sprite->GetCamera() &&
                sprite->GetCameraTag() == GameCameraTag() && (sprite->GetColor() >> 24) != 0) {
                float sx = 0, sy = 0;
                const Matrix4x4& world = o->GetTransform()->WorldMatrix();
                MapToScreen(*sprite->GetCamera(), world.m[3][0], world.m[3][1], sx, sy);
                const float halfW = sprite->GetWidth() * 0.5f, halfH = sprite->GetHeight() * 0.5f;
                const int x0 = std::max(kLeft, int(sx - halfW) + 1), x1 = std::min(kRight, int(sx + halfW) - 1);
                const int y0 = std::max(kTop, int(sy - halfH) + 1), y1 = std::min(kBottom, int(sy + halfH) - 1);
                int bright = 0;
                for (int y = y0; y < y1; ++y)
                    for (int x = x0; x < x1; ++x) {
                        const uint32_t p = f.Pixel(x, y);
                        bright += !screenText(x, y) && (((p >> 16) & 0xFF) > 110 || ((p >> 8) & 0xFF) > 110 || (p & 0xFF) > 120);
                    }
                if (x0 < x1 && y0 < y1) {
                    ++covered;
                    EXPECT_EQ(bright, 0) << o->GetPrototypeName() << " shows over the screen";
                }
            }
            for (GameObj* c = o->GetFirstChild(); c; c = c->GetNextSibling())
                if (c->GetTag() != HashName("UIRoot"))
                    check(c);
        };
        check(game.Root());
        EXPECT_GE(covered, 2) << "the post and the player stand under the screen";
    }

    const uint32_t meadowKey = HashName("quest_Meadow");
    ASSERT_EQ(frame->GetQuestWindow()->GetQuest()->m_nKey, meadowKey);
    {
        const HarnessFrame f = game.ReadFrame();
        EXPECT_TRUE(f.Probe(ScreenX(banner) - 70, ScreenY(banner), kMeadowGreen)) << "meadow banner";
        EXPECT_TRUE(f.Probe(ScreenX(newIcon) - 18, ScreenY(newIcon), kNewYellow)) << "never seen: new";
        EXPECT_TRUE(f.Probe(ScreenX(meadowTab) - 38, ScreenY(meadowTab), Lit(kTabGrey))) << "meadow tab lit";
        EXPECT_TRUE(f.Probe(ScreenX(caveTab) - 38, ScreenY(caveTab), kTabGrey)) << "cave tab plain";
    }

    ASSERT_EQ(frame->GetQuests().size(), 2u) << "the meadow tab's quests";
    Press(game, SDL_SCANCODE_DOWN);
    EXPECT_EQ(frame->GetQuestWindow()->GetQuest()->m_nKey, HashName("quest_MeadowFlowers"));
    EXPECT_TRUE(game.ReadFrame().Probe(ScreenX(banner) - 70, ScreenY(banner), kFlowersPink)) << "second meadow quest";

    Press(game, SDL_SCANCODE_U); // RB
    game.Ticks(8);
    const uint32_t caveKey = frame->GetQuestWindow()->GetQuest()->m_nKey;
    EXPECT_EQ(caveKey, HashName("quest501"));
    {
        const HarnessFrame f = game.ReadFrame();
        EXPECT_TRUE(f.Probe(ScreenX(banner) - 70, ScreenY(banner), kCaveBlue)) << "cave banner";
        EXPECT_TRUE(f.Probe(ScreenX(caveTab) - 38, ScreenY(caveTab), Lit(kTabGrey))) << "cave tab lit";
        EXPECT_TRUE(f.Probe(ScreenX(meadowTab) - 38, ScreenY(meadowTab), kTabGrey)) << "meadow tab plain";
    }

    Press(game, SDL_SCANCODE_RIGHT);
    const std::vector<GameObj*> items = static_cast<UITable*>(rows->GetComponent(UITable::s_Class.Key))->GetItems();
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(frame->GetQuestWindow()->GetRewardPage(), 1);
    EXPECT_EQ(ScreenX(cursor), ScreenX(items[1]));
    EXPECT_EQ(ScreenY(cursor), ScreenY(items[1])) << "the cursor on the second row";

    GameObj* dialog = game.FindObjectByTag("ui_common_yes_no");
    ASSERT_NE(dialog, nullptr);
    Press(game, SDL_SCANCODE_SEMICOLON); // A
    auto* fade = static_cast<TweenAlpha*>(dialog->GetComponent(TweenAlpha::s_Class.Key));
    ASSERT_NE(fade, nullptr);
    ASSERT_TRUE(game.TickUntil([&] { return dialog->IsActive() && fade->IsFinished(); }, "the dialog fades in", 60));
    game.Tick();
    // The window stands at the screen's confirmation offset (0, -60) from the dialog's centre.
    EXPECT_TRUE(game.ReadFrame().Probe(480 - 160, 270 + 60, kDialogTeal)) << "the dialog's plate";

    Press(game, SDL_SCANCODE_LEFT);
    Press(game, SDL_SCANCODE_RETURN);
    ASSERT_TRUE(game.TickUntil([&] { return !panel->IsActive(); }, "the screen closes after a yes", 120));
    // The root hears the dialog's yes as well as the screen that asked, and then the screen's
    // request to start the quest, once.
    std::vector<Result> starts, answers;
    for (const Result& r : Results())
        (r.name == int32_t(HashName("StartQuest")) ? starts : answers).push_back(r);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(uint32_t(starts[0].value), caveKey);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].name, int32_t(HashName("CloseWindow")));
    EXPECT_EQ(answers[0].value, 1);
    EXPECT_FALSE(dialog->IsActive());
    EXPECT_EQ(g_LastSelectedQuestKey, caveKey);
}

TEST(QuestScreenEndToEndTest, TheReportShowsTheQuestAndClosesOnB)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_TRUE(GoTo(game, "quest_Meadow"));
    game.Ticks(2);
    g_PlayStatistics.m_fPlayTime = 3725.9f;
    g_PlayStatistics.m_nKillCount = 12;
    g_PlayStatistics.m_nExperience = 340;

    GameObj* panel = game.FindObjectByTag("ui_report");
    GameObj* banner = game.FindObjectByTag("bg_quest_title");
    GameObj* label = game.FindObjectByTag("label_report");
    for (GameObj* o : {panel, banner, label})
        ASSERT_NE(o, nullptr);
    auto* drop = static_cast<TweenPosition*>(panel->GetComponent(TweenPosition::s_Class.Key));
    ASSERT_NE(drop, nullptr);
    ASSERT_EQ(UIRoot::OpenPanel(HashName("ui_report")), panel);
    ASSERT_TRUE(game.TickUntil([&] { return !drop->IsFinished(); }, "the report starts dropping in", 5));
    ASSERT_TRUE(game.TickUntil([&] { return drop->IsFinished(); }, "the report drops in", 60));
    game.Tick();

    const HarnessFrame f = game.ReadFrame();
    EXPECT_TRUE(f.Probe(ScreenX(banner) - 70, ScreenY(banner), kMeadowGreen)) << "the meadow's banner";
    // Text: bright pixels over the dark panel, inside the label's 400 x 200 box.
    int bright = 0;
    for (int y = ScreenY(label) - 100; y < ScreenY(label) + 100; ++y)
        for (int x = ScreenX(label) - 200; x < ScreenX(label) + 200; ++x) {
            const uint32_t p = f.Pixel(x, y);
            bright += ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) > 200;
        }
    EXPECT_GT(bright, 200) << "the report's text";

    Press(game, SDL_SCANCODE_L); // B
    EXPECT_TRUE(game.TickUntil([&] { return !panel->IsActive(); }, "the report closes on B", 60));
}
