#include "System/Common/GameSettings.h"

#include "Platform/Win32/FileReplace.h"
#include "Platform/Win32/Windows.h"
#include "Support/TempDir.h"
#include "System/Common/UserDataFolder.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <pwd.h>
#include <cstring>
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

// Every key of the settings file with its default, written out from the settings' own
// definition (not from the code's table): each section's keys in the order they are read and
// written, the bindings in record order (keyboard set, then the first controller's set).
struct KeyDefault {
    const char* section;
    const char* key;
    uint32_t value;
};
const KeyDefault kKeyDefaults[] = {
    {"GameConfig", "FullScreen", 0},
    {"GameConfig", "DisableScreensaver", 1},
    {"GameConfig", "WindowTransmittance", 75},
    {"GameConfig", "AutoSave", 1},
    {"Sound", "BGMVolume", 20},
    {"Sound", "SEVolume", 40},
    {"Key", "GAMEPAD_0_UP", 0xC80000},
    {"Key", "GAMEPAD_0_DOWN", 0xD00000},
    {"Key", "GAMEPAD_0_LEFT", 0xCB0000},
    {"Key", "GAMEPAD_0_RIGHT", 0xCD0000},
    {"Key", "GAMEPAD_0_A", 0x270000},
    {"Key", "GAMEPAD_0_B", 0x260000},
    {"Key", "GAMEPAD_0_X", 0x250000},
    {"Key", "GAMEPAD_0_Y", 0x240000},
    {"Key", "GAMEPAD_0_LB", 0x310000},
    {"Key", "GAMEPAD_0_RB", 0x160000},
    {"Key", "GAMEPAD_0_LT", 0x340000},
    {"Key", "GAMEPAD_0_RT", 0x230000},
    {"Key", "GAMEPAD_0_LSB", 0},
    {"Key", "GAMEPAD_0_RSB", 0},
    {"Key", "GAMEPAD_0_START", 0x120000},
    {"Key", "GAMEPAD_0_SELECT", 0x100000},
    {"Key", "GAMEPAD_1_UP", 0x10202},
    {"Key", "GAMEPAD_1_DOWN", 0x10102},
    {"Key", "GAMEPAD_1_LEFT", 0x202},
    {"Key", "GAMEPAD_1_RIGHT", 0x102},
    {"Key", "GAMEPAD_1_A", 0x10002},
    {"Key", "GAMEPAD_1_B", 0x20002},
    {"Key", "GAMEPAD_1_X", 0x2},
    {"Key", "GAMEPAD_1_Y", 0x30002},
    {"Key", "GAMEPAD_1_LB", 0x60002},
    {"Key", "GAMEPAD_1_RB", 0x70002},
    {"Key", "GAMEPAD_1_LT", 0x40002},
    {"Key", "GAMEPAD_1_RT", 0x50002},
    {"Key", "GAMEPAD_1_LSB", 0xA0002},
    {"Key", "GAMEPAD_1_RSB", 0xB0002},
    {"Key", "GAMEPAD_1_START", 0x80002},
    {"Key", "GAMEPAD_1_SELECT", 0x90002},
};
static_assert(sizeof kKeyDefaults / sizeof kKeyDefaults[0] == eGameSettings_KeyCount);
const int kFirstBinding = 6;

// The file a first run writes: every key with its default, as signed decimal text.
std::string DefaultFile()
{
    std::ostringstream s;
    std::string section;
    for (const KeyDefault& k : kKeyDefaults) {
        if (section != k.section)
            s << "[" << (section = k.section) << "]\n";
        s << k.key << "=" << static_cast<int32_t>(k.value) << "\n";
    }
    return s.str();
}

