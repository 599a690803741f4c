#include "System/Common/GameSettings.h"

#include "Platform/Win32/Windows.h"
#include "Support/TempDir.h"
#include "System/Common/UserDataFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <pwd.h>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::string UserName()
{
    struct passwd* entry = getpwuid(geteuid());
    return entry ? entry->pw_name : "";
}

// A game folder with the working directory in its "bin", as when the game runs.
struct GameFolder {
    TempDir dir;
    std::unique_ptr<ScopedCwd> cwd;
    GameFolder()
    {
        std::filesystem::create_directories(dir.File("bin"));
        cwd = std::make_unique<ScopedCwd>(dir.File("bin"));
    }
    std::string IniName() const { return "userdata/" + UserName() + "/QMPref.ini"; }
};

// The file a first run writes: each section's keys in the order they are read.
std::string DefaultFile()
{
    std::ostringstream s;
    s << "[GameConfig]\nFullScreen=0\nDisableScreensaver=1\nWindowTransmittance=75\nAutoSave=1\n"
      << "[Sound]\nBGMVolume=20\nSEVolume=40\n[Key]\n";
    for (int i = 0; i < eGameSettings_BindingCount; ++i)
        s << GetBindingKeyName(i) << "=" << static_cast<int32_t>(GetBindingDefault(i)) << "\n";
    return s.str();
}

} // namespace

TEST(GameSettings, ConstructionValuesThenFileDefaults)
{
    GameFolder game;
    GameSettings settings;
    EXPECT_FALSE(settings.m_bFullScreen);
    EXPECT_TRUE(settings.m_bDisableScreensaver);
    EXPECT_TRUE(settings.m_bAutoSave);
    EXPECT_EQ(settings.m_nWindowTransmittance, 75);
    EXPECT_EQ(settings.m_nSEVolume, 0);
    EXPECT_EQ(settings.m_nBGMVolume, 0);
    for (PadBindingCode b : settings.m_aBindings)
        EXPECT_EQ(b, 0u);

    ASSERT_TRUE(settings.Open(GAME_SETTINGS_FILE_NAME));
    EXPECT_EQ(settings.GetPath(), "..\\userdata\\" + UserName() + "\\QMPref.ini");
    EXPECT_TRUE(game.dir.Exists("userdata/" + UserName()));
    EXPECT_FALSE(game.dir.Exists(game.IniName()));

    // No file: the key defaults, not the construction values.
    EXPECT_EQ(settings.m_nSEVolume, 40);
    EXPECT_EQ(settings.m_nBGMVolume, 20);
    struct {
        int index;
        PadBindingCode value;
    } bindings[] = {
        {0, 0xC80000}, {3, 0xCD0000}, {4, 0x270000}, {12, 0},       {15, 0x100000},
        {16, 0x10202}, {19, 0x102},   {22, 0x2},     {28, 0xA0002}, {31, 0x90002},
    };
    for (auto& b : bindings)
        EXPECT_EQ(settings.m_aBindings[b.index], b.value) << GetBindingKeyName(b.index);

    ASSERT_TRUE(settings.Write());
    EXPECT_EQ(game.dir.ReadFile(game.IniName()), DefaultFile());
}

TEST(GameSettings, RoundTripOfEveryKey)
{
    GameFolder game;
    GameSettings written;
    written.Open(GAME_SETTINGS_FILE_NAME);
    written.m_bFullScreen = true;
    written.m_bDisableScreensaver = false;
    written.m_bAutoSave = false;
    written.m_nWindowTransmittance = 33;
    written.m_nSEVolume = 7;
    written.m_nBGMVolume = -3;
    for (int i = 0; i < eGameSettings_BindingCount; ++i)
        written.m_aBindings[i] = 0x01000000u * static_cast<uint32_t>(i + 1) + 0x0A0B0Cu + static_cast<uint32_t>(i);
    written.m_aBindings[31] = 0xFFFFFFFFu;
    ASSERT_TRUE(written.Write());

    GameSettings read;
    read.Open(GAME_SETTINGS_FILE_NAME);
    EXPECT_EQ(read.m_bFullScreen, true);
    EXPECT_EQ(read.m_bDisableScreensaver, false);
    EXPECT_EQ(read.m_bAutoSave, false);
    EXPECT_EQ(read.m_nWindowTransmittance, 33);
    EXPECT_EQ(read.m_nSEVolume, 7);
    EXPECT_EQ(read.m_nBGMVolume, -3);
    for (int i = 0; i < eGameSettings_BindingCount; ++i)
        EXPECT_EQ(read.m_aBindings[i], written.m_aBindings[i]) << GetBindingKeyName(i);

    // Written again unchanged, the file is the same: every key kept its place.
    std::string first = game.dir.ReadFile(game.IniName());
    read.Write();
    EXPECT_EQ(game.dir.ReadFile(game.IniName()), first);
}

