#include "UI/UIFixture.h"

#include <lua.hpp>

#include "Components/Core/FontRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/QuestController.h"
#include "Components/Game/StatusParameter.h"
#include "Components/UI/UIDialogFrames.h"
#include "Components/UI/UIEventWidgets.h"
#include "Components/UI/UILayoutWidgets.h"
#include "Components/UI/UIUpgradeParameter.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/Color.h"
#include "System/Sound/AudioDevice.h"
#include "System/Sound/SoundManager.h"
#include "World/AccessoryTable.h"
#include "World/PlayerSaveData.h"
#include "World/Transform.h"

namespace {

const char* const kRowTags[kUpgradeRowCount] = {"ui_upgrade_hp_max",  "ui_upgrade_hp_recharge",
                                                "ui_upgrade_attack",  "ui_upgrade_defense",
                                                "ui_upgrade_special_attack", "ui_upgrade_special_charge"};
const char* const kPieces[kUpgradeRowCount] = {
    "upgrade_parameter/piece_hp_max",         "upgrade_parameter/piece_hp_cure",
    "upgrade_parameter/piece_attack",         "upgrade_parameter/piece_defense",
    "upgrade_parameter/piece_special_attack", "upgrade_parameter/piece_special_charge"};
const char* const kBadges[5] = {"upgrade_parameter/honor_01", "upgrade_parameter/honor_02",
                                "upgrade_parameter/honor_03", "upgrade_parameter/honor_04",
                                "upgrade_parameter/honor_05"};

// A sound manager over no device whose one-shot effects the test reads back by name.
struct SoundScope {
    SoundManager sound{new NullAudioDevice};
    SoundScope() { g_pSoundManager = &sound; }
    ~SoundScope() { g_pSoundManager = nullptr; }
    std::vector<NameId> Keys()
    {
        std::vector<NameId> out;
        for (IAudioSource* s : sound.GetSeList())
            out.push_back(s->GetKey());
        return out;
    }
};

std::string Proto(const std::string& name, const std::string& body, bool active = true)
{
    return name + " = { object_name = '" + name + "', object_layer = 2048, object_activity = " + (active ? "1" : "0") +
           ", " + body + " }";
}

// Hit points and attack cost 60 a level over two table entries and 75 past them; the other
// curves cost 10.
const char* const kPlayerCurves =
    "usePlayerData = true,"
    " health = { init = 100, max = 999, table = { { 110, 60 }, { 120, 60 } }, step = { 10, 75 } },"
    " healthRecharge = { init = 0.125, max = 5, table = { { 0.25, 10 } }, step = { 0.25, 10 } },"
    " attack = { init = 10, max = 999, table = { { 12, 60 }, { 14, 60 } }, step = { 2, 75 } },"
    " defense = { init = 0, max = 999, table = { { 5, 10 } }, step = { 5, 10 } },"
    " specialAtk = { init = 30, max = 999, table = { { 36, 10 } }, step = { 6, 10 } },"
    " powerRecharge = { init = 0.124, max = 5, table = { { 0.5, 10 } }, step = { 0.5, 10 } }";

// stage (QuestController) > ui_root > { up: the screen, yn: the shared dialog }, player.
// A new child goes in front of its siblings, so lists of children are written last first.
std::map<std::string, std::string> UpgradeFiles(const std::string& frameExtra = "updatable = 1,")
{
    std::map<std::string, std::string> files = {
        {"stage/stage_U", "stage_U = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          "  components = { QuestController = {} },"
                          "  children = { { base_script = 'player' }, { base_script = 'ui_root' } } }"},
        {"game_objects/player", Proto("player", std::string("components = { StatusParameter = { ") + kPlayerCurves +
                                                    " } }")},
        {"game_objects/ui_root", Proto("ui_root", "components = { UIRoot = {} }, children = {"
                                                  " { base_script = 'yn' }, { base_script = 'up' } }")},
        {"game_objects/up",
         Proto("up",
               "object_tag = 'ui_upgrade_parameter', components = { UIFrameUpgradeParameter = { " + frameExtra +
                   " select = 'ui_upgrade_hp_max', table = 'rows', accessory = 'acc',"
                   " label_experience_cost = 'cost', label_experience_total = 'total', sprite_rank_badge = 'rank',"
                   " accept_upgrade_confirm_text = 'accept?', cancel_upgrade_confirm_text = 'cancel?',"
                   " sound_effect = { open_window = 'u_open', upgrade_accept = 'u_accept',"
                   "   no_experience = 'u_noexp', open_confirm_window = 'u_confirm',"
                   "   select_confirm_window = 'u_select', close_window = 'u_close',"
                   "   force_close_window = 'u_force', cancel_close_window = 'u_cancel',"
                   "   level_up = 'u_up', level_down = 'u_down' } } },"
                   " children = { { base_script = 'rank' }, { base_script = 'total' }, { base_script = 'cost' },"
                   " { base_script = 'acc' }, { base_script = 'rows' } }",
               false)},
        {"game_objects/rows",
         Proto("rows", "object_tag = 'rows', components = { Transform = {},"
                       " UITable = { on_start = true, direction = 1, padding = { x = 0, y = 40 } },"
                       " TweenColor = { style = 2, duration = 0.5 } },"
                       " children = { { base_script = 'row5' }, { base_script = 'row4' }, { base_script = 'row3' },"
                       " { base_script = 'row2' }, { base_script = 'row1' }, { base_script = 'row0' } }")},
        {"game_objects/title", Proto("title", "object_tag = 'title', components = { FontRenderer = {} }")},
        {"game_objects/num", Proto("num", "object_tag = 'num', components = { FontRenderer = {} }")},
        {"game_objects/sel", Proto("sel", "object_tag = 'sel', components = { SpriteRenderer = {} }")},
        {"game_objects/al",
         Proto("al", "object_tag = 'al', components = { Transform = { position = { x = 30, y = 7 } }, "
                     "SpriteRenderer = {} }")},
        {"game_objects/ar", Proto("ar", "object_tag = 'ar', components = { Transform = {}, SpriteRenderer = {} }")},
        {"game_objects/piece",
         Proto("piece", "components = { Transform = {}, SpriteRenderer = {}, TextureAtlas = {},"
                        " TweenColor = { style = 2, duration = 0.25, play = true } }")},
        {"game_objects/pieces",
         Proto("pieces", "object_tag = 'pieces', components = { Transform = {},"
                         " UITable = { on_start = true, direction = 1, padding = { x = 12, y = 0 } } }, children = {"
                         " { base_script = 'piece' }, { base_script = 'piece' }, { base_script = 'piece' },"
                         " { base_script = 'piece' }, { base_script = 'piece' }, { base_script = 'piece' },"
                         " { base_script = 'piece' }, { base_script = 'piece' } }")},
        {"game_objects/acc",
         Proto("acc", "object_tag = 'acc', components = { Transform = {}, UIAccessoryBar = { label_name = 'acc_name',"
                      " label_info = 'acc_info', sprite_arrow_left = 'al', sprite_arrow_right = 'ar',"
                      " sound_effect = { select_bar = 'a_select', item_next = 'a_next', item_prev = 'a_prev' } } },"
                      " children = { { base_script = 'ar' }, { base_script = 'al' }, { base_script = 'acc_info' },"
                      " { base_script = 'acc_name' } }")},
        {"game_objects/acc_name", Proto("acc_name", "object_tag = 'acc_name', components = { FontRenderer = {} }")},
        {"game_objects/acc_info", Proto("acc_info", "object_tag = 'acc_info', components = { FontRenderer = {} }")},
        {"game_objects/cost", Proto("cost", "object_tag = 'cost', components = { FontRenderer = {} }")},
        {"game_objects/total", Proto("total", "object_tag = 'total', components = { FontRenderer = {} }")},
        {"game_objects/rank",
         Proto("rank", "object_tag = 'rank', components = { SpriteRenderer = {}, TextureAtlas = {} }")},
        {"game_objects/yn",
         Proto("yn", "object_tag = 'ui_common_yes_no', components = { UIFrameCommonYesNo = {} },"
                     " children = { { base_script = 'yes' } }",
               false)},
        {"game_objects/yes", Proto("yes", "object_tag = 'select_yes', components = { TestWidget = {} }")},
    };
    for (int k = 0; k < kUpgradeRowCount; ++k) {
        const std::string name = "row";
        std::string row = name;
        row += std::to_string(k);
        std::string body = "object_tag = '";
        body += kRowTags[k];
        body += "', components = { Transform = {}, UIUpgradeBar = { label_title = 'title', label_num = 'num',"
                " sprite_select = 'sel', sprite_arrow_left = 'al', sprite_arrow_right = 'ar',"
                " table_piece = 'pieces', sound_effect = { select_bar = 'select_";
        body += std::to_string(k);
        body += "' } } }, children = { { base_script = 'pieces' }, { base_script = 'ar' }, { base_script = 'al' },"
                " { base_script = 'sel' }, { base_script = 'num' }, { base_script = 'title' } }";
        std::string key = "game_objects/";
        key += row;
        files[key] = Proto(row, body);
    }
    return files;
}

// Three owned accessories with records, the save data and the sprite sheet set before the
// stage loads; the player is the quest director's.
class UpgradeWorld {
public:
    explicit UpgradeWorld(const std::map<std::string, std::string>& files = UpgradeFiles(), bool player = true)
        : w(files)
    {
        m_pOldAtlas = g_pAtlasTable;
        m_pOldAccessories = g_pAccessoryTable;
        g_pAtlasTable = &m_Atlas;
        g_pAccessoryTable = &m_Accessories;
        m_Accessories.Create();
        for (const char* name : {"acc_one", "acc_two"}) {
            auto record = std::make_unique<AccessoryRecord>();
            record->m_Name = std::string(name) + "_name";
            record->m_Explanation = std::string(name) + "_info";
            m_Accessories.Insert(HashName(name), std::move(record));
        }
        g_PlayerSaveData.Reset();
        g_PlayerSaveData.m_nExperience = 100;
        LoadSheet();
        w.Scene()->RequestStage("stage_U");
        w.Tick();
        if (player)
            w.Get<QuestController>("stage")->m_pPlayerObj = w.Find("player");
    }
    ~UpgradeWorld()
    {
        g_pAtlasTable = m_pOldAtlas;
        g_pAccessoryTable = m_pOldAccessories;
        g_PlayerSaveData.Reset();
    }

