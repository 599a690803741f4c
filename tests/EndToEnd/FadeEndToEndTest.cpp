// The screen fades as a player sees them: a stage's fade-in from black darkens the finished
// picture evenly, and the cave's Oskel event flashes white without hiding the fight.
#include "Components/Game/EnemyController.h"
#include "Components/Game/HealthController.h"
#include "Support/GameHarness.h"
#include "System/Graphics/ScreenFader.h"
#include "World/GameObj.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Frames go to this folder as PPM when QM_FADE_FRAMES names one, to look at them.
void Keep(const HarnessFrame& frame, const std::string& name)
{
    if (const char* folder = std::getenv("QM_FADE_FRAMES"))
        frame.WritePpm(std::string(folder) + "/" + name + ".ppm");
}

} // namespace

// Black that the fade does not explain: while the meadow fades in, and for a second after, the
// upper part of the screen (right of the HUD) is no blacker than its lower part. Black is exact
// (a channel at most 1): even at the fade's first step the sky shows through dimly.
TEST(FadeEndToEndTest, TheMeadowFadesInAsOnePicture)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_TRUE(game.EnterQuestStage("quest_Meadow", "stage_Meadow", true));
    ASSERT_TRUE(game.TickUntil([] { return g_pScreenFader->m_nMode == eScreenFade_FadeIn; }, "the fade-in", 10));
    for (int frame = 0; frame < 90; ++frame) {
        const HarnessFrame f = game.ReadFrame();
        Keep(f, "meadow" + std::to_string(frame));
        const int split = f.height * 7 / 10;
        const double top = f.Share(240, 0, f.width - 240, split, 0xFF000000, 1);
        const double bottom = f.Share(240, split, f.width - 240, f.height - split, 0xFF000000, 1);
        EXPECT_LT(top - bottom, 0.25) << "frame " << frame << " of the fade-in: the top 70 % is " << top * 100
                                      << " % black, the bottom " << bottom * 100 << " %";
        game.Tick();
    }
}

// Each defeat in the Oskel event flashes the screen white; the flash may cover the fight for a
// few frames, not for a second.
TEST(FadeEndToEndTest, TheOskelFlashesDoNotHideTheFight)
{
    constexpr int kMostWhiteFrames = 10; // 1/6 s at 60 frames a second
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_TRUE(game.EnterQuestStage("quest501", "stage_Cave"));
    for (const char* tag : {"Oskel", "LiberatedOskel"}) {
        SCOPED_TRACE(tag);
        GameObj* form = game.FindObjectByTag(tag);
        ASSERT_NE(form, nullptr);
        ASSERT_TRUE(game.TickUntil([&] { return form->IsActive(); }, std::string(tag) + " active", 600));
        auto* enemy = static_cast<EnemyController*>(form->GetComponent(EnemyController::s_Class.Key));
        ASSERT_NE(enemy, nullptr);
        ASSERT_TRUE(game.TickUntil([&] { return enemy->IsStarted(); }, std::string(tag) + " started", 60));
        game.Ticks(10);
        ASSERT_NE(enemy->m_pHealth, nullptr);
        enemy->m_pHealth->m_nHealth = 0;
        // Nearly all white: the scene shows through no more than a white of alpha 0.9 lets it.
        int run = 0, longest = 0, seen = 0;
        for (int frame = 0; frame < 600; ++frame) {
            game.Tick();
            const HarnessFrame f = game.ReadFrame();
            const bool white = f.Share(0, 0, f.width, f.height, 0xFFFFFFFF, 24) > 0.95;
            if (white)
                Keep(f, std::string(tag) + std::to_string(frame));
            run = white ? run + 1 : 0;
            longest = std::max(longest, run);
            seen += white ? 1 : 0;
            if (seen > 0 && g_pScreenFader->m_nMode == eScreenFade_Idle)
                break;
        }
        EXPECT_GT(seen, 0) << "the defeat flashes";
        EXPECT_LE(longest, kMostWhiteFrames) << "frames in a row of a nearly white screen";
        EXPECT_EQ(g_pScreenFader->m_nMode, eScreenFade_Idle) << "the white clears";
    }
}
