// The data checker on a small game folder of its own: clean, it finds nothing; each broken
// snippet dropped into it gives exactly the findings listed, each naming its file.
#include "DataCheck.h"

#include "PakWriter.h"
#include "Support/Deadline.h"
#include "Support/GameFolder.h"
#include "Support/TempDir.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/ZEVArchive.h"
#include "System/Common/NameHash.h"
#include "System/Common/StreamIO.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// A 64 x 32 TGA image of 32-bit pixels, header and pixels (the checker decodes it).
std::string Tga()
{
    std::string image(18, '\0');
    image[2] = 2;
    image[12] = 64;
    image[14] = 32;
    image[16] = 32;
    image[17] = 8;
    return image + std::string(64 * 32 * 4, '\x7f');
}

// A bitmap font of one glyph on one page, in the binary form the game reads.
std::string Font(const std::string& page)
{
    auto block = [](char type, const std::string& body) {
        const uint32_t size = static_cast<uint32_t>(body.size());
        return std::string(1, type) + std::string{char(size), char(size >> 8), char(size >> 16), char(size >> 24)} +
               body;
    };
    const std::string info = {20, 0};
    const std::string common = {20, 0, 16, 0, 64, 0, 32, 0, 1, 0, 0, 0, 0, 0, 0};
    std::string glyph(20, '\0');
    glyph[0] = 'A';
    glyph[8] = glyph[10] = glyph[16] = 8; // 8 x 8, advancing 8
    glyph[19] = 15;
    return std::string("BMF\3") + block(1, info) + block(2, common) + block(3, page + std::string(1, '\0')) +
           block(4, glyph);
}