    void Open()
    {
        ASSERT_NE(UIRoot::OpenPanel(HashName("ui_upgrade_parameter")), nullptr);
        w.Ticks(3);
    }
    UIFrameUpgradeParameter* Frame() { return w.Get<UIFrameUpgradeParameter>("up"); }
    UIUpgradeBar* Row(int k) { return Frame()->GetRow(k); }
    GameObj* RowObject(int k) { return Row(k)->GetOwner(); }
    // A pad button that reaches the row while it is selected.
    void PadRow(int k, uint32_t mask)
    {
        w.Post(w.Find("up"), RowObject(k), eUIEvent_Pad, static_cast<int32_t>(mask));
        w.Ticks(2);
    }
    void PadFrame(uint32_t mask)
    {
        w.Post(w.Find("ui_root"), w.Find("up"), eUIEvent_Pad, static_cast<int32_t>(mask));
        w.Ticks(2);
    }
    void PadAccessory(uint32_t mask)
    {
        w.Post(w.Find("up"), w.Find("acc"), eUIEvent_Pad, static_cast<int32_t>(mask));
        w.Ticks(2);
    }
    // Yes in the open dialog; the panel goes off as its closing tween would switch it off.
    void AnswerYes()
    {
        GameObj* yn = w.Find("yn");
        ASSERT_TRUE(yn->IsActive());
        w.Post(w.Find("yes"), yn, eUIEvent_Closing, UIObjectToParam(w.Find("yes")));
        w.Ticks(3);
        yn->Deactivate();
        w.Ticks(3);
    }
    // Which sheet entry an atlas shows, by its left edge; "" for none.
    std::string Entry(TextureAtlas* atlas)
    {
        float uv[4];
        atlas->GetUVRect(uv);
        for (const std::string& name : m_Names)
            if (const AtlasEntry* e = m_Atlas.Find(HashName(name.c_str())); e && e->u0 == uv[0] && uv[0] > 0.0f)
                return name;
        return "";
    }
    std::vector<GameObj*> Pieces(int k) { return Row(k)->GetPieceTable()->GetItems(); }

