#include "Platform/Win32/FileReplace.h"
#include "Platform/Win32/Windows.h"
#include "Support/TempDir.h"

#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(Profile, ReadIntRules)
{
    struct Case {
        const char* what;
        const char* file; // null: no file at all
        const char* section;
        const char* key;
        int defaultValue;
        UINT expected;
    } cases[] = {
        {"missing file", nullptr, "Sound", "SEVolume", 40, 40},
        {"missing section", "[Other]\nSEVolume=7\n", "Sound", "SEVolume", 40, 40},
        {"missing key", "[Sound]\nBGMVolume=7\n", "Sound", "SEVolume", 40, 40},
        {"key of another section", "[Sound]\n[Key]\nSEVolume=7\n", "Sound", "SEVolume", 40, 40},
        {"plain value", "[Sound]\nSEVolume=7\n", "Sound", "SEVolume", 40, 7},
        {"names without case", "[sOUND]\nsevolume=7\n", "Sound", "SEVolume", 40, 7},
        {"blanks around names and value", "  [ Sound ]  \n  SEVolume  =  7  \n", "Sound", "SEVolume", 40, 7},
        {"CRLF lines", "[Sound]\r\nSEVolume=7\r\n", "Sound", "SEVolume", 40, 7},
        {"last line without line end", "[Sound]\nSEVolume=7", "Sound", "SEVolume", 40, 7},
        {"non-numeric value", "[GameConfig]\nAutoSave=yes\n", "GameConfig", "AutoSave", 1, 0},
        {"empty value gives the default", "[GameConfig]\nAutoSave=\n", "GameConfig", "AutoSave", 1, 1},
        {"blank value gives the default", "[GameConfig]\nAutoSave=   \n", "GameConfig", "AutoSave", 1, 1},
        {"empty quoted value gives the default", "[GameConfig]\nAutoSave=\"\"\n", "GameConfig", "AutoSave", 1, 1},
        {"sign only", "[Sound]\nSEVolume=-\n", "Sound", "SEVolume", 40, 0},
        {"digits then text", "[Sound]\nSEVolume=55zz\n", "Sound", "SEVolume", 40, 55},
        {"negative", "[Sound]\nSEVolume=-5\n", "Sound", "SEVolume", 40, 0xFFFFFFFBu},
        {"hex", "[Key]\nGAMEPAD_0_UP=0xC80000\n", "Key", "GAMEPAD_0_UP", 0, 0xC80000},
        {"decimal binding", "[Key]\nGAMEPAD_0_UP=13107200\n", "Key", "GAMEPAD_0_UP", 0, 0xC80000},
        {"quoted value", "[Sound]\nSEVolume=\"12\"\n", "Sound", "SEVolume", 40, 12},
        {"first of two equal keys", "[Sound]\nSEVolume=1\nSEVolume=2\n", "Sound", "SEVolume", 40, 1},
        {"value with '='", "[Sound]\nSEVolume=3=4\n", "Sound", "SEVolume", 40, 3},
        {"entry before any section", "SEVolume=9\n[Sound]\n", "Sound", "SEVolume", 40, 40},
        {"comment line kept apart", "[Sound]\n; SEVolume is the effects' volume\nSEVolume=8\n", "Sound", "SEVolume", 40,
         8},
        {"wraps to 32 bits", "[Sound]\nSEVolume=4294967297\n", "Sound", "SEVolume", 40, 1},
    };
    for (const Case& c : cases) {
        TempDir dir;
        if (c.file)
            dir.WriteFile("t.ini", c.file);
        EXPECT_EQ(GetPrivateProfileIntA(c.section, c.key, c.defaultValue, dir.File("t.ini").c_str()), c.expected)
            << c.what;
    }
}

