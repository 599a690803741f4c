// Arbitrary text run as a texture table script and as a sprite sheet script and read by their
// loaders; every image the texture table names is the same input, probed for its size. The
// data may install metatables whose functions fail or run on: the loaders read protected, and
// an instruction budget ends long runs. Inputs that could build huge strings are passed over:
// they test the Lua interpreter, not the readers.
#include <lua.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "InputArchive.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/IArchive.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/ScriptSystem.h"

namespace {

const char* const kScripts[] = {
    "assets.v1/scripts/textures/texture_F",
    "assets.v1/scripts/atlases/atlas_F",
};


void StopLongRuns(lua_State* L, lua_Debug*)
{
    luaL_error(L, "instruction budget spent");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* word : {"rep", "..", "concat", "format", "load", "require", "dofile", "collectgarbage"}) {
        if (text.find(word) != std::string::npos)
            return 0;
    }

    delete g_pArchiveSystem;
    ArchiveSystem::GetInstance()->Mount(new InputArchive(text, kScripts, true));
    ScriptSystem host;
    g_pScriptSystem = &host;
    // Threads made later take the main thread's hook with them.
    lua_sethook(host.GetState(), StopLongRuns, LUA_MASKCOUNT, 100000);

    TextureTable textures;
    textures.LoadFolder("assets.v1/scripts/textures/");
    AtlasTable atlases;
    atlases.LoadFolder("assets.v1/scripts/atlases/");

    host.Shutdown();
    g_pScriptSystem = nullptr;
    delete g_pArchiveSystem;
    return 0;
}