// Counts replacements and file syncs; fails the given step, if any, with EACCES.
struct ReplaceCounter {
    static inline unsigned renames = 0;
    static inline unsigned syncs = 0;
    static inline FileReplaceStep failing = eFileReplaceStep_max;
    explicit ReplaceCounter(FileReplaceStep fail = eFileReplaceStep_max)
    {
        renames = syncs = 0;
        failing = fail;
        SetFileReplaceFaultHook([](FileReplaceStep step, unsigned, size_t*) {
            renames += step == eFileReplaceStep_Rename;
            syncs += step == eFileReplaceStep_Sync;
            return step == failing ? EACCES : 0;
        });
    }
    ~ReplaceCounter() { SetFileReplaceFaultHook(nullptr); }
};

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
    EXPECT_FALSE(settings.m_bFullScreen);
    EXPECT_TRUE(settings.m_bDisableScreensaver);
    EXPECT_EQ(settings.m_nWindowTransmittance, 75);
    EXPECT_TRUE(settings.m_bAutoSave);
    for (int i = 0; i < eGameSettings_BindingCount; ++i) {
        const KeyDefault& k = kKeyDefaults[kFirstBinding + i];
        EXPECT_STREQ(GetBindingKeyName(i), k.key) << i;
        EXPECT_EQ(GetBindingDefault(i), k.value) << k.key;
        EXPECT_EQ(settings.m_aBindings[i], k.value) << k.key;
    }

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

TEST(GameSettings, WriteReplacesTheFileOnce)
{
    struct Case {
        const char* what;
        const char* before; // null: no file yet
    } cases[] = {
        {"first run", nullptr},
        {"every key differs", "[GameConfig]\nFullScreen=1\n[Sound]\nSEVolume=0x10\n"},
    };
    for (const Case& c : cases) {
        GameFolder game;
        GameSettings settings;
        settings.Open(GAME_SETTINGS_FILE_NAME);
        if (c.before)
            game.dir.WriteFile(game.IniName(), c.before);
        settings.Read();
        ReplaceCounter counter;
        ASSERT_TRUE(settings.Write()) << c.what;
        // One replacement, one sync of the data: a kill at any moment leaves the old or the new file.
        EXPECT_EQ(counter.renames, 1u) << c.what;
        EXPECT_EQ(counter.syncs, 1u) << c.what;
        if (!c.before) {
            EXPECT_EQ(game.dir.ReadFile(game.IniName()), DefaultFile());
        }
    }
}

TEST(GameSettings, FailuresSayWhichStepAndWhy)
{
    // The settings file cannot be replaced: the old file stays and the log gives the reason.
    struct Case {
        const char* what;
        FileReplaceStep failing;
    } cases[] = {
        {"no temporary file", eFileReplaceStep_Open},
        {"no rename", eFileReplaceStep_Rename},
    };
    for (const Case& c : cases) {
        GameFolder game;
        std::filesystem::create_directories(game.dir.File("userdata/" + UserName()));
        const std::string old = "[Sound]\nSEVolume=7\n";
        game.dir.WriteFile(game.IniName(), old);
        GameSettings settings;
        settings.Open(GAME_SETTINGS_FILE_NAME);
        settings.m_nSEVolume = 8;
        ReplaceCounter counter(c.failing);
        testing::internal::CaptureStdout();
        const bool written = settings.Write();
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_FALSE(written) << c.what;
        EXPECT_NE(log.find("Cannot write the settings file"), std::string::npos) << c.what << log;
        EXPECT_NE(log.find(std::strerror(EACCES)), std::string::npos) << c.what << log;
        EXPECT_EQ(game.dir.ReadFile(game.IniName()), old) << c.what;
    }

    // The user folder cannot be made (a file stands where "userdata" should be): the log names
    // that step and its reason, not the user name, which was read.
    GameFolder game;
    game.dir.WriteFile("userdata", "not a folder");
    GameSettings settings;
    testing::internal::CaptureStdout();
    settings.Open(GAME_SETTINGS_FILE_NAME);
    const bool written = settings.Write();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(written);
    EXPECT_EQ(log.find("user name"), std::string::npos) << log;
    EXPECT_NE(log.find("cannot create the folder ..\\userdata\\" + UserName()), std::string::npos) << log;
    EXPECT_NE(log.find(std::strerror(ENOTDIR)), std::string::npos) << log;
    EXPECT_EQ(game.dir.ReadFile("userdata"), "not a folder");
}