TEST(Profile, WriteStringEdits)
{
    struct Case {
        const char* what;
        const char* before; // null: no file
        const char* section;
        const char* key;
        const char* value;
        const char* after; // null: still no file
    } cases[] = {
        {"new file", nullptr, "Sound", "SEVolume", "40", "[Sound]\nSEVolume=40\n"},
        {"replaced in place, other lines kept", "; mine\n[Sound]\nSEVolume=1\nBGMVolume=2\n", "Sound", "SEVolume", "40",
         "; mine\n[Sound]\nSEVolume=40\nBGMVolume=2\n"},
        {"key spelling kept", "[sound]\nsevolume=1\n", "Sound", "SEVolume", "40", "[sound]\nsevolume=40\n"},
        {"new key after the section's last entry", "[Sound]\nBGMVolume=2\n\n[Key]\nA=1\n", "Sound", "SEVolume", "40",
         "[Sound]\nBGMVolume=2\nSEVolume=40\n\n[Key]\nA=1\n"},
        {"new section at the end", "[Sound]\nBGMVolume=2", "Key", "A", "1", "[Sound]\nBGMVolume=2\n[Key]\nA=1\n"},
        {"into an empty last section", "[Sound]", "Sound", "A", "1", "[Sound]\nA=1\n"},
        {"CRLF kept", "[Sound]\r\nBGMVolume=2\r\n", "Sound", "SEVolume", "4",
         "[Sound]\r\nBGMVolume=2\r\nSEVolume=4\r\n"},
        {"null value removes the key", "[Sound]\nSEVolume=1\nBGMVolume=2\n", "Sound", "SEVolume", nullptr,
         "[Sound]\nBGMVolume=2\n"},
        {"null key removes the section", "[A]\nx=1\n[Sound]\nSEVolume=1\n; note\n[B]\ny=2\n", "Sound", nullptr, nullptr,
         "[A]\nx=1\n[B]\ny=2\n"},
        {"removing from no file makes none", nullptr, "Sound", "SEVolume", nullptr, nullptr},
        {"only the first of two equal sections", "[S]\na=1\n[S]\nb=2\n", "s", "b", "3", "[S]\na=1\nb=3\n[S]\nb=2\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        if (c.before)
            dir.WriteFile("t.ini", c.before);
        EXPECT_TRUE(WritePrivateProfileStringA(c.section, c.key, c.value, dir.File("t.ini").c_str())) << c.what;
        EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, dir.File("t.ini").c_str())) << c.what;
        if (c.after) {
            EXPECT_EQ(dir.ReadFile("t.ini"), c.after) << c.what;
        } else {
            EXPECT_FALSE(dir.Exists("t.ini")) << c.what;
        }
    }
}

TEST(Profile, WriteThenReadBackEveryValue)
{
    TempDir dir;
    const std::string path = dir.File("t.ini");
    const int values[] = {0, 1, -1, 75, 13107200, 2147483647, -2147483647 - 1};
    for (int v : values) {
        ASSERT_TRUE(WritePrivateProfileStringA("S", "k", std::to_string(v).c_str(), path.c_str()));
        EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("S", "k", 5, path.c_str())), v);
    }
}

TEST(Profile, WindowsSeparatorsInThePath)
{
    TempDir dir;
    std::filesystem::create_directories(dir.File("a/b"));
    std::string windowsPath = dir.Path() + "\\a\\b\\t.ini";
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "3", windowsPath.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, windowsPath.c_str()));
    EXPECT_EQ(dir.ReadFile("a/b/t.ini"), "[S]\nk=3\n");
    EXPECT_EQ(GetPrivateProfileIntA("S", "k", 0, windowsPath.c_str()), 3u);
}

TEST(Profile, WriteFailures)
{
    TempDir dir;
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "1", dir.File("missing/t.ini").c_str()));
    EXPECT_FALSE(dir.Exists("missing"));
    // A directory where the file should be: nothing readable, nothing replaced.
    std::filesystem::create_directories(dir.File("t.ini"));
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "1", dir.File("t.ini").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("t.ini")));
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "1", nullptr));
    // The flush request has nothing pending; any other null section is a mistake.
    EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, dir.File("t2.ini").c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "1", dir.File("t2.ini").c_str()));
}

TEST(Profile, ReaderNeverSeesAPartialFile)
{
    TempDir dir;
    const std::string path = dir.File("t.ini");
    const std::string before = "[Sound]\nSEVolume=1\n";
    dir.WriteFile("t.ini", before);
    int reader = open(path.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);

    ASSERT_TRUE(WritePrivateProfileStringA("Sound", "SEVolume", "2", path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str()));

    // A reader that opened the file before the write still reads the whole old file: the new
    // one was put in place by a rename, not written over the old bytes.
    char buffer[64] = {};
    ssize_t n = read(reader, buffer, sizeof buffer);
    close(reader);
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0), before);
    EXPECT_EQ(dir.ReadFile("t.ini"), "[Sound]\nSEVolume=2\n");
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);
}

