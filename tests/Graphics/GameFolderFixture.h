// A game folder in a temporary directory: the archive system rooted at it with the loose
// folders the game mounts, and a script host, as the world state has them when it reads tables.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "Support/TempDir.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Lua/ScriptSystem.h"

class GameFolderTest : public ::testing::Test {
protected:
    // Files must be written before Mount(), which scans the folders once.
    void Write(const std::string& path, const std::string& bytes)
    {
        const size_t slash = path.rfind('/');
        if (slash != std::string::npos)
            MakeFolders(path.substr(0, slash));
        dir.WriteFile(path, bytes);
    }

    void Mount()
    {
        delete g_pArchiveSystem;
        ArchiveSystem::GetInstance()->SetRoot(dir.Path());
        for (const char* folder : {"assets.v1/2d", "assets.v1/scripts", "assets.v1/shaders"})
            ArchiveSystem::GetInstance()->Mount(new FileSystemArchive(folder));
        delete g_pScriptSystem;
        g_pScriptSystem = new ScriptSystem();
    }

    void TearDown() override
    {
        delete g_pScriptSystem;
        g_pScriptSystem = nullptr;
        delete g_pArchiveSystem;
    }

    TempDir dir;

private:
    void MakeFolders(const std::string& rel)
    {
        std::string path = dir.Path();
        size_t start = 0;
        while (start <= rel.size()) {
            const size_t end = rel.find('/', start);
            path += '/';
            path.append(rel, start, end == std::string::npos ? std::string::npos : end - start);
            ::mkdir(path.c_str(), 0755);
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
};