// Volumes are percentages: a hand-edited value past either end is warned about with the key it
// came from (100000 put almost every output sample at full scale). The sound system plays it at
// that end; the record keeps what the user wrote.
TEST(GameSettings, VolumesOutsidePercentagesAreWarnedAbout)
{
    struct Case {
        const char* file;
        int32_t bgm, se;
        bool warned;
    } cases[] = {
        {"[Sound]\nBGMVolume=55\nSEVolume=100\n", 55, 100, false},
        {"[Sound]\nBGMVolume=0\nSEVolume=0\n", 0, 0, false},
        {"[Sound]\nBGMVolume=100000\n", 100000, 40, true},
        {"[Sound]\nBGMVolume=-5\nSEVolume=101\n", -5, 101, true},
        {"[Sound]\nSEVolume=0xFFFFFFFF\n", 20, -1, true},
    };
    for (const Case& c : cases) {
        GameFolder game;
        std::filesystem::create_directories(game.dir.File("userdata/" + UserName()));
        game.dir.WriteFile(game.IniName(), c.file);
        GameSettings settings;
        testing::internal::CaptureStdout();
        settings.Open(GAME_SETTINGS_FILE_NAME);
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(settings.m_nBGMVolume, c.bgm) << c.file;
        EXPECT_EQ(settings.m_nSEVolume, c.se) << c.file;
        EXPECT_EQ(log.find("WARNING") != std::string::npos, c.warned) << c.file << log;
        if (c.warned) {
            EXPECT_NE(log.find("Volume"), std::string::npos) << log;
        }
    }
}

namespace {

std::string Utf16Le(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (char ch : ascii) {
        out += ch;
        out += '\0';
    }
    return out;
}

} // namespace

// A settings file saved as UTF-16 (with its byte order mark) is read, and written back in
// UTF-16: never as an empty file with ASCII sections appended to it. One that is not even
// UTF-16 (an odd byte count) is left as it is, with a warning.
TEST(GameSettings, Utf16FileIsReadAndWrittenInItsEncoding)
{
    GameFolder game;
    std::filesystem::create_directories(game.dir.File("userdata/" + UserName()));
    game.dir.WriteFile(game.IniName(), Utf16Le("; \xE9t\xE9\r\n[Sound]\r\nBGMVolume=55\r\n[GameConfig]\r\nAutoSave=0\r\n"));
    {
        GameSettings settings;
        settings.Open(GAME_SETTINGS_FILE_NAME);
        EXPECT_EQ(settings.m_nBGMVolume, 55);
        EXPECT_FALSE(settings.m_bAutoSave);
        settings.m_nSEVolume = 77;
        EXPECT_TRUE(settings.Write());
    }
    const std::string text = game.dir.ReadFile(game.IniName());
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(text.size() % 2, 0u);
    // Every character of the file is one UTF-16 unit: nothing in one-byte text was appended.
    EXPECT_EQ(text.find("[Key]"), std::string::npos);
    EXPECT_NE(text.find(Utf16Le("[Key]").substr(2)), std::string::npos);
    EXPECT_EQ(text.rfind(Utf16Le("; \xE9t\xE9\r\n[Sound]\r\nBGMVolume=55\r\nSEVolume=77\r\n"), 0), 0u);
    GameSettings again;
    again.Open(GAME_SETTINGS_FILE_NAME);
    EXPECT_EQ(again.m_nSEVolume, 77);

    const std::string broken = Utf16Le("[Sound]\r\nBGMVolume=55\r\n") + "x";
    game.dir.WriteFile(game.IniName(), broken);
    GameSettings settings;
    testing::internal::CaptureStdout();
    settings.Open(GAME_SETTINGS_FILE_NAME);
    settings.m_nSEVolume = 12;
    const bool written = settings.Write();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(written);
    EXPECT_NE(log.find("WARNING"), std::string::npos) << log;
    EXPECT_EQ(game.dir.ReadFile(game.IniName()), broken);
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

// When a level above the last cannot be made, the reason names that level and its own error,
// not the "no such directory" that the last level then meets.
TEST(UserDataFolder, AFailureNamesTheStepThatFailed)
{
    GameFolder game;
    // A link to nowhere stands where "userdata" should be: making it fails with EEXIST.
    std::filesystem::create_symlink(game.dir.File("nowhere/at/all"), game.dir.File("userdata"));
    std::string folder, reason;
    errno = 0;
    EXPECT_FALSE(GetUserDataFolder(folder, &reason));
    EXPECT_NE(reason.find("..\\userdata"), std::string::npos) << reason;
    EXPECT_NE(reason.find(std::strerror(EEXIST)), std::string::npos) << reason;
    EXPECT_EQ(reason.find(std::strerror(ENOENT)), std::string::npos) << reason;
    EXPECT_EQ(errno, EEXIST);
}
