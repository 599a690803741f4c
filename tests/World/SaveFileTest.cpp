#include <gtest/gtest.h>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "Platform/Win32/FileReplace.h"
#include "Platform/Win32/UserName.h"
#include "System/Application/MainApp.h"
#include "Support/TempDir.h"
#include "System/Common/NameHash.h"
#include "World/AccessoryTable.h"
#include "World/PlayerSaveData.h"

namespace {

// The game runs in <game>/bin; the save lives in <game>/userdata/<user>/save/.
class SaveFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_Dir.File("bin"));
        m_pCwd = std::make_unique<ScopedCwd>(m_Dir.File("bin"));
        char name[UNLEN + 1];
        DWORD size = sizeof name;
        ASSERT_TRUE(GetUserNameA(name, &size));
        m_SaveFolder = m_Dir.File("userdata/" + std::string(name) + "/save");
        m_Table.Create();
        m_pSavedTable = g_pAccessoryTable;
        g_pAccessoryTable = &m_Table;
    }
    void TearDown() override
    {
        SetFileReplaceFaultHook(nullptr);
        g_pAccessoryTable = m_pSavedTable;
        m_pCwd.reset();
    }
    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        for (auto& e : std::filesystem::directory_iterator(m_SaveFolder))
            names.push_back(e.path().filename().string());
        return names;
    }

    TempDir m_Dir;
    std::unique_ptr<ScopedCwd> m_pCwd;
    std::string m_SaveFolder;
    AccessoryTable m_Table;
    AccessoryTable* m_pSavedTable = nullptr;
};

PlayerSaveData Progress(uint32_t experience)
{
    PlayerSaveData d;
    d.Reset();
    d.m_nExperience = experience;
    d.m_aLevels[2] = experience % 7;
    d.CountQuestClear(HashName("quest_A"));
    return d;
}

// Fault plan of one run: which step fails, and for writes which call (each call writes 4 bytes).
FileReplaceStep g_eFailStep = eFileReplaceStep_max;
unsigned g_nFailIndex = 0;
unsigned g_nWriteCalls = 0;

int FailAt(FileReplaceStep step, unsigned index, size_t* count)
{
    if (step == eFileReplaceStep_Write) {
        *count = 4;
        g_nWriteCalls = index + 1;
    }
    return step == g_eFailStep && index == g_nFailIndex ? (step == eFileReplaceStep_Write ? ENOSPC : EIO) : 0;
}

} // namespace

TEST_F(SaveFileTest, WritesTheFileInTheUserSaveFolderAndReadsItBack)
{
    PlayerSaveData written = Progress(4321);
    ASSERT_TRUE(written.Write("QMSave.sav"));
    EXPECT_EQ(m_Dir.ReadFile(m_SaveFolder.substr(m_Dir.Path().size() + 1) + "/QMSave.sav"), written.Serialize());

    PlayerSaveData read;
    read.Reset();
    read.Read("QMSave.sav");
    EXPECT_EQ(read.Serialize(), written.Serialize());

    // A missing file changes nothing and says nothing.
    PlayerSaveData untouched = Progress(5);
    untouched.Read("Missing.sav");
    EXPECT_EQ(untouched.Serialize(), Progress(5).Serialize());
}

TEST_F(SaveFileTest, AFailedWriteAtAnyStepKeepsTheOldSave)
{
    const PlayerSaveData oldSave = Progress(1000), newSave = Progress(2000);
    const std::string image = newSave.Serialize();
    const unsigned writeCalls = static_cast<unsigned>((image.size() + 3) / 4);

    struct Plan { FileReplaceStep step; unsigned index; };
    std::vector<Plan> plans = {{eFileReplaceStep_Open, 0}, {eFileReplaceStep_Sync, 0}, {eFileReplaceStep_Close, 0},
                               {eFileReplaceStep_Rename, 0}};
    for (unsigned i = 0; i < writeCalls; ++i)
        plans.push_back({eFileReplaceStep_Write, i});

    for (const Plan& plan : plans) {
        SCOPED_TRACE(testing::Message() << "step " << plan.step << " call " << plan.index);
        SetFileReplaceFaultHook(nullptr);
        ASSERT_TRUE(oldSave.Write("QMSave.sav"));

        g_eFailStep = plan.step;
        g_nFailIndex = plan.index;
        SetFileReplaceFaultHook(FailAt);
        EXPECT_FALSE(newSave.Write("QMSave.sav"));
        SetFileReplaceFaultHook(nullptr);

        PlayerSaveData loaded;
        loaded.Reset();
        loaded.Read("QMSave.sav");
        EXPECT_EQ(loaded.Serialize(), oldSave.Serialize());
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"QMSave.sav"}); // no temporary left behind
    }

    // Every write call was covered, and with no fault the new save replaces the old one.
    g_eFailStep = eFileReplaceStep_max;
    SetFileReplaceFaultHook(FailAt);
    EXPECT_TRUE(newSave.Write("QMSave.sav"));
    EXPECT_EQ(g_nWriteCalls, writeCalls);
    SetFileReplaceFaultHook(nullptr);
    PlayerSaveData loaded;
    loaded.Reset();
    loaded.Read("QMSave.sav");
    EXPECT_EQ(loaded.Serialize(), image);
}