namespace {

// Counts the replacements (renames) and file syncs; fails the step given, if any, with EACCES.
struct ReplaceCounter {
    static inline unsigned renames = 0;
    static inline unsigned syncs = 0;
    static inline FileReplaceStep failing = eFileReplaceStep_max;
    ReplaceCounter(FileReplaceStep fail = eFileReplaceStep_max)
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

size_t FilesIn(const std::string& dir)
{
    return static_cast<size_t>(
        std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()));
}

} // namespace

TEST(Profile, WritesWaitForTheFlushAndGoOutInOneReplacement)
{
    TempDir dir;
    const std::string path = dir.File("t.ini");
    dir.WriteFile("t.ini", "[S]\na=1\n");
    ReplaceCounter counter;

    ASSERT_TRUE(WritePrivateProfileStringA("S", "a", "2", path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("S", "b", "3", path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("T", "c", "4", path.c_str()));
    // Not yet on disk, but read back as written.
    EXPECT_EQ(dir.ReadFile("t.ini"), "[S]\na=1\n");
    EXPECT_EQ(GetPrivateProfileIntA("S", "a", 0, path.c_str()), 2u);
    EXPECT_EQ(GetPrivateProfileIntA("T", "c", 0, path.c_str()), 4u);
    EXPECT_EQ(counter.renames, 0u);

    // A flush of another file leaves this one pending.
    EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, dir.File("other.ini").c_str()));
    EXPECT_EQ(counter.renames, 0u);

    ASSERT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str()));
    EXPECT_EQ(dir.ReadFile("t.ini"), "[S]\na=2\nb=3\n[T]\nc=4\n");
    EXPECT_EQ(counter.renames, 1u);
    EXPECT_EQ(counter.syncs, 1u);
    // Nothing pending: a second flush writes nothing.
    ASSERT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str()));
    EXPECT_EQ(counter.renames, 1u);

    // A write to another file puts the pending one on disk first.
    ASSERT_TRUE(WritePrivateProfileStringA("S", "a", "5", path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("S", "a", "6", dir.File("other.ini").c_str()));
    EXPECT_EQ(dir.ReadFile("t.ini"), "[S]\na=5\nb=3\n[T]\nc=4\n");
    ASSERT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, dir.File("other.ini").c_str()));
    EXPECT_EQ(dir.ReadFile("other.ini"), "[S]\na=6\n");
    EXPECT_EQ(counter.renames, 3u);
    EXPECT_EQ(FilesIn(dir.Path()), 2u);
}

TEST(Profile, AFailedFlushKeepsTheOldFile)
{
    struct Case {
        const char* what;
        FileReplaceStep failing;
    } cases[] = {
        {"no temporary file", eFileReplaceStep_Open},
        {"the data does not reach the disk", eFileReplaceStep_Sync},
        {"the rename fails", eFileReplaceStep_Rename},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.File("t.ini");
        dir.WriteFile("t.ini", "[S]\na=1\n");
        ReplaceCounter counter(c.failing);
        ASSERT_TRUE(WritePrivateProfileStringA("S", "a", "2", path.c_str())) << c.what;
        EXPECT_FALSE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str())) << c.what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << c.what;
        EXPECT_EQ(dir.ReadFile("t.ini"), "[S]\na=1\n") << c.what;
        EXPECT_EQ(FilesIn(dir.Path()), 1u) << c.what;
        // What was pending is gone with the failed flush: reads see the disk again.
        EXPECT_EQ(GetPrivateProfileIntA("S", "a", 0, path.c_str()), 1u) << c.what;
    }
}

TEST(FileReplace, RemovesTheTemporariesOfEndedProcesses)
{
    // A process that has ended: its pid answers no signal any more.
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    const std::string dead = std::to_string(child);
    const std::string self = std::to_string(getpid());

    struct Case {
        std::string name;
        bool kept;
    } cases[] = {
        {"t.ini.tmp." + dead + ".0", false},
        {"t.ini.tmp." + dead + ".17", false},
        {"t.ini.tmp." + self + ".3", true},  // this process may be writing it
        {"t.ini.tmp.1.0", true},             // a running process
        {"u.ini.tmp." + dead + ".0", true},  // another file's
        {"t.ini.tmp." + dead, true},         // not a name this program makes
        {"t.ini.tmp." + dead + ".0x", true},
        {"t.ini.tmp.+" + dead + ".0", true},
        {"t.ini.bak", true},
    };
    TempDir dir;
    dir.WriteFile("t.ini", "old");
    for (const Case& c : cases)
        dir.WriteFile(c.name, "partial");
    ASSERT_TRUE(ReplaceFileContents(dir.File("t.ini"), "new", 3));
    EXPECT_EQ(dir.ReadFile("t.ini"), "new");
    for (const Case& c : cases)
        EXPECT_EQ(dir.Exists(c.name), c.kept) << c.name;
}

