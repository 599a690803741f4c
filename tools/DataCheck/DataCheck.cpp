#include "DataCheck.h"

#include "AssetCheck.h"

#include "Components/ComponentList.h"
#include "Components/Core/StageGenerator.h"
#include "Components/Game/ObjectiveController.h"
#include "Platform/Win32/Windows.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Common/NameHash.h"
#include "System/Common/StreamIO.h"
#include "System/Common/StringUtil.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/FontSet.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Lua/ScriptSystem.h"
#include "World/AccessoryTable.h"
#include "World/ComponentFactory.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <lua.hpp>
#include <map>
#include <memory>
#include <set>
#include <sstream>

std::string FormatFinding(const DataFinding& finding)
{
    return finding.file + ": " + (finding.warning ? "warning: " : "") + finding.reason;
}

namespace {

// The data folders in the order the world state reads them. A folder whose files all set one
// fixed global names it; the others' files each set the global named like the file.
struct DataFolder {
    const char* pattern;
    const char* fixedGlobal;
    bool namedGlobal;
};
const DataFolder kPrerequisites = {"assets.v1/scripts/prerequisites/", nullptr, false};
const DataFolder kTextures = {"assets.v1/scripts/textures/", "texture_table", false};
const DataFolder kTexts = {"assets.v1/scripts/text/", nullptr, true};
const DataFolder kAtlases = {"assets.v1/scripts/atlases/", "spriteSheet", false};
const DataFolder kAnimations = {"assets.v1/scripts/animations/", "animation_table", false};
const DataFolder kAccessories = {"assets.v1/scripts/accessory", nullptr, true};
const DataFolder kQuests = {"assets.v1/scripts/quest/", nullptr, true};
const DataFolder kStages = {"assets.v1/scripts/stage/", nullptr, true};
const DataFolder kGameObjects = {"assets.v1/scripts/game_objects/", nullptr, true};
const DataFolder* const kFolders[] = {&kPrerequisites, &kTextures, &kTexts,  &kAtlases,    &kAnimations,
                                      &kAccessories,   &kQuests,   &kStages, &kGameObjects};

// The names the game's code looks up by name.
const char* const kTitleStage = "stage_TitleScene";
const char* const kRequiredQuests[] = {"vididezare", "quest501"};
const struct {
    const char* prototype;
    const char* tag;
} kRequiredTaggedPrototypes[] = {{"camera", "GameCamera"}, {"ui_camera", "UICamera"}};

constexpr const char* kTerrainTemplate = "terrain_template";
// The player, which a stage's quest controller places.
constexpr const char* kPlayerPrototype = "gameobj_player_pemba";


// Ability slots of an accessory; pose channels of an animation; columns of an animation grid.
constexpr double kAbilitySlots = 19;
constexpr double kPoseChannels = 12;
constexpr int kMaxGridColumns = 127;

struct DataFile {
    std::string entry; // archive name, no extension
    std::string name;  // after the last '/'
    const DataFolder* folder = nullptr;
    bool ran = false; // loaded and ran to its end
};

std::string TypeName(lua_State* L, int index)
{
    return lua_typename(L, lua_type(L, index));
}

std::string KeyText(lua_State* L, int index)
{
    if (lua_type(L, index) == LUA_TSTRING)
        return std::string("\"") + lua_tostring(L, index) + "\"";
    if (lua_type(L, index) == LUA_TNUMBER) {
        std::ostringstream text;
        text << lua_tonumber(L, index);
        return text.str();
    }
    return "a " + TypeName(L, index);
}

// Line numbers of quoted strings holding a two-byte Shift-JIS character whose second byte is
// 0x5C (such as the ones for "so", "hyou" or "nou"): Lua's lexer reads that byte as a backslash, so
// the string breaks or silently changes. Comments and long brackets are passed over.
std::vector<int> BackslashTrailBytes(const std::string& text)
{
    std::vector<int> lines;
    int line = 1;
    char quote = 0;
    bool comment = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
            comment = false;
            quote = 0; // an unfinished string is the lexer's error to report
            continue;
        }
        if (comment)
            continue;
        if (IsDBCSLeadByteEx(932, c) && i + 1 < text.size()) {
            if (quote && text[i + 1] == '\\' && (lines.empty() || lines.back() != line))
                lines.push_back(line);
            ++i;
            continue;
        }
        if (quote) {
            if (c == '\\')
                ++i;
            else if (c == static_cast<unsigned char>(quote))
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = static_cast<char>(c);
        } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            comment = true;
        }
    }
    return lines;
}

std::string StripExtension(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

class Checker {
  public:
    explicit Checker(const std::string& game) : m_Game(game) {}
    std::vector<DataFinding> Run(DataCounts* counts);

  private:
    void Add(const std::string& file, const std::string& reason) { m_Findings.push_back({file, reason}); }
    void Warn(const std::string& file, const std::string& reason) { m_Findings.push_back({file, reason, true}); }

    void Mount();
    void ListFiles();
    void RunFile(DataFile& file);
    // The globals the file's own table at the index set, moved into the shared globals.
    std::set<std::string> ApplyGlobals(int env);
    // Pushes the global; returns its Lua type.
    int PushGlobal(const char* name);

    // Integer items 1..n of the table on top, each pushed in turn for fn(i). Keys that are not
    // list positions and holes below the largest position are findings.
    void ForEachItem(const std::string& file, const std::string& where, const std::function<void(int)>& fn);
    // Each string key of the table on top with its value pushed; other keys are findings.
    void ForEachStringKey(const std::string& file, const std::string& where,
                          const std::function<void(const std::string&)>& fn);
    // A field that must be there with the given Lua type; a finding otherwise. Leaves the stack.
    bool RequireField(const std::string& file, const std::string& where, const char* key, int type,
                      const char* hint = nullptr);
    // A field that may be absent but, when there, has the given type.
    void OptionalField(const std::string& file, const std::string& where, const char* key, int type);

    void CheckTextures(const DataFile& file);
    void CheckText(const DataFile& file);
    void CheckAtlas(const DataFile& file);
    void CheckAnimations(const DataFile& file);
    void CheckClip(const std::string& file, const std::string& clip);
    void CheckAccessory(const DataFile& file);
    void CheckQuest(const DataFile& file);
    // The quest's "enemyList" (the table on top): what the director and the boss battle make.
    void CheckEnemyList(const std::string& file);
    // A fighter the quest makes from the name at `key` of the table on top: it must be a
    // prototype with an actor (with an EnemyController when `enemy`).
    void CheckQuestFighter(const std::string& file, const std::string& what, bool enemy);
    void CheckPrototype(const DataFile& file);
    // `base` is the prototype an instance is built from ("" for a prototype's own table).
    void CheckObjectKeys(const std::string& file, const std::string& where, bool instance,
                         std::vector<std::string>& bases, const std::string& base = "");
    // The component class names of a prototype's own table.
    std::set<std::string> PrototypeComponents(const std::string& prototype);
    // A colour table on top of the stack under `key` that leaves out "a" reads alpha 0.
    void CheckColorAlpha(const std::string& file, const std::string& where, const char* key);
    void CheckPrototypeCycles();
    // The game stops a build past a nesting depth and a number of objects.
    void CheckBuildBounds();
    void CheckRequiredNames();
    // Stage-coloured trails below stages without a generator; after every prototype is read.
    void CheckStageColorTrails();
    // A UI root's panels (its own children list): one per tag, and those opened by tag inactive.
    void CheckUIPanels(const std::string& file, const std::string& where);
    // A field of the object table on top as text (numbers in Lua's form), else of the base
    // prototype's table; "" when neither has it.
    std::string ObjectField(const char* key, const std::string& base);
    // A StageGenerator's table on top: a fixed layout places its areas and nothing else.
    void CheckStageLayout(const std::string& file, const std::string& where);
    // The parameter table of one component, on top of the stack.
    void CheckComponent(const std::string& file, const std::string& where, const std::string& name);
    // A landscape entry (a table on top): its prototype and its chance.
    void CheckLandscapeEntry(const std::string& file, const std::string& where, bool manual);
    // The named prototype of a key of the table on top, when given.
    void CheckNamedPrototype(const std::string& file, const std::string& where, const char* key);
    // The director's tuning: the times of its states, the spawns that build its waves up and the
    // companion's count.
    void CheckDirectorTuning(const std::string& file, const std::string& where);
    // "initState" and every transition target are states of the machine; attendants exist.
    void CheckEnemyMachine(const std::string& file, const std::string& where);
    // Every shot's bullet prototype exists; every timeline entry names a shot of "createShots".
    void CheckBulletPattern(const std::string& file, const std::string& where);
    // The object table on top holds a BackgroundLayer (or its base does): its sprite and atlas,
    // with the base's components where the table has none of its own.
    void CheckBackdrop(const std::string& file, const std::string& where, const std::string& base);
    // Stages whose tree shows a backdrop but has no game camera to follow.
    void CheckBackdropCameras();
    // Every floor of an area's terrain (a line running left to right, flat or sloped) has a
    // sprite of the area's children along its whole length: the player sees what he stands on.
    void CheckTerrainIsDrawn();
    // A number field of the table on top, or `fallback`.
    float NumberField(const char* key, float fallback);

    bool IsComponentClass(const std::string& name);
    bool HasTableField(const char* key)
    {
        lua_getfield(L, -1, key);
        const bool table = lua_istable(L, -1);
        lua_pop(L, 1);
        return table;
    }
    bool IsPrototype(const std::string& name) const { return m_Prototypes.count(name) != 0; }

    std::string m_Game;
    std::vector<DataFinding> m_Findings;
    AssetCheck m_Assets{m_Findings};
    std::vector<DataFile> m_Files;
    lua_State* L = nullptr;
    std::set<std::string> m_LibraryGlobals;
    std::set<std::string> m_SharedNames;                              // file names that more than one file has
    std::map<std::string, std::string> m_GlobalOwners;                // global -> the file that set it
    std::map<std::string, std::vector<std::string>> m_PrototypeBases; // prototype -> base_script names
    std::set<std::string> m_Prototypes;
    std::set<std::string> m_Quests;
    std::map<std::string, std::string> m_SpriteOwners; // atlas sprite -> sheet file
    std::unique_ptr<TextureTable> m_pTextures;
    std::unique_ptr<AtlasTable> m_pAtlas;
    std::unique_ptr<AccessoryTable> m_pAccessories;
    ComponentFactory m_Factory;
    std::set<std::string> m_TextKeys;
    std::set<std::string> m_Clips;
    bool m_bBuildsTerrain = false; // some prototype has a TerrainFactory
    // Per prototype: what its tables show, and the prototypes it builds or places (children,
    // generator areas, landscape).
    struct PrototypeFacts {
        bool backdrop = false;
        bool gameCamera = false;
        bool questController = false; // on its root: places the stage's cameras
        std::set<std::string> reaches;
    };
    std::map<std::string, PrototypeFacts> m_Facts;
    std::string m_CurrentPrototype;
    bool m_bStageRoot = false;     // the table being checked is a stage's root object
    std::set<std::string> m_StageColorTrails;        // prototypes whose trail takes the stage's colour
    std::map<std::string, std::string> m_StageFiles; // stage prototype -> its file
    std::set<std::string> m_CameraTags; // tags of the objects that carry a Camera2D
    struct UIRootCamera {
        std::string file, where, camera;
    };
    std::vector<UIRootCamera> m_UIRootCameras;
    struct StageTabStage {
        std::string file, where, stage;
    };
    std::vector<StageTabStage> m_StageTabStages; // the stage names of the quest select tabs
    std::set<std::string> m_QuestStageNames;     // the stages the quests are played on
    std::map<std::string, std::set<std::string>> m_PrototypeTags; // prototype -> tags written in it
    struct TaggedChildren {
        std::string file, where, prototype, component;
        std::vector<std::pair<std::string, std::string>> tags; // key, tag
    };
    std::vector<TaggedChildren> m_TaggedChildren; // screens that find their parts by tag
    struct PieceTable {
        std::string file, where, prototype, tag;
    };
    std::vector<PieceTable> m_PieceTables; // the level piece tables of the upgrade rows, by tag
    struct TagUse {
        std::string file, where, prototype, key, tag;
    };
    std::vector<TagUse> m_TableReads;   // tables a screen reads at opening, by tag
    std::vector<TagUse> m_WidgetTags;   // neighbours and targets the UI widgets name
    struct TaggedTable {
        std::string prototype, tag;
        bool onStart;
        std::vector<std::string> inactiveCells; // prototypes of the cells built inactive
    };
    // The prototypes of the cells an object table on top builds inactive: its base's children,
    // then its own, as the scene builds them.
    std::vector<std::string> InactiveCells(const std::string& base);
    std::vector<TaggedTable> m_UITables; // every tagged UITable and whether it lays out at Start
    std::set<std::string> m_UIPanels;    // prototypes of the UI roots' children
    std::set<std::string> Subtree(const std::string& prototype);
    void CheckUITags();
    // Every piece of an upgrade row's table needs the atlas its sprite is set on and the tween
    // that blinks it.
    void CheckPieceTables();
};

void Checker::Mount() { m_Assets.Mount(m_Game); }

void Checker::ListFiles()
{
    std::vector<std::string> all;
    g_pArchiveSystem->FindNames(all, "assets.v1/scripts/*");
    std::sort(all.begin(), all.end());
    std::map<std::string, std::string> firstByName;
    for (const std::string& entry : all) {
        DataFile file;
        file.entry = entry;
        std::string directory;
        SplitPath(entry, directory, file.name);
        for (const DataFolder* folder : kFolders)
            if (entry.compare(0, std::string(folder->pattern).size(), folder->pattern) == 0) {
                file.folder = folder;
                break;
            }
        if (!file.folder) {
            Add(entry, "lies in no folder the game reads");
            continue;
        }
        // All files share one global table, and the loaders key tables by the final name.
        if (auto [it, fresh] = firstByName.emplace(file.name, entry); !fresh) {
            Add(entry, "has the same file name as " + it->second + ": file names must be unique across folders");
            m_SharedNames.insert(file.name);
        }
        m_Files.push_back(file);
    }
}

std::set<std::string> Checker::ApplyGlobals(int env)
{
    std::set<std::string> changed;
    lua_pushglobaltable(L);
    const int globals = lua_gettop(L);
    // Globals the file set to nil first, then those it set to a value.
    lua_getmetatable(L, env);
    lua_getfield(L, -1, "deleted");
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
        lua_pop(L, 1);
        lua_pushvalue(L, -1);
        lua_rawget(L, globals);
        const bool present = !lua_isnil(L, -1);
        lua_pop(L, 1);
        if (present) {
            lua_pushvalue(L, -1);
            lua_pushnil(L);
            lua_rawset(L, globals);
            if (lua_type(L, -1) == LUA_TSTRING)
                changed.insert(lua_tostring(L, -1));
        }
    }
    lua_pop(L, 2);
    lua_pushnil(L);
    while (lua_next(L, env) != 0) {
        const bool self = lua_type(L, -2) == LUA_TSTRING && std::string(lua_tostring(L, -2)) == "_G";
        lua_pushvalue(L, -2);
        lua_rawget(L, globals);
        const bool same = lua_rawequal(L, -1, -2);
        lua_pop(L, 1);
        if (!self && !same) {
            lua_pushvalue(L, -2);
            lua_insert(L, -2);
            lua_rawset(L, globals);
            if (lua_type(L, -1) == LUA_TSTRING)
                changed.insert(lua_tostring(L, -1));
        } else {
            lua_pop(L, 1);
        }
    }
    lua_settop(L, globals - 1);
    return changed;
}

