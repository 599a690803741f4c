#include "UI/UIFixture.h"

#include "Components/Core/FontRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/TalkChannel.h"
#include "Components/UI/UITalkWindow.h"

namespace {

// The talk results a listener receives, "W" (wait) or "N" (next), with their frames.
struct Heard {
    std::string results;
    std::vector<uint32_t> frames;
};

Heard& Results()
{
    static Heard heard;
    return heard;
}

class TalkSink : public Component {
public:
    static inline const ClassKey s_Class{"TalkSink"};
    explicit TalkSink(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void OnMessage(IMessage* message) override
    {
        if (message->GetTypeId() != MsgUIResult::s_Class.Key)
            return;
        auto* r = static_cast<MsgUIResult*>(message);
        if (r->m_Values.size() != 1)
            return;
        const NameId name = static_cast<NameId>(r->m_Values[0]);
        Results().results += name == g_nResultTalkWindowWait ? "W" : name == g_nResultTalkWindowNext ? "N" : "?";
        Results().frames.push_back(GetAppFrameCount());
    }
};

// root > panel (a frame) > window > label, frame, arrow, next; a listener outside the tree.
std::map<std::string, std::string> TalkFiles(bool encoding, const std::string& window)
{
    const std::string piece = "object_layer = 2048, object_activity = 1, ";
    return {
        {"stage/stage_T", "stage_T = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          "  children = { { base_script = 'ui_root' }, { base_script = 'sink' } } }"},
        {"game_objects/ui_root", "ui_root = { object_name = 'root', " + piece +
                                     "components = { UIRoot = {} }, children = { { base_script = 'panel' } } }"},
        {"game_objects/panel", "panel = { object_name = 'panel', object_tag = 'ui_lisvet_window', " + piece +
                                   "components = { UIFrame = {} }, children = { { base_script = 'window' } } }"},
        {"game_objects/window", "window = { object_name = 'window', " + piece + "components = { UITalkWindow = { " +
                                    window +
                                    ", label_text = 'l', sprite_frame = 'f', sprite_frame_arrow = 'a',"
                                    " sprite_next = 'n' } }, children = { { base_script = 'label' },"
                                    " { base_script = 'frame' }, { base_script = 'arrow' }, { base_script = 'next' } } }"},
        {"game_objects/label", "label = { object_name = 'label', object_tag = 'l', " + piece +
                                   "components = { FontRenderer = { encoding = " + (encoding ? "true" : "false") +
                                   " } } }"},
        {"game_objects/frame", "frame = { object_name = 'frame', object_tag = 'f', " + piece +
                                   "components = { SlicedSpriteRenderer = {} } }"},
        {"game_objects/arrow", "arrow = { object_name = 'arrow', object_tag = 'a', " + piece +
                                   "components = { SpriteRenderer = {} } }"},
        {"game_objects/next", "next = { object_name = 'next', object_tag = 'n', " + piece +
                                  "components = { SpriteRenderer = {} } }"},
        {"game_objects/sink", "sink = { object_name = 'sink', object_layer = 1, object_activity = 1,"
                              " components = { TalkSink = {} } }"},
    };
}

struct TalkWorld {
    UIWorld w;
    UITalkWindow* window = nullptr;
    TalkWorld(bool encoding, const std::string& keys) : w(TalkFiles(encoding, keys))
    {
        g_pComponentFactory->RegisterClass<TalkSink>();
        w.Scene()->RequestStage("stage_T");
        w.Tick();
        window = w.Get<UITalkWindow>("window");
        Results() = {};
    }
    std::string Label() const { return window->GetLabel()->GetText(); }
    bool NextShown() const { return w.Find("next")->IsActive(); }
};

} // namespace

// Frames of one line: the label after each reveal, when it completed and what the listener
// heard, with the pad pressed before some frames.
TEST(TalkWindowTest, Reveal)
{
    struct Case {
        const char* name;
        std::string text;
        bool encoding;
        float characterTime, autoTime, dt;
        int frames;
        std::map<int, uint32_t> pads;       // frame (1-based) -> mask pressed before it
        std::vector<std::string> labels;    // every change of the label, in order
        int completeFrame;                  // first frame with all shown (0: at once)
        std::string heard;
        bool nextShown;
    };
    const std::string tag = "ab<FF0000>cd";
    const Case cases[] = {
        // 0.02 s frames: 0.06 is the first sum over 0.05; the 0.01 left is dropped.
        {"typewriter", "abcd", false, 0.05f, 0.0f, 0.02f, 14, {}, {"a", "ab", "abc", "abcd"}, 12, "W", true},
        {"tag whole with markup", tag, true, 0.05f, 0.0f, 0.1f, 6, {},
         {"a", "ab", "ab<FF0000>", "ab<FF0000>c", tag}, 5, "W", true},
        {"tag by character without markup", tag, false, 0.05f, 0.0f, 0.1f, 13, {},
         {"a", "ab", "ab<", "ab<F", "ab<FF", "ab<FF0", "ab<FF00", "ab<FF000", "ab<FF0000", "ab<FF0000>",
          "ab<FF0000>c", tag},
         12, "W", true},
        {"two-byte character whole", "a\x82\xa0" "b", false, 0.05f, 0.0f, 0.1f, 4, {},
         {"a", "a\x82\xa0", "a\x82\xa0" "b"}, 3, "W", true},
        {"unclosed tag stops at the end", "ab<FF", true, 0.05f, 0.0f, 0.1f, 4, {}, {"a", "ab", "ab<FF"}, 3, "W", true},
        {"final lead byte stops at the end", "a\x82", false, 0.05f, 0.0f, 0.1f, 3, {}, {"a", "a\x82"}, 2, "W", true},
        {"auto time: one next, pads ignored", "ab", false, 0.05f, 2.0f, 0.25f, 14, {{1, 16}, {11, 16}}, {"a", "ab"},
         2, "WN", false},
        {"A shows all, then asks for the next", "abcd", false, 0.05f, 0.0f, 0.1f, 4, {{2, 32}, {3, 16}, {4, 16}},
         {"a", "ab", "abcd"}, 3, "WN", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char keys[160];
        std::snprintf(keys, sizeof keys, "character_display_time = %g, auto_display_time = %g", double(c.characterTime),
                      double(c.autoTime));
        TalkWorld t(c.encoding, keys);
        t.window->SetListener(t.w.Find("sink"));
        t.window->m_Text = c.text;
        t.window->ShowText();
        std::vector<std::string> labels;
        std::string shown = t.Label();
        if (!shown.empty())
            labels.push_back(shown);
        int complete = t.window->GetRevealed() == t.window->GetLength() ? 0 : -1;
        const uint32_t start = t.w.Frame();
        for (int f = 1; f <= c.frames; ++f) {
            auto pad = c.pads.find(f);
            if (pad != c.pads.end())
                t.window->OnPad(pad->second);
            t.w.Tick(c.dt);
            if (t.Label() != shown)
                labels.push_back(shown = t.Label());
            if (complete < 0 && t.window->GetRevealed() == t.window->GetLength())
                complete = f;
            EXPECT_LE(t.window->GetRevealed(), t.window->GetLength());
        }
        t.w.Tick(c.dt); // the last post's delivery
        EXPECT_EQ(labels, c.labels);
        EXPECT_EQ(complete, c.completeFrame);
        EXPECT_EQ(Results().results, c.heard);
        EXPECT_EQ(t.NextShown(), c.nextShown);
        // The wait is posted in the frame the last character shows, delivered at the next.
        if (c.heard == "W" && c.pads.empty()) {
            EXPECT_EQ(Results().frames[0], start + uint32_t(c.completeFrame) + 1);
        }
        // The automatic next: just over 2 s (nine frames of 0.25 s) after the text was complete.
        if (c.autoTime > 0.0f && Results().frames.size() == 2) {
            EXPECT_EQ(Results().frames[1], start + uint32_t(c.completeFrame) + 9 + 1);
        }
    }
}

// On enable the window takes its frame's selection, reports to the root's object and tints
// its frame and arrow with the window transmittance (75 by default: 0.75 x 255 truncated).
TEST(TalkWindowTest, EnableAndTransmittance)
{
    TalkWorld t(false, "character_display_time = 0, text = 'hi'");
    EXPECT_EQ(t.w.Get<UIFrame>("panel")->GetSelected(), t.w.Find("window"));
    EXPECT_EQ(t.window->GetListener(), t.w.Find("root"));
    EXPECT_EQ(t.Label(), "hi");
    EXPECT_TRUE(t.NextShown());
    EXPECT_EQ(t.window->GetFrameSprite()->GetColor() >> 24, 191u);
    EXPECT_EQ(t.window->GetArrow()->GetColor() >> 24, 191u);
    EXPECT_EQ(t.window->GetNext()->GetColor(), 0xFFFFFFFFu);
    EXPECT_EQ(t.window->GetPadNext(), 16u);
}

// Clearing a talk channel tells the companion's window to move on: its listener hears Next.
TEST(TalkWindowTest, ResetTalkChannelPostsNext)
{
    TalkWorld t(false, "character_display_time = 0, text = 'hi'");
    t.window->SetListener(t.w.Find("sink"));
    g_TalkChannelQueue.PushBack(7, "line");
    ResetTalkChannel(7);
    t.w.Tick();
    EXPECT_EQ(g_TalkChannelQueue.Count(7), 0u);
    EXPECT_EQ(Results().results, "N");
    g_TalkChannelQueue.Clear(0);
}
