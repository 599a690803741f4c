// Stages laid out by their generators and terrain in the running game: what the props of the
// home base touch as they fall, and the meadow's seeded row of areas.
#include "Components/Core/Collider.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "Components/Core/StageGenerator.h"
#include "Support/GameHarness.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// One contact report as a prop's recorder saw it, with the prop's body at that moment.
struct Report {
    int tick;
    std::string what; // Enter, Stay, Exit
    GameObj* other;
    float pointX, pointY;
    float expectedY; // where the terrain test must stand the body (NAN when not terrain)
};

int g_nTick = 0;

// Added to a prop after its stage is built: keeps every report with the terrain's corrected
// position worked out again from the segment and the body as they are during the step.
class StageRecorder : public Component {
public:
    static inline const ClassKey s_Class{"StageRecorder"};
    explicit StageRecorder(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void OnCollisionEnter(const CollisionInfo& info) override { Record("Enter", info); }
    void OnCollisionStay(const CollisionInfo& info) override { Record("Stay", info); }
    void OnCollisionExit(const CollisionInfo& info) override { Record("Exit", info); }

    void Record(const char* what, const CollisionInfo& info)
    {
        m_Reports.push_back({g_nTick, what, info.other, info.pointX, info.pointY, ExpectedY(info.other)});
    }

    // A floor: its height plus the half height, less the local centre. A slope: the point of
    // the segment below the body's probe, rounded, plus the half height, less the local centre.
    float ExpectedY(GameObj* other) const
    {
        auto* seg = other->GetCollider() && other->GetCollider()->GetShape() == eColliderShape_Segment
            ? static_cast<SegmentCollider*>(other->GetCollider())
            : nullptr;
        auto* box = static_cast<Box2DCollider*>(GetOwner()->GetCollider());
        const Kinematics* body = GetOwner()->GetKinematics();
        if (!seg || !body || box->GetShape() != eColliderShape_Box)
            return NAN;
        const float hh = box->GetWorldHalfY();
        const float sx = seg->GetWorldStartX(), sy = seg->GetWorldStartY();
        const float vx = seg->GetWorldEndX() - sx, vy = seg->GetWorldEndY() - sy;
        if (vy == 0.0f)
            return sy + hh - box->GetLocalCenterY();
        const float px = std::trunc(box->GetWorldCenterX() + body->m_fDispX + 0.5f);
        const float py = std::trunc(box->GetWorldCenterY() + body->m_fDispY + 0.5f);
        float y = py - hh;
        const float len = std::sqrt(vx * vx + vy * vy);
        const float dx = px - sx;
        if ((vx * (y - sy) - vy * dx) / len > hh * 0.125f)
            y -= std::fabs(body->m_fDispX) * 1.7320508f;
        const float u = std::fmin(std::fmax(((y - sy) * vy + dx * vx) / (len * len), 0.0f), 1.0f);
        return std::trunc(sy + vy * u + 0.5f) + hh - box->GetLocalCenterY();
    }

    std::vector<Report> m_Reports;
};

StageRecorder* Record(GameObj* obj)
{
    auto* recorder = static_cast<StageRecorder*>(obj->AddComponent("StageRecorder", nullptr));
    EXPECT_NE(recorder, nullptr);
    return recorder;
}

float X(const GameObj* obj) { return obj->GetTransform()->WorldMatrix().m[3][0]; }

GameObj* NearestTo(const std::vector<GameObj*>& objects, float x)
{
    GameObj* best = nullptr;
    for (GameObj* o : objects)
        if (!best || std::fabs(X(o) - x) < std::fabs(X(best) - x))
            best = o;
    return best;
}

// The terrain reports, in order.
std::vector<Report> TerrainReports(const StageRecorder& r)
{
    std::vector<Report> out;
    for (const Report& report : r.m_Reports)
        if (report.other->GetTag() == HashName("Terrain"))
            out.push_back(report);
    return out;
}

} // namespace

