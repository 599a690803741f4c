// Start-up mounts the loose folders and the paks of the game folder, loose files first, and
// shutdown takes the archive system down.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PakWriter.h"
#include "Platform/Backend/Video.h"
#include "Support/TempDir.h"
#include "System/Application/MainApp.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Common/NameHash.h"
#include "System/Common/StreamIO.h"

namespace {

std::string Pak(const std::vector<PakItem>& items)
{
    std::string pak, error;
    EXPECT_TRUE(BuildPak(items, PakLayout::EntryCompressed, pak, error)) << error;
    return pak;
}

std::string ReadAsset(const char* name)
{
    std::unique_ptr<StreamIO> stream(g_pArchiveSystem->Open(HashName(name)));
    return stream ? ReadStreamToString(*stream) : "<missing>";
}

TEST(StartupArchives, LooseFoldersAndPaksAreMountedLooseFirst)
{
    TempDir game;
    game.WriteFile("bin/.keep", "");
    game.WriteFile("assets.v1/sounds/se/shot.wav", "loose");
    game.WriteFile("assets.v1/scripts/stage/a.lua", "stage");
    game.WriteFile("data/se.pak", Pak({{"assets.v1/sounds/se/shot", "packed"}, {"assets.v1/sounds/se/hit", "hit"}}));
    game.WriteFile("data/sprite.pak", Pak({{"assets.v1/2d/player", "sprite"}}));
    game.WriteFile("data/bgm.pak", "ZEVA but not a pak at all"); // dropped, start-up goes on

    {
        ScopedCwd cwd(game.File("bin"));
        MainApp app;
        ASSERT_TRUE(app.Startup());
        ASSERT_NE(nullptr, g_pArchiveSystem);
        struct {
            const char* name;
            const char* bytes;
        } cases[] = {
            {"assets.v1/sounds/se/shot", "loose"}, // the loose file overrides the pak entry
            {"assets.v1/sounds/se/hit", "hit"},
            {"assets.v1/scripts/stage/a", "stage"},
            {"assets.v1/2d/player", "sprite"},
            {"assets.v1/2d/nothing", "<missing>"},
        };
        for (const auto& c : cases)
            EXPECT_EQ(ReadAsset(c.name), c.bytes) << c.name;
        app.Shutdown();
        EXPECT_EQ(nullptr, g_pArchiveSystem);
    }
    BackendShutdownVideo();
}

} // namespace