    SoundScope sound;
    UIWorld w;

private:
    void LoadSheet()
    {
        for (const char* p : kPieces)
            m_Names.emplace_back(p);
        for (const char* b : kBadges)
            m_Names.emplace_back(b);
        std::string sprites;
        int x = 1;
        for (const std::string& name : m_Names)
            sprites += "{ name = '" + name + ".png', uvRect = { x = " + std::to_string(x++ * 8) +
                       ", y = 0, width = 8, height = 8 }, sourceRect = { x = 0, y = 0, width = 8, height = 8 },"
                       " originalSize = { width = 8, height = 8 } },";
        const std::string text =
            "return { texture = 'up.png', textureSize = { width = 128, height = 8 }, sprites = { " + sprites + " } }";
        lua_State* L = luaL_newstate();
        ASSERT_EQ(luaL_dostring(L, text.c_str()), 0);
        m_Atlas.ReadSpriteSheet(L, "up");
        lua_close(L);
    }

    AtlasTable m_Atlas;
    AccessoryTable m_Accessories;
    std::vector<std::string> m_Names;
    AtlasTable* m_pOldAtlas = nullptr;
    AccessoryTable* m_pOldAccessories = nullptr;
};

std::string Text(FontRenderer* label) { return label ? label->GetText() : "(none)"; }

} // namespace