TEST(StageEndToEndTest, HomeBasePropsFallOnItsTerrain)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_NE(g_pComponentFactory, nullptr);
    g_pComponentFactory->RegisterClass<StageRecorder>();
    ASSERT_TRUE(game.RequestStage("stage_Home"));
    game.Tick();
    ASSERT_NE(g_pCollisionWorld, nullptr);
    EXPECT_FLOAT_EQ(g_pCollisionWorld->GetStageBounds().maxX, 1024.0f);

    // Every crate of the data stands where the player sees it rest: on the yard's floor.
    const std::vector<GameObj*> crates = game.FindObjects("prop_Crate");
    ASSERT_EQ(crates.size(), 3u);
    std::vector<StageRecorder*> floorRecs;
    for (GameObj* crate : crates)
        floorRecs.push_back(Record(crate));
    GameObj* onFloor = NearestTo(crates, 112.0f);
    // A crate bodies pass through the bank's slope, which the test drops over it: the data's
    // own crates stay off the bank, where a crate that fell through would stand inside it.
    GameObj* yard = game.FindObject("area_Home_Yard");
    ASSERT_NE(yard, nullptr);
    GameObj* overSlope = g_pSceneManager->Spawn("prop_Crate", yard, 298.0f, 60.0f);
    ASSERT_NE(overSlope, nullptr);
    GameObj* ball = game.FindObject("prop_Ball");
    ASSERT_NE(ball, nullptr);
    ASSERT_NE(game.FindObject("prop_Post"), nullptr);
    StageRecorder* slopeRec = Record(overSlope);
    const float ballStartX = ball->GetKinematics()->m_fPosX;

    for (g_nTick = 1; g_nTick <= 150; ++g_nTick)
        game.Tick();

    // The crates on the bottom floor: an enter, then a stay every frame, each standing the crate
    // on the floor (y 0) by its half height.
    for (StageRecorder* rec : floorRecs) {
        SCOPED_TRACE(X(rec->GetOwner()));
        const std::vector<Report> reports = TerrainReports(*rec);
        ASSERT_GT(reports.size(), 20u);
        EXPECT_EQ(reports.front().what, "Enter");
        for (size_t i = 1; i < reports.size(); ++i) {
            EXPECT_EQ(reports[i].what, "Stay") << i;
            EXPECT_EQ(reports[i].other, reports.front().other) << i;
            EXPECT_EQ(reports[i].tick, reports[i - 1].tick + 1) << i;
        }
        for (const Report& r : reports)
            EXPECT_FLOAT_EQ(r.pointY, 20.0f) << r.tick;
        EXPECT_EQ(reports.back().tick, 150);
        EXPECT_NEAR(rec->GetOwner()->GetKinematics()->m_fPosY, 20.0f, 1e-3f) << "held by the stage's bottom";
    }

    // The crate over the slope falls through it: an enter, stays and an exit, each standing the
    // crate on the slope where the slope's formula says; nothing after.
    const std::vector<Report> slope = TerrainReports(*slopeRec);
    ASSERT_GE(slope.size(), 3u);
    EXPECT_EQ(slope.front().what, "Enter");
    EXPECT_EQ(slope.back().what, "Exit");
    for (size_t i = 1; i + 1 < slope.size(); ++i)
        EXPECT_EQ(slope[i].what, "Stay") << i;
    auto* slopeSeg = static_cast<SegmentCollider*>(slope.front().other->GetCollider());
    EXPECT_NE(slopeSeg->GetDirectionX(), 0.0f);
    EXPECT_NE(slopeSeg->GetDirectionY(), 0.0f);
    for (const Report& r : slope) {
        EXPECT_EQ(r.other, slope.front().other);
        if (r.what != "Exit") {
            EXPECT_FLOAT_EQ(r.pointY, r.expectedY) << r.tick;
        }
    }
    EXPECT_NEAR(overSlope->GetKinematics()->m_fPosY, 20.0f, 1e-3f);

    // The ball landed on the floor crate and was pushed off it, sideways, to the floor, where
    // it overlaps the post: the post has no body to push from, and is passed over.
    const Kinematics& b = *ball->GetKinematics();
    const Kinematics& c = *onFloor->GetKinematics();
    const float apart = std::sqrt((b.m_fPosX - c.m_fPosX) * (b.m_fPosX - c.m_fPosX) + (b.m_fPosY - c.m_fPosY) * (b.m_fPosY - c.m_fPosY));
    EXPECT_GE(apart, 16.0f + std::sqrt(24.0f * 24.0f + 20.0f * 20.0f) - 1.0f);
    EXPECT_GT(b.m_fPosX, ballStartX + 20.0f);
    EXPECT_NEAR(b.m_fPosY, 16.0f, 1e-3f);
    const Collider* post = game.FindObject("prop_Post")->GetCollider();
    EXPECT_LE(std::fabs(b.m_fPosX - X(post->GetOwner())), 16.0f + 6.0f);
}

// The meadow's rules draw the quest's three areas from the seeded pool: the same row each run
// of the seed, 1024 apart, and the tree and bounds cover it.
TEST(StageEndToEndTest, MeadowRowIsDrawnFromTheSeed)
{
    std::vector<std::string> rows;
    for (int run = 0; run < 2; ++run) {
        GameHarness game;
        ASSERT_TRUE(game.Start());
        game.Tick();
        ASSERT_TRUE(game.MakeQuestCurrent("quest_Meadow"));
        EXPECT_EQ(g_pQuestTable->m_pCurrentQuest->m_nAreaCount, 3);
        ASSERT_TRUE(game.RequestStage("stage_Meadow"));
        game.Tick();
        std::vector<std::pair<float, std::string>> areas;
        for (GameObj* o = game.Root()->GetNext(); o; o = o->GetNextSkippingSubtree()) {
            if (o->GetParent() != game.Root())
                break;
            if (o->GetPrototypeName().rfind("area_Meadow_", 0) == 0) {
                EXPECT_FLOAT_EQ(o->GetTransform()->WorldMatrix().m[3][1], 256.0f);
                areas.emplace_back(X(o), o->GetPrototypeName());
            }
        }
        std::sort(areas.begin(), areas.end());
        ASSERT_EQ(areas.size(), 3u);
        std::string row;
        for (size_t k = 0; k < areas.size(); ++k) {
            EXPECT_FLOAT_EQ(areas[k].first, 512.0f + 1024.0f * static_cast<float>(k));
            row += k ? " " : "";
            row += areas[k].second;
        }
        rows.push_back(row);
        EXPECT_FLOAT_EQ(g_pCollisionWorld->GetStageBounds().maxX, 3072.0f);
        EXPECT_FLOAT_EQ(g_pCollisionWorld->GetTree().GetWidth(), 3072.0f);
    }
    EXPECT_EQ(rows[0], rows[1]);
    EXPECT_EQ(rows[0], "area_Meadow_Pond area_Meadow_Hill area_Meadow_Field");
}
