#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "ArchiveFixture.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Common/StringUtil.h"
#include "System/Archive/ZEVArchive.h"

namespace {

std::set<std::string> Names(ArchiveSystem& system, const std::string& pattern)
{
    std::vector<std::string> names;
    system.FindNames(names, pattern);
    return std::set<std::string>(names.begin(), names.end());
}

} // namespace

TEST_F(ArchiveTest, RootIsTheFullPathWithOneTrailingSlash)
{
    struct { std::string given, expected; } cases[] = {
        {dir.Path(), dir.Path() + "/"},
        {dir.Path() + "/", dir.Path() + "/"},
        {dir.Path() + "/bin/../", dir.Path() + "/"},
        {dir.Path() + "\\bin\\..", dir.Path() + "/"},
    };
    for (auto& c : cases) {
        EXPECT_TRUE(System().SetRoot(c.given));
        EXPECT_EQ(System().GetRoot(), c.expected) << c.given;
    }
    // Start-up passes the working directory <game>/bin followed by "../".
    std::filesystem::create_directories(dir.File("bin"));
    ScopedCwd cwd(dir.File("bin"));
    System().SetRoot(GetCurrentDirectoryPath() + "../");
    EXPECT_EQ(System().GetRoot(), dir.Path() + "/");
}

// A game folder whose full path is past the system's path limit: nothing below it opens by its
// full path, so the archives reach it from the working directory, and the log says why.
TEST_F(ArchiveTest, AGameFolderPastThePathLimitStillFindsItsAssets)
{
    ScopedCwd back(dir.Path());
    const std::string level(200, 'd');
    int depth = 0;
    while (GetCurrentDirectoryPath().size() < 4300) {
        ASSERT_EQ(mkdir(level.c_str(), 0755), 0);
        ASSERT_EQ(chdir(level.c_str()), 0);
        ++depth;
    }
    ASSERT_EQ(mkdir("assets.v1", 0755), 0);
    ASSERT_EQ(mkdir("assets.v1/2d", 0755), 0);
    {
        std::ofstream out("assets.v1/2d/far.txt", std::ios::binary);
        out << "far down";
    }
    ASSERT_EQ(mkdir("bin", 0755), 0);
    ASSERT_EQ(chdir("bin"), 0);

    delete g_pArchiveSystem;
    testing::internal::CaptureStdout();
    System().SetRoot(GetCurrentDirectoryPath() + "../");
    System().Mount(new FileSystemArchive("assets.v1/2d"));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(Read("assets.v1/2d/far"), "far down");
    EXPECT_NE(log.find("4096"), std::string::npos) << log;

    // Taken down level by level: the full paths are too long for the file system calls.
    delete g_pArchiveSystem;
    ASSERT_EQ(chdir(".."), 0);
    EXPECT_EQ(unlink("assets.v1/2d/far.txt"), 0);
    EXPECT_EQ(rmdir("assets.v1/2d"), 0);
    EXPECT_EQ(rmdir("assets.v1"), 0);
    EXPECT_EQ(rmdir("bin"), 0);
    for (; depth > 0; --depth) {
        ASSERT_EQ(chdir(".."), 0);
        EXPECT_EQ(rmdir(level.c_str()), 0);
    }
}

TEST_F(ArchiveTest, FirstArchiveToSupplyANameKeepsIt)
{
    dir.WriteFile("assets.v1/sounds/se/screenshot.wav", "loose");
    dir.WriteFile("assets.v1/2d/only_loose.png", "loose only");
    WritePak("data/se.pak",
             {{"assets.v1/sounds/se/screenshot", "from se.pak"}, {"assets.v1/sounds/se/hit", "hit from se.pak"}},
             PakLayout::EntryCompressed);
    WritePak("data/more.pak",
             {{"assets.v1/sounds/se/hit", "hit from more.pak"}, {"assets.v1/2d/only_loose", "shadowed"}},
             PakLayout::Plain);

    ASSERT_NE(System().Mount(new FileSystemArchive("assets.v1/sounds")), nullptr);
    ASSERT_NE(System().Mount(new FileSystemArchive("assets.v1/2d")), nullptr);
    ASSERT_NE(System().Mount(new ZEVArchive(dir.File("data/se.pak"))), nullptr);
    ASSERT_NE(System().Mount(new ZEVArchive(dir.File("data/more.pak"))), nullptr);

    struct { const char* name; const char* expected; } cases[] = {
        {"assets.v1/sounds/se/screenshot", "loose"},
        {"assets.v1/2d/only_loose", "loose only"},
        {"assets.v1/sounds/se/hit", "hit from se.pak"},
        {"assets.v1/sounds/se/missing", "<none>"},
        {"assets.v1/sounds/se/screenshot.wav", "<none>"}, // names carry no extension
    };
    for (auto& c : cases)
        EXPECT_EQ(Read(c.name), c.expected) << c.name;
}