// Raising a row saved at 3 to 5: saved pieces stand still, pending ones run with the table's
// blink, the rest are hidden; every piece shows the row's sprite.
TEST(UIUpgradeBar, PiecesFollowSavedAndPendingLevels)
{
    UpgradeWorld s;
    g_PlayerSaveData.m_aLevels[0] = 3;
    g_PlayerSaveData.m_nExperience = 1000;
    s.Open();
    s.w.Ticks(7);
    s.PadRow(0, 8);
    s.PadRow(0, 8);
    ASSERT_EQ(s.Row(0)->m_nCurrentLevel, 5);
    auto* reference = s.w.Get<TweenColor>("rows");
    const std::vector<GameObj*> pieces = s.Pieces(0);
    ASSERT_EQ(pieces.size(), 8u);
    for (size_t i = 0; i < pieces.size(); ++i) {
        SCOPED_TRACE(i);
        auto* tween = static_cast<TweenColor*>(pieces[i]->GetComponent(TweenColor::s_Class.Key));
        EXPECT_EQ(pieces[i]->IsActive(), i < 5);
        if (i < 3) {
            EXPECT_TRUE(tween->IsFinished());
            EXPECT_EQ(tween->GetFactor(), 0.0f);
        } else if (i < 5) {
            EXPECT_FALSE(tween->IsFinished());
            EXPECT_EQ(tween->GetDuration(), reference->GetDuration());
            EXPECT_EQ(tween->GetAmountPerDelta(), reference->GetAmountPerDelta());
            // A piece switched on by this raise misses this frame's step.
            EXPECT_NEAR(tween->GetFactor(), reference->GetFactor(), i == 3 ? 1e-5 : 1.01 / 30.0);
        }
        EXPECT_EQ(s.Entry(static_cast<TextureAtlas*>(pieces[i]->GetComponent(TextureAtlas::s_Class.Key))),
                  kPieces[0]);
    }
    EXPECT_EQ(s.Entry(static_cast<TextureAtlas*>(s.Pieces(4)[0]->GetComponent(TextureAtlas::s_Class.Key))),
              kPieces[4]);
}

// Without a colour tween on the row's parent, the first pending piece plays and leads the others.
TEST(UIUpgradeBar, FirstPendingPieceLeadsWithoutAParentBlink)
{
    auto files = UpgradeFiles();
    files["game_objects/rows"] = Proto("rows", "object_tag = 'rows', components = { Transform = {},"
                                               " UITable = { on_start = true, direction = 1, padding = { x = 0, y = 40 } } },"
                                               " children = { { base_script = 'row5' }, { base_script = 'row4' },"
                                               " { base_script = 'row3' }, { base_script = 'row2' },"
                                               " { base_script = 'row1' }, { base_script = 'row0' } }");
    UpgradeWorld s(files);
    g_PlayerSaveData.m_aLevels[2] = 1;
    g_PlayerSaveData.m_nExperience = 1000;
    s.Open();
    s.w.Ticks(5);
    s.PadRow(2, 8);
    s.PadRow(2, 8);
    const std::vector<GameObj*> pieces = s.Pieces(2);
    auto tween = [&](size_t i) { return static_cast<TweenColor*>(pieces[i]->GetComponent(TweenColor::s_Class.Key)); };
    EXPECT_TRUE(tween(0)->IsFinished());
    EXPECT_FALSE(tween(1)->IsFinished());
    EXPECT_FALSE(tween(2)->IsFinished());
    EXPECT_EQ(tween(2)->GetAmountPerDelta(), tween(1)->GetAmountPerDelta());
    // Switched on by the second raise, it misses that frame's step.
    EXPECT_NEAR(tween(2)->GetFactor(), tween(1)->GetFactor(), 1.01 / 15.0);
    EXPECT_FALSE(pieces[3]->IsActive());
}

// The number's colour tells saved, pending and short; Left asks only above the saved level.
TEST(UIUpgradeBar, NumberColourAndLeftByState)
{
    UpgradeWorld s;
    g_PlayerSaveData.m_aLevels[0] = 1;
    s.Open();
    UIUpgradeBar* bar = s.Row(0);
    struct Case {
        const char* name;
        int current;
        bool shortage;
        uint32_t colour;
        bool asksLower;
    };
    const Case cases[] = {
        {"saved", 1, false, g_nUpgradeColorSaved, false},
        {"saved with shortage", 1, true, g_nUpgradeColorSaved, false},
        {"pending", 2, false, g_nUpgradeColorPending, true},
        {"pending and short", 2, true, g_nUpgradeColorShort, true},
    };
    EXPECT_EQ(g_nUpgradeColorShort, PackColor(1.0f, 1.0f, 0.2f, 0.2f));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bar->m_nCurrentLevel = c.current;
        bar->m_nShownValue = 1234;
        bar->Refresh(c.shortage);
        EXPECT_EQ(bar->GetNumberLabel()->GetColor(), c.colour);
        EXPECT_EQ(Text(bar->GetNumberLabel()), "1234");
        const size_t before = s.sound.Keys().size();
        s.PadRow(0, 4);
        const std::vector<NameId> keys = s.sound.Keys();
        const bool lowered = keys.size() > before && keys.back() == HashName("u_down");
        EXPECT_EQ(lowered, c.asksLower);
    }
}