TEST(GameSettings, HandEditedFile)
{
    GameFolder game;
    std::filesystem::create_directories(game.dir.File("userdata/" + UserName()));
    game.dir.WriteFile(game.IniName(), "; my settings\n[gameconfig]\nfullscreen = 2\nAutoSave=off\n"
                                       "[Key]\nGAMEPAD_0_UP=13107200\nGAMEPAD_1_A=0x20002\n");
    GameSettings settings;
    settings.Open(GAME_SETTINGS_FILE_NAME);
    EXPECT_TRUE(settings.m_bFullScreen);         // any non-zero value
    EXPECT_FALSE(settings.m_bAutoSave);          // non-numeric reads 0
    EXPECT_TRUE(settings.m_bDisableScreensaver); // missing: default
    EXPECT_EQ(settings.m_aBindings[0], 0xC80000u);
    EXPECT_EQ(settings.m_aBindings[20], 0x20002u);
    settings.Write();
    std::string text = game.dir.ReadFile(game.IniName());
    // The user's comment and spelling stay; the file now holds every key.
    EXPECT_EQ(text.rfind("; my settings\n[gameconfig]\nfullscreen=1\nAutoSave=0\nDisableScreensaver=1\n", 0), 0u)
        << text;
    GameSettings again;
    again.Open(GAME_SETTINGS_FILE_NAME);
    EXPECT_EQ(again.m_aBindings[0], 0xC80000u);
    EXPECT_EQ(again.m_aBindings[20], 0x20002u);
}

TEST(GameSettings, DestroyWritesTheFile)
{
    GameFolder game;
    auto* settings = new GameSettings;
    settings->Open(GAME_SETTINGS_FILE_NAME);
    settings->m_nSEVolume = 99;
    GameSettings::Destroy(settings);
    GameSettings read;
    read.Open(GAME_SETTINGS_FILE_NAME);
    EXPECT_EQ(read.m_nSEVolume, 99);
}

TEST(GameSettings, WriteFailsWhenTheFolderIsGone)
{
    GameFolder game;
    GameSettings settings;
    settings.Open(GAME_SETTINGS_FILE_NAME);
    std::filesystem::remove_all(game.dir.File("userdata"));
    EXPECT_FALSE(settings.Write());
    EXPECT_FALSE(game.dir.Exists("userdata"));
}

TEST(UserDataFolder, CreatesEveryMissingLevel)
{
    TempDir dir;
    ScopedCwd cwd(dir.Path());
    struct Case {
        const char* path;
        const char* created;
    } cases[] = {
        {"a\\b\\c", "a/b/c"}, {"a\\b\\d\\", "a/b/d"}, {"a/e/f", "a/e/f"}, {"a\\b\\c", "a/b/c"}, // exists already
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(CreateDirectoryRecursive(c.path)) << c.path;
        EXPECT_TRUE(std::filesystem::is_directory(dir.File(c.created))) << c.path;
    }
    std::string deep = "x";
    for (int i = 0; i < 40; ++i)
        deep += "\\level" + std::to_string(i);
    EXPECT_TRUE(CreateDirectoryRecursive(deep.c_str())); // longer than 259 bytes
    dir.WriteFile("file", "x");
    EXPECT_FALSE(CreateDirectoryRecursive("file\\sub"));

    std::filesystem::create_directories(dir.File("bin"));
    ScopedCwd bin(dir.File("bin"));
    std::string folder;
    ASSERT_TRUE(GetUserDataFolder(folder));
    EXPECT_EQ(folder, "..\\userdata\\" + UserName() + "\\");
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("userdata/" + UserName())));
}
