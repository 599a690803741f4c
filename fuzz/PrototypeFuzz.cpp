// Arbitrary text run as the prototype files of a stage: served as the stage "stage_F", the
// areas "area_F" and "area_G", "terrain_template" and the player "gameobj_player_pemba" (which a
// quest controller on the stage places), each file keeping the global named like it. The stage
// is built, started, stepped and drawn (into a sprite batch without a device) for a few frames
// with a current quest that asks for three areas and a small animation table ("fz_once",
// "fz_loop", "fz_pose"), so every component's Lua reader, start and per-frame work (colliders,
// bodies, stage layout, terrain, cameras, renderers, texts, movies, trails, numbers,
// animations, landscape, backdrops, music on a silent device, the fighters and the player,
// enemies with their state machines, hits, combos, effects and items, bullets and bullet
// patterns, UI roots, frames and tweens, the title and ending directors) meets whatever values
// the text leaves. Inputs that could loop, grow without bound or install metamethods are passed
// over: they test the Lua interpreter, not the readers.
#include <lua.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Components/ComponentList.h"
#include "Components/Core/Camera2D.h"
#include "Components/Core/CollisionWorld.h"
#include "InputArchive.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/IArchive.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Random.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/SpriteBatch.h"
#include "System/Lua/ScriptSystem.h"
#include "System/Sound/SoundManager.h"
#include "World/AnimationTable.h"
#include "World/ComponentFactory.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"

namespace {

const char* const kEntries[] = {
    "assets.v1/scripts/stage/stage_F",
    "assets.v1/scripts/game_objects/area_F",
    "assets.v1/scripts/game_objects/area_G",
    "assets.v1/scripts/game_objects/terrain_template",
    "assets.v1/scripts/game_objects/gameobj_player_pemba",
};


bool IsNameChar(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'; }

// The word as a whole name: "for" is a loop, "Transform" is not.
bool HasWord(const std::string& text, const char* word)
{
    const size_t len = std::strlen(word);
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const bool startsName = at == 0 || !IsNameChar(text[at - 1]);
        const bool endsName = at + len >= text.size() || !IsNameChar(text[at + len]);
        if (startsName && endsName)
            return true;
    }
    return false;
}

// Clips the inputs may name: one played once, one looping, one with pose keys on the channels
// the animation components read.
const char* const kClips = R"(animation_table = {
    fz_once = { wrapMode = 0, texcoord = { 'none', 0, 0, 8, 8 }, pose_anim = { { 3, 0, 1, 0, 0.05, 1 } } },
    fz_loop = { wrapMode = 1, pose_anim = { { 0, 1, 5, 0, 0.03, 0 }, { 5, 0, 1, 0, 0.03, 1 } } },
    fz_pose = { wrapMode = 0, pose_anim = { { 0, 1, 5, 0, 0.1, 1 }, { 1, 2, -3, 0, 0.1, 1 }, { 2, 3, 45, 0, 0.1, 1 },
        { 3, 0, 2, 0, 0.1, 1 }, { 4, 0, 0.5, 0, 0.1, 1 }, { 5, 0, 0.5, 0, 0.1, 1 }, { 8, 1, 4, 0, 0.1, 1 } } },
})";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    // Loops by keyword (whole names: "Transform" holds no loop); library calls by any mention.
    for (const char* word : {"while", "for", "repeat", "goto", "function"})
        if (HasWord(text, word))
            return 0;
    for (const char* word : {"metatable", "rep", "load", "require", "collectgarbage", "dofile", "concat"})
        if (text.find(word) != std::string::npos)
            return 0;

    delete g_pArchiveSystem;
    ArchiveSystem::GetInstance()->Mount(new InputArchive(text, kEntries));
    ScriptSystem host;
    g_pScriptSystem = &host;
    QuestTable quests;
    QuestRecord quest;
    quest.m_nAreaCount = 3;
    // The directors spawn the fuzzed prototypes as mobs, targets, the boss and its follower.
    quest.m_EnemyList.m_Mobs = {{"area_G", 1}};
    quest.m_EnemyList.m_Objectives = {{"area_F", 0.0f, 0.0f, HashName("fz_icon"), 2}};
    quest.m_EnemyList.m_BossName = "area_F";
    quest.m_EnemyList.m_Followers = {{"area_G", 10.0f, 0.0f, 0.01f}};
    quests.m_pCurrentQuest = &quest;
    g_pQuestTable = &quests;
    SfmtInit(1);
    SoundManager sounds(new NullAudioDevice);
    g_pSoundManager = &sounds;
    AnimationTable clips;
    {
        lua_State* L = host.GetState();
        if (luaL_dostring(L, kClips) == 0) {
            lua_getglobal(L, "animation_table");
            clips.ReadAnimationTable(L, "fuzz clips");
        }
        lua_settop(L, 0);
    }
    g_pAnimationTable = &clips;
    SpriteBatch batch;
    g_pSpriteBatch = &batch;
    {
        InstallComponents();
        SceneManager scene;
        g_pSceneManager = &scene;
        scene.Init();
        scene.LoadPrototypes("assets.v1/scripts/stage/");
        scene.LoadPrototypes("assets.v1/scripts/game_objects/");
        scene.RequestStage("stage_F");
        for (uint32_t frame = 1; frame <= 4; ++frame) {
            SetStandInFrameCount(frame);
            SetAppDeltaTime(1.0f / 60.0f);
            SetAppRawDeltaTime(1.0f / 60.0f);
            scene.Update();
            scene.Draw();
            batch.ResetFrame();
        }
    }
    g_pSpriteBatch = nullptr;
    g_pAnimationTable = nullptr;
    g_CameraRegistry.Clear();
    g_pQuestTable = nullptr;
    sounds.Release();
    g_pSoundManager = nullptr;
    host.Shutdown();
    g_pScriptSystem = nullptr;
    delete g_pArchiveSystem;
    return 0;
}