// Opening shows the title, saved values and no arrows; selection shows the arrows of the
// selected row, and the row that loses it plays its own select sound.
TEST(UIUpgradeBar, SelectionShowsArrowsAndTheLoserSounds)
{
    UpgradeWorld s;
    s.Open();
    EXPECT_EQ(s.Frame()->GetSelected(), s.RowObject(0));
    GameObj* title = s.RowObject(3)->FindActiveByTag(HashName("title"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(Text(static_cast<FontRenderer*>(title->GetComponent(FontRenderer::s_Class.Key))), "row3");
    EXPECT_TRUE(s.Row(0)->GetSelectSprite()->IsEnabled());
    EXPECT_FALSE(s.Row(1)->GetSelectSprite()->IsEnabled());
    s.PadRow(0, 2); // down
    s.w.Ticks(2);
    EXPECT_EQ(s.Frame()->GetSelected(), s.RowObject(1));
    EXPECT_FALSE(s.Row(0)->GetSelectSprite()->IsEnabled());
    EXPECT_TRUE(s.Row(1)->GetSelectSprite()->IsEnabled());
    EXPECT_EQ(s.sound.Keys().back(), HashName("select_0"));
    // The rows chain down to the accessory bar and back up.
    for (int k = 1; k < kUpgradeRowCount; ++k) {
        s.PadRow(k, 2);
        s.w.Ticks(1);
    }
    EXPECT_EQ(s.Frame()->GetSelected(), s.w.Find("acc"));
    s.w.Post(s.w.Find("up"), s.w.Find("acc"), eUIEvent_Pad, 1);
    s.w.Ticks(3);
    EXPECT_EQ(s.Frame()->GetSelected(), s.RowObject(5));
    EXPECT_EQ(s.sound.Keys().back(), HashName("a_select"));
}

// Experience 100 over two rows whose next levels cost 60, step by step.
TEST(UIFrameUpgradeParameter, ExperienceCoversRaisesStepByStep)
{
    UpgradeWorld s;
    s.Open();
    UIFrameUpgradeParameter* f = s.Frame();
    const uint32_t white = g_nUpgradeColorSaved, red = g_nUpgradeColorShort, green = g_nUpgradeColorPending;
    struct Step {
        const char* name;
        int row;       // -1: the frame
        uint32_t mask;
        int pending;
        uint32_t costColour;
        uint32_t hpColour, attackColour;
        const char* sound;
        bool dialog;
    };
    const Step steps[] = {
        {"raise hp", 0, 8, 60, white, green, white, "u_up", false},
        {"raise unchanged attack past the experience", 2, 8, 120, red, red, red, "u_up", false},
        {"second hp raise refused", 0, 8, 120, red, red, red, "u_noexp", false},
        {"second attack raise refused", 2, 8, 120, red, red, red, "u_noexp", false},
        {"A when short", -1, 16, 120, red, red, red, "u_noexp", false},
        {"lower attack", 2, 4, 60, white, green, white, "u_down", false},
        {"A when covered", -1, 16, 60, white, green, white, "u_confirm", true},
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(st.name);
        if (st.row < 0)
            s.PadFrame(st.mask);
        else
            s.PadRow(st.row, st.mask);
        EXPECT_EQ(f->GetPendingCost(), st.pending);
        EXPECT_EQ(Text(f->GetCostLabel()), std::to_string(st.pending));
        EXPECT_EQ(f->GetCostLabel()->GetColor(), st.costColour);
        EXPECT_EQ(s.Row(0)->GetNumberLabel()->GetColor(), st.hpColour);
        EXPECT_EQ(s.Row(2)->GetNumberLabel()->GetColor(), st.attackColour);
        ASSERT_FALSE(s.sound.Keys().empty());
        if (!st.dialog) {
            EXPECT_EQ(s.sound.Keys().back(), HashName(st.sound));
        }
        EXPECT_EQ(s.w.Find("yn")->IsActive(), st.dialog);
    }
    EXPECT_TRUE(f->IsConfirming());
    EXPECT_EQ(s.w.Get<UIFrameCommonYesNo>("yn")->m_InfoText, "accept?");
    EXPECT_EQ(s.w.Get<UIFrameCommonYesNo>("yn")->GetCurrentSound(2), HashName("u_accept"));
    EXPECT_EQ(Text(s.w.Get<FontRenderer>("total")), "/100");
    EXPECT_EQ(Text(s.Row(0)->GetNumberLabel()), "110");
}

// The price of the next level, and the values shown.
TEST(UIFrameUpgradeParameter, CostsAndDisplayValues)
{
    UpgradeWorld s;
    s.Open();
    UIFrameUpgradeParameter* f = s.Frame();
    struct Cost {
        int level, kind, cost;
    };
    const Cost costs[] = {{0, 0, 60}, {1, 0, 60}, {2, 0, 75}, {9, 0, 75}, {0, 3, 10},
                          {1, 3, 10}, {0, 6, 0},  {0, -1, 0}, {-1, 0, 0}};
    for (const Cost& c : costs)
        EXPECT_EQ(f->LevelCost(c.level, c.kind), c.cost) << c.level << " " << c.kind;
    struct Value {
        int level, kind, value;
    };
    const Value values[] = {{0, 0, 100}, {2, 0, 120}, {4, 0, 140}, {0, 1, 13}, {1, 1, 25},
                            {0, 5, 12},  {0, 2, 10},  {0, 6, 0}};
    for (const Value& v : values)
        EXPECT_EQ(f->DisplayValue(v.level, v.kind), v.value) << v.level << " " << v.kind;
    EXPECT_EQ(Text(s.Row(1)->GetNumberLabel()), "13");
    EXPECT_EQ(Text(s.Row(5)->GetNumberLabel()), "12");
}

// Lowering gives back the price of the level returned to; past the table the step is paid.
TEST(UIFrameUpgradeParameter, LoweringRefundsTheLevelReturnedTo)
{
    UpgradeWorld s;
    g_PlayerSaveData.m_aLevels[0] = 1;
    g_PlayerSaveData.m_nExperience = 1000;
    s.Open();
    s.PadRow(0, 8); // 1 -> 2 costs 60
    s.PadRow(0, 8); // 2 -> 3 costs the step, 75
    EXPECT_EQ(s.Frame()->GetPendingCost(), 135);
    s.PadRow(0, 4);
    EXPECT_EQ(s.Frame()->GetPendingCost(), 60);
    s.PadRow(0, 4);
    EXPECT_EQ(s.Frame()->GetPendingCost(), 0);
    s.PadRow(0, 4); // at the saved level: nothing asked
    EXPECT_EQ(s.Frame()->GetPendingCost(), 0);
    EXPECT_EQ(s.Row(0)->m_nCurrentLevel, 1);
}

TEST(UIFrameUpgradeParameter, AccessoryPaging)
{
    struct Case {
        int op, index, count, expected;
    };
    const Case cases[] = {
        {4, 0, 4, 3}, {4, 3, 4, 2}, {5, 3, 4, 0}, {5, 0, 4, 1}, {2, 3, 4, 0}, {3, 0, 4, 3},
        {2, 1, 4, 2}, {3, 2, 4, 1}, {4, 0, 1, 0}, {5, 0, 1, 0}, {2, 0, 1, 0}, {3, 0, 1, 0},
        {4, 0, 20, 10}, {5, 15, 20, 5}, {2, 0, 0, 0}, {5, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UIFrameUpgradeParameter::PageAccessory(c.op, c.index, c.count), c.expected)
            << c.op << " from " << c.index << " of " << c.count;
    const std::pair<const char*, int> ops[] = {{"AccessoryNext", 2},      {"AccessoryPrev", 3},
                                               {"AccessorySkipNext", 4},  {"AccessorySkipPrev", 5},
                                               {"AccessorySpecified", 6}, {"LevelUp", -1}};
    for (const auto& [name, op] : ops)
        EXPECT_EQ(UIFrameUpgradeParameter::AccessoryOpFromResult(HashName(name)), op) << name;
}

// Paging equips at once and shows the record; an equipped key that is not owned shows nothing
// and writes nothing until the player pages.
TEST(UIFrameUpgradeParameter, AccessoryChoiceTakesEffectAtOnce)
{
    for (bool owned : {true, false}) {
        SCOPED_TRACE(owned ? "equipped owned" : "equipped not owned");
        UpgradeWorld s;
        g_PlayerSaveData.AddAccessory(HashName("acc_one"));
        g_PlayerSaveData.AddAccessory(HashName("acc_two"));
        g_PlayerSaveData.m_nEquippedAccessory = owned ? HashName("acc_one") : HashName("acc_lost");
        s.Open();
        auto* name = s.w.Get<FontRenderer>("acc_name");
        EXPECT_EQ(s.Frame()->GetAccessoryCount(), 3);
        EXPECT_EQ(s.Frame()->GetAccessoryIndex(), owned ? 1 : -1);
        EXPECT_EQ(Text(name), owned ? "acc_one_name" : "");
        EXPECT_EQ(g_PlayerSaveData.m_nEquippedAccessory, owned ? HashName("acc_one") : HashName("acc_lost"));
        s.PadAccessory(8);
        EXPECT_EQ(s.sound.Keys().back(), HashName("a_next"));
        EXPECT_EQ(g_PlayerSaveData.m_nEquippedAccessory, owned ? HashName("acc_two") : g_nDefaultAccessoryKey);
        if (owned) {
            EXPECT_EQ(Text(s.w.Get<FontRenderer>("acc_info")), "acc_two_info");
        }
        s.PadAccessory(256);
        EXPECT_EQ(s.sound.Keys().back(), HashName("a_prev"));
        // The right arrow follows the name's width.
        float width = 0.0f, height = 0.0f;
        name->SetText(name->GetText(), width, height);
        Transform* left = s.w.Find("acc")->FindActiveByTag(HashName("al"))->GetTransform();
        Transform* right = s.w.Find("acc")->FindActiveByTag(HashName("ar"))->GetTransform();
        EXPECT_FLOAT_EQ(right->LocalMatrix().m[3][0], left->LocalMatrix().m[3][0] + width + 25.0f);
        EXPECT_FLOAT_EQ(right->LocalMatrix().m[3][1], 7.0f);
    }
}

// A confirmed raise is written into the save data; B closes at once with nothing changed, asks
// with a change, and a yes there closes without applying; reopening forgets pending raises.
TEST(UIFrameUpgradeParameter, ConfirmCancelAndReopen)
{
    UpgradeWorld s;
    s.Open();
    s.PadRow(0, 8);
    s.PadFrame(16);
    s.AnswerYes();
    EXPECT_EQ(g_PlayerSaveData.m_aLevels[0], 1u);
    EXPECT_EQ(g_PlayerSaveData.m_nExperience, 40u);
    EXPECT_EQ(s.Row(0)->m_nSavedLevel, 1);
    EXPECT_EQ(s.Frame()->GetPendingCost(), 0);
    EXPECT_FALSE(s.Frame()->IsConfirming());
    EXPECT_TRUE(s.w.Find("up")->IsActive()) << "an accepted upgrade leaves the screen open";
    EXPECT_EQ(s.Row(0)->GetNumberLabel()->GetColor(), g_nUpgradeColorSaved);
    EXPECT_EQ(Text(s.w.Get<FontRenderer>("total")), "/40");

    // A raise, then B: the dialog asks; yes closes without applying.
    s.PadRow(2, 8);
    s.PadFrame(32);
    auto* dialog = s.w.Get<UIFrameCommonYesNo>("yn");
    EXPECT_EQ(dialog->m_InfoText, "cancel?");
    EXPECT_EQ(dialog->m_nCallerValue, 1);
    s.AnswerYes();
    EXPECT_TRUE(s.Frame()->IsClosing());
    EXPECT_EQ(g_PlayerSaveData.m_aLevels[2], 0u);
    EXPECT_EQ(g_PlayerSaveData.m_nExperience, 40u);
    s.w.Find("up")->Deactivate();
    s.w.Ticks(2);

    // Reopening drops the unconfirmed raise; B with nothing changed closes at once.
    s.Open();
    EXPECT_EQ(s.Row(2)->m_nCurrentLevel, 0);
    EXPECT_EQ(s.Frame()->GetPendingCost(), 0);
    EXPECT_EQ(Text(s.Row(2)->GetNumberLabel()), "10");
    s.PadFrame(32);
    EXPECT_TRUE(s.Frame()->IsClosing());
    EXPECT_FALSE(s.w.Find("yn")->IsActive());
    EXPECT_EQ(s.sound.Keys().back(), HashName("u_close"));
}

// "updatable" off selects no row; the rank badge shows the saved rank, or stays for one outside
// the five.
TEST(UIFrameUpgradeParameter, UpdatableAndRankBadge)
{
    struct Case {
        const char* name;
        const char* extra;
        int rank;
        bool selected;
        const char* badge;
    };
    const Case cases[] = {
        {"updatable, rank 0", "updatable = 1,", 0, true, kBadges[0]},
        {"not updatable, rank 4", "", 4, false, kBadges[4]},
        {"updatable 2 is not 1, rank 5", "updatable = 2,", 5, false, ""},
        {"negative rank", "updatable = 1,", -1, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpgradeWorld s(UpgradeFiles(c.extra));
        g_PlayerSaveData.m_nHonourLevel = c.rank;
        s.Open();
        EXPECT_EQ(s.Frame()->m_bUpdatable, c.selected);
        EXPECT_EQ(s.Frame()->GetSelected() == s.RowObject(0), c.selected);
        EXPECT_EQ(s.Entry(s.w.Get<TextureAtlas>("rank")), c.badge);
    }
}

// Left open by the design, each handled without a crash: no player status, no dialog panel,
// no piece in a row's table, a row kind never set.
TEST(UIFrameUpgradeParameter, MissingPartsAreSurvived)
{
    {
        SCOPED_TRACE("no player status");
        UpgradeWorld s(UpgradeFiles(), false);
        s.Open();
        EXPECT_EQ(Text(s.Row(0)->GetNumberLabel()), "0");
        s.PadRow(0, 8);
        EXPECT_EQ(s.Row(0)->m_nCurrentLevel, 0);
        EXPECT_EQ(s.sound.Keys().back(), HashName("u_noexp"));
    }
    {
        SCOPED_TRACE("no yes/no panel");
        auto files = UpgradeFiles();
        files["game_objects/ui_root"] = Proto("ui_root", "components = { UIRoot = {} }, children = {"
                                                         " { base_script = 'up' } }");
        UpgradeWorld s(files);
        s.Open();
        s.PadRow(0, 8);
        testing::internal::CaptureStdout();
        s.PadFrame(16);
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_NE(log.find("ui_common_yes_no"), std::string::npos) << log;
        EXPECT_FALSE(s.Frame()->IsConfirming());
    }
    {
        SCOPED_TRACE("a piece table without pieces, a bar outside the screen");
        auto files = UpgradeFiles();
        files["game_objects/pieces"] = Proto("pieces", "object_tag = 'pieces', components = { Transform = {},"
                                                       " UITable = { direction = 1 } }");
        files["game_objects/loose"] =
            Proto("loose", "components = { UIUpgradeBar = { table_piece = 'lp' } }, children = {"
                           " { base_script = 'lp' } }");
        files["game_objects/lp"] = Proto("lp", "object_tag = 'lp', components = { Transform = {}, UITable = {} },"
                                               " children = { { base_script = 'piece' } }");
        files["stage/stage_U"] = "stage_U = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                                 "  components = { QuestController = {} }, children = { { base_script = 'loose' },"
                                 "  { base_script = 'player' }, { base_script = 'ui_root' } } }";
        UpgradeWorld s(files);
        g_PlayerSaveData.m_nExperience = 1000;
        s.Open();
        s.PadRow(0, 8);
        EXPECT_EQ(s.Row(0)->m_nCurrentLevel, 1);
        // The loose bar never had its kind set: its piece keeps what the data gave it.
        GameObj* piece = s.w.Find("lp")->GetNext();
        ASSERT_NE(piece, nullptr);
        EXPECT_EQ(s.Entry(static_cast<TextureAtlas*>(piece->GetComponent(TextureAtlas::s_Class.Key))), "");
        s.w.Get<UIUpgradeBar>("loose")->Refresh(false);
    }
}

// The slide-in: each row starts 800 to the left and arrives at its place, one after another.
TEST(UIFrameUpgradeParameter, RowsSlideInOnce)
{
    UpgradeWorld s;
    ASSERT_NE(UIRoot::OpenPanel(HashName("ui_upgrade_parameter")), nullptr);
    for (int i = 0; i < 5 && !s.Row(0); ++i)
        s.w.Tick();
    for (int k = 0; k < kUpgradeRowCount; ++k) {
        ASSERT_NE(s.Row(k), nullptr);
        auto* slide = static_cast<TweenPosition*>(s.RowObject(k)->GetComponent(TweenPosition::s_Class.Key));
        ASSERT_NE(slide, nullptr);
        EXPECT_EQ(slide->GetMethod(), eTweenMethod_EaseOut);
        EXPECT_FLOAT_EQ(slide->GetDelay(), 0.03f * static_cast<float>(k));
        // 800 to the left, at most one frame into the slide.
        EXPECT_LT(s.RowObject(k)->GetTransform()->WorldMatrix().m[3][0], -650.0f);
    }
    s.w.Ticks(30);
    for (int k = 0; k < kUpgradeRowCount; ++k) {
        EXPECT_FLOAT_EQ(s.RowObject(k)->GetTransform()->WorldMatrix().m[3][0], 0.0f);
        EXPECT_FLOAT_EQ(s.RowObject(k)->GetTransform()->WorldMatrix().m[3][1], 40.0f * static_cast<float>(k));
    }
    // A second opening adds nothing.
    s.w.Find("up")->Deactivate();
    s.w.Ticks(2);
    s.Open();
    int slides = 0;
    for (Component* c : s.RowObject(0)->GetComponents())
        slides += c->IsKindOf(TweenPosition::s_Class.Key);
    EXPECT_EQ(slides, 1);
}

// A curve whose cost is negative or zero sells nothing, and a raise that the curve's "max" makes
// worthless is refused: no purchase ever adds experience or gives a level for free.
TEST(UIFrameUpgradeParameter, WorthlessOrFreeRaisesAreRefused)
{
    struct Case {
        const char* name;
        const char* health;  // the hit-point curve
        int savedLevel;
        int experience;      // after the raise and the confirmation
        int level;           // saved level after the confirmation
    };
    const Case cases[] = {
        {"negative table cost", "init = 100, max = 999, table = { { 110, -100 } }, step = { 10, 75 }", 0, 100, 0},
        {"zero step cost", "init = 100, max = 999, table = { { 110, 60 } }, step = { 10, 0 }", 1, 100, 1},
        {"negative step cost", "init = 100, max = 999, table = { { 110, 60 } }, step = { 10, -5 }", 1, 100, 1},
        {"past the max", "init = 100, max = 110, table = { { 110, 60 } }, step = { 10, 75 }", 1, 100, 1},
        {"below the max", "init = 100, max = 120, table = { { 110, 60 } }, step = { 10, 75 }", 1, 25, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto files = UpgradeFiles();
        files["game_objects/player"] =
            Proto("player", std::string("components = { StatusParameter = { usePlayerData = true, health = { ") +
                                c.health + " } } }");
        UpgradeWorld s(files);
        g_PlayerSaveData.m_aLevels[0] = static_cast<uint32_t>(c.savedLevel);
        s.Open();
        s.PadRow(0, 8);
        const bool raised = s.Row(0)->m_nCurrentLevel != c.savedLevel;
        EXPECT_EQ(s.sound.Keys().back(), HashName(raised ? "u_up" : "u_noexp"));
        EXPECT_GE(s.Frame()->GetPendingCost(), 0);
        if (raised) {
            s.PadFrame(16);
            s.AnswerYes();
        }
        EXPECT_EQ(g_PlayerSaveData.m_nExperience, static_cast<uint32_t>(c.experience));
        EXPECT_EQ(g_PlayerSaveData.m_aLevels[0], static_cast<uint32_t>(c.level));
    }
}