int Checker::PushGlobal(const char* name)
{
    lua_pushglobaltable(L);
    lua_getfield(L, -1, name);
    lua_remove(L, -2);
    return lua_type(L, -1);
}

void Checker::RunFile(DataFile& file)
{
    StreamIO* stream = g_pArchiveSystem->Open(HashName(file.entry));
    if (!stream) {
        Add(file.entry, "cannot be opened");
        return;
    }
    std::string bytes(stream->GetSize(), '\0');
    const uint32_t length = bytes.empty() ? 0 : stream->Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    delete stream;

    // As the game's table loaders do: a file that sets nothing must not leave its predecessor's
    // table in the shared global.
    if (file.folder->fixedGlobal) {
        lua_pushnil(L);
        lua_setglobal(L, file.folder->fixedGlobal);
    }
    for (int line : BackslashTrailBytes(bytes.substr(0, length)))
        Add(file.entry, "line " + std::to_string(line) +
                            ": a Shift-JIS character in a string ends in the byte of a backslash, which Lua reads "
                            "as an escape (write the character as \\xNN\\xNN or use another word)");
    // The file runs with a globals table of its own that reads through to the shared one, so
    // what it sets is found from that table alone, not by walking every global after each file.
    lua_getfield(L, LUA_REGISTRYINDEX, "qm_datacheck_newenv");
    lua_call(L, 0, 1);
    const int env = lua_gettop(L);
    ScriptContext* context = g_pScriptSystem->CreateContext();
    lua_State* thread = context->m_pThread;
    if (LoadScriptText(thread, bytes.data(), length, file.entry.c_str()) != LUA_OK) {
        Add(file.entry, std::string("does not load: ") + lua_tostring(thread, -1));
    } else {
        lua_pushvalue(L, env);
        lua_xmove(L, thread, 1);
        lua_setupvalue(thread, -2, 1);
        // As the game starts a script: resumed once with the number 0, under the same budget.
        lua_pushnumber(thread, 0);
        const int result = ResumeWithBudget(thread, 1);
        if (result == LUA_OK)
            file.ran = true;
        else if (result == LUA_YIELD && file.folder == &kPrerequisites)
            file.ran = true; // a prerequisite may wait; it is never resumed
        else if (result == LUA_YIELD)
            Add(file.entry, "waits: the rest of a data file never runs");
        else
            Add(file.entry,
                std::string("fails to run: ") + (lua_tostring(thread, -1) ? lua_tostring(thread, -1) : "(no message)"));
    }
    g_pScriptSystem->ReleaseContext(context);

    const std::set<std::string> changed = ApplyGlobals(env);
    lua_settop(L, env - 1);
    for (const std::string& global : changed) {
        if (file.folder->fixedGlobal && global == file.folder->fixedGlobal)
            continue;
        if (m_LibraryGlobals.count(global))
            Add(file.entry, "replaces the Lua global " + global + " of the game's libraries");
        else if (auto it = m_GlobalOwners.find(global); it != m_GlobalOwners.end() && it->second != file.entry) {
            if (!m_SharedNames.count(global)) // reported once, as a name used twice
                Add(file.entry, "sets the global " + global + ", already set by " + it->second);
        } else
            m_GlobalOwners[global] = file.entry;
    }
    if (!file.ran)
        return;
    if (file.folder->fixedGlobal && !changed.count(file.folder->fixedGlobal))
        Add(file.entry, std::string("defines no global ") + file.folder->fixedGlobal);
    if (file.folder->namedGlobal && !changed.count(file.name))
        Add(file.entry, "defines no global " + file.name + " (the table must be named like its file)");
}

void Checker::ForEachItem(const std::string& file, const std::string& where, const std::function<void(int)>& fn)
{
    std::vector<lua_Integer> positions;
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
        lua_pop(L, 1);
        const bool position = lua_type(L, -1) == LUA_TNUMBER && lua_tonumber(L, -1) >= 1 &&
                              lua_tonumber(L, -1) == std::floor(lua_tonumber(L, -1));
        if (position)
            positions.push_back(static_cast<lua_Integer>(lua_tonumber(L, -1)));
        else
            Add(file, where + " has the key " + KeyText(L, -1) + ", which is not a list position");
    }
    std::sort(positions.begin(), positions.end());
    if (!positions.empty() && positions.back() != static_cast<lua_Integer>(positions.size()))
        Add(file, where + " has holes: " + std::to_string(positions.size()) + " entries up to position " +
                      std::to_string(positions.back()));
    for (lua_Integer i : positions) {
        lua_rawgeti(L, -1, static_cast<int>(std::min<lua_Integer>(i, INT32_MAX)));
        fn(static_cast<int>(std::min<lua_Integer>(i, INT32_MAX)));
        lua_pop(L, 1);
    }
}

void Checker::ForEachStringKey(const std::string& file, const std::string& where,
                               const std::function<void(const std::string&)>& fn)
{
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
        if (lua_type(L, -2) == LUA_TSTRING) {
            const std::string key = lua_tostring(L, -2);
            fn(key);
        } else {
            Add(file, where + " has the key " + KeyText(L, -2) + ": keys the game walks must be strings");
        }
        lua_pop(L, 1);
    }
}

bool Checker::RequireField(const std::string& file, const std::string& where, const char* key, int type,
                           const char* hint)
{
    lua_getfield(L, -1, key);
    const int actual = lua_type(L, -1);
    lua_pop(L, 1);
    if (actual == type)
        return true;
    std::string reason = where + (actual == LUA_TNIL ? " has no \"" + std::string(key) + "\""
                                                     : std::string(" \"") + key + "\" is a " + lua_typename(L, actual) +
                                                           ", not a " + lua_typename(L, type));
    if (hint)
        reason += std::string(" (") + hint + ")";
    Add(file, reason);
    return false;
}

void Checker::OptionalField(const std::string& file, const std::string& where, const char* key, int type)
{
    lua_getfield(L, -1, key);
    const int actual = lua_type(L, -1);
    lua_pop(L, 1);
    if (actual != LUA_TNIL && actual != type)
        Add(file, where + " \"" + key + "\" is a " + lua_typename(L, actual) + ", not a " + lua_typename(L, type));
}

void Checker::CheckTextures(const DataFile& file)
{
    if (PushGlobal(kTextures.fixedGlobal) == LUA_TTABLE)
        ForEachStringKey(file.entry, kTextures.fixedGlobal, [&](const std::string& key) {
            const std::string where = "texture " + key;
            if (!lua_istable(L, -1)) {
                Add(file.entry, where + " is a " + TypeName(L, -1) + ", not a table");
                return;
            }
            RequireField(file.entry, where, "load_type", LUA_TNUMBER);
            if (!RequireField(file.entry, where, "texture_name", LUA_TSTRING))
                return;
            lua_getfield(L, -1, "texture_name");
            const std::string image = lua_tostring(L, -1);
            lua_pop(L, 1);
            StreamIO* stream = g_pArchiveSystem->Open(HashName(image));
            if (!stream) {
                Add(file.entry, where + ": its image " + image + " is in no archive");
                return;
            }
            TextureEntry probe;
            ProbeImageSize(stream, &probe);
            if (probe.width == 0 || probe.height == 0)
                Add(file.entry, where + ": the header of " + image + " gives no size");
            else
                m_Assets.CheckImage(image, where + " of " + file.entry);
        });
    lua_pop(L, 1);
}

void Checker::CheckText(const DataFile& file)
{
    if (PushGlobal(file.name.c_str()) == LUA_TTABLE)
        ForEachStringKey(file.entry, file.name, [&](const std::string& key) {
            m_TextKeys.insert(key);
            if (!lua_istable(L, -1)) {
                Add(file.entry, "text " + key + " is a " + TypeName(L, -1) + ", not a list of lines");
                return;
            }
            ForEachItem(file.entry, "text " + key, [&](int i) {
                if (lua_type(L, -1) != LUA_TSTRING)
                    Add(file.entry, "text " + key + " line " + std::to_string(i) + " is a " + TypeName(L, -1));
            });
        });
    lua_pop(L, 1);
}

