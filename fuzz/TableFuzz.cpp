// Arbitrary text run as a data file of each game table (accessory, quest, text) and read by
// its loader: whatever shapes of values the file leaves behind must be read safely, metatables
// whose functions fail or recurse included (the loaders read protected; an instruction budget
// ends long runs). Inputs that could loop or grow without bound are passed over: they test the
// Lua interpreter, not the readers.
#include <lua.hpp>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/IArchive.h"
#include "System/Common/StreamIO.h"
#include "System/Lua/ScriptSystem.h"
#include "World/AccessoryTable.h"
#include "World/QuestTable.h"
#include "World/TextTable.h"

namespace {

const char* const kEntries[] = {
    "assets.v1/scripts/accessory/accessory_F",
    "assets.v1/scripts/quest/quest_F",
    "assets.v1/scripts/text/text_F",
};

// One input served under every table's entry name.
class InputArchive : public IArchive {
public:
    explicit InputArchive(std::string text) : m_Text(std::move(text)) { m_Name = "fuzz"; m_nNameId = HashName(m_Name); }
    bool Open() override { return true; }
    void Close() override {}
    StreamIO* OpenEntry(NameId, bool) override
    {
        auto* stream = new MemoryStreamIO();
        void* copy = std::malloc(m_Text.size() + 1);
        std::memcpy(copy, m_Text.data(), m_Text.size());
        stream->Init(copy, static_cast<uint32_t>(m_Text.size()), true, true);
        return stream;
    }
    bool Exists(NameId id) override
    {
        for (const char* name : kEntries)
            if (HashName(name) == id)
                return true;
        return false;
    }
    void ListEntries(std::vector<ArchiveEntry>& entries) override
    {
        for (const char* name : kEntries)
            entries.push_back(ArchiveEntry{HashName(name), name, nullptr});
    }

private:
    std::string m_Text;
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
    ArchiveSystem::GetInstance()->Mount(new InputArchive(text));
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

    host.Shutdown();
    g_pScriptSystem = nullptr;
    delete g_pArchiveSystem;
    return 0;
}
