// Arbitrary text run as a data file of each game table (accessory, quest, text, animation) and
// read by its loader, and as an object prototype that is built, started, updated and drawn as a
// stage: whatever shapes of values the file leaves behind must be read safely, metatables whose
// functions fail or recurse included (the loaders read protected; an instruction budget ends
// long runs), and every clip read must play. Inputs that could loop or grow without bound are
// passed over: they test the Lua interpreter, not the readers.
#include <lua.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "Components/ComponentList.h"
#include "Components/Core/AnimationPlayer.h"
#include "InputArchive.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/IArchive.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/ScriptSystem.h"
#include "World/AccessoryTable.h"
#include "World/AnimationTable.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"
#include "World/TextTable.h"

namespace {

const char* const kEntries[] = {
    "assets.v1/scripts/accessory/accessory_F",
    "assets.v1/scripts/quest/quest_F",
    "assets.v1/scripts/text/text_F",
    "assets.v1/scripts/animations/anim_F",
    "assets.v1/scripts/game_objects/gameobj_F",
};


std::string U32(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string DdsHeader(uint32_t w, uint32_t h) { return "DDS " + U32(124) + U32(0x100F) + U32(h) + U32(w) + std::string(108, '\0'); }

// The textures and atlas sprites animation files name: "grid" 256 x 128, "wide" 8128 x 64,
// "blank" (no readable size); sprites "a" and "b" on "grid".
class FixtureArchive : public IArchive {
public:
    FixtureArchive()
    {
        m_Name = "fixture";
        m_nNameId = HashName(m_Name);
        m_Files = {
            {"assets.v1/scripts/textures/texture_F",
             "texture_table = { grid = { texture_name = 'assets.v1/2d/grid' }, wide = { texture_name = "
             "'assets.v1/2d/wide' }, blank = { texture_name = 'assets.v1/2d/blank' } }"},
            {"assets.v1/scripts/atlases/atlas_F",
             "spriteSheet = { texture = 'grid.dds', textureSize = { width = 256, height = 128 }, sprites = {"
             " { name = 'a.png', sourceRect = { x = 2, y = 4, width = 60, height = 56 }, originalSize = { width = 64, "
             "height = 64 }, uvRect = { x = 0, y = 0, width = 60, height = 56 } },"
             " { name = 'b.png', sourceRect = { x = 0, y = 0, width = 32, height = 64 }, originalSize = { width = 64, "
             "height = 64 }, uvRect = { x = 64, y = 0, width = 32, height = 64 } } } }"},
            {"assets.v1/2d/grid", DdsHeader(256, 128)},
            {"assets.v1/2d/wide", DdsHeader(8128, 64)},
            {"assets.v1/2d/blank", "??"},
        };
    }
    bool Open() override { return true; }
    void Close() override {}
    StreamIO* OpenEntry(NameId id, bool) override
    {
        for (const auto& [name, text] : m_Files)
            if (HashName(name) == id) {
                auto* stream = new MemoryStreamIO();
                void* copy = std::malloc(text.size() + 1);
                std::memcpy(copy, text.data(), text.size());
                stream->Init(copy, static_cast<uint32_t>(text.size()), true, true);
                return stream;
            }
        return nullptr;
    }
    bool Exists(NameId id) override
    {
        for (const auto& file : m_Files)
            if (HashName(file.first) == id)
                return true;
        return false;
    }
    void ListEntries(std::vector<ArchiveEntry>& entries) override
    {
        for (const auto& file : m_Files)
            entries.push_back(ArchiveEntry{HashName(file.first), file.first, nullptr});
    }

private:
    std::vector<std::pair<std::string, std::string>> m_Files;
};

void StopLongRuns(lua_State* L, lua_Debug*)
{
    luaL_error(L, "instruction budget spent");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* word : {"rep", "while", "for", "repeat", "goto", "load", "require", "collectgarbage", "dofile",
                             "concat", "..", "format"}) {
        if (text.find(word) != std::string::npos)
            return 0;
    }

    delete g_pArchiveSystem;
    ArchiveSystem::GetInstance()->Mount(new InputArchive(text, kEntries));
    ArchiveSystem::GetInstance()->Mount(new FixtureArchive());
    ScriptSystem host;
    g_pScriptSystem = &host;
    lua_sethook(host.GetState(), StopLongRuns, LUA_MASKCOUNT, 100000);

    AccessoryTable accessories;
    accessories.Create();
    accessories.Load("assets.v1/scripts/accessory");
    QuestTable quests;
    quests.Load("assets.v1/scripts/quest/");
    TextTable texts;
    texts.Load("assets.v1/scripts/text/");

    std::vector<QuestRecord*> all;
    quests.Query(all, 0xFFFFFFFFu, 0);
    for (QuestRecord* quest : all)
        for (const QuestReward& reward : quest->m_Rewards)
            reward.m_Condition.Evaluate(ConditionContext{});

    TextureTable textures;
    textures.LoadFolder("assets.v1/scripts/textures/");
    AtlasTable atlas;
    atlas.LoadFolder("assets.v1/scripts/atlases/");
    g_pTextureTable = &textures;
    g_pAtlasTable = &atlas;
    AnimationTable animations;
    animations.LoadFolder("assets.v1/scripts/animations/");
    for (const AnimationClip* clip : animations.GetList()) {
        AnimationPlayer player;
        player.Reset(clip);
        for (float dt : {0.0f, 0.016f, 0.5f, 3.0f, 1e6f, 1e30f})
            player.Advance(dt);
    }
    g_pTextureTable = nullptr;
    g_pAtlasTable = nullptr;
    {
        InstallComponents();
        SceneManager scene;
        scene.Init();
        scene.LoadPrototypes("assets.v1/scripts/game_objects/");
        delete scene.Instantiate("gameobj_F", nullptr, nullptr);
        scene.RequestStage("gameobj_F");
        for (uint32_t frame = 1; frame <= 2; ++frame) {
            SetStandInFrameCount(frame);
            scene.Update();
            scene.Draw();
        }
        SetStandInFrameCount(0);
    }

    host.Shutdown();
    g_pScriptSystem = nullptr;
    delete g_pArchiveSystem;
    return 0;
}