TEST(FileReplace, KeepsPermissionsAndReportsFailures)
{
    TempDir dir;
    const std::string path = dir.File("f");
    dir.WriteFile("f", "old");
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(ReplaceFileContents(path, "new!", 4));
    EXPECT_EQ(dir.ReadFile("f"), "new!");
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    std::string error;
    std::filesystem::create_directories(dir.File("d/inner"));
    EXPECT_FALSE(ReplaceFileContents(dir.File("d"), "x", 1, &error));
    EXPECT_NE(error.find("cannot replace the file"), std::string::npos) << error;
    EXPECT_FALSE(ReplaceFileContents(dir.File("nofolder/f"), "x", 1, &error));
    EXPECT_NE(error.find("temporary"), std::string::npos) << error;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 2);
}

TEST(FileReplace, AWriteThatMakesNoProgressFails)
{
    // A device that accepts nothing and reports no error must not hang the writer.
    TempDir dir;
    dir.WriteFile("f", "old");
    SetFileReplaceFaultHook([](FileReplaceStep step, unsigned, size_t* count) {
        if (step == eFileReplaceStep_Write)
            *count = 0;
        return 0;
    });
    std::string error;
    const bool replaced = ReplaceFileContents(dir.File("f"), "new", 3, &error);
    SetFileReplaceFaultHook(nullptr);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(dir.ReadFile("f"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);
}

namespace {

// Sets a file's modification time to the given number of whole seconds before the test began.
void SetAge(const std::string& path, int seconds)
{
    static const time_t start = time(nullptr);
    struct timespec times[2] = {{start - seconds, 0}, {start - seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

} // namespace

// A file is read once for all the keys read from it while it stays the same file with the same
// modification time and size (a settings file of 50 MB was read again for each of its 38
// keys). A change of any of them, or a write through the profile calls, is seen at once; a
// file changed within the last moments is read again every time, as its time may not move.
TEST(Profile, AFileIsReadOnceWhileItStaysTheSame)
{
    TempDir dir;
    const std::string path = dir.File("t.ini");
    dir.WriteFile("t.ini", "[Sound]\nSEVolume=1\nBGMVolume=2\n");
    SetAge(path, 60);
    EXPECT_EQ(GetPrivateProfileIntA("Sound", "SEVolume", 0, path.c_str()), 1u);
    // Written in place, same size, its time put back: the copy read before still answers.
    dir.WriteFile("t.ini", "[Sound]\nSEVolume=1\nBGMVolume=3\n");
    SetAge(path, 60);
    EXPECT_EQ(GetPrivateProfileIntA("Sound", "BGMVolume", 0, path.c_str()), 2u);

    struct Step {
        const char* what;
        const char* text; // written in place; null: written through the profile calls
        int age;          // seconds
        UINT expected;    // BGMVolume afterwards
    } steps[] = {
        {"other time", "[Sound]\nSEVolume=1\nBGMVolume=4\n", 30, 4},
        {"other size", "[Sound]\nSEVolume=1\nBGMVolume=50\n", 30, 50},
        {"profile write", nullptr, 0, 6},
        {"recent change, same time", "[Sound]\nSEVolume=1\nBGMVolume=7\n", -1, 7},
        {"recent change again", "[Sound]\nSEVolume=1\nBGMVolume=8\n", -1, 8},
    };
    for (const Step& s : steps) {
        if (s.text) {
            dir.WriteFile("t.ini", s.text);
            if (s.age >= 0)
                SetAge(path, s.age);
        } else {
            ASSERT_TRUE(WritePrivateProfileStringA("Sound", "BGMVolume", "6", path.c_str()));
            ASSERT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str()));
        }
        EXPECT_EQ(GetPrivateProfileIntA("Sound", "BGMVolume", 0, path.c_str()), s.expected) << s.what;
    }
    // Another file in between does not make the first one stale.
    dir.WriteFile("u.ini", "[Sound]\nSEVolume=9\n");
    EXPECT_EQ(GetPrivateProfileIntA("Sound", "SEVolume", 0, dir.File("u.ini").c_str()), 9u);
    EXPECT_EQ(GetPrivateProfileIntA("Sound", "BGMVolume", 0, path.c_str()), 8u);
}