TEST_F(ArchiveTest, FilesDifferingOnlyInExtensionGiveOneEntryTheFirstListed)
{
    // Each directory is listed in case-insensitive name order; the first file of a name stays.
    struct { std::vector<std::string> files; std::string entry, expected; size_t entries; } cases[] = {
        {{"b.png", "b.lua"}, "b", "b.lua", 1},
        {{"b.txt", "b.dat", "b"}, "b", "b", 1},
        {{"b.png", "B.dat"}, "b", "b.png", 2}, // "B" is another name on a case-sensitive file system
        {{"b.png", "B.dat"}, "B", "B.dat", 2},
        {{"b.tar.gz", "b.tar"}, "b", "b.tar", 2},
        {{"b.tar.gz", "b.tar"}, "b.tar", "b.tar.gz", 2}, // only the last extension goes
    };
    for (auto& c : cases) {
        TempDir game;
        for (const std::string& f : c.files)
            game.WriteFile("assets.v1/a/" + f, f);
        System().UnmountAll();
        System().SetRoot(game.Path());
        ASSERT_NE(System().Mount(new FileSystemArchive("assets.v1")), nullptr);
        EXPECT_EQ(Read("assets.v1/a/" + c.entry), c.expected) << c.files[0] << " " << c.entry;
        EXPECT_EQ(Names(System(), "*").size(), c.entries) << c.files[0];
    }
}

TEST_F(ArchiveTest, MissingFolderMountsEmptyAndFailedArchiveLeavesNoTrace)
{
    dir.WriteFile("assets.v1/2d/x.png", "x");
    ASSERT_NE(System().Mount(new FileSystemArchive("assets.v1/2d")), nullptr);

    IArchive* missing = System().Mount(new FileSystemArchive("assets.v1/movies"));
    ASSERT_NE(missing, nullptr);
    std::vector<ArchiveEntry> entries;
    missing->ListEntries(entries);
    EXPECT_TRUE(entries.empty());

    EXPECT_EQ(System().Mount(new ZEVArchive(dir.File("data/none.pak"))), nullptr);
    dir.WriteFile("data/bad.pak", "this is not a pak at all, only words");
    EXPECT_EQ(System().Mount(new ZEVArchive(dir.File("data/bad.pak"))), nullptr);
    EXPECT_EQ(Names(System(), "*"), std::set<std::string>{"assets.v1/2d/x"});
    // The same folder twice adds nothing.
    EXPECT_EQ(System().Mount(new FileSystemArchive("assets.v1/2d/")), nullptr);
    EXPECT_EQ(Read("assets.v1/2d/x"), "x");
}

