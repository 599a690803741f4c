// The demo game folder's animation clips as the world state reads them: through the loose
// folders and the paks, over the generated texture and atlas tables, with nothing dropped.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <sys/stat.h>

#include "Components/Core/AnimationPlayer.h"
#include "Support/TempDir.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Archive/ZEVArchive.h"
#include "System/Common/StringUtil.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/ScriptSystem.h"
#include "World/AnimationTable.h"

namespace {

class AnimationDemoDataTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_pCwd = std::make_unique<ScopedCwd>(std::string(QM_GAME_DIR) + "/bin");
        delete g_pArchiveSystem;
        ArchiveSystem* archives = ArchiveSystem::GetInstance();
        archives->SetRoot(GetCurrentDirectoryPath() + "../");
        for (const char* folder : {"assets.v1/2d", "assets.v1/scripts"})
            archives->Mount(new FileSystemArchive(folder));
        for (const char* pak : {"../data/script.pak", "../data/sprite.pak"})
            ASSERT_NE(archives->Mount(new ZEVArchive(pak)), nullptr) << pak;
        g_pScriptSystem = new ScriptSystem;
        textures.LoadFolder("assets.v1/scripts/textures/");
        atlas.LoadFolder("assets.v1/scripts/atlases/");
        g_pTextureTable = &textures;
        g_pAtlasTable = &atlas;
    }
    void TearDown() override
    {
        g_pTextureTable = nullptr;
        g_pAtlasTable = nullptr;
        delete g_pScriptSystem;
        g_pScriptSystem = nullptr;
        delete g_pArchiveSystem;
        m_pCwd.reset();
    }

    std::unique_ptr<ScopedCwd> m_pCwd;
    TextureTable textures;
    AtlasTable atlas;
};

TEST_F(AnimationDemoDataTest, EveryClipLoadsWhole)
{
    AnimationTable table;
    ::testing::internal::CaptureStdout();
    table.LoadFolder("assets.v1/scripts/animations/");
    const std::string log = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;

    // Each kind of image track, from a loose file and from the pak alone.
    struct Expected {
        const char* clip;
        bool sheet, grid, rect;
        int32_t wrapMode;
    } expected[] = {
        {"player_idle", true, false, false, 1},       {"player_run", true, false, false, 1},
        {"player_attack", true, false, false, 0},     {"fx_flash", false, false, true, 0},
        {"fx_pulse", false, false, true, 1},          {"enemy_blob_idle", false, true, false, 1},
        {"enemy_red_blob_idle", false, true, false, 1}, {"enemy_blob_vanish", false, true, false, 0},
        {"enemy_guard_still", false, false, true, 0},   {"enemy_blob_run", false, true, false, 1},
        {"enemy_red_blob_attack", false, true, false, 0}, {"enemy_wisp_damage", false, true, false, 0},
    };
    for (const Expected& e : expected) {
        const AnimationClip* clip = table.Find(HashName(e.clip));
        ASSERT_NE(clip, nullptr) << e.clip;
        EXPECT_EQ(clip->HasSheet(), e.sheet) << e.clip;
        EXPECT_EQ(clip->HasSprite(), e.grid) << e.clip;
        EXPECT_EQ(clip->m_bHasTexcoord, e.rect) << e.clip;
        EXPECT_EQ(clip->m_nWrapMode, e.wrapMode) << e.clip;
    }
    struct stat info;
    EXPECT_NE(::stat("../assets.v1/scripts/animations/anim_enemies.lua", &info), 0) << "enemy clips are pak-only";
    EXPECT_EQ(::stat("../assets.v1/scripts/animations/anim_player.lua", &info), 0) << "player clips are loose";

    // Every row names a sprite the atlas holds, every curve is shown, and every clip plays to a
    // finite pose, with a texture when it has an image track (a pose-only clip moves a collider).
    std::set<int> curves;
    bool countsDown = false;
    for (const AnimationClip* clip : table.GetList()) {
        for (const SheetFrame& row : clip->m_SheetFrames)
            EXPECT_NE(row.sprite, nullptr) << clip->m_Name;
        for (const SpriteFrame& run : clip->m_SpriteFrames)
            countsDown |= run.firstCell > run.lastCell;
        // A pose track sets what it does not key to 0: scale and alpha must be keyed to be seen.
        std::set<int> channels;
        for (const PoseKey& key : clip->m_PoseKeys) {
            curves.insert(key.curve);
            channels.insert(key.channel);
        }
        if (clip->m_bHasPose) {
            EXPECT_TRUE(channels.count(3) && channels.count(4) && channels.count(5)) << clip->m_Name;
        }
        AnimationPlayer player;
        player.Reset(clip);
        for (int frame = 0; frame < 90; ++frame) {
            player.Advance(1.0f / 60.0f);
            if (clip->HasSheet() || clip->HasSprite() || clip->m_bHasTexcoord) {
                EXPECT_NE(player.GetImage().textureId, 0u) << clip->m_Name;
            }
            for (int ch = 0; ch < kPoseChannelCount; ++ch)
                ASSERT_TRUE(std::isfinite(player.GetPose(ch))) << clip->m_Name;
        }
    }
    EXPECT_EQ(curves, (std::set<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(countsDown);
}

} // namespace
