#include "World/WorldState.h"

#include <algorithm>
#include <string>
#include <vector>

#include "System/Archive/ArchiveSystem.h"
#include "System/Common/Log.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/ScriptSystem.h"
#include "World/AccessoryTable.h"
#include "World/AnimationTable.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"
#include "World/TextTable.h"

const char* const kTitleStageName = "stage_TitleScene";

namespace {

// Each runs once on a context that is freed at once: a script that waits stops there for good,
// and what it set before stays in the shared globals.
void RunPrerequisites()
{
    if (!g_pArchiveSystem || !g_pScriptSystem)
        return;
    std::vector<std::string> names;
    g_pArchiveSystem->FindNames(names, "assets.v1/scripts/prerequisites/*");
    // Name order, so that one prerequisite can rely on an earlier one on every run.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        ScriptContext* context = g_pScriptSystem->CreateContext();
        if (!context)
            return;
        RunScriptStream(g_pArchiveSystem->Open(HashName(name)), context, name.c_str());
        g_pScriptSystem->ReleaseContext(context);
    }
}

// The pointer still names the object while it is deleted: what goes with it may look it up.
template <class T>
void DeleteGlobal(T*& global)
{
    delete global;
    global = nullptr;
}

} // namespace

bool WorldState::HandleEvent(IEvent*) { return false; }

bool WorldState::Enter()
{
    if (!g_pScriptSystem)
        g_pScriptSystem = new ScriptSystem;
    RunPrerequisites();
    if (!g_pTextureTable) {
        g_pTextureTable = new TextureTable;
        g_pTextureTable->LoadFolder("assets.v1/scripts/textures/");
    }
    if (!g_pTextTable) {
        g_pTextTable = new TextTable;
        g_pTextTable->Load("assets.v1/scripts/text/");
    }
    if (!g_pAtlasTable) {
        g_pAtlasTable = new AtlasTable;
        g_pAtlasTable->LoadFolder("assets.v1/scripts/atlases/");
    }
    if (!g_pAnimationTable) {
        g_pAnimationTable = new AnimationTable;
        g_pAnimationTable->LoadFolder("assets.v1/scripts/animations/");
    }
    if (!g_pAccessoryTable)
        g_pAccessoryTable = new AccessoryTable;
    // The default record goes in again even into a table that was already there.
    g_pAccessoryTable->Create();
    g_pAccessoryTable->Load("assets.v1/scripts/accessory");
    if (!g_pQuestTable) {
        g_pQuestTable = new QuestTable;
        g_pQuestTable->Load("assets.v1/scripts/quest/");
    }
    if (!g_pSceneManager) {
        g_pSceneManager = new SceneManager;
        g_pSceneManager->Init();
        g_pSceneManager->LoadPrototypes("assets.v1/scripts/stage/");
        g_pSceneManager->LoadPrototypes("assets.v1/scripts/game_objects/");
        g_pSceneManager->RequestStage(kTitleStageName);
    }
    return true;
}

void WorldState::Leave()
{
    // The scene's teardown lets go of what the component layers kept for it (enemy machines).
    DeleteGlobal(g_pSceneManager);
    if (g_pQuestTable)
        g_pQuestTable->Clear();
    DeleteGlobal(g_pQuestTable);
    if (g_pAccessoryTable)
        g_pAccessoryTable->Clear();
    DeleteGlobal(g_pAccessoryTable);
    if (g_pAnimationTable)
        g_pAnimationTable->Destroy();
    DeleteGlobal(g_pAnimationTable);
    DeleteGlobal(g_pTextTable);
    DeleteGlobal(g_pAtlasTable);
    if (g_pTextureTable)
        g_pTextureTable->Clear();
    DeleteGlobal(g_pTextureTable);
    if (g_pScriptSystem)
        g_pScriptSystem->Shutdown();
    DeleteGlobal(g_pScriptSystem);
}

int WorldState::Update(float dt)
{
    if (g_pScriptSystem)
        g_pScriptSystem->Update(dt);
    if (g_pSceneManager)
        g_pSceneManager->Update();
    return -1;
}

void WorldState::Draw()
{
    if (g_pSceneManager)
        g_pSceneManager->Draw();
}