TEST_F(SaveFileTest, NoSaveFolderMeansNoSave)
{
    // A file where the user data folder should be: no folder can be made below it.
    m_Dir.WriteFile("userdata", "in the way");
    std::string folder;
    EXPECT_FALSE(PlayerSaveData::GetSaveFolder(folder));
    // The write says which folder could not be made and why.
    testing::internal::CaptureStdout();
    EXPECT_FALSE(Progress(10).Write("QMSave.sav"));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("..\\userdata\\"), std::string::npos) << log;
    EXPECT_NE(log.find(std::strerror(ENOTDIR)), std::string::npos) << log;
    PlayerSaveData d = Progress(10);
    d.Read("QMSave.sav");
    EXPECT_EQ(d.Serialize(), Progress(10).Serialize());
    EXPECT_EQ(m_Dir.ReadFile("userdata"), "in the way");
}

TEST_F(SaveFileTest, StartUpResetsTheSaveData)
{
    g_PlayerSaveData = Progress(777);
    g_PlayerSaveData.m_OwnedAccessories.clear();
    // The world the application enters makes and deletes its own tables.
    g_pAccessoryTable = nullptr;
    {
        MainApp app;
        ASSERT_TRUE(app.Startup());
        PlayerSaveData reset;
        reset.Reset();
        EXPECT_EQ(g_PlayerSaveData.Serialize(), reset.Serialize());
        app.Shutdown();
    }
    EXPECT_EQ(g_pAccessoryTable, nullptr);
    g_pAccessoryTable = &m_Table;
    g_pApplication = nullptr;
}

// A save that cannot be read whole (another format, cut short, a damaged body) is reported with
// the reason and set aside under a ".bad" name before anything is written over it: the next
// save must not destroy the only copy of the player's progress.
TEST_F(SaveFileTest, ASaveThatCannotBeReadWholeIsReportedAndKept)
{
    const std::string good = Progress(4321).Serialize();
    std::string body = good;
    body.replace(28, 4, std::string(4, '\xFF')); // experience 4,294,967,295
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason; // a word of the logged reason
    };
    const Case cases[] = {
        {"foreign magic", "QMSV" + good.substr(4), "QMSD"},
        {"empty", "", "QMSD"},
        {"truncated", good.substr(0, 30), "ends"},
        {"count past the end", good.substr(0, 40) + std::string(4, '\x7F') + good.substr(44), "count"},
        {"trailing bytes", good + "junk", "after"},
        {"value out of bounds", body, "experience"},
    };
    const std::string rel = m_SaveFolder.substr(m_Dir.Path().size() + 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(m_SaveFolder);
        std::filesystem::create_directories(m_SaveFolder);
        m_Dir.WriteFile(rel + "/QMSave.sav", c.bytes);

        PlayerSaveData d;
        d.Reset();
        testing::internal::CaptureStdout();
        d.Read("QMSave.sav");
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_NE(log.find("ERROR"), std::string::npos) << log;
        EXPECT_NE(log.find("QMSave.sav"), std::string::npos) << log;
        EXPECT_NE(log.find(c.reason), std::string::npos) << log;
        EXPECT_NE(log.find("QMSave.sav.bad"), std::string::npos) << log;

        ASSERT_TRUE(Progress(5).Write("QMSave.sav"));
        EXPECT_EQ(m_Dir.ReadFile(rel + "/QMSave.sav"), Progress(5).Serialize());
        ASSERT_TRUE(m_Dir.Exists(rel + "/QMSave.sav.bad"));
        EXPECT_EQ(m_Dir.ReadFile(rel + "/QMSave.sav.bad"), c.bytes);
    }

    // A second damaged save does not replace the first one set aside.
    m_Dir.WriteFile(rel + "/QMSave.sav", "QMSV second");
    PlayerSaveData d;
    testing::internal::CaptureStdout();
    d.Read("QMSave.sav");
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(Progress(6).Write("QMSave.sav"));
    std::vector<std::string> kept;
    for (const std::string& name : FolderEntries())
        if (name != "QMSave.sav")
            kept.push_back(m_Dir.ReadFile(rel + "/" + name));
    std::vector<std::string> expected = {"QMSV second", body};
    std::sort(kept.begin(), kept.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(kept, expected);

    // A whole save is read without a word and nothing is set aside.
    std::filesystem::remove_all(m_SaveFolder);
    ASSERT_TRUE(Progress(7).Write("QMSave.sav"));
    testing::internal::CaptureStdout();
    d.Read("QMSave.sav");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"QMSave.sav"});
}