TEST_F(ArchiveTest, PrefixListingsHoldExactlyTheFolderAndItsSubfolders)
{
    for (const char* f : {"scripts/prerequisites/a.lua", "scripts/prerequisites/sub/b.lua",
                          "scripts/prerequisites_old/c.lua", "scripts/stage/d.lua", "scripts/e.lua"})
        dir.WriteFile(std::string("assets.v1/") + f, f);
    WritePak("data/script.pak", {{"assets.v1/scripts/prerequisites/p", "p"}, {"assets.v1/scripts/stage/q", "q"}},
             PakLayout::AreaCompressed);
    System().Mount(new FileSystemArchive("assets.v1/scripts"));
    System().Mount(new ZEVArchive(dir.File("data/script.pak")));

    struct { const char* pattern; std::set<std::string> expected; } cases[] = {
        {"assets.v1/scripts/prerequisites/*",
         {"assets.v1/scripts/prerequisites/a", "assets.v1/scripts/prerequisites/sub/b",
          "assets.v1/scripts/prerequisites/p"}},
        {"assets.v1/scripts/stage/*", {"assets.v1/scripts/stage/d", "assets.v1/scripts/stage/q"}},
        {"assets.v1/scripts/nothing/*", {}},
        {"assets.v1/scripts/e", {"assets.v1/scripts/e"}},
    };
    for (auto& c : cases) {
        std::vector<std::string> names;
        EXPECT_EQ(System().FindNames(names, c.pattern), !c.expected.empty()) << c.pattern;
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), c.expected) << c.pattern;
        std::vector<NameId> ids;
        System().FindHashes(ids, c.pattern);
        std::set<NameId> expectedIds;
        for (const std::string& n : c.expected)
            expectedIds.insert(HashName(n));
        EXPECT_EQ(std::set<NameId>(ids.begin(), ids.end()), expectedIds) << c.pattern;
    }
}

TEST_F(ArchiveTest, ScanSkipsHiddenItemsAndKeepsReadOnlyFilesAndLinks)
{
    dir.WriteFile("assets.v1/2d/visible.png", "v");
    dir.WriteFile("assets.v1/2d/.hidden.png", "h");
    dir.WriteFile("assets.v1/2d/.git/config", "c");
    dir.WriteFile("assets.v1/2d/locked.png", "ro");
    chmod(dir.File("assets.v1/2d/locked.png").c_str(), 0444);
    dir.WriteFile("elsewhere/shared/tile.png", "via link");
    ASSERT_EQ(symlink(dir.File("elsewhere/shared").c_str(), dir.File("assets.v1/2d/shared").c_str()), 0);
    ASSERT_EQ(symlink(dir.File("assets.v1/2d/visible.png").c_str(), dir.File("assets.v1/2d/alias.png").c_str()), 0);
    ASSERT_EQ(symlink(dir.File("nowhere").c_str(), dir.File("assets.v1/2d/dangling.png").c_str()), 0);
    // Links back up the tree: the scan must end and list each file once.
    ASSERT_EQ(symlink(dir.File("assets.v1").c_str(), dir.File("assets.v1/2d/up").c_str()), 0);
    ASSERT_EQ(symlink("..", dir.File("elsewhere/shared/parent").c_str()), 0);

    System().Mount(new FileSystemArchive("assets.v1/2d"));
    EXPECT_EQ(Names(System(), "*"),
              (std::set<std::string>{"assets.v1/2d/visible", "assets.v1/2d/locked", "assets.v1/2d/shared/tile",
                                     "assets.v1/2d/alias", "assets.v1/2d/shared/parent/shared/tile"}));
    EXPECT_EQ(Read("assets.v1/2d/locked"), "ro");
    EXPECT_EQ(Read("assets.v1/2d/shared/tile"), "via link");
}

TEST_F(ArchiveTest, LooseEntriesOpenAsFileStreamsEvenAfterTheFileIsGone)
{
    dir.WriteFile("assets.v1/2d/x.png", "12345");
    IArchive* archive = System().Mount(new FileSystemArchive("assets.v1/2d"));
    ASSERT_NE(archive, nullptr);
    EXPECT_TRUE(archive->Exists(HashName("assets.v1/2d/x")));
    EXPECT_EQ(archive->OpenEntry(HashName("nope"), true), nullptr);

    std::unique_ptr<StreamIO> rw(archive->OpenEntry(HashName("assets.v1/2d/x"), false));
    EXPECT_EQ(rw->GetMode(), kStreamMode_ReadUpdateBinary);
    std::unique_ptr<StreamIO> ro(System().Open(HashName("assets.v1/2d/x")));
    EXPECT_EQ(ro->GetMode(), kStreamMode_ReadBinary);
    EXPECT_EQ(ro->GetSize(), 5u);

    std::filesystem::remove(dir.File("assets.v1/2d/x.png"));
    std::unique_ptr<StreamIO> gone(System().Open(HashName("assets.v1/2d/x")));
    ASSERT_NE(gone, nullptr);
    char c;
    EXPECT_EQ(gone->Read(&c, 1), 0u);
    EXPECT_EQ(gone->GetSize(), 0u);
}
