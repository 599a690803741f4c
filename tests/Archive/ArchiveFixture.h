// A game folder in a temporary directory with the process-wide ArchiveSystem rooted at it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PakWriter.h"
#include "Support/TempDir.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Common/StreamIO.h"

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        delete g_pArchiveSystem;
        ArchiveSystem::GetInstance()->SetRoot(dir.Path());
    }
    void TearDown() override { delete g_pArchiveSystem; }

    ArchiveSystem& System() { return *ArchiveSystem::GetInstance(); }

    // The entry's bytes through the archive system, or "<none>" when it has no such entry.
    std::string Read(const std::string& name)
    {
        std::unique_ptr<StreamIO> s(System().Open(HashName(name)));
        return s ? ReadStreamToString(*s) : "<none>";
    }

    std::string WritePak(const std::string& file, const std::vector<PakItem>& items, PakLayout layout)
    {
        std::string pak, error;
        EXPECT_TRUE(BuildPak(items, layout, pak, error)) << error;
        dir.WriteFile(file, pak);
        return dir.File(file);
    }

    TempDir dir;
};