void Checker::CheckAtlas(const DataFile& file)
{
    if (PushGlobal(kAtlases.fixedGlobal) == LUA_TTABLE) {
        const std::string where = kAtlases.fixedGlobal;
        if (RequireField(file.entry, where, "texture", LUA_TSTRING)) {
            lua_getfield(L, -1, "texture");
            const std::string texture = StripExtension(lua_tostring(L, -1));
            lua_pop(L, 1);
            if (!m_pTextures->Find(HashName(texture)))
                Add(file.entry, "the sheet's texture " + texture + " is not in the texture table");
        }
        if (RequireField(file.entry, where, "textureSize", LUA_TTABLE)) {
            lua_getfield(L, -1, "textureSize");
            for (const char* key : {"width", "height"})
                if (RequireField(file.entry, "textureSize", key, LUA_TNUMBER)) {
                    lua_getfield(L, -1, key);
                    if (lua_tonumber(L, -1) <= 0)
                        Add(file.entry, std::string("textureSize \"") + key + "\" is not above 0");
                    lua_pop(L, 1);
                }
            lua_pop(L, 1);
        }
        if (RequireField(file.entry, where, "sprites", LUA_TTABLE)) {
            lua_getfield(L, -1, "sprites");
            ForEachItem(file.entry, "sprites", [&](int i) {
                const std::string item = "sprite " + std::to_string(i);
                if (!lua_istable(L, -1)) {
                    Add(file.entry, item + " is a " + TypeName(L, -1) + ", not a table");
                    return;
                }
                for (const char* key : {"sourceRect", "originalSize", "uvRect"})
                    RequireField(file.entry, item, key, LUA_TTABLE);
                if (!RequireField(file.entry, item, "name", LUA_TSTRING))
                    return;
                lua_getfield(L, -1, "name");
                const std::string name = StripExtension(lua_tostring(L, -1));
                lua_pop(L, 1);
                if (auto [it, fresh] = m_SpriteOwners.emplace(name, file.entry); !fresh)
                    Add(file.entry, "sprite " + name + " is also in " + it->second + ", which keeps it");
            });
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
}

void Checker::CheckClip(const std::string& file, const std::string& clip)
{
    const std::string where = "clip " + clip;
    OptionalField(file, where, "wrapMode", LUA_TNUMBER);
    OptionalField(file, where, "flags", LUA_TNUMBER);
    // An image track with no rows has nothing to show: the loader drops it.
    auto rowsOf = [&](const std::string& track) -> bool {
        lua_getfield(L, -1, "animation");
        if (!lua_istable(L, -1)) {
            Add(file, where + " " + track + " has no \"animation\" list: the track is dropped");
            lua_pop(L, 1);
            return false;
        }
        lua_pushnil(L);
        const bool empty = lua_next(L, -2) == 0;
        if (!empty)
            lua_pop(L, 2);
        if (empty) {
            Add(file, where + " " + track + " has an empty \"animation\" list: the track is dropped");
            lua_pop(L, 1);
            return false;
        }
        return true;
    };

    // A negative rate would give the track a negative length; the game plays it at 30.
    auto rateOf = [&](const std::string& track) {
        lua_getfield(L, -1, "frame_per_sec");
        if (lua_type(L, -1) == LUA_TNUMBER && !(lua_tonumber(L, -1) >= 0))
            Add(file, where + " " + track + " \"frame_per_sec\" " + lua_tostring(L, -1) +
                          " is not positive: the game plays it at 30 frames a second");
        lua_pop(L, 1);
    };

    lua_getfield(L, -1, "animationSheet");
    const bool sheet = lua_istable(L, -1);
    if (sheet)
        rateOf("animationSheet");
    if (sheet && rowsOf("animationSheet")) {
        ForEachItem(file, where + " animationSheet", [&](int i) {
            const std::string row = where + " row " + std::to_string(i);
            if (!lua_istable(L, -1)) {
                Add(file, row + " is a " + TypeName(L, -1) + ", not {sprite, frames}");
                return;
            }
            lua_rawgeti(L, -1, 1);
            if (lua_type(L, -1) != LUA_TSTRING)
                Add(file, row + " names no sprite");
            else if (!m_pAtlas->Find(HashName(lua_tostring(L, -1))))
                Add(file, row + ": the atlas has no sprite " + lua_tostring(L, -1));
            lua_pop(L, 1);
            lua_rawgeti(L, -1, 2);
            if (lua_type(L, -1) != LUA_TNUMBER)
                Add(file, row + " gives no frame count");
            lua_pop(L, 1);
        });
        lua_pop(L, 1);
    }
    lua_pop(L, 1);

    bool gridBuilt = false;
    lua_getfield(L, -1, "sprite_anim");
    if (!sheet && lua_istable(L, -1)) {
        gridBuilt = true;
        rateOf("sprite_anim");
        float cellWidth = 0, cellHeight = 0;
        lua_getfield(L, -1, "spriteSize");
        if (lua_istable(L, -1)) {
            lua_getfield(L, -1, "x");
            cellWidth = static_cast<float>(lua_tonumber(L, -1));
            lua_getfield(L, -2, "y");
            cellHeight = static_cast<float>(lua_tonumber(L, -1));
            lua_pop(L, 2);
        }
        lua_pop(L, 1);
        if (rowsOf("sprite_anim")) {
            ForEachItem(file, where + " sprite_anim", [&](int i) {
                const std::string run = where + " run " + std::to_string(i);
                if (!lua_istable(L, -1)) {
                    Add(file, run + " is a " + TypeName(L, -1) + ", not {texture, first, last, frames}");
                    return;
                }
                lua_rawgeti(L, -1, 1);
                const std::string texture = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "";
                lua_pop(L, 1);
                const TextureEntry* entry = m_pTextures->Find(HashName(texture));
                if (!entry) {
                    Add(file, run + " names the texture \"" + texture +
                                  "\", which the texture table lacks: the run is dropped");
                    return;
                }
                const int columns = cellWidth > 0 ? static_cast<int>(static_cast<float>(entry->width) / cellWidth) : 0;
                if (columns < 1 || columns > kMaxGridColumns) {
                    Add(file, run + " cuts " + texture + " into " + std::to_string(columns) +
                                  " columns (1 to 127 work): the run is dropped");
                    return;
                }
                // The game keeps the cells and their count in signed bytes.
                lua_rawgeti(L, -1, 2);
                lua_rawgeti(L, -2, 3);
                const int64_t first = static_cast<int32_t>(static_cast<uint64_t>(LuaTruncateToInt64(lua_tonumber(L, -2))));
                const int64_t last = static_cast<int32_t>(static_cast<uint64_t>(LuaTruncateToInt64(lua_tonumber(L, -1))));
                lua_pop(L, 2);
                if (first < 0 || last < 0 || first > 127 || last > 127 || std::abs(last - first) + 1 > 127) {
                    Add(file, run + " covers cells " + std::to_string(first) + " to " + std::to_string(last) +
                                  ": only cells 0 to 127 and runs of up to 127 cells fit: the run is dropped");
                    return;
                }
                const int rows = cellHeight > 0 ? static_cast<int>(static_cast<float>(entry->height) / cellHeight) : 0;
                for (int n : {2, 3}) {
                    lua_rawgeti(L, -1, n);
                    const double cell = lua_tonumber(L, -1);
                    lua_pop(L, 1);
                    if (cell < 0 || cell >= static_cast<double>(columns) * rows)
                        Add(file, run + " cell " + std::to_string(static_cast<long long>(cell)) + " lies outside the " +
                                      std::to_string(columns) + " x " + std::to_string(rows) + " grid of " + texture);
                }
            });
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);

    lua_getfield(L, -1, "texcoord");
    if (!gridBuilt && lua_istable(L, -1)) {
        lua_rawgeti(L, -1, 1);
        const std::string texture = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "";
        lua_pop(L, 1);
        if (!m_pTextures->Find(HashName(texture)))
            Add(file, where + " texcoord names the texture \"" + texture +
                          "\", which the texture table lacks: the rectangle is dropped");
    }
    lua_pop(L, 1);

    lua_getfield(L, -1, "pose_anim");
    std::set<int> keyed;
    if (lua_istable(L, -1))
        ForEachItem(file, where + " pose_anim", [&](int i) {
            const std::string key = where + " pose key " + std::to_string(i);
            if (!lua_istable(L, -1)) {
                Add(file, key + " is a " + TypeName(L, -1) + ", not six numbers");
                return;
            }
            for (int n = 1; n <= 6; ++n) {
                lua_rawgeti(L, -1, n);
                const bool number = lua_type(L, -1) == LUA_TNUMBER;
                const double value = lua_tonumber(L, -1);
                lua_pop(L, 1);
                if (!number)
                    Add(file, key + " item " + std::to_string(n) + " is not a number");
                else if (n == 1 && (value < 0 || value >= kPoseChannels))
                    Add(file, key + " keys the channel " + std::to_string(static_cast<long long>(value)) +
                                  " (0 to 11 exist): the key is dropped");
                else if (n == 1)
                    keyed.insert(static_cast<int>(value));
            }
        });
    else if (!lua_isnil(L, -1))
        Add(file, where + " \"pose_anim\" is a " + TypeName(L, -1) + ", not a list of keys");
    // A pose track sets every channel it does not key to 0: the sprite or collider it drives is
    // scaled to nothing or made transparent.
    if (lua_istable(L, -1))
        for (const auto& [channel, what] : {std::pair<int, const char*>{3, "scale x"}, {4, "scale y"}, {5, "alpha"}})
            if (!keyed.count(channel))
                Warn(file, where + " has a pose track that leaves channel " + std::to_string(channel) + " (" + what +
                               ") unkeyed: it stays 0");
    lua_pop(L, 1);
}

void Checker::CheckAnimations(const DataFile& file)
{
    if (PushGlobal(kAnimations.fixedGlobal) == LUA_TTABLE)
        ForEachStringKey(file.entry, kAnimations.fixedGlobal, [&](const std::string& clip) {
            m_Clips.insert(clip);
            if (lua_istable(L, -1))
                CheckClip(file.entry, clip);
            else
                Add(file.entry, "clip " + clip + " is a " + TypeName(L, -1) + ", not a table");
        });
    lua_pop(L, 1);
}

void Checker::CheckAccessory(const DataFile& file)
{
    if (PushGlobal(file.name.c_str()) == LUA_TTABLE) {
        RequireField(file.entry, file.name, "accessoryId", LUA_TNUMBER);
        RequireField(file.entry, file.name, "name", LUA_TSTRING);
        RequireField(file.entry, file.name, "explain", LUA_TSTRING);
        lua_getfield(L, -1, "ability");
        if (lua_istable(L, -1))
            ForEachItem(file.entry, "ability", [&](int i) {
                const std::string item = "ability " + std::to_string(i);
                if (!lua_istable(L, -1) || !RequireField(file.entry, item, "target", LUA_TNUMBER))
                    return;
                lua_getfield(L, -1, "target");
                const double target = lua_tonumber(L, -1);
                lua_pop(L, 1);
                if (target < 0 || target >= kAbilitySlots)
                    Add(file.entry, item + " targets the slot " + std::to_string(static_cast<long long>(target)) +
                                        " (0 to 18 exist)");
            });
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
}

void Checker::CheckQuest(const DataFile& file)
{
    if (PushGlobal(file.name.c_str()) == LUA_TTABLE) {
        RequireField(file.entry, file.name, "questId", LUA_TNUMBER);
        RequireField(file.entry, file.name, "questName", LUA_TSTRING);
        lua_getfield(L, -1, "stage");
        if (lua_istable(L, -1)) {
            lua_getfield(L, -1, "name");
            const std::string stage = lua_isstring(L, -1) ? lua_tostring(L, -1) : "";
            lua_pop(L, 1);
            m_QuestStageNames.insert(stage);
            if (!IsPrototype(stage))
                Add(file.entry, "the quest's stage \"" + stage + "\" names no prototype");
            lua_getfield(L, -1, "areaCount");
            // Read as the game reads it: truncated, its low 32 bits.
            if (lua_type(L, -1) == LUA_TNUMBER &&
                static_cast<int32_t>(static_cast<uint32_t>(LuaTruncateToInt64(lua_tonumber(L, -1)))) >
                    StageGenerator::kMaxAreaCount)
                Add(file.entry, "\"stage.areaCount\" " + std::string(lua_tostring(L, -1)) + " is more than " +
                                    std::to_string(StageGenerator::kMaxAreaCount) + ": only that many areas are placed");
            lua_pop(L, 1);
        } else {
            Add(file.entry, file.name + " has no \"stage\"");
        }
        lua_pop(L, 1);
        lua_getfield(L, -1, "enemyList");
        if (lua_istable(L, -1))
            CheckEnemyList(file.entry);
        lua_pop(L, 1);
        if (LuaPushPath(L, "enemyList.boss.nextStage")) {
            const std::string next = lua_isstring(L, -1) ? lua_tostring(L, -1) : "";
            if (!IsPrototype(next))
                Add(file.entry, "the boss's next stage \"" + next + "\" names no prototype");
            lua_pop(L, 1);
        }
        lua_getfield(L, -1, "rewards");
        if (lua_istable(L, -1))
            ForEachItem(file.entry, "rewards", [&](int i) {
                const std::string reward = "reward " + std::to_string(i);
                if (!lua_istable(L, -1))
                    return;
                lua_getfield(L, -1, "rewardType");
                const double type = lua_tonumber(L, -1);
                lua_pop(L, 1);
                // The save grants only the known kinds: any other reward is listed but never given.
                const int32_t kind = LuaGetIntField(L, "rewardType");
                if (kind < eRewardType_Rank || kind >= eRewardType_max)
                    Add(file.entry, reward + " has the unknown \"rewardType\" " + std::to_string(kind) + " (" +
                                        std::to_string(eRewardType_Rank) + " to " +
                                        std::to_string(eRewardType_max - 1) + " are known): it gives nothing");
                // The quest select lists every reward but experience with the name and hint of
                // its first "rewardInfo" entry, or of the second once it is held; a missing one
                // shows the program's "undefined" text.
                if (type != static_cast<double>(eRewardType_Experience)) {
                    lua_getfield(L, -1, "rewardInfo");
                    if (!lua_istable(L, -1))
                        Add(file.entry, reward + " has no \"rewardInfo\": the quest select shows the "
                                                 "undefined reward text for it");
                    else if (lua_rawlen(L, -1) < 2)
                        Add(file.entry, reward + " has " + std::to_string(lua_rawlen(L, -1)) +
                                            " \"rewardInfo\" entry, not two (before and once held): the quest "
                                            "select shows the undefined reward text for the missing one");
                    lua_pop(L, 1);
                }
                lua_getfield(L, -1, "rewardValue");
                if (type == static_cast<double>(eRewardType_Accessory) &&
                    (lua_type(L, -1) != LUA_TLIGHTUSERDATA ||
                     !m_pAccessories->Find(static_cast<NameId>(reinterpret_cast<uintptr_t>(lua_touserdata(L, -1))))))
                    Add(file.entry, reward + " gives an accessory the accessory table lacks (write Script.hash of "
                                             "its table name)");
                lua_pop(L, 1);
                // Value kind 31 counts the clears of the quest its "type" names.
                lua_getfield(L, -1, "condition");
                if (lua_istable(L, -1))
                    ForEachItem(file.entry, reward + " condition", [&](int g) {
                        if (!lua_istable(L, -1))
                            return;
                        ForEachItem(file.entry, reward + " condition group " + std::to_string(g), [&](int c) {
                            if (!lua_istable(L, -1))
                                return;
                            lua_getfield(L, -1, "target");
                            const bool clearCount = lua_tonumber(L, -1) == 31;
                            lua_pop(L, 1);
                            if (!clearCount)
                                return;
                            lua_getfield(L, -1, "type");
                            bool known = false;
                            if (lua_type(L, -1) == LUA_TLIGHTUSERDATA)
                                for (const std::string& quest : m_Quests)
                                    known = known ||
                                            HashName(quest) ==
                                                static_cast<NameId>(reinterpret_cast<uintptr_t>(lua_touserdata(L, -1)));
                            lua_pop(L, 1);
                            if (!known)
                                Add(file.entry, reward + " condition " + std::to_string(g) + "." + std::to_string(c) +
                                                    " counts the clears of no known quest (write Script.hash of "
                                                    "the quest's table name)");
                        });
                    });
                lua_pop(L, 1);
            });
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
}

void Checker::CheckQuestFighter(const std::string& file, const std::string& what, bool enemy)
{
    lua_getfield(L, -1, "name");
    const std::string name = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "";
    lua_pop(L, 1);
    if (!IsPrototype(name)) {
        Add(file, what + " \"" + name + "\" names no prototype: it is never made");
        return;
    }
    const std::set<std::string> components = PrototypeComponents(name);
    const bool hasEnemy = components.count("EnemyController") != 0;
    if (enemy && !hasEnemy)
        Add(file, what + " \"" + name + "\" has no EnemyController: it is never made");
    else if (!hasEnemy && !components.count("PlayerController"))
        Add(file, what + " \"" + name + "\" has no actor (an EnemyController): it is never made");
}

void Checker::CheckEnemyList(const std::string& file)
{
    lua_getfield(L, -1, "mobs");
    if (lua_istable(L, -1)) {
        bool anyRate = false, anyMob = false;
        ForEachItem(file, "mobs", [&](int i) {
            if (!lua_istable(L, -1))
                return;
            anyMob = true;
            CheckQuestFighter(file, "mob " + std::to_string(i), false);
            lua_getfield(L, -1, "rate");
            anyRate = anyRate || (lua_isnumber(L, -1) && lua_tonumber(L, -1) >= 1);
            lua_pop(L, 1);
        });
        if (anyMob && !anyRate)
            Add(file, "no mob has a positive \"rate\": the director never picks one");
    }
    lua_pop(L, 1);
    lua_getfield(L, -1, "objectives");
    if (lua_istable(L, -1))
        ForEachItem(file, "objectives", [&](int i) {
            if (!lua_istable(L, -1))
                return;
            const std::string what = "objective " + std::to_string(i);
            CheckQuestFighter(file, what, false);
            lua_getfield(L, -1, "count");
            if (lua_isnumber(L, -1) && lua_tonumber(L, -1) > double(kSpawnPointCount))
                Add(file, what + " asks for " + lua_tostring(L, -1) + " at once; there are " +
                              std::to_string(kSpawnPointCount) + " spawn points, so the rest never come "
                              "and the quest cannot be cleared");
            lua_pop(L, 1);
        });
    lua_pop(L, 1);
    lua_getfield(L, -1, "stranger");
    if (lua_istable(L, -1))
        CheckQuestFighter(file, "the stranger", true);
    lua_pop(L, 1);
    lua_getfield(L, -1, "boss");
    if (lua_istable(L, -1)) {
        CheckQuestFighter(file, "the boss", false);
        lua_getfield(L, -1, "follower");
        if (lua_istable(L, -1))
            ForEachItem(file, "follower", [&](int i) {
                if (lua_istable(L, -1))
                    CheckQuestFighter(file, "the boss's follower " + std::to_string(i), false);
            });
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
}

bool Checker::IsComponentClass(const std::string& name)
{
    return m_Factory.GetRegistrationIndex(HashName(name)) >= 0;
}

std::set<std::string> Checker::PrototypeComponents(const std::string& prototype)
{
    std::set<std::string> names;
    if (PushGlobal(prototype.c_str()) == LUA_TTABLE) {
        lua_getfield(L, -1, "components");
        if (lua_istable(L, -1)) {
            lua_pushnil(L);
            while (lua_next(L, -2) != 0) {
                if (lua_type(L, -2) == LUA_TSTRING)
                    names.insert(lua_tostring(L, -2));
                lua_pop(L, 1);
            }
        }
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    return names;
}

void Checker::CheckObjectKeys(const std::string& file, const std::string& where, bool instance,
                              std::vector<std::string>& bases, const std::string& base)
{
    const bool stageRoot = m_bStageRoot;
    m_bStageRoot = false;
    // An object keeps one renderer and one collider in its caches; a second replaces the first
    // there, and the two renderers' visibility events would be handed back and forth.
    std::set<std::string> components = base.empty() ? std::set<std::string>() : PrototypeComponents(base);
    if (instance) {
        OptionalField(file, where, "object_activity", LUA_TNUMBER);
        OptionalField(file, where, "object_layer", LUA_TNUMBER);
    } else {
        // A missing number reads 0: an inactive object, or one on no layer, that no pass visits.
        RequireField(file, where, "object_activity", LUA_TNUMBER, "write 0 when the object is meant to start inactive");
        RequireField(file, where, "object_layer", LUA_TNUMBER, "write 0 when the object is meant to be on no layer");
    }
    OptionalField(file, where, "object_name", LUA_TSTRING);
    OptionalField(file, where, "object_tag", LUA_TSTRING);
    PrototypeFacts& facts = m_Facts[m_CurrentPrototype];
    lua_getfield(L, -1, "object_tag");
    if (lua_type(L, -1) == LUA_TSTRING && std::string(lua_tostring(L, -1)) == "GameCamera")
        facts.gameCamera = true;
    lua_pop(L, 1);
    bool backdrop = false;
    lua_getfield(L, -1, "components");
    if (lua_istable(L, -1))
        ForEachStringKey(file, where + " components", [&](const std::string& name) {
            if (!IsComponentClass(name))
                Add(file, where + " names the unknown component " + name);
            if (name == "BackgroundLayer")
                backdrop = true;
            if (name == "QuestController" && !instance)
                facts.questController = true;
            if (!lua_istable(L, -1))
                Add(file, where + " component " + name + " is a " + TypeName(L, -1) + ", not a parameter table");
            else
                CheckComponent(file, where + " " + name, name);
            if (name == "StageGenerator" && lua_istable(L, -1))
                CheckStageLayout(file, where + " " + name);
            components.insert(name);
            if (name == "SpriteBlurRenderer" && !instance && lua_istable(L, -1)) {
                lua_getfield(L, -1, "useStageColor");
                if (lua_toboolean(L, -1))
                    m_StageColorTrails.insert(where);
                lua_pop(L, 1);
            }
            if (name == "MusicPlayer" && !stageRoot)
                Add(file, where + " MusicPlayer is not on a stage's root object: only the root's plays when a stage "
                                  "starts");
            if (name == "SlideBarRenderer" && stageRoot)
                Add(file, where + " carries a SlideBarRenderer on a stage's root: the bar is placed against its "
                                  "parent, and a root has none, so it draws nothing");
        });
    else if (!lua_isnil(L, -1))
        Add(file, where + " \"components\" is a " + TypeName(L, -1) + ", not a table");
    lua_pop(L, 1);
    const auto countOf = [&](std::initializer_list<const char*> classes) {
        std::string names;
        int count = 0;
        for (const char* c : classes)
            if (components.count(c)) {
                names += (count++ ? " and " : "") + std::string(c);
            }
        return std::make_pair(count, names);
    };
    if (const auto [count, names] = countOf({"SpriteRenderer", "SpriteBlurRenderer", "SlicedSpriteRenderer",
                                             "SlideBarRenderer", "FontRenderer", "SpriteNumberRenderer",
                                             "MovieRenderer"});
        count > 1)
        Add(file, where + " has two renderers (" + names + "): an object keeps one");
    if (const auto [count, names] = countOf({"Box2DCollider", "CircleCollider", "SegmentCollider"}); count > 1)
        Add(file, where + " has two colliders (" + names + "): an object keeps one");
    // The sprite batch draws depths from 0.1 to 100 (0 stands for its default): a renderer set
    // deeper or nearer than that is clipped away and never seen.
    if (countOf({"SpriteRenderer", "SpriteBlurRenderer", "SlicedSpriteRenderer", "SlideBarRenderer", "FontRenderer",
                 "SpriteNumberRenderer", "MovieRenderer"})
            .first > 0 &&
        LuaPushPath(L, "components.Transform.position.z")) {
        if (lua_type(L, -1) == LUA_TNUMBER) {
            const double z = lua_tonumber(L, -1);
            if (z != 0.0 && (z < 0.1 || z > 100.0))
                Add(file, where + " draws at the depth " + KeyText(L, -1) +
                              ", outside the sprite batch's 0.1 to 100: it is never seen");
        }
        lua_pop(L, 1);
    }
    // What a fighter's parts read of their object; the game names each missing one and goes on.
    const bool collider = countOf({"Box2DCollider", "CircleCollider", "SegmentCollider"}).first > 0;
    if (components.count("PlayerController") && !components.count("StatusParameter"))
        Add(file, where + " has a PlayerController but no StatusParameter: it fights without stats");
    if (components.count("KnockbackController") && !components.count("Kinematics"))
        Add(file, where + " has a KnockbackController but no Kinematics: it is never knocked back");
    if (components.count("InvincibleController") && !collider)
        Add(file, where + " has an InvincibleController but no collider: its spells only blink");
    // An instance of a backdrop prototype is checked with that prototype.
    if (backdrop) {
        facts.backdrop = true;
        CheckBackdrop(file, where, base);
    }

    // An instance's Transform replaces the prototype's whole Transform, and a missing "z" reads
    // 0: the sprite batch draws depth 0 at its default 1.0, in front of the stage and the UI.
    if (instance && !base.empty()) {
        // The value at components.Transform.position.z of the table on top: 1 a number, 0 no
        // z in a Transform, -1 no Transform at all.
        const auto depthOf = [&](double& z) {
            int state = -1;
            lua_getfield(L, -1, "components");
            if (lua_istable(L, -1)) {
                lua_getfield(L, -1, "Transform");
                if (lua_istable(L, -1)) {
                    state = 0;
                    lua_getfield(L, -1, "position");
                    if (lua_istable(L, -1)) {
                        lua_getfield(L, -1, "z");
                        if (lua_type(L, -1) == LUA_TNUMBER) {
                            z = lua_tonumber(L, -1);
                            state = 1;
                        }
                        lua_pop(L, 1);
                    }
                    lua_pop(L, 1);
                }
                lua_pop(L, 1);
            }
            lua_pop(L, 1);
            return state;
        };
        double own = 0.0, prototype = 0.0;
        if (depthOf(own) == 0) {
            const bool found = PushGlobal(base.c_str()) == LUA_TTABLE && depthOf(prototype) == 1;
            lua_pop(L, 1);
            if (found && prototype != 0.0) {
                std::ostringstream text;
                text << where << " Transform has no position \"z\": it replaces the whole Transform of " << base
                     << ", whose depth " << prototype
                     << " becomes 0, drawn at the default depth 1.0 in front of the stage and the UI";
                Add(file, text.str());
            }
        }
    }
    if (components.count("Camera2D")) {
        const std::string tag = ObjectField("object_tag", base);
        if (!tag.empty())
            m_CameraTags.insert(tag);
    }
    if (components.count("StrangerController") && !components.count("EnemyController"))
        Add(file, where + " StrangerController has no EnemyController beside it: the stranger never comes");
    if (components.count("UIRoot")) {
        lua_getfield(L, -1, "components");
        std::string camera;
        if (lua_istable(L, -1)) {
            lua_getfield(L, -1, "UIRoot");
            if (lua_istable(L, -1)) {
                lua_getfield(L, -1, "camera");
                if (lua_type(L, -1) == LUA_TSTRING)
                    camera = lua_tostring(L, -1);
                lua_pop(L, 1);
            }
            lua_pop(L, 1);
        }
        lua_pop(L, 1);
        if (!camera.empty())
            m_UIRootCameras.push_back({file, where, camera});
        CheckUIPanels(file, where);
    }
    lua_getfield(L, -1, "object_tag");
    if (lua_type(L, -1) == LUA_TSTRING)
        m_PrototypeTags[m_CurrentPrototype].insert(lua_tostring(L, -1));
    lua_pop(L, 1);
    // The screens whose parts are found by tag in their subtree.
    static const std::map<std::string, std::vector<const char*>> kTagged = {
        {"UIQuestWindow", {"label_title", "label_level", "sprite_title", "sprite_new", "sprite_reward_cursor",
                           "label_info", "label_reward_info", "table_progress"}},
        {"UIFrameReport", {"label_report", "bg_quest_title"}},
        {"UIFrameCommonYesNo", {"window_root", "label_info"}},
        {"UIFrameUpgradeParameter", {"select", "table", "accessory", "label_experience_cost",
                                     "label_experience_total", "sprite_rank_badge"}},
        {"UIUpgradeBar", {"label_title", "label_num", "sprite_select", "sprite_arrow_left", "sprite_arrow_right",
                          "table_piece"}},
        {"UIAccessoryBar", {"label_name", "label_info", "sprite_arrow_left", "sprite_arrow_right"}},
    };
    for (const auto& [component, keys] : kTagged) {
        if (!components.count(component) || !LuaPushPath(L, ("components." + component).c_str()))
            continue;
        TaggedChildren entry{file, where, m_CurrentPrototype, component, {}};
        if (lua_istable(L, -1))
            for (const char* key : keys) {
                lua_getfield(L, -1, key);
                entry.tags.emplace_back(key, lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "");
                lua_pop(L, 1);
            }
        lua_pop(L, 1);
        // The upgrade screen finds its six rows by fixed tags.
        if (component == "UIFrameUpgradeParameter")
            for (const char* row : {"ui_upgrade_hp_max", "ui_upgrade_hp_recharge", "ui_upgrade_attack",
                                    "ui_upgrade_defense", "ui_upgrade_special_attack", "ui_upgrade_special_charge"})
                entry.tags.emplace_back("row", row);
        if (component == "UIUpgradeBar")
            for (const auto& [key, tag] : entry.tags)
                if (key == std::string("table_piece") && !tag.empty())
                    m_PieceTables.push_back({file, where, m_CurrentPrototype, tag});
        m_TaggedChildren.push_back(std::move(entry));
    }
    if (components.count("UIStageTab") && LuaPushPath(L, "components.UIStageTab.stage_names")) {
        if (lua_istable(L, -1))
            ForEachItem(file, where + " UIStageTab stage_names", [&](int) {
                if (lua_type(L, -1) == LUA_TSTRING)
                    m_StageTabStages.push_back({file, where, lua_tostring(L, -1)});
            });
        lua_pop(L, 1);
    }
    // Tables read at opening, tagged tables, and the tags widgets name: checked once every
    // prototype is known.
    auto componentTable = [&](const std::string& component) {
        lua_getfield(L, -1, "components");
        if (lua_istable(L, -1)) {
            lua_getfield(L, -1, component.c_str());
            lua_remove(L, -2);
            if (lua_istable(L, -1))
                return true;
        }
        lua_pop(L, 1);
        return false;
    };
    auto stringField = [&](const char* key) {
        lua_getfield(L, -1, key);
        std::string value = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "";
        lua_pop(L, 1);
        return value;
    };
    static const std::vector<std::pair<const char*, const char*>> kTableReads = {
        {"UIFrameQuestSelect", "tab_table"}, {"UIFrameUpgradeParameter", "table"}, {"UIUpgradeBar", "table_piece"}};
    for (const auto& [component, key] : kTableReads)
        if (components.count(component) && componentTable(component)) {
            const std::string tag = stringField(key);
            lua_pop(L, 1);
            if (!tag.empty())
                m_TableReads.push_back({file, where + " " + component, m_CurrentPrototype, key, tag});
        }
    if (components.count("UITable")) {
        const std::string tag = ObjectField("object_tag", base);
        bool onStart = false;
        if (componentTable("UITable")) {
            lua_getfield(L, -1, "on_start");
            onStart = lua_toboolean(L, -1);
            lua_pop(L, 2);
        } else if (!base.empty()) {
            if (PushGlobal(base.c_str()) == LUA_TTABLE && componentTable("UITable")) {
                lua_getfield(L, -1, "on_start");
                onStart = lua_toboolean(L, -1);
                lua_pop(L, 2);
            }
            lua_pop(L, 1);
        }
        if (!tag.empty())
            m_UITables.push_back({m_CurrentPrototype, tag, onStart, InactiveCells(base)});
    }
    static const std::vector<std::pair<const char*, std::vector<const char*>>> kWidgetTags = {
        {"UIButtonKeys", {"up", "down", "left", "right"}}, {"UIButtonMessage", {"target"}},
        {"UIForwardEvents", {"target"}},                    {"UITriggerTween", {"target"}},
        {"UISelector", {"target_tag"}},                     {"UISlider", {"foreground"}}};
    for (const auto& [component, keys] : kWidgetTags)
        if (components.count(component) && componentTable(component)) {
            for (const char* key : keys) {
                const std::string tag = stringField(key);
                if (!tag.empty() && tag.rfind("PresetTarget_", 0) != 0)
                    m_WidgetTags.push_back({file, where + " " + component, m_CurrentPrototype, key, tag});
            }
            lua_pop(L, 1);
        }
    // Layout keys the game reads under other names, or values that lay nothing out.
    if (components.count("UISlider") || components.count("UITable")) {
        lua_getfield(L, -1, "components");
        if (lua_istable(L, -1)) {
            lua_getfield(L, -1, "UISlider");
            if (lua_istable(L, -1)) {
                lua_getfield(L, -1, "direction");
                const bool direction = !lua_isnil(L, -1);
                lua_getfield(L, -2, "direciton");
                const bool spelled = !lua_isnil(L, -1);
                lua_pop(L, 2);
                if (direction && !spelled)
                    Add(file, where + " UISlider has \"direction\", which the gauge never reads: its key is spelled "
                                      "\"direciton\" (absent, it runs horizontally)");
            }
            lua_pop(L, 1);
            lua_getfield(L, -1, "UITable");
            if (lua_istable(L, -1)) {
                lua_getfield(L, -1, "direction");
                const bool zero = !lua_isnumber(L, -1) || (LuaTruncateToInt32(lua_tonumber(L, -1)) & 0xFF) == 0;
                lua_pop(L, 1);
                if (zero)
                    Add(file, where + " UITable has direction 0 (or none): it lays nothing out");
            }
            lua_pop(L, 1);
        }
        lua_pop(L, 1);
    }

    lua_getfield(L, -1, "children");
    if (lua_istable(L, -1))
        ForEachItem(file, where + " children", [&](int i) {
            const std::string child = where + " child " + std::to_string(i);
            if (!lua_istable(L, -1)) {
                Add(file, child + " is a " + TypeName(L, -1) + ", not a table: it is skipped");
                return;
            }
            // A trail copies the sprite of the object above it.
            std::set<std::string> childComponents;
            lua_getfield(L, -1, "base_script");
            if (lua_isstring(L, -1))
                childComponents = PrototypeComponents(lua_tostring(L, -1));
            lua_pop(L, 1);
            lua_getfield(L, -1, "components");
            if (lua_istable(L, -1)) {
                lua_pushnil(L);
                while (lua_next(L, -2)) {
                    if (lua_type(L, -2) == LUA_TSTRING)
                        childComponents.insert(lua_tostring(L, -2));
                    lua_pop(L, 1);
                }
            }
            lua_pop(L, 1);
            if (childComponents.count("SpriteBlurRenderer") && !components.count("SpriteRenderer") &&
                !components.count("SlicedSpriteRenderer"))
                Add(file, child + ": its SpriteBlurRenderer is not the child of a sprite: the trail copies nothing");
            if (RequireField(file, child, "base_script", LUA_TSTRING)) {
                lua_getfield(L, -1, "base_script");
                const std::string base = lua_tostring(L, -1);
                lua_pop(L, 1);
                if (!IsPrototype(base))
                    Add(file, child + ": its base_script \"" + base + "\" names no prototype");
                bases.push_back(base);
                m_Facts[m_CurrentPrototype].reaches.insert(base);
                CheckObjectKeys(file, child, true, bases, base);
                return;
            }
            CheckObjectKeys(file, child, true, bases);
        });
    else if (!lua_isnil(L, -1))
        Add(file, where + " \"children\" is a " + TypeName(L, -1) + ", not a list");
    lua_pop(L, 1);
}

std::vector<std::string> Checker::InactiveCells(const std::string& base)
{
    std::vector<std::string> cells;
    // The children list of the table on top; an entry naming no prototype builds no cell.
    const auto collect = [&] {
        lua_getfield(L, -1, "children");
        if (lua_istable(L, -1)) {
            const size_t count = lua_rawlen(L, -1);
            for (size_t i = 1; i <= count && i <= 4096; ++i) {
                lua_rawgeti(L, -1, static_cast<int>(i));
                if (lua_istable(L, -1)) {
                    std::string cell;
                    lua_getfield(L, -1, "base_script");
                    if (lua_type(L, -1) == LUA_TSTRING)
                        cell = lua_tostring(L, -1);
                    lua_pop(L, 1);
                    if (IsPrototype(cell)) {
                        // The entry's own activity wins over its prototype's; none at all reads 0.
                        lua_getfield(L, -1, "object_activity");
                        if (!lua_isnumber(L, -1)) {
                            lua_pop(L, 1);
                            if (PushGlobal(cell.c_str()) == LUA_TTABLE)
                                lua_getfield(L, -1, "object_activity");
                            else
                                lua_pushnil(L);
                            lua_remove(L, -2);
                        }
                        if (!lua_isnumber(L, -1) || LuaTruncateToInt32(lua_tonumber(L, -1)) == 0)
                            cells.push_back(cell);
                        lua_pop(L, 1);
                    }
                }
                lua_pop(L, 1);
            }
        }
        lua_pop(L, 1);
    };
    if (!base.empty()) {
        if (PushGlobal(base.c_str()) == LUA_TTABLE)
            collect();
        lua_pop(L, 1);
    }
    collect();
    return cells;
}

std::string Checker::ObjectField(const char* key, const std::string& base)
{
    std::string value;
    lua_getfield(L, -1, key);
    if (lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER)
        value = lua_tostring(L, -1);
    lua_pop(L, 1);
    if (!value.empty() || base.empty())
        return value;
    if (PushGlobal(base.c_str()) == LUA_TTABLE) {
        lua_getfield(L, -1, key);
        if (lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER)
            value = lua_tostring(L, -1);
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    return value;
}

void Checker::CheckUIPanels(const std::string& file, const std::string& where)
{
    // The panels gameplay opens by tag; the HUD is the one that is up from the start.
    static const std::set<std::string> kOpenedByTag = {
        "ui_giveup_yes_no", "ui_save_yes_no", "ui_exit_yes_no",   "ui_report",
        "ui_upgrade_parameter", "ui_quest_select", "ui_common_yes_no", "ui_lisvet_window",
        "ui_title_logo", "ui_title_select"};
    lua_getfield(L, -1, "children");
    if (lua_istable(L, -1)) {
        std::map<std::string, int> seen;
        const size_t count = lua_rawlen(L, -1);
        for (size_t i = 1; i <= count && i <= 4096; ++i) {
            lua_rawgeti(L, -1, static_cast<int>(i));
            if (lua_istable(L, -1)) {
                std::string base;
                lua_getfield(L, -1, "base_script");
                if (lua_type(L, -1) == LUA_TSTRING)
                    base = lua_tostring(L, -1);
                lua_pop(L, 1);
                const std::string tag = ObjectField("object_tag", base);
                const std::string panel = where + " child " + std::to_string(i);
                if (!base.empty())
                    m_UIPanels.insert(base);
                if (!tag.empty()) {
                    if (auto [it, fresh] = seen.emplace(tag, static_cast<int>(i)); !fresh)
                        Add(file, panel + " has the panel tag \"" + tag + "\" of child " + std::to_string(it->second) +
                                      ": only the first is found by tag");
                    const std::string activity = ObjectField("object_activity", base);
                    if (kOpenedByTag.count(tag) && !activity.empty() && activity != "0")
                        Add(file, panel + " is the panel \"" + tag +
                                      "\", opened by tag, and active in the data: opening refuses an active panel");
                }
            }
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
}

void Checker::CheckColorAlpha(const std::string& file, const std::string& where, const char* key)
{
    lua_getfield(L, -1, key);
    if (lua_istable(L, -1)) {
        lua_getfield(L, -1, "a");
        if (lua_isnil(L, -1))
            Add(file, where + ": \"" + key + "\" has no \"a\": it reads alpha 0 and draws nothing");
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
}

void Checker::CheckComponent(const std::string& file, const std::string& where, const std::string& name)
{
    static const std::set<std::string> kRenderers = {"SpriteRenderer", "SpriteBlurRenderer", "SlicedSpriteRenderer",
                                                     "SlideBarRenderer", "FontRenderer", "SpriteNumberRenderer"};
    if (kRenderers.count(name)) {
        CheckColorAlpha(file, where, "color");
        if (name == "SlideBarRenderer")
            CheckColorAlpha(file, where, "undercoatCol");
    }
    if (name == "SlicedSpriteRenderer") {
        lua_getfield(L, -1, "border");
        if (!lua_istable(L, -1))
            Add(file, where + " has no \"border\" table: every border is 0 and the frame stretches whole");
        lua_pop(L, 1);
    } else if (name == "SlideBarRenderer") {
        lua_getfield(L, -1, "size");
        if (!lua_istable(L, -1))
            Add(file, where + " has no \"size\" table: the bar is 0 wide and draws nothing");
        lua_pop(L, 1);
    } else if (name == "Camera2D") {
        lua_getfield(L, -1, "screenSize");
        if (!lua_istable(L, -1))
            Add(file, where + " has no \"screenSize\" table: its view is 0 by 0, it is never kept inside the "
                              "stage and it culls everything");
        lua_pop(L, 1);
    } else if (name == "TextureAtlas") {
        lua_getfield(L, -1, "atlasName");
        const std::string atlasName = lua_isstring(L, -1) ? lua_tostring(L, -1) : "";
        lua_pop(L, 1);
        if (!atlasName.empty()) {
            if (m_pAtlas && !m_pAtlas->Find(HashName(atlasName)))
                Add(file, where + " \"atlasName\" names \"" + atlasName + "\", which the atlas lacks: no image");
        } else {
            lua_getfield(L, -1, "atlasInfo");
            if (lua_istable(L, -1)) {
                lua_getfield(L, -1, "texture");
                const std::string texture = lua_isstring(L, -1) ? lua_tostring(L, -1) : "";
                lua_pop(L, 1);
                if (m_pTextures && !m_pTextures->Find(HashName(texture)))
                    Add(file, where + " \"atlasInfo\" names the texture \"" + texture +
                                  "\", which the texture table lacks: no image");
            } else {
                Add(file, where + " has neither \"atlasName\" nor an \"atlasInfo\" table: no image");
            }
            lua_pop(L, 1);
        }
    } else if (name == "SpriteAnimation" || name == "CollisionAnimation") {
        ForEachStringKey(file, where, [&](const std::string& animation) {
            const std::string list = where + " animation " + animation;
            if (!lua_istable(L, -1)) {
                Add(file, list + " is a " + TypeName(L, -1) + ", not a list of clip names");
                return;
            }
            ForEachItem(file, list, [&](int i) {
                if (lua_type(L, -1) != LUA_TSTRING)
                    Add(file, list + " part " + std::to_string(i) + " is a " + TypeName(L, -1) + ", not a clip name");
                else if (!m_Clips.count(lua_tostring(L, -1)))
                    Add(file, list + " names the clip \"" + lua_tostring(L, -1) +
                                  "\", which the animation table lacks: the part is dropped");
            });
        });
    } else if (name == "Kinematics") {
        lua_getfield(L, -1, "mass");
        // The steering force is divided by the mass; the game refuses such a mass and keeps 1.
        if (lua_type(L, -1) == LUA_TNUMBER && lua_tonumber(L, -1) <= 0)
            Add(file, where + ": \"mass\" " + lua_tostring(L, -1) + " is not positive");
        lua_pop(L, 1);
        // A negative limit makes a resting body's velocity 0 / 0; the game keeps 1000.
        lua_getfield(L, -1, "maxSpeed");
        if (lua_type(L, -1) == LUA_TNUMBER && !(lua_tonumber(L, -1) >= 0))
            Add(file, where + ": \"maxSpeed\" " + lua_tostring(L, -1) + " is negative or no number (the game keeps 1000)");
        lua_pop(L, 1);
    } else if (name == "UIWheel") {
        // The force is multiplied by the friction every frame; the game refuses one that makes it
        // grow and keeps 0.
        lua_getfield(L, -1, "friction");
        if (lua_type(L, -1) == LUA_TNUMBER && !(std::fabs(lua_tonumber(L, -1)) <= 1))
            Add(file, where + ": \"friction\" " + lua_tostring(L, -1) +
                          " is not between -1 and 1: the spin would grow without end (the game keeps 0)");
        lua_pop(L, 1);
    } else if (name == "TerrainFactory") {
        m_bBuildsTerrain = true;
        lua_getfield(L, -1, "terrain");
        if (lua_istable(L, -1))
            ForEachItem(file, where + " terrain", [&](int i) {
                const std::string record = where + " terrain record " + std::to_string(i);
                if (!lua_istable(L, -1)) {
                    Add(file, record + " is a " + TypeName(L, -1) + ", not a table");
                    return;
                }
                lua_getfield(L, -1, "polyline");
                size_t points = 0;
                if (lua_istable(L, -1))
                    ForEachItem(file, record + " polyline", [&](int) { ++points; });
                lua_pop(L, 1);
                if (points < 2)
                    Add(file, record + ": a polyline of " + std::to_string(points) + " points makes no segment");
                lua_getfield(L, -1, "cullingMask");
                if (lua_isnil(L, -1))
                    Add(file, record + " has no \"cullingMask\": its segments would pair with each other");
                lua_pop(L, 1);
            });
        lua_pop(L, 1);
    } else if (name == "FontRenderer") {
        lua_getfield(L, -1, "font");
        if (!lua_isnil(L, -1)) {
            // The game reads the index as a byte and draws nothing for one past its fonts.
            const int32_t index = int32_t(LuaTruncateToInt32(lua_tonumber(L, -1)) & 0xFF);
            if (!lua_isnumber(L, -1) || index >= int32_t(std::size(kFontNames)))
                Add(file, where + ": \"font\" " + (lua_isstring(L, -1) ? lua_tostring(L, -1) : TypeName(L, -1)) +
                              " is outside the " + std::to_string(std::size(kFontNames)) +
                              " fonts: the text is not drawn");
        }
        lua_pop(L, 1);
    } else if (name == "SpriteBlurRenderer") {
        lua_getfield(L, -1, "intervalTime");
        if (!lua_isnumber(L, -1) || lua_tonumber(L, -1) <= 0)
            Add(file, where + ": \"intervalTime\" " + (lua_isstring(L, -1) ? lua_tostring(L, -1) : TypeName(L, -1)) +
                          " is not positive: the trail takes no snapshot");
        lua_pop(L, 1);
    } else if (name == "SpriteNumberRenderer") {
        lua_getfield(L, -1, "sprite_names");
        size_t count = 0;
        if (lua_istable(L, -1))
            ForEachItem(file, where + " sprite_names", [&](int i) {
                ++count;
                const std::string sprite = lua_isstring(L, -1) ? lua_tostring(L, -1) : "";
                if (!m_SpriteOwners.count(sprite))
                    Add(file, where + " digit " + std::to_string(i - 1) + " \"" + sprite + "\" is no atlas sprite");
            });
        lua_pop(L, 1);
        if (count != 10)
            Add(file, where + ": \"sprite_names\" lists " + std::to_string(count) +
                          " sprites, not the ten digits 0 to 9");
    } else if (name == "UIHudQuestTarget") {
        CheckNamedPrototype(file, where, "quest_target_script_name");
    } else if (name == "UIDamageNumber") {
        // Each damage type's digits: ten atlas sprites, digit 0 first.
        lua_getfield(L, -1, "damage_number");
        if (lua_istable(L, -1))
            for (const char* type : {"enemy_damage", "player_damage", "critical", "healing"}) {
                lua_getfield(L, -1, type);
                if (lua_istable(L, -1)) {
                    lua_rawgeti(L, -1, 1);
                    size_t count = 0;
                    if (lua_istable(L, -1))
                        ForEachItem(file, where + " \"" + type + "\" digits", [&](int i) {
                            ++count;
                            const std::string sprite = lua_isstring(L, -1) ? lua_tostring(L, -1) : "";
                            if (!m_SpriteOwners.count(sprite))
                                Add(file, where + " \"" + type + "\" digit " + std::to_string(i - 1) + " \"" + sprite +
                                              "\" is no atlas sprite");
                        });
                    lua_pop(L, 1);
                    if (count != 10)
                        Add(file, where + ": \"damage_number\" \"" + type + "\" lists " + std::to_string(count) +
                                      " sprites, not the ten digits 0 to 9");
                }
                lua_pop(L, 1);
            }
        lua_pop(L, 1);
    } else if (name == "MovieRenderer") {
        lua_getfield(L, -1, "title");
        if (lua_isstring(L, -1)) {
            const std::string title = lua_tostring(L, -1);
            StreamIO* stream = g_pArchiveSystem->Open(HashName(title));
            if (!stream)
                Add(file, where + ": the movie \"" + title + "\" is in no archive");
            delete stream;
        }
        lua_pop(L, 1);
        // The movie is drawn with a projection that keeps depths from 0.1 to 100: a position's
        // z outside (z left out counts as 0) puts the whole picture out of sight.
        lua_getfield(L, -1, "position");
        if (lua_istable(L, -1)) {
            lua_getfield(L, -1, "z");
            const double z = lua_isnumber(L, -1) ? lua_tonumber(L, -1) : 0.0;
            lua_pop(L, 1);
            std::ostringstream zText;
            zText << z;
            if (!(z >= 0.1 && z <= 100.0))
                Add(file, where + ": \"position\" z " + zText.str() +
                              " lies outside the movie's depth range 0.1 to 100, so the movie is never seen");
        }
        lua_pop(L, 1);
    } else if (name == "LandscapeFactory") {
        for (const char* list : {"manual", "procedural"}) {
            lua_getfield(L, -1, list);
            if (lua_istable(L, -1))
                ForEachItem(file, where + " " + list, [&](int i) {
                    if (lua_istable(L, -1))
                        CheckLandscapeEntry(file, where + " " + list + " entry " + std::to_string(i),
                                            std::string(list) == "manual");
                });
            lua_pop(L, 1);
        }
        lua_getfield(L, -1, "conditional");
        if (lua_istable(L, -1))
            ForEachItem(file, where + " conditional", [&](int i) {
                if (!lua_istable(L, -1))
                    return;
                for (const char* side : {"consequent", "alternative"}) {
                    lua_getfield(L, -1, side);
                    if (lua_istable(L, -1)) {
                        lua_getfield(L, -1, "name");
                        const bool named = !lua_isnil(L, -1);
                        lua_pop(L, 1);
                        if (named)
                            CheckLandscapeEntry(file, where + " conditional entry " + std::to_string(i) + " " + side,
                                                true);
                    }
                    lua_pop(L, 1);
                }
            });
        lua_pop(L, 1);
    } else if (name == "UITriggerSound" || (name.rfind("UI", 0) == 0 && HasTableField("sound_effect"))) {
        // A sound with no file plays silence; the screens name theirs under "sound_effect".
        auto checkSound = [&](const std::string& what) {
            if (lua_type(L, -1) != LUA_TSTRING || lua_rawlen(L, -1) == 0)
                return;
            StreamIO* stream = g_pArchiveSystem->Open(HashName(lua_tostring(L, -1)));
            if (!stream)
                Add(file, where + " " + what + " plays \"" + lua_tostring(L, -1) + "\", which is in no archive");
            delete stream;
        };
        if (name == "UITriggerSound") {
            ForEachItem(file, where + " UITriggerSound", [&](int i) {
                if (lua_istable(L, -1)) {
                    lua_getfield(L, -1, "sound");
                    checkSound("entry " + std::to_string(i));
                    lua_pop(L, 1);
                }
            });
        } else {
            lua_getfield(L, -1, "sound_effect");
            lua_pushnil(L);
            while (lua_next(L, -2) != 0) {
                if (lua_type(L, -2) == LUA_TSTRING)
                    checkSound(std::string("\"") + lua_tostring(L, -2) + "\"");
                lua_pop(L, 1);
            }
            lua_pop(L, 1);
        }
    } else if (name == "MusicPlayer") {
        lua_getfield(L, -1, "name");
        if (lua_type(L, -1) == LUA_TSTRING && lua_rawlen(L, -1) > 0) {
            StreamIO* stream = g_pArchiveSystem->Open(HashName(lua_tostring(L, -1)));
            if (!stream)
                Add(file, where + " plays \"" + lua_tostring(L, -1) + "\", which is in no archive");
            delete stream;
        }
        lua_pop(L, 1);
    } else if (name == "TitleController" || name == "EndingController") {
        // A sequence's movie that is in no archive ends at once, its music is silence.
        auto checkAsset = [&](const std::string& what, const char* kind, bool required) {
            if (lua_type(L, -1) != LUA_TSTRING || lua_rawlen(L, -1) == 0) {
                if (required)
                    Add(file, where + " " + what + " names no " + kind);
                return;
            }
            StreamIO* stream = g_pArchiveSystem->Open(HashName(lua_tostring(L, -1)));
            if (!stream)
                Add(file, where + " " + what + " \"" + lua_tostring(L, -1) + "\" is in no archive");
            delete stream;
        };
        if (name == "TitleController") {
            // "titleBgm" is read and never played: only checked when given.
            for (const char* key : {"logoMovie", "openingMovie", "titleMovie", "logoBgm", "openingBgm", "titleBgm"}) {
                lua_getfield(L, -1, key);
                const bool movie = std::string(key).find("Movie") != std::string::npos;
                checkAsset(std::string("\"") + key + "\"", movie ? "movie" : "music",
                           std::string(key) != "titleBgm");
                lua_pop(L, 1);
            }
        } else {
            ForEachItem(file, where, [&](int i) {
                if (!lua_istable(L, -1))
                    return;
                const std::string page = "page " + std::to_string(i);
                for (const char* key : {"title", "bgm", "se"}) {
                    lua_getfield(L, -1, key);
                    checkAsset(page + " \"" + key + "\"", std::string(key) == "title" ? "movie" : "sound",
                               std::string(key) == "title");
                    lua_pop(L, 1);
                }
            });
        }
    } else if (name == "StrangerController") {
        lua_getfield(L, -1, "themeSong");
        if (lua_type(L, -1) == LUA_TSTRING && lua_rawlen(L, -1) > 0) {
            StreamIO* stream = g_pArchiveSystem->Open(HashName(lua_tostring(L, -1)));
            if (!stream)
                Add(file, where + " StrangerController's theme \"" + lua_tostring(L, -1) + "\" is in no archive");
            delete stream;
        }
        lua_pop(L, 1);
    } else if (name == "GimmickOpenMenu") {
        // A mask of 0 is never pressed, and an empty name opens nothing.
        lua_getfield(L, -1, "open_pad");
        const bool noPad = !lua_isnumber(L, -1) || static_cast<int64_t>(lua_tonumber(L, -1)) == 0;
        lua_pop(L, 1);
        if (noPad)
            Add(file, where + " GimmickOpenMenu has no \"open_pad\": no press opens its menu");
        lua_getfield(L, -1, "open_menu_name");
        const bool noMenu = lua_type(L, -1) != LUA_TSTRING || lua_rawlen(L, -1) == 0;
        lua_pop(L, 1);
        if (noMenu)
            Add(file, where + " GimmickOpenMenu has no \"open_menu_name\" to open");
    } else if (name == "StageGenerator") {
        lua_getfield(L, -1, "generateType");
        const bool ruleDriven = lua_tonumber(L, -1) == 0;
        lua_pop(L, 1);
        lua_getfield(L, -1, "rules");
        size_t rules = 0;
        if (lua_istable(L, -1))
            ForEachItem(file, where + " rules", [&](int) { ++rules; });
        lua_pop(L, 1);
        lua_getfield(L, -1, "areas");
        size_t areas = 0;
        if (lua_istable(L, -1))
            ForEachItem(file, where + " areas", [&](int i) {
                ++areas;
                if (lua_isstring(L, -1))
                    m_Facts[m_CurrentPrototype].reaches.insert(lua_tostring(L, -1));
                if (!lua_isstring(L, -1) || !IsPrototype(lua_tostring(L, -1)))
                    Add(file, where + " area " + std::to_string(i) + " \"" + (lua_isstring(L, -1) ? lua_tostring(L, -1) : "")
                        + "\" names no prototype");
            });
        lua_pop(L, 1);
        if (ruleDriven && (rules == 0 || areas == 0))
            Add(file, where + " draws its areas by rules but has " + std::to_string(rules) + " rules and " +
                std::to_string(areas) + " areas: it places nothing");
    } else if (name == "InvincibleController") {
        lua_getfield(L, -1, "blinkInterval");
        if (!lua_isnumber(L, -1) || lua_tonumber(L, -1) <= 0)
            Add(file, where + ": \"blinkInterval\" is not a positive number: the object never blinks");
        lua_pop(L, 1);
    } else if (name == "HealthController") {
        lua_getfield(L, -1, "regen");
        if (lua_istable(L, -1)) {
            lua_getfield(L, -1, "interval");
            if (!lua_isnumber(L, -1) || lua_tonumber(L, -1) <= 0)
                Add(file, where + ": \"regen\" \"interval\" is not a positive number: it never ticks");
            lua_pop(L, 1);
        } else if (!lua_isnil(L, -1)) {
            Add(file, where + ": \"regen\" is a " + TypeName(L, -1) + ", not a table");
        }
        lua_pop(L, 1);
    } else if (name == "StatusParameter") {
        lua_getfield(L, -1, "usePlayerData");
        const bool bought = lua_toboolean(L, -1) != 0;
        lua_pop(L, 1);
        // The player's levels are bought with experience at these prices: a price of 0 or
        // below would give levels away (or pay for them).
        auto checkCost = [&](const std::string& what) {
            lua_rawgeti(L, -1, 2);
            if (bought && lua_isnumber(L, -1) && lua_tonumber(L, -1) <= 0)
                Add(file, what + " costs " + lua_tostring(L, -1) +
                              ": a level bought there must cost a positive amount of experience");
            lua_pop(L, 1);
        };
        for (const char* stat : {"health", "healthRecharge", "attack", "defense", "specialAtk", "powerRecharge",
                                 "experience"}) {
            lua_getfield(L, -1, stat);
            const std::string curve = where + " \"" + stat + "\"";
            const bool priced = std::string(stat) != "experience";
            if (lua_istable(L, -1)) {
                lua_getfield(L, -1, "table");
                if (lua_istable(L, -1))
                    ForEachItem(file, curve + " table", [&](int i) {
                        if (!lua_istable(L, -1) || lua_rawlen(L, -1) != 2)
                            Add(file, curve + " table entry " + std::to_string(i) +
                                          " is not a pair of numbers (value, cost)");
                        else if (priced)
                            checkCost(curve + " table entry " + std::to_string(i));
                    });
                else if (!lua_isnil(L, -1))
                    Add(file, curve + " \"table\" is a " + TypeName(L, -1) + ", not a list");
                lua_pop(L, 1);
                lua_getfield(L, -1, "step");
                if (!lua_isnil(L, -1) && (!lua_istable(L, -1) || lua_rawlen(L, -1) != 2))
                    Add(file, curve + " \"step\" is not a pair of numbers (value, cost)");
                else if (!lua_isnil(L, -1) && priced)
                    checkCost(curve + " \"step\"");
                lua_pop(L, 1);
            } else if (!lua_isnil(L, -1)) {
                Add(file, curve + " is a " + TypeName(L, -1) + ", not a curve table");
            }
            lua_pop(L, 1);
        }
    } else if (name == "PlayerController") {
        for (const char* table : {"run", "step", "dash", "slash", "turnedSlash"}) {
            lua_getfield(L, -1, table);
            if (!lua_isnil(L, -1) && !lua_istable(L, -1))
                Add(file, where + " \"" + table + "\" is a " + TypeName(L, -1) + ", not a table");
            lua_pop(L, 1);
        }
        lua_getfield(L, -1, "powerCosts");
        const bool costs = lua_istable(L, -1);
        for (const char* key : {"slash", "turnedSlash", "homing", "vardeki"}) {
            bool positive = false;
            if (costs) {
                lua_getfield(L, -1, key);
                positive = lua_isnumber(L, -1) && lua_tonumber(L, -1) > 0;
                lua_pop(L, 1);
            }
            if (!positive)
                Add(file, where + " \"powerCosts\" \"" + key +
                              "\" is not a positive divisor of the gauge: that action costs nothing");
        }
        lua_pop(L, 1);
        lua_getfield(L, -1, "jumpHeight");
        if (lua_isnumber(L, -1) && lua_tonumber(L, -1) < 0)
            Add(file, where + ": \"jumpHeight\" is negative: the player cannot jump");
        lua_pop(L, 1);
    } else if (name == "EnemyController") {
        CheckEnemyMachine(file, where);
    } else if (name == "Inventory") {
        lua_getfield(L, -1, "items");
        if (lua_istable(L, -1))
            ForEachItem(file, where + " \"items\"", [&](int i) {
                if (lua_istable(L, -1))
                    CheckNamedPrototype(file, where + " item " + std::to_string(i), "name");
            });
        else if (!lua_isnil(L, -1))
            Add(file, where + " \"items\" is a " + TypeName(L, -1) + ", not a list");
        lua_pop(L, 1);
    } else if (name == "AttemptDamageController") {
        lua_getfield(L, -1, "hitEffects");
        if (lua_istable(L, -1))
            ForEachItem(file, where + " \"hitEffects\"", [&](int i) {
                if (lua_istable(L, -1))
                    CheckNamedPrototype(file, where + " hit effect " + std::to_string(i), "name");
            });
        lua_pop(L, 1);
    } else if (name == "BulletHellController") {
        CheckBulletPattern(file, where);
    } else if (name == "EffectEmitter") {
        CheckNamedPrototype(file, where, "particle_name");
    } else if (name == "ObjectiveController") {
        CheckDirectorTuning(file, where);
    } else if (name == "QuestController") {
        lua_getfield(L, -1, "initPlayerPos");
        if (!lua_isnil(L, -1) && !lua_istable(L, -1))
            Add(file, where + " \"initPlayerPos\" is a " + TypeName(L, -1) + ", not a table {x, y}");
        lua_pop(L, 1);
        if (!IsPrototype(kPlayerPrototype))
            Add(file, where + " places the player, but there is no prototype " + kPlayerPrototype);
    }
}

void Checker::CheckStageLayout(const std::string& file, const std::string& where)
{
    // Read as the generator reads them: any "generateType" but 0 lays out every area in turn.
    if (LuaGetIntField(L, "generateType") == 0)
        return;
    lua_getfield(L, -1, "areas");
    const size_t areas = lua_istable(L, -1) ? LuaGetItemCount(L) : 0;
    lua_pop(L, 1);
    if (areas == 0)
        Add(file, where + " lays out a fixed row but has no areas: it places nothing");
}

void Checker::CheckDirectorTuning(const std::string& file, const std::string& where)
{
    // An absent key keeps the game's default, which is sound.
    const auto number = [&](const char* key, double& value) {
        lua_getfield(L, -1, key);
        const bool given = lua_isnumber(L, -1) != 0;
        if (given)
            value = lua_tonumber(L, -1);
        lua_pop(L, 1);
        return given;
    };
    for (const char* key : {"relaxTimeMin", "relaxTimeMax", "sustainPeakTimeMin", "sustainPeakTimeMax"}) {
        double time = 1.0;
        if (number(key, time) && !(time > 0.0))
            Add(file, where + " \"" + key + "\" is not positive: that state ends in the frame it begins");
    }
    // The waves reach their peak only by spawning: without spawns or a threat per spawn the
    // director stays in its build-up for good.
    for (const char* key : {"buildUpSpawnFrequency", "enemyThreat", "intensityMax"}) {
        double value = 1.0;
        if (number(key, value) && !(value > 0.0))
            Add(file, where + " \"" + key + "\" is not positive: the waves never build up to their peak");
    }
    double notice = 1.0;
    // A byte, as the game reads it: 256 is 0 as well.
    if (number("noticeHuntCount", notice) && (static_cast<uint32_t>(LuaTruncateToInt32(notice)) & 0xFFu) == 0)
        Add(file, where + " \"noticeHuntCount\" reads 0: the companion never remarks on defeats");
}

void Checker::CheckNamedPrototype(const std::string& file, const std::string& where, const char* key)
{
    lua_getfield(L, -1, key);
    const std::string name = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "";
    lua_pop(L, 1);
    if (name.empty())
        return;
    m_Facts[m_CurrentPrototype].reaches.insert(name);
    if (!IsPrototype(name))
        Add(file, where + " \"" + key + "\" \"" + name + "\" names no prototype");
}

void Checker::CheckBulletPattern(const std::string& file, const std::string& where)
{
    lua_Integer shots = 0;
    lua_getfield(L, -1, "createShots");
    if (lua_istable(L, -1))
        ForEachItem(file, where + " \"createShots\"", [&](int i) {
            shots = std::max<lua_Integer>(shots, i);
            if (!lua_istable(L, -1)) {
                Add(file, where + " shot " + std::to_string(i - 1) + " is a " + TypeName(L, -1) + ", not a list");
                return;
            }
            lua_rawgeti(L, -1, 2);
            const std::string bullet = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "";
            lua_pop(L, 1);
            m_Facts[m_CurrentPrototype].reaches.insert(bullet);
            if (!IsPrototype(bullet))
                Add(file, where + " shot " + std::to_string(i - 1) + " bullet \"" + bullet + "\" names no prototype");
        });
    lua_pop(L, 1);
    // An index (or each end of a range) must be a shot: anything else never acts.
    const auto known = [&](int index) {
        lua_rawgeti(L, -1, index);
        bool ok = true;
        if (lua_istable(L, -1)) {
            for (int end = 1; end <= 2; ++end) {
                lua_rawgeti(L, -1, end);
                ok = ok && lua_isnumber(L, -1) && lua_tonumber(L, -1) >= 0 && lua_tonumber(L, -1) < double(shots);
                lua_pop(L, 1);
            }
        } else {
            ok = lua_isnumber(L, -1) && lua_tonumber(L, -1) >= 0 && lua_tonumber(L, -1) < double(shots);
        }
        lua_pop(L, 1);
        return ok;
    };
    lua_getfield(L, -1, "timeline");
    if (lua_istable(L, -1))
        ForEachItem(file, where + " \"timeline\"", [&](int i) {
            if (!lua_istable(L, -1))
                return;
            if (!known(2))
                Add(file, where + " timeline entry " + std::to_string(i) + " acts on no shot of \"createShots\" (" +
                              std::to_string(shots) + " shots)");
            lua_rawgeti(L, -1, 1);
            const bool fireFrom = lua_isnumber(L, -1) && lua_tonumber(L, -1) == 5;
            lua_pop(L, 1);
            if (fireFrom && !known(4))
                Add(file, where + " timeline entry " + std::to_string(i) + " fires no shot of \"createShots\" (" +
                              std::to_string(shots) + " shots)");
        });
    lua_pop(L, 1);
}

void Checker::CheckEnemyMachine(const std::string& file, const std::string& where)
{
    lua_getfield(L, -1, "stateMachine");
    if (!lua_istable(L, -1)) {
        if (!lua_isnil(L, -1))
            Add(file, where + " \"stateMachine\" is a " + TypeName(L, -1) + ", not a table of states");
        else
            Warn(file, where + " has no \"stateMachine\": the enemy keeps still");
        lua_pop(L, 1);
        return;
    }
    std::set<std::string> states;
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
        if (lua_type(L, -2) == LUA_TSTRING && lua_istable(L, -1))
            states.insert(lua_tostring(L, -2));
        else
            Add(file, where + " \"stateMachine\" has an entry that is not a named state table");
        lua_pop(L, 1);
    }
    lua_getfield(L, -2, "initState");
    const std::string init = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "";
    lua_pop(L, 1);
    if (!states.count(init))
        Add(file, where + " \"initState\" \"" + init + "\" is no state of its machine");
    for (const std::string& state : states) {
        const std::string at = where + " state \"" + state + "\"";
        lua_getfield(L, -1, state.c_str());
        lua_getfield(L, -1, "enterState");
        if (lua_istable(L, -1)) {
            lua_getfield(L, -1, "attendantObject");
            if (lua_istable(L, -1))
                CheckNamedPrototype(file, at + " attendant", "name");
            lua_pop(L, 1);
        }
        lua_pop(L, 1);
        lua_getfield(L, -1, "changeState");
        if (lua_istable(L, -1))
            ForEachItem(file, at + " \"changeState\"", [&](int i) {
                if (!lua_istable(L, -1)) {
                    Add(file, at + " transition " + std::to_string(i) + " is not a table { state, condition }");
                    return;
                }
                lua_getfield(L, -1, "state");
                const std::string target = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "";
                lua_pop(L, 1);
                if (!states.count(target))
                    Add(file, at + " transition " + std::to_string(i) + " goes to \"" + target +
                                  "\", no state of its machine");
            });
        lua_pop(L, 2);
    }
    lua_pop(L, 1);
}

void Checker::CheckLandscapeEntry(const std::string& file, const std::string& where, bool manual)
{
    lua_getfield(L, -1, "name");
    const std::string name = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "";
    lua_pop(L, 1);
    if (name.empty()) {
        if (manual)
            Add(file, where + " names no prototype: it places nothing");
        return;
    }
    m_Facts[m_CurrentPrototype].reaches.insert(name);
    if (!IsPrototype(name))
        Add(file, where + " \"" + name + "\" names no prototype");
    if (!manual)
        return;
    lua_getfield(L, -1, "rate");
    const bool rated = lua_type(L, -1) == LUA_TNUMBER;
    lua_pop(L, 1);
    if (!rated)
        Warn(file, where + " \"" + name + "\" has no \"rate\": a chance of 0, it is never placed");
}

void Checker::CheckBackdrop(const std::string& file, const std::string& where, const std::string& base)
{
    // The component's table: the object's own, else its base prototype's. Pushes it (or nil).
    auto push = [&](const char* component) {
        lua_getfield(L, -1, "components");
        if (lua_istable(L, -1))
            lua_getfield(L, -1, component);
        else
            lua_pushnil(L);
        lua_remove(L, -2);
        if (lua_isnil(L, -1) && !base.empty() && IsPrototype(base)) {
            lua_pop(L, 1);
            PushGlobal(base.c_str());
            lua_getfield(L, -1, "components");
            lua_remove(L, -2);
            if (lua_istable(L, -1))
                lua_getfield(L, -1, component);
            else
                lua_pushnil(L);
            lua_remove(L, -2);
        }
    };
    push("BackgroundLayer");
    if (lua_istable(L, -1)) {
        lua_getfield(L, -1, "scroll");
        if (lua_tonumber(L, -1) == 0)
            Add(file, where + " BackgroundLayer has no \"scroll\" (or 0): its texture would not scroll sideways");
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    push("SpriteRenderer");
    if (!lua_istable(L, -1)) {
        Add(file, where + " has a BackgroundLayer but no SpriteRenderer to scroll");
    } else {
        lua_getfield(L, -1, "addressU");
        if (lua_tonumber(L, -1) == 0)
            Add(file, where + " BackgroundLayer: its SpriteRenderer has no \"addressU\", so the texture does not wrap sideways");
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    push("TextureAtlas");
    if (!lua_istable(L, -1)) {
        Add(file, where + " has a BackgroundLayer but no TextureAtlas to size it");
    } else {
        lua_getfield(L, -1, "atlasName");
        const bool named = lua_type(L, -1) == LUA_TSTRING && lua_rawlen(L, -1) > 0;
        lua_pop(L, 1);
        bool ownTexture = false;
        lua_getfield(L, -1, "atlasInfo");
        if (lua_istable(L, -1)) {
            lua_getfield(L, -1, "texture");
            ownTexture = lua_type(L, -1) == LUA_TSTRING;
            lua_pop(L, 1);
            lua_getfield(L, -1, "uvRect");
            ownTexture = ownTexture && lua_isnil(L, -1);
            lua_pop(L, 1);
        }
        lua_pop(L, 1);
        if (named || !ownTexture)
            Add(file, where + " BackgroundLayer: its TextureAtlas must show a whole texture of its own "
                              "(\"atlasInfo\" with a \"texture\" and no \"uvRect\"): a wrap repeats the whole texture");
    }
    lua_pop(L, 1);
}

void Checker::CheckBackdropCameras()
{
    for (const DataFile& file : m_Files) {
        if (file.folder != &kStages || !IsPrototype(file.name))
            continue;
        std::set<std::string> seen;
        std::vector<std::string> todo = {file.name};
        bool backdrop = false, camera = false;
        while (!todo.empty()) {
            const std::string name = todo.back();
            todo.pop_back();
            if (!seen.insert(name).second)
                continue;
            auto it = m_Facts.find(name);
            if (it == m_Facts.end())
                continue;
            backdrop = backdrop || it->second.backdrop;
            camera = camera || it->second.gameCamera;
            for (const std::string& next : it->second.reaches)
                todo.push_back(next);
        }
        if (backdrop && !camera && !m_Facts[file.name].questController)
            Add(file.entry, "shows a BackgroundLayer but holds no camera tagged \"GameCamera\" for it to follow");
    }
}

float Checker::NumberField(const char* key, float fallback)
{
    lua_getfield(L, -1, key);
    const float value = lua_type(L, -1) == LUA_TNUMBER ? static_cast<float>(lua_tonumber(L, -1)) : fallback;
    lua_pop(L, 1);
    return value;
}

void Checker::CheckTerrainIsDrawn()
{
    // Both in the area's Lua frame: x right and y down from its top-left, 1024 x 512, whose
    // centre (512, 256) is where its children's positions (y up) start from.
    struct Floor {
        float x0, y0, x1, y1;
    };
    struct Drawn {
        float left, top, right, bottom;
    };
    for (const DataFile& file : m_Files) {
        if (file.folder != &kGameObjects || !IsPrototype(file.name))
            continue;
        if (PushGlobal(file.name.c_str()) != LUA_TTABLE) {
            lua_settop(L, 0);
            continue;
        }
        std::vector<Floor> floors;
        lua_getfield(L, -1, "components");
        if (lua_istable(L, -1)) {
            lua_getfield(L, -1, "TerrainFactory");
            if (lua_istable(L, -1)) {
                lua_getfield(L, -1, "terrain");
                if (lua_istable(L, -1)) {
                    for (int r = 1; r <= static_cast<int>(lua_rawlen(L, -1)); ++r) {
                        lua_rawgeti(L, -1, r);
                        if (lua_istable(L, -1)) {
                            const float ox = NumberField("x", 0.0f), oy = NumberField("y", 0.0f);
                            lua_getfield(L, -1, "polyline");
                            std::vector<std::pair<float, float>> points;
                            if (lua_istable(L, -1))
                                for (int i = 1; i <= static_cast<int>(lua_rawlen(L, -1)); ++i) {
                                    lua_rawgeti(L, -1, i);
                                    if (lua_istable(L, -1))
                                        points.emplace_back(ox + NumberField("x", 0.0f), oy + NumberField("y", 0.0f));
                                    lua_pop(L, 1);
                                }
                            lua_pop(L, 1);
                            for (size_t i = 0; i + 1 < points.size(); ++i)
                                if (points[i + 1].first > points[i].first)
                                    floors.push_back({points[i].first, points[i].second, points[i + 1].first,
                                                      points[i + 1].second});
                        }
                        lua_pop(L, 1);
                    }
                }
                lua_pop(L, 1);
            }
            lua_pop(L, 1);
        }
        lua_pop(L, 1);
        if (floors.empty()) {
            lua_settop(L, 0);
            continue;
        }

        // What the children draw: a sprite of an atlas, its size from the renderer's "size" or
        // the atlas, scaled and centred on its position. An instance's component replaces its
        // base prototype's whole component, as the scene builds them.
        std::vector<Drawn> drawn;
        lua_getfield(L, -1, "children");
        if (lua_istable(L, -1)) {
            for (int c = 1; c <= static_cast<int>(lua_rawlen(L, -1)); ++c) {
                lua_rawgeti(L, -1, c);
                if (!lua_istable(L, -1)) {
                    lua_pop(L, 1);
                    continue;
                }
                lua_getfield(L, -1, "base_script");
                const std::string base = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "";
                lua_pop(L, 1);
                const int child = lua_gettop(L);
                // Pushes the component's table (the child's own, else its base's), or nil.
                auto push = [&](const char* component) {
                    lua_getfield(L, child, "components");
                    if (lua_istable(L, -1))
                        lua_getfield(L, -1, component);
                    else
                        lua_pushnil(L);
                    lua_remove(L, -2);
                    if (lua_isnil(L, -1) && IsPrototype(base)) {
                        lua_pop(L, 1);
                        PushGlobal(base.c_str());
                        lua_getfield(L, -1, "components");
                        lua_remove(L, -2);
                        if (lua_istable(L, -1))
                            lua_getfield(L, -1, component);
                        else
                            lua_pushnil(L);
                        lua_remove(L, -2);
                    }
                };
                float width = 0.0f, height = 0.0f;
                push("SpriteRenderer");
                const bool renders = lua_istable(L, -1);
                if (renders) {
                    lua_getfield(L, -1, "size");
                    if (lua_istable(L, -1)) {
                        width = NumberField("width", 0.0f);
                        height = NumberField("height", 0.0f);
                    }
                    lua_pop(L, 1);
                }
                lua_pop(L, 1);
                push("TextureAtlas");
                if (renders && lua_istable(L, -1) && width <= 0.0f) {
                    lua_getfield(L, -1, "atlasName");
                    if (lua_type(L, -1) == LUA_TSTRING && m_pAtlas)
                        if (const AtlasEntry* entry = m_pAtlas->Find(HashName(lua_tostring(L, -1)))) {
                            width = static_cast<float>(entry->originalWidth);
                            height = static_cast<float>(entry->originalHeight);
                        }
                    lua_pop(L, 1);
                }
                lua_pop(L, 1);
                float px = 0.0f, py = 0.0f, sx = 1.0f, sy = 1.0f;
                push("Transform");
                if (lua_istable(L, -1)) {
                    lua_getfield(L, -1, "position");
                    if (lua_istable(L, -1)) {
                        px = NumberField("x", 0.0f);
                        py = NumberField("y", 0.0f);
                    }
                    lua_pop(L, 1);
                    lua_getfield(L, -1, "scaling");
                    if (lua_istable(L, -1)) {
                        sx = NumberField("x", 1.0f);
                        sy = NumberField("y", 1.0f);
                    }
                    lua_pop(L, 1);
                }
                lua_pop(L, 1);
                if (renders && width > 0.0f && height > 0.0f) {
                    const float hw = std::fabs(width * sx) * 0.5f, hh = std::fabs(height * sy) * 0.5f;
                    const float cx = 512.0f + px, cy = 256.0f - py;
                    drawn.push_back({cx - hw, cy - hh, cx + hw, cy + hh});
                }
                lua_settop(L, child - 1);
            }
        }
        lua_settop(L, 0);

        // Along each floor every few pixels: some sprite reaches the line there (a strip drawn
        // above it, ground drawn below it, or one across it).
        constexpr float kStep = 4.0f, kReach = 2.0f;
        for (const Floor& f : floors) {
            float firstBare = -1.0f, lastBare = -1.0f;
            for (float x = f.x0 + 1.0f;; x += kStep) {
                const float at = std::min(x, f.x1 - 1.0f);
                const float y = f.y0 + (f.y1 - f.y0) * (at - f.x0) / (f.x1 - f.x0);
                const bool covered = std::any_of(drawn.begin(), drawn.end(), [&](const Drawn& d) {
                    return at >= d.left - 1.0f && at <= d.right + 1.0f && y >= d.top - kReach && y <= d.bottom + kReach;
                });
                if (!covered) {
                    if (firstBare < 0.0f)
                        firstBare = at;
                    lastBare = at;
                }
                if (at >= f.x1 - 1.0f)
                    break;
            }
            if (firstBare >= 0.0f) {
                std::ostringstream text;
                text << "the terrain's floor from (" << f.x0 << ", " << f.y0 << ") to (" << f.x1 << ", " << f.y1
                     << ") has no sprite of the area's children along it between x " << std::floor(firstBare) << " and "
                     << std::ceil(lastBare) << ": whatever stands there stands on nothing the player sees";
                Add(file.entry, text.str());
            }
        }
    }
}

void Checker::CheckPrototype(const DataFile& file)
{
    m_CurrentPrototype = file.name;
    if (PushGlobal(file.name.c_str()) == LUA_TTABLE) {
        m_bStageRoot = file.folder == &kStages;
        CheckObjectKeys(file.entry, file.name, false, m_PrototypeBases[file.name]);
    }
    else if (!lua_isnil(L, -1))
        Add(file.entry, "the global " + file.name + " is a " + TypeName(L, -1) + ", not a table");
    lua_pop(L, 1);
}

void Checker::CheckPieceTables()
{
    for (const PieceTable& table : m_PieceTables) {
        std::set<std::string> visited;
        std::vector<std::string> pending{table.prototype};
        while (!pending.empty()) {
            const std::string name = pending.back();
            pending.pop_back();
            if (visited.size() > 4096 || !visited.insert(name).second)
                continue;
            auto bases = m_PrototypeBases.find(name);
            if (bases == m_PrototypeBases.end())
                continue;
            pending.insert(pending.end(), bases->second.begin(), bases->second.end());
            std::string tag;
            if (PushGlobal(name.c_str()) == LUA_TTABLE) {
                lua_getfield(L, -1, "object_tag");
                if (lua_type(L, -1) == LUA_TSTRING)
                    tag = lua_tostring(L, -1);
                lua_pop(L, 1);
            }
            lua_pop(L, 1);
            if (tag != table.tag)
                continue;
            for (const std::string& piece : bases->second) {
                const std::set<std::string> components = PrototypeComponents(piece);
                for (const char* needed : {"TextureAtlas", "TweenColor"})
                    if (!components.count(needed))
                        Add(table.file, table.where + " UIUpgradeBar: the piece \"" + piece + "\" of its table \"" +
                                            table.tag + "\" has no " + needed +
                                            (needed == std::string("TextureAtlas") ? ": it never shows the row's sprite"
                                                                                   : ": a pending level never blinks"));
            }
        }
    }
}

std::set<std::string> Checker::Subtree(const std::string& prototype)
{
    std::set<std::string> visited;
    std::vector<std::string> pending{prototype};
    while (!pending.empty() && visited.size() <= 4096) {
        const std::string name = pending.back();
        pending.pop_back();
        if (!visited.insert(name).second)
            continue;
        if (auto bases = m_PrototypeBases.find(name); bases != m_PrototypeBases.end())
            pending.insert(pending.end(), bases->second.begin(), bases->second.end());
    }
    return visited;
}

void Checker::CheckUITags()
{
    // A table laid out only on its first Update has its cells still unplaced when the screen
    // reads them at opening.
    for (const TagUse& read : m_TableReads) {
        // An instance may add "on_start" to a base that lacks it: any table so tagged that has
        // it is taken as the one read.
        const std::set<std::string> subtree = Subtree(read.prototype);
        bool tagged = false, onStart = false;
        std::set<std::string> inactive;
        for (const TaggedTable& table : m_UITables)
            if (table.tag == read.tag && subtree.count(table.prototype)) {
                tagged = true, onStart = onStart || table.onStart;
                inactive.insert(table.inactiveCells.begin(), table.inactiveCells.end());
            }
        if (tagged && !onStart)
            Add(read.file, read.where + " reads its \"" + read.key + "\" table \"" + read.tag +
                               "\" at opening, but that UITable has no \"on_start\": its cells are not laid out yet");
        // The layout places and lists only active cells: the screen counts every cell but reads
        // the listed ones, so an inactive one is missing or another stands in for it.
        for (const std::string& cell : inactive)
            Add(read.file, read.where + " reads its \"" + read.key + "\" table \"" + read.tag +
                               "\" at opening, but its cell \"" + cell +
                               "\" is inactive in the data: the table lays out only active cells");
    }
    // Widgets find their neighbours and targets by tag under their panel.
    std::set<size_t> reported;
    for (const std::string& panel : m_UIPanels) {
        const std::set<std::string> subtree = Subtree(panel);
        std::set<std::string> tags;
        for (const std::string& name : subtree)
            if (auto it = m_PrototypeTags.find(name); it != m_PrototypeTags.end())
                tags.insert(it->second.begin(), it->second.end());
        for (size_t i = 0; i < m_WidgetTags.size(); ++i) {
            const TagUse& use = m_WidgetTags[i];
            if (subtree.count(use.prototype) && !tags.count(use.tag) && reported.insert(i).second)
                Add(use.file, use.where + " \"" + use.key + "\" names the tag \"" + use.tag +
                                  "\", which no object of the panel \"" + panel + "\" has: it is never found");
        }
    }
}

void Checker::CheckPrototypeCycles()
{
    // A prototype built again inside itself never finishes.
    std::set<std::set<std::string>> reported;
    std::vector<std::string> path;
    std::function<void(const std::string&)> visit = [&](const std::string& name) {
        if (auto it = std::find(path.begin(), path.end(), name); it != path.end()) {
            // One finding per loop, whichever of its prototypes the walk entered it by.
            if (reported.insert(std::set<std::string>(it, path.end())).second) {
                std::string chain;
                for (auto step = it; step != path.end(); ++step)
                    chain += *step + " -> ";
                Add(kStages.pattern, "prototypes contain themselves: " + chain + name);
            }
            return;
        }
        if (path.size() > 64)
            return;
        path.push_back(name);
        auto bases = m_PrototypeBases.find(name);
        if (bases != m_PrototypeBases.end())
            for (const std::string& base : std::set<std::string>(bases->second.begin(), bases->second.end()))
                visit(base);
        path.pop_back();
    };
    for (const auto& [name, bases] : m_PrototypeBases)
        visit(name);
}

void Checker::CheckBuildBounds()
{
    // How deep each prototype's tree nests and how many objects it makes, each prototype
    // measured once from its children's measures; a child on the walk's own path (a loop,
    // reported apart) counts as nothing.
    struct Measure {
        size_t depth = 0;
        size_t objects = 0; // held at the bound plus one
        int state = 0;      // 0 not seen, 1 on the path, 2 measured
    };
    std::map<std::string, Measure> measures;
    std::set<std::string> children;
    for (const auto& [name, bases] : m_PrototypeBases)
        children.insert(bases.begin(), bases.end());
    auto basesOf = [&](const std::string& name) -> const std::vector<std::string>* {
        auto it = m_PrototypeBases.find(name);
        return it == m_PrototypeBases.end() ? nullptr : &it->second;
    };
    for (const auto& entry : m_PrototypeBases) {
        if (measures[entry.first].state != 0)
            continue;
        measures[entry.first].state = 1;
        std::vector<std::pair<std::string, size_t>> path{{entry.first, 0}}; // a name, its next child
        while (!path.empty()) {
            const std::string name = path.back().first;
            const std::vector<std::string>* bases = basesOf(name);
            if (bases && path.back().second < bases->size()) {
                const std::string& base = (*bases)[path.back().second++];
                // A name of no prototype builds nothing (reported apart).
                if (m_PrototypeBases.count(base) && measures[base].state == 0) {
                    measures[base].state = 1;
                    path.emplace_back(base, 0);
                }
                continue;
            }
            Measure& measure = measures[name];
            measure.depth = 1;
            measure.objects = 1;
            for (const std::string& base : bases ? *bases : std::vector<std::string>()) {
                auto child = measures.find(base);
                if (child == measures.end() || child->second.state != 2)
                    continue;
                measure.depth = std::max(measure.depth, child->second.depth + 1);
                measure.objects = std::min(measure.objects + child->second.objects, kMaxBuildObjects + 1);
            }
            measure.state = 2;
            path.pop_back();
        }
    }
    std::map<std::string, std::string> files; // prototype -> its file
    for (const DataFile& file : m_Files)
        if (file.folder == &kStages || file.folder == &kGameObjects)
            files.emplace(file.name, file.entry);
    // Reported on the prototypes no other one builds, where a build starts.
    for (const auto& [name, measure] : measures) {
        if (children.count(name) || !m_PrototypeBases.count(name))
            continue;
        const std::string file = files.count(name) ? files[name] : kGameObjects.pattern;
        if (measure.depth > kMaxBuildDepth) {
            // The deepest way down, to the prototype the game no longer builds.
            std::string refused = name;
            for (size_t level = 0; level < kMaxBuildDepth; ++level) {
                const std::vector<std::string>* bases = basesOf(refused);
                std::string deepest;
                for (const std::string& base : bases ? *bases : std::vector<std::string>())
                    if (measures.count(base) && measures[base].state == 2 &&
                        (deepest.empty() || measures[base].depth > measures[deepest].depth))
                        deepest = base;
                if (deepest.empty())
                    break;
                refused = deepest;
            }
            Add(file, "nests prototypes " + std::to_string(measure.depth) + " deep, past the game's bound of " +
                          std::to_string(kMaxBuildDepth) + ": " + refused + " and what lies below it are not built");
        }
        if (measure.objects > kMaxBuildObjects)
            Add(file, "makes more than " + std::to_string(kMaxBuildObjects) +
                          " objects in one build, the game's bound: the rest are not built");
    }
}

void Checker::CheckStageColorTrails()
{
    // A stage-coloured trail anywhere below a stage without a generator keeps its own colour.
    for (const auto& [stage, file] : m_StageFiles) {
        if (PrototypeComponents(stage).count("StageGenerator"))
            continue;
        std::set<std::string> seen;
        std::vector<std::string> open{stage};
        while (!open.empty()) {
            const std::string name = open.back();
            open.pop_back();
            if (!seen.insert(name).second)
                continue;
            if (m_StageColorTrails.count(name)) {
                Add(file, "warning: " + name + " takes the stage's blur colour, but " + stage +
                              " has no StageGenerator: the trail keeps its own colour");
                break;
            }
            if (auto it = m_PrototypeBases.find(name); it != m_PrototypeBases.end())
                open.insert(open.end(), it->second.begin(), it->second.end());
        }
    }
}

void Checker::CheckRequiredNames()
{
    if (!IsPrototype(kTitleStage))
        Add(kStages.pattern, std::string("no prototype ") + kTitleStage + ": the game starts with that stage");
    for (const auto& required : kRequiredTaggedPrototypes) {
        if (!IsPrototype(required.prototype)) {
            Add(kGameObjects.pattern, std::string("no prototype ") + required.prototype);
            continue;
        }
        PushGlobal(required.prototype);
        lua_getfield(L, -1, "object_tag");
        if (!lua_isstring(L, -1) || std::string(lua_tostring(L, -1)) != required.tag)
            Add(kGameObjects.pattern,
                std::string("the prototype ") + required.prototype + " is not tagged \"" + required.tag + "\"");
        lua_pop(L, 2);
    }
    // Terrain segments are made from this prototype, and their colliders are added to it.
    if (IsPrototype(kTerrainTemplate)) {
        PushGlobal(kTerrainTemplate);
        lua_getfield(L, -1, "object_tag");
        if (!lua_isstring(L, -1) || std::string(lua_tostring(L, -1)) != "Terrain")
            Add(kGameObjects.pattern, std::string("the prototype ") + kTerrainTemplate + " is not tagged \"Terrain\"");
        lua_pop(L, 1);
        lua_getfield(L, -1, "components");
        if (lua_istable(L, -1))
            for (const char* collider : {"Box2DCollider", "CircleCollider", "SegmentCollider"}) {
                lua_getfield(L, -1, collider);
                if (!lua_isnil(L, -1))
                    Add(kGameObjects.pattern, std::string("the prototype ") + kTerrainTemplate + " carries a " + collider +
                        ": each segment gets its own");
                lua_pop(L, 1);
            }
        lua_pop(L, 2);
    } else if (m_bBuildsTerrain) {
        Add(kGameObjects.pattern, std::string("no prototype ") + kTerrainTemplate + ": terrain factories build from it");
    }
    for (const char* quest : kRequiredQuests)
        if (!m_Quests.count(quest))
            Add(kQuests.pattern, std::string("no quest ") + quest);
}

std::vector<DataFinding> Checker::Run(DataCounts* counts)
{
    if (g_pArchiveSystem || g_pScriptSystem || g_pComponentFactory) {
        Add(m_Game, "the checker needs a process without a running game");
        return m_Findings;
    }
    Mount();
    g_pScriptSystem = new ScriptSystem;
    L = g_pScriptSystem->GetState();
    lua_pushglobaltable(L);
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
        if (lua_type(L, -2) == LUA_TSTRING)
            m_LibraryGlobals.insert(lua_tostring(L, -2));
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    // Makes a file's globals table: reads fall through to the shared globals; a global set to
    // nil is noted in the metatable's "deleted".
    luaL_dostring(L, "local G, rawset, setmetatable = _G, rawset, setmetatable\n"
                     "return function()\n"
                     "  local deleted = {}\n"
                     "  local env = setmetatable({}, { __index = G, deleted = deleted,\n"
                     "    __newindex = function(t, k, v) if v == nil then deleted[k] = true else rawset(t, k, v) end end })\n"
                     "  rawset(env, '_G', env)\n"
                     "  return env\n"
                     "end");
    lua_setfield(L, LUA_REGISTRYINDEX, "qm_datacheck_newenv");
    InstallComponents();
    m_Factory.RegisterAll();

    ListFiles();
    // Every file runs folder by folder, as the world state runs them. A folder whose files share
    // one global is checked file by file as they run (the next file replaces the global); the
    // tables named like their files are checked once everything has run, since they name each
    // other (quests name stages, children name prototypes).
    for (const DataFolder* folder : kFolders) {
        for (DataFile& file : m_Files) {
            if (file.folder != folder)
                continue;
            RunFile(file);
            if (folder == &kTextures)
                CheckTextures(file);
            else if (folder == &kAtlases)
                CheckAtlas(file);
            else if (folder == &kAnimations)
                CheckAnimations(file);
            lua_settop(L, 0);
        }
        // The game's own loaders build the tables later folders are checked against.
        if (folder == &kTextures) {
            m_pTextures = std::make_unique<TextureTable>();
            m_pTextures->LoadFolder(kTextures.pattern);
        } else if (folder == &kAtlases) {
            m_pAtlas = std::make_unique<AtlasTable>();
            m_pAtlas->LoadFolder(kAtlases.pattern);
        } else if (folder == &kAccessories) {
            m_pAccessories = std::make_unique<AccessoryTable>();
            m_pAccessories->Create();
            m_pAccessories->Load(kAccessories.pattern);
        }
    }
    // The game's loaders read the table a file leaves behind even when the file stopped at an
    // error after defining it: such a file is checked like the others.
    for (const DataFile& file : m_Files) {
        if (file.folder == &kQuests && PushGlobal(file.name.c_str()) == LUA_TTABLE)
            m_Quests.insert(file.name);
        else if ((file.folder == &kStages || file.folder == &kGameObjects) &&
                 PushGlobal(file.name.c_str()) == LUA_TTABLE)
            m_Prototypes.insert(file.name);
        lua_settop(L, 0);
    }
    for (const DataFile& file : m_Files) {
        if (file.folder == &kTexts)
            CheckText(file);
        else if (file.folder == &kAccessories)
            CheckAccessory(file);
        else if (file.folder == &kQuests)
            CheckQuest(file);
        else if (file.folder == &kStages || file.folder == &kGameObjects)
            CheckPrototype(file);
        if (file.folder == &kStages)
            m_StageFiles[file.name] = file.entry;
        lua_settop(L, 0);
    }
    CheckPrototypeCycles();
    CheckBuildBounds();
    CheckStageColorTrails();
    CheckRequiredNames();
    CheckBackdropCameras();
    CheckTerrainIsDrawn();
    for (const TaggedChildren& screen : m_TaggedChildren) {
        // The tags of the prototype and of every prototype built inside it.
        std::set<std::string> tags, visited;
        std::function<void(const std::string&, int)> gather = [&](const std::string& name, int depth) {
            if (depth > 64 || !visited.insert(name).second)
                return;
            if (auto it = m_PrototypeTags.find(name); it != m_PrototypeTags.end())
                tags.insert(it->second.begin(), it->second.end());
            if (auto it = m_PrototypeBases.find(name); it != m_PrototypeBases.end())
                for (const std::string& base : it->second)
                    gather(base, depth + 1);
        };
        gather(screen.prototype, 0);
        for (const auto& [key, tag] : screen.tags)
            if (tag.empty())
                Add(screen.file, screen.where + " " + screen.component + " has no \"" + key + "\": that part is never found");
            else if (!tags.count(tag))
                Add(screen.file, screen.where + " " + screen.component + " finds its \"" + key + "\" by the tag \"" + tag +
                                     "\", which no object in it has");
    }
    CheckPieceTables();
    CheckUITags();
    m_Assets.CheckFonts();
    m_Assets.CheckShaders();
    m_Assets.CheckSounds();
    m_Assets.CheckMovies();
    for (const StageTabStage& tab : m_StageTabStages)
        if (!m_QuestStageNames.count(tab.stage))
            Add(tab.file, tab.where + " UIStageTab lists the stage \"" + tab.stage +
                              "\", which no quest is played on: the tab never offers its quests");
    for (const UIRootCamera& root : m_UIRootCameras)
        if (!m_CameraTags.count(root.camera))
            Add(root.file, root.where + " UIRoot names the camera \"" + root.camera +
                               "\", which no prototype with a Camera2D has as its tag: the tree falls back on "
                               "\"GameCamera\"");

    if (counts) {
        counts->textures = m_pTextures ? m_pTextures->GetCount() : 0;
        counts->texts = m_TextKeys.size();
        counts->sprites = m_pAtlas ? m_pAtlas->GetCount() : 0;
        counts->clips = m_Clips.size();
        counts->accessories = m_pAccessories ? m_pAccessories->GetCount() : 0;
        counts->quests = m_Quests.size();
        counts->prototypes = m_Prototypes.size();
    }
    m_pAccessories.reset();
    m_pAtlas.reset();
    if (m_pTextures)
        m_pTextures->Clear();
    m_pTextures.reset();
    delete g_pScriptSystem;
    g_pScriptSystem = nullptr;
    delete g_pArchiveSystem;
    return m_Findings;
}

} // namespace

std::vector<DataFinding> CheckGameData(const std::string& gameFolder, DataCounts* counts)
{
    Checker checker(gameFolder);
    return checker.Run(counts);
}