std::string SourceFile(const std::string& name)
{
    std::ifstream file(std::string(QM_SOURCE_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The shipped home stage compiled with luac when the tests are built.
std::string PrecompiledStage()
{
    std::ifstream file(QM_PRECOMPILED_FIXTURE, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

const std::map<std::string, std::string> kCleanFolder = {
    {"assets.v1/2d/sprites/sheet.tga", Tga()},
    {"assets.v1/2d/fonts/nachin_20.fnt", Font("nachin_20_0.tga")},
    {"assets.v1/2d/fonts/nachin_20_0.tga", Tga()},
    {"assets.v1/2d/fonts/nachin_30.fnt", Font("nachin_30_0.tga")},
    {"assets.v1/2d/fonts/nachin_30_0.tga", Tga()},
    {"assets.v1/shaders/instancing_vs.vsh", SourceFile("content/paks/shader/instancing_vs.vsh")},
    {"assets.v1/shaders/instancing_ps.psh", SourceFile("content/paks/shader/instancing_ps.psh")},
    {"assets.v1/scripts/prerequisites/prereq_base.lua", "LAYER_BASE = 1 -- bit 0\n"},
    {"assets.v1/scripts/textures/tex_base.lua",
     "texture_table = { sheet = { texture_name = 'assets.v1/2d/sprites/sheet', load_type = 0 } }\n"},
    {"assets.v1/scripts/text/text_base.lua", "text_base = { hello = { 'a', 'b' } }\n"},
    {"assets.v1/scripts/atlases/atlas_base.lua",
     "spriteSheet = { texture = 'sheet.tga', textureSize = { width = 64, height = 32 }, sprites = {\n"
     "  { name = 'dot_0.png', sourceRect = { x = 0, y = 0, width = 32, height = 32 },\n"
     "    originalSize = { width = 32, height = 32 }, uvRect = { x = 0, y = 0, width = 32, height = 32 } } } }\n"},
    {"assets.v1/scripts/animations/anim_base.lua",
     "animation_table = {\n"
     "  dot_blink = { wrapMode = 1, animationSheet = { frame_per_sec = 10, animation = { { 'dot_0', 2 } } } },\n"
     "  dot_grid = { sprite_anim = { spriteSize = { x = 32, y = 32 }, animation = { { 'sheet', 0, 1, 4 } } } },\n"
     "  dot_still = { texcoord = { 'sheet', 0, 0, 32, 32 },\n"
     "    pose_anim = { { 2, 1, 90, 0, 1, 0 }, { 3, 0, 1, 0, 1, 1 }, { 4, 0, 1, 0, 1, 1 }, { 5, 0, 1, 0, 1, 1 } } },\n"
     "}\n"},
    {"assets.v1/scripts/accessory/accessory_Base.lua",
     "accessory_Base = { accessoryId = 1, name = 'n', explain = 'e', ability = { { target = 18, point = 1 } } }\n"},
    {"assets.v1/scripts/quest/vididezare.lua",
     "vididezare = { questId = 0, questName = 'home', stage = { name = 'stage_Home' } }\n"},
    {"assets.v1/scripts/quest/quest501.lua",
     "quest501 = { questId = 1, questName = 'cave', stage = { name = 'stage_TitleScene' },\n"
     "  enemyList = { boss = { name = 'obj_Foe', nextStage = 'stage_Home' } },\n"
     "  rewards = { { rewardType = 3, rewardValue = Script.hash('accessory_Base'),\n"
     "    condition = { { { compare = 5, target = 31, type = Script.hash('quest501'), value = 1 } } },\n"
     "    rewardInfo = { { name = 'n', suggestion = 's' }, { name = 'n', suggestion = 'held' } } } } }\n"},
    {"assets.v1/scripts/stage/stage_TitleScene.lua",
     "stage_TitleScene = { object_activity = 1, object_layer = LAYER_BASE, components = { Transform = {} },\n"
     "  children = { { base_script = 'ui_camera', object_activity = 0 }, { base_script = 'camera',\n"
     "    components = { Transform = { position = { x = 1 } } }, children = { { base_script = 'ui_camera' } } } } }\n"},
    {"assets.v1/scripts/stage/stage_Home.lua", "stage_Home = { object_activity = 1, object_layer = 0 }\n"},
    {"assets.v1/scripts/game_objects/camera.lua",
     "camera = { object_tag = 'GameCamera', object_activity = 1, object_layer = 4 }\n"},
    {"assets.v1/scripts/game_objects/ui_camera.lua",
     "ui_camera = { object_tag = 'UICamera', object_activity = 1, object_layer = 4 }\n"},
    {"assets.v1/scripts/game_objects/obj_Foe.lua",
     "obj_Foe = { object_activity = 1, object_layer = 1,\n"
     "  components = { EnemyController = { initState = 'idle', stateMachine = { idle = {} } } } }\n"},
};

struct Expected {
    std::string file;
    std::string reason; // a part of the reason
    bool warning = false;
};

// The findings are the expected ones (file, a part of the reason, warning or error) and no others.
void ExpectFindings(const char* what, const std::vector<DataFinding>& findings, const std::vector<Expected>& expected)
{
    std::string all;
    for (const DataFinding& f : findings)
        all += "\n  " + FormatFinding(f);
    EXPECT_EQ(findings.size(), expected.size()) << what << ":" << all;
    for (const Expected& e : expected) {
        bool found = false;
        for (const DataFinding& f : findings)
            found = found || (f.file == e.file && f.reason.find(e.reason) != std::string::npos && f.warning == e.warning);
        EXPECT_TRUE(found) << what << ": no \"" << e.file << ": ..." << e.reason << "...\" among" << all;
    }
}

struct BrokenCase {
    const char* what;
    std::map<std::string, std::string> files; // added or replaced; empty text removes the file
    std::vector<Expected> findings;
};

std::string Proto(const std::string& name, const std::string& extra = "")
{
    return name + " = { object_activity = 1, object_layer = 1" + (extra.empty() ? "" : ", " + extra) + " }\n";
}

std::string Anim(const std::string& clip)
{
    return "animation_table = { bad = " + clip + " }\n";
}

const std::string kObj = "assets.v1/scripts/game_objects/";
const std::string kAnim = "assets.v1/scripts/animations/anim_more.lua";
const std::string kAnimEntry = "assets.v1/scripts/animations/anim_more";

const BrokenCase kCases[] = {
    {"a script that does not load",
     {{kObj + "obj_Bad.lua", "obj_Bad = {"}},
     {{"assets.v1/scripts/game_objects/obj_Bad", "does not load"}}},
    {"a precompiled chunk, which the game refuses",
     {{kObj + "obj_Compiled.lua", PrecompiledStage()}},
     {{"assets.v1/scripts/game_objects/obj_Compiled", "does not load: attempt to load a binary chunk"}}},
    {"a script that fails",
     {{kObj + "obj_Bad.lua", "error('boom')"}},
     {{"assets.v1/scripts/game_objects/obj_Bad", "fails to run"}}},
    {"a script that waits",
     {{kObj + "obj_Wait.lua", "Script.awakeAt(1)\n" + Proto("obj_Wait")}},
     {{"assets.v1/scripts/game_objects/obj_Wait", "waits"}}},
    // "ソ" is 0x83 0x5C in Shift-JIS: before an "n" it silently makes a line break; in a comment it
    // does no harm.
    {"a string whose character ends in a backslash byte",
     {{kObj + "obj_So.lua", "-- \x83\x5C\n" + Proto("obj_So", "object_name = '\x83\x5Cn'")}},
     {{"assets.v1/scripts/game_objects/obj_So", "line 2: a Shift-JIS character in a string ends in the byte"}}},
    {"a file that defines no global",
     {{kObj + "obj_None.lua", "local obj_None = {}\n"}},
     {{"assets.v1/scripts/game_objects/obj_None", "defines no global obj_None"}}},
    {"a table named unlike its file",
     {{kObj + "obj_Mine.lua", Proto("obj_Yours")}},
     {{"assets.v1/scripts/game_objects/obj_Mine", "defines no global obj_Mine"}}},
    {"a sheet that sets no spriteSheet",
     {{"assets.v1/scripts/atlases/atlas_more.lua", "sheet = {}\n"}},
     {{"assets.v1/scripts/atlases/atlas_more", "defines no global spriteSheet"}}},
    {"one file name in two folders",
     {{kObj + "stage_Home.lua", Proto("stage_Home")}},
     {{"assets.v1/scripts/stage/stage_Home", "same file name as assets.v1/scripts/game_objects/stage_Home"}}},
    {"a file named like a library global",
     {{kObj + "string.lua", Proto("string")}},
     {{"assets.v1/scripts/game_objects/string", "replaces the Lua global string"}}},
    {"a file named like a constant",
     {{kObj + "LAYER_BASE.lua", Proto("LAYER_BASE")}},
     {{"assets.v1/scripts/game_objects/LAYER_BASE", "already set by assets.v1/scripts/prerequisites/prereq_base"}}},
    {"a file outside the data folders",
     {{"assets.v1/scripts/misc/extra.lua", "extra = {}"}},
     {{"assets.v1/scripts/misc/extra", "lies in no folder the game reads"}}},
    {"a text keyed by number",
     {{"assets.v1/scripts/text/text_base.lua", "text_base = { [1] = { 'a' } }"}},
     {{"assets.v1/scripts/text/text_base", "keys the game walks must be strings"}}},
    {"components keyed by number",
     {{kObj + "obj_Keys.lua", Proto("obj_Keys", "components = { {} }")}},
     {{"assets.v1/scripts/game_objects/obj_Keys", "keys the game walks must be strings"}}},
    {"a texture without its image",
     {{"assets.v1/scripts/textures/tex_more.lua",
       "texture_table = { ghost = { texture_name = 'assets.v1/2d/sprites/ghost', load_type = 0 } }"}},
     {{"assets.v1/scripts/textures/tex_more", "its image assets.v1/2d/sprites/ghost is in no archive"}}},
    {"a sheet on an unknown texture",
     {{"assets.v1/scripts/atlases/atlas_more.lua",
       "spriteSheet = { texture = 'ghost.tga', textureSize = { width = 8, height = 8 }, sprites = {} }"}},
     {{"assets.v1/scripts/atlases/atlas_more", "the sheet's texture ghost is not in the texture table"}}},
    {"an unknown atlas sprite",
     {{kAnim, Anim("{ animationSheet = { animation = { { 'dot_9', 1 } } } }")}},
     {{kAnimEntry, "the atlas has no sprite dot_9"}}},
    {"an empty sheet",
     {{kAnim, Anim("{ animationSheet = { animation = {} } }")}},
     {{kAnimEntry, "empty \"animation\" list: the track is dropped"}}},
    {"a grid on an unknown texture",
     {{kAnim, Anim("{ sprite_anim = { spriteSize = { x = 32, y = 32 }, animation = { { 'ghost', 0, 0, 1 } } } }")}},
     {{kAnimEntry, "which the texture table lacks: the run is dropped"}}},
    {"a grid without a cell size",
     {{kAnim, Anim("{ sprite_anim = { animation = { { 'sheet', 0, 0, 1 } } } }")}},
     {{kAnimEntry, "into 0 columns"}}},
    {"a grid of too many columns",
     {{kAnim, Anim("{ sprite_anim = { spriteSize = { x = 0.25, y = 32 }, animation = { { 'sheet', 0, 0, 1 } } } }")}},
     {{kAnimEntry, "into 256 columns"}}},
    {"a cell outside the grid",
     {{kAnim, Anim("{ sprite_anim = { spriteSize = { x = 32, y = 32 }, animation = { { 'sheet', 0, 2, 1 } } } }")}},
     {{kAnimEntry, "cell 2 lies outside the 2 x 1 grid of sheet"}}},
    {"grid runs whose cells do not fit a signed byte",
     {{kAnim, Anim("{ sprite_anim = { spriteSize = { x = 1, y = 1 }, animation = { { 'sheet', 120, 140, 1 },"
                   " { 'sheet', 0, 127, 1 }, { 'sheet', -1, 3, 1 }, { 'sheet', 127, 1, 1 } } } }")}},
     {{kAnimEntry, "run 1 covers cells 120 to 140: only cells 0 to 127"},
      {kAnimEntry, "run 2 covers cells 0 to 127: only cells 0 to 127"},
      {kAnimEntry, "run 3 covers cells -1 to 3: only cells 0 to 127"}}},
    {"negative frame rates",
     {{kAnim, "animation_table = { bad = { animationSheet = { frame_per_sec = -10, animation = { { 'dot_0', 2 } } } },\n"
              "  worse = { sprite_anim = { frame_per_sec = -1, spriteSize = { x = 32, y = 32 },"
              " animation = { { 'sheet', 0, 1, 1 } } } } }\n"}},
     {{kAnimEntry, "clip bad animationSheet \"frame_per_sec\" -10 is not positive"},
      {kAnimEntry, "clip worse sprite_anim \"frame_per_sec\" -1 is not positive"}}},
    {"a rectangle on an unknown texture",
     {{kAnim, Anim("{ texcoord = { 'ghost', 0, 0, 1, 1 } }")}},
     {{kAnimEntry, "the rectangle is dropped"}}},
    {"a pose channel past the last",
     {{kAnim, Anim("{ pose_anim = { { 12, 1, 1, 0, 1, 0 }, { 3, 0, 1, 0, 1, 1 }, { 4, 0, 1, 0, 1, 1 },"
                   " { 5, 0, 1, 0, 1, 1 } } }")}},
     {{kAnimEntry, "keys the channel 12 (0 to 11 exist): the key is dropped"}}},
    {"no object_activity",
     {{kObj + "obj_Off.lua", "obj_Off = { object_layer = 1 }"}},
     {{"assets.v1/scripts/game_objects/obj_Off", "has no \"object_activity\" (write 0 when"}}},
    {"a misspelt layer constant",
     {{kObj + "obj_Layer.lua", "obj_Layer = { object_activity = 1, object_layer = LAYER_BASS }"}},
     {{"assets.v1/scripts/game_objects/obj_Layer", "has no \"object_layer\""}}},
    {"an unknown component",
     {{kObj + "obj_Comp.lua", Proto("obj_Comp", "components = { Transfrom = {} }")}},
     {{"assets.v1/scripts/game_objects/obj_Comp", "unknown component Transfrom"}}},
    {"a child naming no prototype",
     {{kObj + "obj_Kid.lua", Proto("obj_Kid", "children = { { base_script = 'obj_Nobody' } }")}},
     {{"assets.v1/scripts/game_objects/obj_Kid", "child 1: its base_script \"obj_Nobody\" names no prototype"}}},
    {"a child that is not a table",
     {{kObj + "obj_Kid.lua", Proto("obj_Kid", "children = { 'camera' }")}},
     {{"assets.v1/scripts/game_objects/obj_Kid", "child 1 is a string, not a table: it is skipped"}}},
    {"a sparse children list",
     {{kObj + "obj_Kid.lua",
       Proto("obj_Kid", "children = { [1] = { base_script = 'camera' }, [9] = { base_script = 'camera' } }")}},
     {{"assets.v1/scripts/game_objects/obj_Kid", "has holes: 2 entries up to position 9"}}},
    {"prototypes that contain themselves",
     {{kObj + "loop_A.lua", Proto("loop_A", "children = { { base_script = 'loop_B' } }")},
      {kObj + "loop_B.lua",
       Proto("loop_B", "children = { { base_script = 'camera', children = { { base_script = 'loop_A' } } } }")}},
     {{"assets.v1/scripts/stage/", "prototypes contain themselves: loop_A -> loop_B -> loop_A"}}},
    {"a stage tab listing a stage that no quest is played on",
     {{kObj + "obj_Tabs.lua",
       Proto("obj_Tabs", "components = { UIStageTab = { stage_names = { 'stage_Home', 'stage_Nowhere' } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Tabs", "UIStageTab lists the stage \"stage_Nowhere\", which no quest"}}},
    {"a report missing a tagged part, and one whose parts are in a child prototype",
     {{kObj + "obj_Report.lua",
       Proto("obj_Report", "components = { UIFrameReport = { label_report = 'label', bg_quest_title = 'banner' } },\n"
                           "  children = { { base_script = 'obj_Label' } }")},
      {kObj + "obj_Label.lua", Proto("obj_Label", "object_tag = 'label'")},
      {kObj + "obj_Whole.lua",
       Proto("obj_Whole", "components = { UIFrameReport = { label_report = 'label', bg_quest_title = 'banner' } },\n"
                          "  children = { { base_script = 'obj_Label' }, { base_script = 'obj_Label', object_tag = 'banner' } }")}},
     {{"assets.v1/scripts/game_objects/obj_Report", "finds its \"bg_quest_title\" by the tag \"banner\", which no object"}}},
    {"an upgrade screen without its attack row and accessory bar, and a row whose pieces lack a tween or an atlas",
     {{kObj + "obj_Upgrade.lua",
       Proto("obj_Upgrade", "components = { UIFrameUpgradeParameter = { select = 'hp', table = 'rows',"
                            " accessory = 'acc', label_experience_cost = 'lab', label_experience_total = 'lab',"
                            " sprite_rank_badge = 'lab' } },\n"
                            "  children = { { base_script = 'obj_Lab', object_tag = 'rows' }, { base_script = 'obj_Lab' },"
                            " { base_script = 'obj_Row', object_tag = 'ui_upgrade_hp_max' },"
                            " { base_script = 'obj_Row', object_tag = 'ui_upgrade_hp_recharge' },"
                            " { base_script = 'obj_Row', object_tag = 'ui_upgrade_defense' },"
                            " { base_script = 'obj_Row', object_tag = 'ui_upgrade_special_attack' },"
                            " { base_script = 'obj_Row', object_tag = 'ui_upgrade_special_charge' } }")},
      {kObj + "obj_Lab.lua", Proto("obj_Lab", "object_tag = 'lab'")},
      {kObj + "obj_Row.lua",
       Proto("obj_Row", "object_tag = 'hp', components = { UIUpgradeBar = { label_title = 'lab', label_num = 'lab',"
                        " sprite_select = 'lab', sprite_arrow_left = 'lab', sprite_arrow_right = 'lab',"
                        " table_piece = 'pieces' } },\n"
                        "  children = { { base_script = 'obj_Lab' }, { base_script = 'obj_Pieces' } }")},
      {kObj + "obj_Pieces.lua",
       Proto("obj_Pieces", "object_tag = 'pieces', children = { { base_script = 'obj_Piece' },"
                           " { base_script = 'obj_Bare' } }")},
      {kObj + "obj_Piece.lua", Proto("obj_Piece", "components = { TextureAtlas = { atlasName = 'dot_0' }, TweenColor = {} }")},
      {kObj + "obj_Bare.lua", Proto("obj_Bare", "components = { TextureAtlas = { atlasName = 'dot_0' } }")}},
     {{"assets.v1/scripts/game_objects/obj_Upgrade", "finds its \"accessory\" by the tag \"acc\", which no object"},
      {"assets.v1/scripts/game_objects/obj_Upgrade", "finds its \"row\" by the tag \"ui_upgrade_attack\", which no"},
      {"assets.v1/scripts/game_objects/obj_Row", "the piece \"obj_Bare\" of its table \"pieces\" has no TweenColor"}}},
    {"a quest stage naming no prototype",
     {{"assets.v1/scripts/quest/vididezare.lua",
       "vididezare = { questId = 0, questName = 'home', stage = { name = 'stage_Hom' } }"}},
     {{"assets.v1/scripts/quest/vididezare", "the quest's stage \"stage_Hom\" names no prototype"}}},
    {"a quest asking for more areas than a stage takes",
     {{"assets.v1/scripts/quest/quest_More.lua",
       "quest_More = { questId = 2, questName = 'x', stage = { name = 'stage_Home', areaCount = 257 } }"}},
     {{"assets.v1/scripts/quest/quest_More", "\"stage.areaCount\" 257 is more than 256"}}},
    {"a reward counting an unknown quest",
     {{"assets.v1/scripts/quest/quest_More.lua",
       "quest_More = { questId = 2, questName = 'x', stage = { name = 'stage_Home' }, rewards = { { rewardType = 1,\n"
       "  condition = { { { compare = 5, target = 31, type = Script.hash('quest_Cave'), value = 1 } } },\n"
       "  rewardInfo = { { name = 'n', suggestion = 's' }, { name = 'n', suggestion = 'held' } } } } }"}},
     {{"assets.v1/scripts/quest/quest_More", "counts the clears of no known quest"}}},
    {"a reward of an unknown accessory",
     {{"assets.v1/scripts/quest/quest_More.lua",
       "quest_More = { questId = 2, questName = 'x', stage = { name = 'stage_Home' },\n"
       "  rewards = { { rewardType = 3, rewardValue = Script.hash('accessory_Gone'),\n"
       "    rewardInfo = { { name = 'n', suggestion = 's' }, { name = 'n', suggestion = 'held' } } } } }"}},
     {{"assets.v1/scripts/quest/quest_More", "gives an accessory the accessory table lacks"}}},
    // The quest select shows a listed reward's name and hint from "rewardInfo" (the first entry
    // until the reward is held, then the second); experience is not listed.
    {"listed rewards without both reward texts",
     {{"assets.v1/scripts/quest/quest_More.lua",
       "quest_More = { questId = 2, questName = 'x', stage = { name = 'stage_Home' }, rewards = {\n"
       "  { rewardType = 1, rewardValue = 1 }, { rewardType = 4, rewardValue = 10 },\n"
       "  { rewardType = 2, rewardValue = 1, rewardInfo = { { name = 'n', suggestion = 's' } } } } }"}},
     {{"assets.v1/scripts/quest/quest_More", "reward 1 has no \"rewardInfo\""},
      {"assets.v1/scripts/quest/quest_More", "reward 3 has 1 \"rewardInfo\" entry"}}},
    // The sprite batch clips depths outside 0.1..100; 0 is its default, and an object without a
    // renderer has no depth to draw at.
    {"renderers set nearer or deeper than the sprite batch draws",
     {{kObj + "obj_Note.lua",
       Proto("obj_Note", "components = { Transform = { position = { z = -2 } }, FontRenderer = { font = 0 } },\n"
                         "  children = { { base_script = 'obj_Deep' }, { base_script = 'obj_Fine' },"
                         " { base_script = 'obj_Bare' } }")},
      {kObj + "obj_Deep.lua",
       Proto("obj_Deep", "components = { Transform = { position = { z = 120 } }, SpriteRenderer = {} }")},
      {kObj + "obj_Fine.lua",
       Proto("obj_Fine", "components = { Transform = { position = { z = 0 } }, SpriteRenderer = {} }")},
      {kObj + "obj_Bare.lua", Proto("obj_Bare", "components = { Transform = { position = { z = -5 } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Note", "draws at the depth -2, outside the sprite batch's 0.1 to 100"},
      {"assets.v1/scripts/game_objects/obj_Deep", "draws at the depth 120, outside"}}},
    // A yes/no dialog writes its question into the label it finds by tag, and moves the window
    // it finds by tag: without them the question is never shown.
    {"a yes/no dialog naming neither its question's label nor its window",
     {{kObj + "obj_Ask.lua",
       Proto("obj_Ask", "components = { UIFrameCommonYesNo = { info_text = 'Quit?' } },\n"
                        "  children = { { base_script = 'obj_Label', object_tag = 'label_info' } }")},
      {kObj + "obj_Label.lua", Proto("obj_Label", "object_tag = 'label'")}},
     {{"assets.v1/scripts/game_objects/obj_Ask", "UIFrameCommonYesNo has no \"label_info\""},
      {"assets.v1/scripts/game_objects/obj_Ask", "UIFrameCommonYesNo has no \"window_root\""}}},
    {"an ability slot past the last",
     {{"assets.v1/scripts/accessory/accessory_Base.lua",
       "accessory_Base = { accessoryId = 1, name = 'n', explain = 'e', ability = { { target = 19 } } }"}},
     {{"assets.v1/scripts/accessory/accessory_Base", "targets the slot 19 (0 to 18 exist)"}}},
    {"no title stage",
     {{"assets.v1/scripts/stage/stage_TitleScene.lua", ""}},
     {{"assets.v1/scripts/stage/", "no prototype stage_TitleScene"},
      {"assets.v1/scripts/quest/quest501", "the quest's stage \"stage_TitleScene\" names no prototype"}}},
    {"a boss whose next stage names no prototype",
     {{"assets.v1/scripts/quest/quest501.lua",
       "quest501 = { questId = 1, questName = 'cave', stage = { name = 'stage_Home' },\n"
       "  enemyList = { boss = { name = 'obj_Foe', nextStage = 'stage_Gone' } } }"}},
     {{"assets.v1/scripts/quest/quest501", "the boss's next stage \"stage_Gone\" names no prototype"}}},
    {"quest fighters that name no prototype",
     {{"assets.v1/scripts/quest/quest_More.lua",
       "quest_More = { questId = 2, questName = 'x', stage = { name = 'stage_Home' }, enemyList = {\n"
       "  mobs = { { name = 'obj_Foe', rate = 1 }, { name = 'obj_NoMob', rate = 1 } },\n"
       "  objectives = { { name = 'obj_NoTarget', count = 1 } }, stranger = { name = 'obj_NoVisitor' },\n"
       "  boss = { name = 'obj_NoBoss', nextStage = 'stage_Home', follower = { { name = 'obj_NoBat' } } } } }"}},
     {{"assets.v1/scripts/quest/quest_More", "mob 2 \"obj_NoMob\" names no prototype"},
      {"assets.v1/scripts/quest/quest_More", "objective 1 \"obj_NoTarget\" names no prototype"},
      {"assets.v1/scripts/quest/quest_More", "the stranger \"obj_NoVisitor\" names no prototype"},
      {"assets.v1/scripts/quest/quest_More", "the boss \"obj_NoBoss\" names no prototype"},
      {"assets.v1/scripts/quest/quest_More", "the boss's follower 1 \"obj_NoBat\" names no prototype"}}},
    // The director and the battle skip a fighter without an actor; a stranger needs an enemy's.
    {"quest fighters without an actor",
     {{kObj + "obj_Prop.lua", Proto("obj_Prop")},
      {"assets.v1/scripts/quest/quest_More.lua",
       "quest_More = { questId = 2, questName = 'x', stage = { name = 'stage_Home' }, enemyList = {\n"
       "  mobs = { { name = 'obj_Prop', rate = 1 } }, objectives = { { name = 'obj_Prop', count = 1 } },\n"
       "  stranger = { name = 'obj_Prop' },\n"
       "  boss = { name = 'obj_Prop', nextStage = 'stage_Home', follower = { { name = 'obj_Prop' } } } } }"}},
     {{"assets.v1/scripts/quest/quest_More", "mob 1 \"obj_Prop\" has no actor"},
      {"assets.v1/scripts/quest/quest_More", "objective 1 \"obj_Prop\" has no actor"},
      {"assets.v1/scripts/quest/quest_More", "the stranger \"obj_Prop\" has no EnemyController"},
      {"assets.v1/scripts/quest/quest_More", "the boss \"obj_Prop\" has no actor"},
      {"assets.v1/scripts/quest/quest_More", "the boss's follower 1 \"obj_Prop\" has no actor"}}},
    {"mobs none of which has a positive rate",
     {{"assets.v1/scripts/quest/quest_More.lua",
       "quest_More = { questId = 2, questName = 'x', stage = { name = 'stage_Home' }, enemyList = {\n"
       "  mobs = { { name = 'obj_Foe', rate = 0 }, { name = 'obj_Foe', rate = -5 }, { name = 'obj_Foe' } } } }"}},
     {{"assets.v1/scripts/quest/quest_More", "no mob has a positive \"rate\""}}},
    {"an objective asking for more at once than there are spawn points",
     {{"assets.v1/scripts/quest/quest_More.lua",
       "quest_More = { questId = 2, questName = 'x', stage = { name = 'stage_Home' }, enemyList = {\n"
       "  objectives = { { name = 'obj_Foe', count = 20 }, { name = 'obj_Foe', count = 21 } } } }"}},
     {{"assets.v1/scripts/quest/quest_More", "objective 2 asks for 21 at once; there are 20 spawn points"}}},
    {"director state times that are not positive",
     {{"assets.v1/scripts/stage/stage_Home.lua",
       Proto("stage_Home", "components = { ObjectiveController = { relaxTimeMin = 0, relaxTimeMax = 4,"
                           " sustainPeakTimeMin = 1, sustainPeakTimeMax = -2 } }")}},
     {{"assets.v1/scripts/stage/stage_Home", "\"relaxTimeMin\" is not positive"},
      {"assets.v1/scripts/stage/stage_Home", "\"sustainPeakTimeMax\" is not positive"}}},
    {"director waves that never build up",
     {{"assets.v1/scripts/stage/stage_Home.lua",
       Proto("stage_Home", "components = { ObjectiveController = { buildUpSpawnFrequency = 0,"
                           " sustainPeakSpawnFrequency = 0, enemyThreat = -1, intensityMax = 0 } }")}},
     {{"assets.v1/scripts/stage/stage_Home", "\"buildUpSpawnFrequency\" is not positive"},
      {"assets.v1/scripts/stage/stage_Home", "\"enemyThreat\" is not positive"},
      {"assets.v1/scripts/stage/stage_Home", "\"intensityMax\" is not positive"}}},
    {"a director whose companion count reads 0 as a byte",
     {{"assets.v1/scripts/stage/stage_Home.lua",
       Proto("stage_Home", "components = { ObjectiveController = { noticeHuntCount = 256 } }")},
      {"assets.v1/scripts/stage/stage_More.lua",
       Proto("stage_More", "components = { ObjectiveController = { noticeHuntCount = 0 } }")}},
     {{"assets.v1/scripts/stage/stage_Home", "\"noticeHuntCount\" reads 0"},
      {"assets.v1/scripts/stage/stage_More", "\"noticeHuntCount\" reads 0"}}},
    {"a title and an ending whose movies and music are missing",
     {{kObj + "obj_Title.lua",
       Proto("obj_Title", "components = { TitleController = { logoMovie = 'assets.v1/2d/sprites/sheet',\n"
                          "  openingMovie = 'assets.v1/movies/gone', titleMovie = 'assets.v1/2d/sprites/sheet',\n"
                          "  logoBgm = 'assets.v1/2d/sprites/sheet', openingBgm = 'assets.v1/sounds/bgm/gone' },\n"
                          "  EndingController = { { bgm = 'assets.v1/sounds/bgm/gone', se = 'assets.v1/2d/sprites/sheet' },\n"
                          "    { title = 'assets.v1/2d/sprites/sheet' } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Title", "\"openingMovie\" \"assets.v1/movies/gone\" is in no archive"},
      {"assets.v1/scripts/game_objects/obj_Title", "\"openingBgm\" \"assets.v1/sounds/bgm/gone\" is in no archive"},
      {"assets.v1/scripts/game_objects/obj_Title", "page 1 \"title\" names no movie"},
      {"assets.v1/scripts/game_objects/obj_Title", "page 1 \"bgm\" \"assets.v1/sounds/bgm/gone\" is in no archive"}}},
    {"no quest501",
     {{"assets.v1/scripts/quest/quest501.lua", ""}},
     {{"assets.v1/scripts/quest/", "no quest quest501"}}},
    {"a body of no mass",
     {{kObj + "obj_Body.lua", Proto("obj_Body", "components = { Kinematics = { mass = 0 } }")}},
     {{"assets.v1/scripts/game_objects/obj_Body", "\"mass\" 0 is not positive"}}},
    {"terrain records: a polyline of one point, a record without culling mask",
     {{kObj + "obj_Area.lua", Proto("obj_Area", "components = { TerrainFactory = { terrain = {\n"
                                                "  { cullingMask = 1, polyline = { { x = 0, y = 0 } } },\n"
                                                "  { polyline = { { x = 0, y = 0 }, { x = 9, y = 0 } } } } } }")},
      {kObj + "terrain_template.lua", "terrain_template = { object_tag = 'Terrain', object_activity = 1, object_layer = 4 }"}},
     {{"assets.v1/scripts/game_objects/obj_Area", "terrain record 1: a polyline of 1 points makes no segment"},
      {"assets.v1/scripts/game_objects/obj_Area", "terrain record 2 has no \"cullingMask\""},
      {"assets.v1/scripts/game_objects/obj_Area", "floor from (0, 0) to (9, 0) has no sprite of the area's children"}}},
    {"terrain points with holes",
     {{kObj + "obj_Area.lua", Proto("obj_Area", "components = { TerrainFactory = { terrain = {\n"
                                               "  { cullingMask = 3, polyline = { [1] = { x = 2, y = 0 },"
                                               " [2] = { x = 1, y = 0 }, [4] = { x = 0, y = 0 } } } } } }")},
      {kObj + "terrain_template.lua", "terrain_template = { object_tag = 'Terrain', object_activity = 1, object_layer = 4 }"}},
     {{"assets.v1/scripts/game_objects/obj_Area", "terrain record 1 polyline has holes: 3 entries up to position 4"}}},
    {"stage rules, areas and tab stages with holes",
     {{kObj + "obj_Gen.lua",
       Proto("obj_Gen", "components = { StageGenerator = { rules = { [1] = { 1, 1, 0 }, [5] = { 1, 1, 0 } },"
                        " areas = { [1] = 'camera', [9] = 'camera' } },"
                        " UIStageTab = { stage_names = { [1] = 'stage_Home', [3] = 'stage_Home' } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Gen", "rules has holes: 2 entries up to position 5"},
      {"assets.v1/scripts/game_objects/obj_Gen", "areas has holes: 2 entries up to position 9"},
      {"assets.v1/scripts/game_objects/obj_Gen", "stage_names has holes: 2 entries up to position 3"}}},
    {"a digit list with holes",
     {{kObj + "obj_Num.lua",
       Proto("obj_Num", "components = { SpriteNumberRenderer = { sprite_names = { [1] = 'dot_0', [12] = 'dot_0' } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Num", "sprite_names has holes: 2 entries up to position 12"},
      {"assets.v1/scripts/game_objects/obj_Num", "lists 2 sprites, not the ten digits"}}},
    {"a negative speed limit and a wheel whose friction would grow",
     {{kObj + "obj_Body.lua", Proto("obj_Body", "components = { Kinematics = { maxSpeed = -5 } }")},
      {kObj + "obj_Wheel.lua", Proto("obj_Wheel", "components = { UIWheel = { friction = 1.5 } }")}},
     {{"assets.v1/scripts/game_objects/obj_Body", "\"maxSpeed\" -5 is negative"},
      {"assets.v1/scripts/game_objects/obj_Wheel", "\"friction\" 1.5 is not between -1 and 1"}}},
    // A strip (its sprite from its base prototype) drawn on the flat floor; the wall is no
    // floor; the slope up from the wall's top has nothing drawn along it, nor the ceiling.
    {"a floor of the terrain with nothing drawn along it",
     {{kObj + "obj_Strip.lua", Proto("obj_Strip", "components = { SpriteRenderer = {}, TextureAtlas = { atlasName = 'dot_0' } }")},
      {kObj + "obj_Yard.lua",
       Proto("obj_Yard", "components = { TerrainFactory = { terrain = {\n"
                         "  { cullingMask = 1, polyline = { { x = 0, y = 512 }, { x = 64, y = 512 }, { x = 64, y = 400 },\n"
                         "                                  { x = 164, y = 300 } } },\n"
                         "  { cullingMask = 1, polyline = { { x = 900, y = 100 }, { x = 800, y = 100 } } } } } },\n"
                         "  children = { { base_script = 'obj_Strip', components = { Transform = {\n"
                         "    position = { x = -480, y = -248 }, scaling = { x = 2, y = 0.5 } } } } }")},
      {kObj + "terrain_template.lua", "terrain_template = { object_tag = 'Terrain', object_activity = 1, object_layer = 4 }"}},
     {{"assets.v1/scripts/game_objects/obj_Yard",
       "the terrain's floor from (64, 400) to (164, 300) has no sprite of the area's children along it between x 65 and 163"}}},
    {"terrain without its template",
     {{kObj + "obj_Area.lua", Proto("obj_Area", "components = { TerrainFactory = { terrain = {} } }")}},
     {{"assets.v1/scripts/game_objects/", "no prototype terrain_template"}}},
    {"a terrain template untagged and carrying a collider",
     {{kObj + "terrain_template.lua",
       "terrain_template = { object_activity = 1, object_layer = 4, components = { SegmentCollider = {} } }"}},
     {{"assets.v1/scripts/game_objects/", "terrain_template is not tagged \"Terrain\""},
      {"assets.v1/scripts/game_objects/", "terrain_template carries a SegmentCollider"}}},
    {"a rule-driven generator without rules, and an unknown area",
     {{kObj + "obj_Gen.lua", Proto("obj_Gen", "components = { StageGenerator = { areas = { 'camera', 'area_Gone' } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Gen", "area 2 \"area_Gone\" names no prototype"},
      {"assets.v1/scripts/game_objects/obj_Gen", "draws its areas by rules but has 0 rules and 2 areas"}}},
    {"text in a font past the font set",
     {{kObj + "obj_Text.lua", Proto("obj_Text", "components = { FontRenderer = { font = 2, text = 'a' } }")}},
     {{"assets.v1/scripts/game_objects/obj_Text", "\"font\" 2 is outside the 2 fonts"}}},
    {"a trail without interval under an object without a sprite",
     {{kObj + "obj_Star.lua", Proto("obj_Star", "children = { { base_script = 'obj_Tail' } }")},
      {kObj + "obj_Tail.lua", Proto("obj_Tail", "components = { SpriteBlurRenderer = { intervalTime = 0 } }")}},
     {{"assets.v1/scripts/game_objects/obj_Tail", "\"intervalTime\" 0 is not positive"},
      {"assets.v1/scripts/game_objects/obj_Star", "child 1: its SpriteBlurRenderer is not the child of a sprite"}}},
    {"a trail given by the child's own components, under an instance without a sprite",
     {{kObj + "obj_Star.lua", Proto("obj_Star", "children = { { base_script = 'camera', children = {\n"
                                                "  { base_script = 'ui_camera', components = { SpriteBlurRenderer = {\n"
                                                "    intervalTime = 0.05 } } } } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Star", "child 1 child 1: its SpriteBlurRenderer is not the child"}}},
    {"digit sprites: too few, one unknown",
     {{kObj + "obj_Count.lua",
       Proto("obj_Count", "components = { SpriteNumberRenderer = { sprite_names = { 'dot_0', 'gone' } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Count", "digit 1 \"gone\" is no atlas sprite"},
      {"assets.v1/scripts/game_objects/obj_Count", "lists 2 sprites, not the ten digits"}}},
    {"HUD data: a target row that is no prototype, damage digits not ten sprites",
     {{kObj + "obj_Hud.lua",
       Proto("obj_Hud", "components = { UIHudQuestTarget = { quest_target_script_name = 'obj_NoRow' },\n"
                        "  UIDamageNumber = { damage_number = { critical = { { 'dot_0', 'lost' }, 4 } } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Hud", "\"quest_target_script_name\" \"obj_NoRow\" names no prototype"},
      {"assets.v1/scripts/game_objects/obj_Hud", "\"critical\" digit 1 \"lost\" is no atlas sprite"},
      {"assets.v1/scripts/game_objects/obj_Hud", "\"damage_number\" \"critical\" lists 2 sprites, not the ten"}}},
    {"a movie that no archive holds",
     {{kObj + "obj_Film.lua",
       Proto("obj_Film", "components = { MovieRenderer = { title = 'assets.v1/movies/none' } }")}},
     {{"assets.v1/scripts/game_objects/obj_Film", "the movie \"assets.v1/movies/none\" is in no archive"}}},
    {"a movie placed at a depth the projection does not keep (z left out is 0)",
     {{kObj + "obj_Page.lua",
       Proto("obj_Page", "components = { MovieRenderer = { position = { x = 240, y = 135 } } }")},
      {kObj + "obj_Far.lua",
       Proto("obj_Far", "components = { MovieRenderer = { position = { x = 0, y = 0, z = 150 } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Page", "\"position\" z 0 lies outside the movie's depth range"},
      {"assets.v1/scripts/game_objects/obj_Far", "\"position\" z 150 lies outside the movie's depth range"}}},
    {"a stage-coloured trail on a stage without a generator",
     {{"assets.v1/scripts/stage/stage_Home.lua",
       "stage_Home = { object_activity = 1, object_layer = 0, children = { { base_script = 'obj_Star' } } }\n"},
      {kObj + "obj_Star.lua",
       Proto("obj_Star", "components = { SpriteRenderer = {} }, children = { { base_script = 'obj_Tail' } }")},
      {kObj + "obj_Tail.lua",
       Proto("obj_Tail", "components = { SpriteBlurRenderer = { intervalTime = 0.05, useStageColor = true } }")}},
     {{"assets.v1/scripts/stage/stage_Home", "warning: obj_Tail takes the stage's blur colour"}}},
    {"a backdrop without scroll, sprite or atlas",
     {{kObj + "obj_Bg.lua", Proto("obj_Bg", "components = { Transform = {}, BackgroundLayer = { layer = 0 } }")}},
     {{"assets.v1/scripts/game_objects/obj_Bg", "BackgroundLayer has no \"scroll\""},
      {"assets.v1/scripts/game_objects/obj_Bg", "has a BackgroundLayer but no SpriteRenderer"},
      {"assets.v1/scripts/game_objects/obj_Bg", "has a BackgroundLayer but no TextureAtlas"}}},
    {"a backdrop from a shared sheet that does not wrap",
     {{kObj + "obj_Bg.lua", Proto("obj_Bg", "components = { BackgroundLayer = { scroll = 4 }, SpriteRenderer = {},\n"
                                            "  TextureAtlas = { atlasName = 'dot_0' } }")}},
     {{"assets.v1/scripts/game_objects/obj_Bg", "its SpriteRenderer has no \"addressU\""},
      {"assets.v1/scripts/game_objects/obj_Bg", "must show a whole texture of its own"}}},
    {"a backdrop added to an instance takes its base's sprite; a rectangle is not a texture of its own",
     {{kObj + "obj_Pic.lua", Proto("obj_Pic", "components = { SpriteRenderer = { addressU = 1 },\n"
                                              "  TextureAtlas = { atlasInfo = { texture = 'sheet', uvRect = { x = 0 } } } }")},
      {kObj + "obj_Holder.lua",
       Proto("obj_Holder", "children = { { base_script = 'obj_Pic', components = { BackgroundLayer = { scroll = 2 } } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Holder", "child 1 BackgroundLayer: its TextureAtlas must show a whole texture"}}},
    {"a stage showing a backdrop with no game camera to follow",
     {{kObj + "obj_Bg.lua", Proto("obj_Bg", "components = { BackgroundLayer = { scroll = 4 },\n"
                                            "  SpriteRenderer = { addressU = 1 }, TextureAtlas = { atlasInfo = { texture = 'sheet' } } }")},
      {"assets.v1/scripts/stage/stage_Home.lua", Proto("stage_Home", "children = { { base_script = 'obj_Bg' } }")}},
     {{"assets.v1/scripts/stage/stage_Home", "shows a BackgroundLayer but holds no camera tagged \"GameCamera\""}}},
    {"landscape naming no prototype, and a manual entry without a chance",
     {{kObj + "obj_Land.lua",
       Proto("obj_Land", "components = { LandscapeFactory = {\n"
                         "  manual = { { name = 'obj_Gone', rate = 100 }, { name = 'camera' } },\n"
                         "  procedural = { { name = 'obj_Nope', count = { min = 1, max = 2 } } },\n"
                         "  conditional = { { consequent = { name = 'camera', rate = 100 },\n"
                         "                    alternative = { name = 'obj_Away', rate = 50 } } } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Land", "manual entry 1 \"obj_Gone\" names no prototype"},
      {"assets.v1/scripts/game_objects/obj_Land", "obj_Land LandscapeFactory manual entry 2 \"camera\" has no \"rate\"", true},
      {"assets.v1/scripts/game_objects/obj_Land", "procedural entry 1 \"obj_Nope\" names no prototype"},
      {"assets.v1/scripts/game_objects/obj_Land", "conditional entry 1 alternative \"obj_Away\" names no prototype"}}},
    {"music off the stage root, and a track in no archive",
     {{"assets.v1/scripts/stage/stage_Home.lua",
       Proto("stage_Home", "components = { MusicPlayer = { name = 'assets.v1/sounds/bgm/none' } },\n"
                           "  children = { { base_script = 'camera', components = { MusicPlayer = {} } } }")}},
     {{"assets.v1/scripts/stage/stage_Home", "plays \"assets.v1/sounds/bgm/none\", which is in no archive"},
      {"assets.v1/scripts/stage/stage_Home", "child 1 MusicPlayer is not on a stage's root object"}}},
    {"a stranger without an enemy controller and with a theme in no archive",
     {{kObj + "obj_Visitor.lua",
       Proto("obj_Visitor", "components = { StrangerController = { themeSong = 'assets.v1/sounds/bgm/none' } }")}},
     {{"assets.v1/scripts/game_objects/obj_Visitor", "theme \"assets.v1/sounds/bgm/none\" is in no archive"},
      {"assets.v1/scripts/game_objects/obj_Visitor", "StrangerController has no EnemyController beside it"}}},
    {"a menu gimmick without a button or a menu",
     {{kObj + "obj_Spot.lua", Proto("obj_Spot", "components = { GimmickOpenMenu = { open_pad = 0 } }")}},
     {{"assets.v1/scripts/game_objects/obj_Spot", "GimmickOpenMenu has no \"open_pad\""},
      {"assets.v1/scripts/game_objects/obj_Spot", "GimmickOpenMenu has no \"open_menu_name\""}}},
    {"a camera without its tag",
     {{kObj + "camera.lua", "camera = { object_tag = 'Camera', object_activity = 1, object_layer = 4 }"}},
     {{"assets.v1/scripts/game_objects/", "the prototype camera is not tagged \"GameCamera\""}}},
    {"a camera without a screen size",
     {{kObj + "camera.lua",
       "camera = { object_tag = 'GameCamera', object_activity = 1, object_layer = 4, components = { Camera2D = {} } }"}},
     {{"assets.v1/scripts/game_objects/camera", "Camera2D has no \"screenSize\""}}},
    {"animation lists: an unknown clip, a name that is not a list, an unknown collision clip",
     {{kObj + "obj_Anim.lua",
       Proto("obj_Anim", "components = { SpriteAnimation = { stand_loop = { 'dot_blink', 'dot_gone' }, hit = 'dot_blink' },"
                         " CollisionAnimation = { default = { 'nope' } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Anim", "animation stand_loop names the clip \"dot_gone\""},
      {"assets.v1/scripts/game_objects/obj_Anim", "animation hit is a string, not a list of clip names"},
      {"assets.v1/scripts/game_objects/obj_Anim", "CollisionAnimation animation default names the clip \"nope\""}}},
    {"atlas images: an unknown sprite, an unknown texture, neither",
     {{kObj + "obj_A1.lua", Proto("obj_A1", "components = { TextureAtlas = { atlasName = 'dot_9' } }")},
      {kObj + "obj_A2.lua", Proto("obj_A2", "components = { TextureAtlas = { atlasInfo = { texture = 'ghost' } } }")},
      {kObj + "obj_A3.lua", Proto("obj_A3", "components = { TextureAtlas = {} }")},
      {kObj + "obj_A4.lua", Proto("obj_A4", "components = { TextureAtlas = { atlasName = 'dot_0' } }")},
      {kObj + "obj_A5.lua", Proto("obj_A5", "components = { TextureAtlas = { atlasInfo = { texture = 'sheet' } } }")}},
     {{"assets.v1/scripts/game_objects/obj_A1", "\"atlasName\" names \"dot_9\", which the atlas lacks"},
      {"assets.v1/scripts/game_objects/obj_A2", "names the texture \"ghost\", which the texture table lacks"},
      {"assets.v1/scripts/game_objects/obj_A3", "neither \"atlasName\" nor an \"atlasInfo\" table"}}},
    {"a sliced sprite without borders; a bar without size, alpha or parent",
     {{kObj + "obj_Sliced.lua", Proto("obj_Sliced", "components = { SlicedSpriteRenderer = {} }")},
      {"assets.v1/scripts/stage/stage_Home.lua",
       Proto("stage_Home", "components = { SlideBarRenderer = { color = { r = 1, g = 2, b = 3 } } }")},
      {kObj + "obj_Bar.lua",
       Proto("obj_Bar", "components = { SlideBarRenderer = { size = { width = 9, height = 2 },"
                        " undercoatCol = { r = 0, g = 0, b = 0, a = 255 } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Sliced", "SlicedSpriteRenderer has no \"border\""},
      {"assets.v1/scripts/stage/stage_Home", "SlideBarRenderer has no \"size\""},
      {"assets.v1/scripts/stage/stage_Home", "\"color\" has no \"a\""},
      {"assets.v1/scripts/stage/stage_Home", "SlideBarRenderer on a stage's root"}}},
    {"two renderers, two colliders, and a second renderer given to an instance",
     {{kObj + "obj_Two.lua",
       Proto("obj_Two", "components = { SpriteRenderer = {}, SlideBarRenderer = { size = { width = 1, height = 1 } },"
                        " Box2DCollider = {}, CircleCollider = {} }")},
      {kObj + "obj_One.lua", Proto("obj_One", "components = { SpriteRenderer = {}, Box2DCollider = {} }")},
      {kObj + "obj_Holder.lua",
       Proto("obj_Holder", "children = { { base_script = 'obj_One', components = { Box2DCollider = {} } },"
                           " { base_script = 'obj_One', components = { SlicedSpriteRenderer = { border = {} } } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Two", "has two renderers (SpriteRenderer and SlideBarRenderer)"},
      {"assets.v1/scripts/game_objects/obj_Two", "has two colliders (Box2DCollider and CircleCollider)"},
      {"assets.v1/scripts/game_objects/obj_Holder", "child 2 has two renderers"}}},
    {"an instance's position without z over a prototype with a depth (an empty Transform too; a z, or a "
     "prototype at depth 0, is fine)",
     {{kObj + "obj_Deep.lua", Proto("obj_Deep", "components = { Transform = { position = { z = 10 } }, SpriteRenderer = {} }")},
      {kObj + "obj_Flat.lua", Proto("obj_Flat", "components = { Transform = {}, SpriteRenderer = {} }")},
      {kObj + "obj_Yard.lua",
       Proto("obj_Yard", "children = { { base_script = 'obj_Deep', components = { Transform = { position = { x = 1 } } } },"
                         " { base_script = 'obj_Deep', components = { Transform = {} } },"
                         " { base_script = 'obj_Deep', components = { Transform = { position = { x = 1, z = 10 } } } },"
                         " { base_script = 'obj_Deep' },"
                         " { base_script = 'obj_Flat', components = { Transform = { position = { x = 1 } } } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Yard", "child 1 Transform has no position \"z\": it replaces the whole "
                                                   "Transform of obj_Deep, whose depth 10 becomes 0"},
      {"assets.v1/scripts/game_objects/obj_Yard", "child 2 Transform has no position \"z\""}}},
    {"a fighter missing its parts, with a blink and a regeneration that never tick",
     {{kObj + "obj_Fighter.lua",
       Proto("obj_Fighter", "components = { KnockbackController = {}, InvincibleController = { blinkInterval = 0 },"
                            " HealthController = { regen = { interval = 0 } }, PlayerController = {"
                            " powerCosts = { slash = 4, turnedSlash = 2, homing = 5, vardeki = 1 } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Fighter", "PlayerController but no StatusParameter"},
      {"assets.v1/scripts/game_objects/obj_Fighter", "KnockbackController but no Kinematics"},
      {"assets.v1/scripts/game_objects/obj_Fighter", "InvincibleController but no collider"},
      {"assets.v1/scripts/game_objects/obj_Fighter", "\"blinkInterval\" is not a positive number"},
      {"assets.v1/scripts/game_objects/obj_Fighter", "\"regen\" \"interval\" is not a positive number"}}},
    {"player tuning: a cost missing or 0, a run that is not a table, a negative jump; stat curves with a broken "
     "pair",
     {{kObj + "obj_Player.lua",
       Proto("obj_Player", "components = { StatusParameter = { health = { init = 1, table = { { 2, 3 }, { 4 } } },"
                           " attack = { step = 5 }, defense = 7 }, PlayerController = { run = 3, jumpHeight = -1,"
                           " powerCosts = { slash = 4, turnedSlash = 0, homing = 5 } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Player", "StatusParameter \"health\" table entry 2 is not a pair"},
      {"assets.v1/scripts/game_objects/obj_Player", "StatusParameter \"attack\" \"step\" is not a pair"},
      {"assets.v1/scripts/game_objects/obj_Player", "StatusParameter \"defense\" is a number, not a curve table"},
      {"assets.v1/scripts/game_objects/obj_Player", "\"run\" is a number, not a table"},
      {"assets.v1/scripts/game_objects/obj_Player", "\"jumpHeight\" is negative"},
      {"assets.v1/scripts/game_objects/obj_Player", "\"powerCosts\" \"turnedSlash\" is not a positive divisor"},
      {"assets.v1/scripts/game_objects/obj_Player", "\"powerCosts\" \"vardeki\" is not a positive divisor"}}},
    {"the player's stat curves selling levels for nothing or paying for them (other curves carry no price)",
     {{kObj + "obj_Buyer.lua",
       Proto("obj_Buyer", "components = { StatusParameter = { usePlayerData = true,"
                          " health = { init = 100, table = { { 110, 60 }, { 120, -100 } }, step = { 10, 0 } },"
                          " attack = { init = 10, step = { 2, 75 } }, experience = { init = 5, step = { 1, 0 } } } }")},
      {kObj + "obj_Grunt.lua",
       Proto("obj_Grunt", "components = { StatusParameter = { health = { init = 10, step = { 10, 0 } } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Buyer", "StatusParameter \"health\" table entry 2 costs -100"},
      {"assets.v1/scripts/game_objects/obj_Buyer", "StatusParameter \"health\" \"step\" costs 0"}}},
    {"a stage whose quest controller has no player to place, and a start position that is not a table",
     {{"assets.v1/scripts/stage/stage_Home.lua",
       Proto("stage_Home", "components = { QuestController = { initPlayerPos = 5 } }")}},
     {{"assets.v1/scripts/stage/stage_Home", "places the player, but there is no prototype gameobj_player_pemba"},
      {"assets.v1/scripts/stage/stage_Home", "\"initPlayerPos\" is a number, not a table"}}},
    {"an enemy machine with a missing initial state and target, and missing attendant, drop and effect prototypes",
     {{kObj + "obj_Enemy.lua",
       Proto("obj_Enemy", "components = { Inventory = { items = { { name = 'obj_NoHeart', rate = 1 } } },"
                          " AttemptDamageController = { hitEffects = { { name = 'obj_NoSpark' } } },"
                          " EffectEmitter = { particle_name = 'obj_NoMote' },"
                          " EnemyController = { initState = 'sleep', stateMachine = {"
                          "   walk = { enterState = { attendantObject = { name = 'obj_NoBite' } },"
                          "            changeState = { { state = 'walk' }, { state = 'fly' } } } } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Enemy", "\"initState\" \"sleep\" is no state of its machine"},
      {"assets.v1/scripts/game_objects/obj_Enemy", "transition 2 goes to \"fly\", no state of its machine"},
      {"assets.v1/scripts/game_objects/obj_Enemy", "attendant \"name\" \"obj_NoBite\" names no prototype"},
      {"assets.v1/scripts/game_objects/obj_Enemy", "item 1 \"name\" \"obj_NoHeart\" names no prototype"},
      {"assets.v1/scripts/game_objects/obj_Enemy", "hit effect 1 \"name\" \"obj_NoSpark\" names no prototype"},
      {"assets.v1/scripts/game_objects/obj_Enemy", "\"particle_name\" \"obj_NoMote\" names no prototype"}}},
    {"a bullet pattern with a missing bullet and timeline entries naming shots it lacks",
     {{kObj + "obj_Pattern.lua",
       Proto("obj_Pattern", "components = { BulletHellController = {"
                            " createShots = { { 0, 'obj_Pattern', 0, 0, 0, 0 }, { 0, 'obj_NoBullet', 0, 0, 0, 0 } },"
                            " timeline = { { 4, 0, 0 }, { 4, 2, 0 }, { 5, 0, 1, 1 }, { 5, 1, 1, { 0, 2 } }, { 2, -1, 0 } } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Pattern", "shot 1 bullet \"obj_NoBullet\" names no prototype"},
      {"assets.v1/scripts/game_objects/obj_Pattern", "timeline entry 2 acts on no shot of \"createShots\" (2 shots)"},
      {"assets.v1/scripts/game_objects/obj_Pattern", "timeline entry 4 fires no shot"},
      {"assets.v1/scripts/game_objects/obj_Pattern", "timeline entry 5 acts on no shot"}}},
    {"a UI root naming a camera nobody is tagged with, two panels with one tag, an opened-by-tag panel active",
     {{kObj + "obj_UIRoot.lua",
       Proto("obj_UIRoot", "components = { UIRoot = { camera = 'NoSuchCamera' } },"
                           " children = { { base_script = 'obj_Panel' }, { base_script = 'obj_Panel' },"
                           " { base_script = 'obj_Panel', object_tag = 'ui_hud' },"
                           " { base_script = 'obj_Panel', object_tag = 'ui_report', object_activity = 0 },"
                           " { base_script = 'obj_Panel', object_tag = 'ui_exit_yes_no' } }")},
      {kObj + "obj_Panel.lua", Proto("obj_Panel", "object_tag = 'ui_quest_select', components = { UIFrame = {} }")}},
     {{"assets.v1/scripts/game_objects/obj_UIRoot", "names the camera \"NoSuchCamera\""},
      {"assets.v1/scripts/game_objects/obj_UIRoot", "child 2 has the panel tag \"ui_quest_select\" of child 1"},
      {"assets.v1/scripts/game_objects/obj_UIRoot", "child 1 is the panel \"ui_quest_select\", opened by tag, and active"},
      {"assets.v1/scripts/game_objects/obj_UIRoot", "child 2 is the panel \"ui_quest_select\", opened by tag, and active"},
      {"assets.v1/scripts/game_objects/obj_UIRoot", "child 5 is the panel \"ui_exit_yes_no\", opened by tag, and active"}}},
    {"a gauge with the key the game does not read, a table that lays nothing out",
     {{kObj + "obj_Gauge.lua",
       Proto("obj_Gauge", "components = { UISlider = { direction = 1 }, UITable = { alignment = 1 } },"
                          " children = { { base_script = 'obj_Table' } }")},
      {kObj + "obj_Table.lua",
       Proto("obj_Table", "components = { UISlider = { direction = 1, direciton = 1 }, UITable = { direction = 2 } }")}},
     {{"assets.v1/scripts/game_objects/obj_Gauge", "UISlider has \"direction\""},
      {"assets.v1/scripts/game_objects/obj_Gauge", "UITable has direction 0"}}},
    {"a menu and a button whose sounds have no file",
     {{kObj + "obj_Menu.lua",
       Proto("obj_Menu", "components = { UIFrameTitleSelect = { sound_effect = { select = 'assets.v1/sounds/se/nothing' } },"
                         " UITriggerSound = { { trigger = 0, sound = 'assets.v1/sounds/se/none' }, 'odd', { trigger = 1 } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Menu", "\"select\" plays \"assets.v1/sounds/se/nothing\", which is in no archive"},
      {"assets.v1/scripts/game_objects/obj_Menu", "entry 1 plays \"assets.v1/sounds/se/none\", which is in no archive"}}},
    {"a dialog whose sound table names a sound with no file",
     {{kObj + "obj_Dialog.lua",
       Proto("obj_Dialog", "components = { UIFrameCommonYesNo = { window_root = 'obj_Dialog', label_info = 'obj_Dialog',"
                           " sound_effect = { open = 'assets.v1/sounds/se/gone', select = '' } } },"
                           " object_tag = 'obj_Dialog'")}},
     {{"assets.v1/scripts/game_objects/obj_Dialog", "\"open\" plays \"assets.v1/sounds/se/gone\", which is in no archive"}}},
    {"a table read at opening that is laid out only on its first update",
     {{kObj + "obj_Select.lua",
       Proto("obj_Select", "components = { UIFrameQuestSelect = { tab_table = 'tabs' } },"
                           " children = { { base_script = 'obj_Tabs' }, { base_script = 'obj_Tabs', object_tag = 'spare' } }")},
      {kObj + "obj_Tabs.lua", Proto("obj_Tabs", "object_tag = 'tabs', components = { UITable = { direction = 1 } }")},
      {kObj + "obj_Select2.lua",
       Proto("obj_Select2", "components = { UIFrameQuestSelect = { tab_table = 'tabs' } },"
                            " children = { { base_script = 'obj_Tabs', components = { UITable = { direction = 1,"
                            " on_start = true } } } }")}},
     {{"assets.v1/scripts/game_objects/obj_Select", "reads its \"tab_table\" table \"tabs\" at opening, but that "
                                                    "UITable has no \"on_start\""}}},
    {"a table read at opening with cells built inactive, by their prototype or their entry",
     {{kObj + "obj_Shelf.lua",
       Proto("obj_Shelf", "components = { UIFrameQuestSelect = { tab_table = 'rack' } },"
                          " children = { { base_script = 'obj_Rack', children = { { base_script = 'obj_Off' } } },"
                          " { base_script = 'obj_Spare' } }")},
      {kObj + "obj_Rack.lua",
       Proto("obj_Rack", "object_tag = 'rack', components = { UITable = { direction = 1, on_start = true } },"
                         " children = { { base_script = 'obj_Cell' }, { base_script = 'obj_Cell', object_activity = 0 },"
                         " { base_script = 'obj_Lit', object_activity = 1 } }")},
      {kObj + "obj_Spare.lua",
       Proto("obj_Spare", "object_tag = 'spare', components = { UITable = { direction = 1 } },"
                          " children = { { base_script = 'obj_Off' } }")},
      {kObj + "obj_Cell.lua", Proto("obj_Cell")},
      {kObj + "obj_Lit.lua", "obj_Lit = { object_activity = 0, object_layer = 1 }\n"},
      {kObj + "obj_Off.lua", "obj_Off = { object_activity = 0, object_layer = 1 }\n"}},
     {{"assets.v1/scripts/game_objects/obj_Shelf", "reads its \"tab_table\" table \"rack\" at opening, but its cell "
                                                   "\"obj_Cell\" is inactive in the data"},
      {"assets.v1/scripts/game_objects/obj_Shelf", "its cell \"obj_Off\" is inactive in the data"}}},
    {"widgets under a panel naming neighbours and targets that no object of the panel has",
     {{kObj + "obj_Root.lua",
       Proto("obj_Root", "components = { UIRoot = {} }, children = { { base_script = 'obj_Pane' } }")},
      {kObj + "obj_Pane.lua",
       Proto("obj_Pane", "components = { UIFrame = {} }, children = { { base_script = 'obj_Btn' },"
                         " { base_script = 'obj_Btn', object_tag = 'btn_2', components = {"
                         " UIButtonMessage = { target = 'PresetTarget_UIRoot' }, UIForwardEvents = { target = 'btn' },"
                         " UITriggerTween = { target = 'lamp' } } } }")},
      {kObj + "obj_Btn.lua",
       Proto("obj_Btn", "object_tag = 'btn', components = { UIButtonKeys = { down = 'btn_2', up = 'btn_0' } }")}},
     {{"assets.v1/scripts/game_objects/obj_Btn", "UIButtonKeys \"up\" names the tag \"btn_0\", which no object of the "
                                                 "panel \"obj_Pane\" has"},
      {"assets.v1/scripts/game_objects/obj_Pane", "UITriggerTween \"target\" names the tag \"lamp\""}}},
    {"a pose track that leaves scale y and alpha unkeyed",
     {{kAnim, Anim("{ texcoord = { 'sheet', 0, 0, 32, 32 }, pose_anim = { { 3, 0, 1, 0, 1, 1 } } }")}},
     {{kAnimEntry, "leaves channel 4 (scale y) unkeyed", true}, {kAnimEntry, "leaves channel 5 (alpha) unkeyed", true}}},
    // The game builds a prototype from the table its file left behind, whether or not the file
    // ran to its end.
    {"a stage that raises after defining its table",
     {{"assets.v1/scripts/stage/stage_Home.lua", "stage_Home = { object_activity = 1, object_layer = 0 }\nerror('late')\n"}},
     {{"assets.v1/scripts/stage/stage_Home", "fails to run"}}},
    {"a fixed-layout stage generator without areas, and one with an empty list",
     {{kObj + "obj_Row.lua", Proto("obj_Row", "components = { StageGenerator = { generateType = 1 } }")},
      {kObj + "obj_Bare.lua", Proto("obj_Bare", "components = { StageGenerator = { generateType = 2, areas = {} } }")}},
     {{"assets.v1/scripts/game_objects/obj_Row", "StageGenerator lays out a fixed row but has no areas: it places "
                                                 "nothing"},
      {"assets.v1/scripts/game_objects/obj_Bare", "StageGenerator lays out a fixed row but has no areas"}}},
    {"rewards of an unknown type and of none",
     {{"assets.v1/scripts/quest/quest501.lua",
       "quest501 = { questId = 1, questName = 'cave', stage = { name = 'stage_TitleScene' },\n"
       "  enemyList = { boss = { name = 'obj_Foe', nextStage = 'stage_Home' } },\n"
       "  rewards = { { rewardType = 7, rewardInfo = { { name = 'n', suggestion = 's' }, { name = 'n', suggestion = 'h' } } },\n"
       "    { rewardInfo = { { name = 'n', suggestion = 's' }, { name = 'n', suggestion = 'h' } } } } }\n"}},
     {{"assets.v1/scripts/quest/quest501", "reward 1 has the unknown \"rewardType\" 7 (1 to 4 are known): it gives "
                                           "nothing"},
      {"assets.v1/scripts/quest/quest501", "reward 2 has the unknown \"rewardType\" 0"}}},
};

void WriteFolder(const TempDir& game, const std::map<std::string, std::string>& changes)
{
    for (const auto& [name, text] : kCleanFolder)
        if (!changes.count(name))
            game.WriteFile(name, text);
    for (const auto& [name, text] : changes)
        if (!text.empty())
            game.WriteFile(name, text);
}

} // namespace

TEST(DataCheckTest, ACleanFolderHasNoFinding)
{
    TempDir game;
    WriteFolder(game, {});
    const std::vector<DataFinding> findings = CheckGameData(game.Path());
    for (const DataFinding& f : findings)
        ADD_FAILURE() << FormatFinding(f);
}

TEST(DataCheckTest, EachBrokenSnippetIsFoundInItsFile)
{
    for (const BrokenCase& c : kCases) {
        TempDir game;
        WriteFolder(game, c.files);
        ExpectFindings(c.what, CheckGameData(game.Path()), c.findings);
    }
}

TEST(DataCheckTest, AFolderWithoutDataLacksTheNamesTheGameNeeds)
{
    TempDir game;
    const std::vector<DataFinding> findings = CheckGameData(game.Path());
    std::vector<std::string> lines;
    for (const DataFinding& f : findings)
        lines.push_back(FormatFinding(f));
    const std::vector<std::string> expected = {
        "assets.v1/scripts/stage/: no prototype stage_TitleScene: the game starts with that stage",
        "assets.v1/scripts/game_objects/: no prototype camera",
        "assets.v1/scripts/game_objects/: no prototype ui_camera",
        "assets.v1/scripts/quest/: no quest vididezare",
        "assets.v1/scripts/quest/: no quest quest501",
        "assets.v1/2d/fonts/nachin_20: the font is in no archive: its text is not drawn",
        "assets.v1/2d/fonts/nachin_30: the font is in no archive: its text is not drawn",
        "assets.v1/shaders/instancing_vs: the sprite shader is in no archive: sprites cannot be drawn",
        "assets.v1/shaders/instancing_ps: the sprite shader is in no archive: sprites cannot be drawn",
    };
    EXPECT_EQ(lines, expected);
}

namespace {

std::string GameFile(const std::string& name)
{
    std::ifstream file(std::string(QM_GAME_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The built movie pak written again with the first page of its first movie overwritten: the pak
// itself stays sound, the movie's headers do not. `damaged` names that movie.
std::string PakWithDamagedMovie(std::string& damaged)
{
    ArchiveSystem* archives = ArchiveSystem::GetInstance();
    archives->SetRoot(std::string(QM_GAME_DIR) + "/");
    archives->Mount(new ZEVArchive(std::string(QM_GAME_DIR) + "/data/movie.pak"));
    std::vector<std::string> names;
    archives->FindNames(names, "*");
    std::sort(names.begin(), names.end());
    std::vector<PakItem> items;
    for (const std::string& name : names) {
        std::unique_ptr<StreamIO> stream(archives->Open(HashName(name)));
        items.push_back({name, stream ? ReadStreamToString(*stream) : std::string()});
    }
    delete archives;
    std::string pak, error;
    if (items.empty())
        return pak;
    damaged = items[0].name;
    items[0].bytes.replace(0, std::min<size_t>(64, items[0].bytes.size()), 64, 'U');
    BuildPak(items, PakLayout::Plain, pak, error);
    return pak;
}

} // namespace

// The built game folder with one damaged file that the game decodes and refuses with an ERROR:
// the checker decodes it the same way and names it.
TEST(DataCheckTest, EachDamagedAssetOfTheBuiltGameIsFound)
{
    struct Case {
        const char* what;
        std::function<void(const PrivateGameFolder&)> damage;
        std::vector<Expected> findings;
    };
    const std::string dds = "assets.v1/2d/sprites/bg_sky.dds";
    const std::string tga = "assets.v1/2d/sprites/props.tga";
    std::string movie;
    const Case cases[] = {
        {"a truncated DDS",
         [&](const PrivateGameFolder& game) { game.WriteFile(dds, GameFile(dds).substr(0, GameFile(dds).size() / 2)); },
         {{"assets.v1/2d/sprites/bg_sky", "cannot be decoded (texture bg_sky of assets.v1/scripts/textures/"}}},
        {"a TGA whose header is random bytes that still give a size",
         [&](const PrivateGameFolder& game) {
             game.WriteFile(tga, GameFile(tga).replace(0, 18, "\x5d\x91\x0e\xa7\x33\xc8\x19\x62\xf4\x0b\x7e\x2a\x40"
                                                              "\x01\x20\x00\xd3\x58",
                                                      18));
         },
         {{"assets.v1/2d/sprites/props", "cannot be decoded"}}},
        {"a JPEG whose header gives a size but whose data cannot be decoded",
         [](const PrivateGameFolder& game) {
             game.RemoveFile("assets.v1/2d/sprites/title.tga");
             game.WriteFile("assets.v1/2d/sprites/title.jpg",
                            std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\x00\x20\x00\x40\x03\x01\x22\x00\x02\x11"
                                        "\x01\x03\x11\x01\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00",
                                        31) +
                                std::string(200, '\x5a') + "\xFF\xD9");
         },
         {{"assets.v1/2d/sprites/title", "cannot be decoded"}}},
        {"a WAVE whose RIFF size is not its file size - 8",
         [](const PrivateGameFolder& game) {
             std::string wave = GameFile("assets.v1/sounds/se/cursor.wav");
             wave[4] = static_cast<char>(wave[4] + 1);
             game.WriteFile("assets.v1/sounds/se/cursor.wav", wave);
         },
         {{"assets.v1/sounds/se/cursor", "Not a RIFF WAVE file"}}},
        {"a font cut inside its last block",
         [](const PrivateGameFolder& game) {
             const std::string font = GameFile("assets.v1/2d/fonts/nachin_20.fnt");
             game.WriteFile("assets.v1/2d/fonts/nachin_20.fnt", font.substr(0, font.size() - 7));
         },
         {{"assets.v1/2d/fonts/nachin_20", "is damaged: block 4 claims"}}},
        {"a font cut after its first block, which loads without a word and draws nothing",
         [](const PrivateGameFolder& game) {
             const std::string font = GameFile("assets.v1/2d/fonts/nachin_20.fnt");
             const size_t info = 9 + (uint8_t(font[5]) | uint8_t(font[6]) << 8);
             game.WriteFile("assets.v1/2d/fonts/nachin_20.fnt", font.substr(0, info));
         },
         {{"assets.v1/2d/fonts/nachin_20", "has no glyphs: its text is not drawn"}}},
        {"a font whose second page is missing",
         [](const PrivateGameFolder& game) { game.RemoveFile("assets.v1/2d/fonts/nachin_30_1.png"); },
         {{"assets.v1/2d/fonts/nachin_30", "its page image assets.v1/2d/fonts/nachin_30_1 is in no archive"}}},
        {"a loose pixel shader that does not assemble",
         [](const PrivateGameFolder& game) {
             game.WriteFile("assets.v1/shaders/instancing_ps.psh", "ps_2_0\nmov oC0, r99x\n");
         },
         {{"assets.v1/shaders/instancing_ps", "does not assemble: sprites cannot be drawn: line 2"}}},
        {"a movie pak whose first movie has damaged headers",
         [&](const PrivateGameFolder& game) { game.WriteFile("data/movie.pak", PakWithDamagedMovie(movie)); },
         {{"", "the game cannot play it: Movie"}}},
        {"a shader pak cut short, which the game does not mount",
         [](const PrivateGameFolder& game) {
             game.WriteFile("data/shader.pak", GameFile("data/shader.pak").substr(0, 40));
         },
         {{"data/shader.pak", "the game refuses it: Pak "},
          {"assets.v1/shaders/instancing_vs", "the sprite shader is in no archive"},
          {"assets.v1/shaders/instancing_ps", "the sprite shader is in no archive"}}},
        {"no shader pak",
         [](const PrivateGameFolder& game) { game.RemoveFile("data/shader.pak"); },
         {{"assets.v1/shaders/instancing_vs", "the sprite shader is in no archive"},
          {"assets.v1/shaders/instancing_ps", "the sprite shader is in no archive"}}},
    };
    for (const Case& c : cases) {
        PrivateGameFolder game;
        c.damage(game);
        // An empty file stands for the movie's entry.
        std::vector<Expected> expected = c.findings;
        for (Expected& e : expected)
            if (e.file.empty())
                e.file = movie;
        ExpectFindings(c.what, CheckGameData(game.Path()), expected);
    }
}

// Files that never end, that grow the heap without end, or whose prototypes nest or fan out past
// the game's build bounds: each is reported, and the check ends in good time (run in a child
// under a deadline, so that a hang fails).
TEST(DataCheckTest, EndlessGreedyDeepAndWideDataIsReportedInGoodTime)
{
    struct Case {
        const char* what;
        std::map<std::string, std::string> files;
        std::vector<Expected> findings;
    };
    Case chain{"a chain of prototypes 10,000 deep", {}, {}};
    for (int i = 0; i < 10000; ++i)
        chain.files[kObj + "obj_C" + std::to_string(i) + ".lua"] =
            Proto("obj_C" + std::to_string(i), i + 1 < 10000 ? "children = { { base_script = 'obj_C" +
                                                                 std::to_string(i + 1) + "' } }"
                                                           : "");
    chain.findings = {{"assets.v1/scripts/game_objects/obj_C0",
                       "nests prototypes 10000 deep, past the game's bound of " + std::to_string(256) +
                           ": obj_C256 and what lies below it are not built"}};
    Case fan{"ten children a level over seven levels", {}, {}};
    for (int level = 0; level < 7; ++level) {
        std::string children;
        for (int i = 0; i < 10; ++i)
            children += "{ base_script = 'obj_F" + std::to_string(level + 1) + "' }, ";
        fan.files[kObj + "obj_F" + std::to_string(level) + ".lua"] =
            Proto("obj_F" + std::to_string(level), "children = { " + children + "}");
    }
    fan.files[kObj + "obj_F7.lua"] = Proto("obj_F7");
    fan.findings = {{"assets.v1/scripts/game_objects/obj_F0",
                     "makes more than 100000 objects in one build, the game's bound: the rest are not built"}};
    const Case cases[] = {
        {"a prerequisite whose top level never ends",
         {{"assets.v1/scripts/prerequisites/prereq_loop.lua", "while true do end"}},
         {{"assets.v1/scripts/prerequisites/prereq_loop", "fails to run: runs past its budget"}}},
        // The table is defined before the endless loop: the game builds the stage from it.
        {"a stage whose top level never ends",
         {{"assets.v1/scripts/stage/stage_Home.lua", "stage_Home = { object_activity = 1, object_layer = 0 }\n"
                                                     "while true do pcall(function() while true do end end) end"}},
         {{"assets.v1/scripts/stage/stage_Home", "runs past its budget"}}},
        {"a file doubling a string",
         {{kObj + "obj_Big.lua", "local s = 'x' while true do s = s .. s end"}},
         {{"assets.v1/scripts/game_objects/obj_Big", "fails to run: not enough memory"}}},
        chain,
        fan,
    };
    for (const Case& c : cases) {
        TempDir game;
        WriteFolder(game, c.files);
        const DeadlineResult result = RunWithDeadline(
            [&] {
                for (const DataFinding& f : CheckGameData(game.Path()))
                    std::printf("FINDING %s\n", FormatFinding(f).c_str());
                return true;
            },
            60.0);
        EXPECT_TRUE(result.finished) << c.what << ": crashed or still running at the deadline";
        size_t count = 0;
        for (size_t at = result.output.find("FINDING "); at != std::string::npos;
             at = result.output.find("FINDING ", at + 1))
            ++count;
        EXPECT_EQ(count, c.findings.size()) << c.what << "\n" << result.output.substr(0, 4000);
        for (const Expected& e : c.findings)
            EXPECT_NE(result.output.find("FINDING " + e.file + ": " + (e.warning ? "warning: " : "")), std::string::npos)
                << c.what << "\n" << result.output.substr(0, 4000);
        for (const Expected& e : c.findings)
            EXPECT_NE(result.output.find(e.reason), std::string::npos) << c.what << "\n" << result.output.substr(0, 4000);
    }
}
