#include "UI/UIFixture.h"

#include "Components/UI/UIDialogFrames.h"
#include "Components/UI/UIQuestSelect.h"
#include "System/Sound/AudioDevice.h"
#include "System/Sound/SoundManager.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/Transform.h"

namespace {

// Every result a listener receives, with its values and the origin's name.
struct Answer {
    std::string who;
    std::vector<int32_t> values;
    std::string origin;
};

std::vector<Answer>& Answers()
{
    static std::vector<Answer> answers;
    return answers;
}

class AnswerSink : public Component {
public:
    static inline const ClassKey s_Class{"AnswerSink"};
    explicit AnswerSink(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void OnMessage(IMessage* message) override
    {
        if (message->GetTypeId() != MsgUIResult::s_Class.Key)
            return;
        auto* r = static_cast<MsgUIResult*>(message);
        Answers().push_back({GetOwner()->GetObjectName(), r->m_Values, ObjectLabel(r->m_pOrigin)});
    }
};

// A sound manager over no device whose one-shot effects the test reads back.
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

// root > caller (a widget that answers are sent to), dialog "ui_yn" > window > yes, no; a
// listener outside the tree.
std::map<std::string, std::string> DialogFiles()
{
    return {
        {"stage/stage_D", "stage_D = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          "  children = { { base_script = 'ui_root' }, { base_script = 'listener' } } }"},
        {"game_objects/ui_root", "ui_root = { object_name = 'root', object_layer = 2048, object_activity = 1,"
                                 "  components = { UIRoot = {} },"
                                 "  children = { { base_script = 'caller' }, { base_script = 'yn' } } }"},
        {"game_objects/caller", "caller = { object_name = 'caller', object_layer = 2048, object_activity = 1,"
                                " components = { AnswerSink = {} } }"},
        {"game_objects/yn",
         "yn = { object_name = 'yn', object_tag = 'ui_yn', object_layer = 2048, object_activity = 0,"
         " components = { UIFrameCommonYesNo = { close_pad = 32, window_root = 'window_root',"
         "   sound_effect = { open = 's_open', select = 's_select', yes = 's_yes', cancel = 's_cancel' } },"
         "   },"
         " children = { { base_script = 'window' } } }"},
        {"game_objects/window", "window = { object_name = 'window', object_tag = 'window_root', object_layer = 2048,"
                                " object_activity = 1, components = { Transform = {} },"
                                " children = { { base_script = 'yes' }, { base_script = 'no' } } }"},
        {"game_objects/yes", "yes = { object_name = 'yes', object_tag = 'select_yes', object_layer = 2048,"
                             " object_activity = 1, components = { TestWidget = {} } }"},
        {"game_objects/no", "no = { object_name = 'no', object_tag = 'select_no', object_layer = 2048,"
                            " object_activity = 1, components = { TestWidget = {} } }"},
        {"game_objects/listener", "listener = { object_name = 'listener', object_layer = 1, object_activity = 1,"
                                  " components = { AnswerSink = {} } }"},
    };
}

struct DialogWorld {
    SoundScope sound;
    UIWorld w;
    DialogWorld() : w(DialogFiles())
    {
        g_pComponentFactory->RegisterClass<AnswerSink>();
        w.Scene()->RequestStage("stage_D");
        w.Tick();
        Answers().clear();
        UIRoot::AddListenerToAll(w.Find("listener"));
    }
    UIFrameCommonYesNo* Dialog() { return w.Get<UIFrameCommonYesNo>("yn"); }
    void Open()
    {
        ASSERT_NE(UIRoot::OpenPanel(HashName("ui_yn")), nullptr);
        w.Ticks(2);
        ASSERT_TRUE(w.Find("yn")->IsActive());
    }
    // Closing from the named button ("yes", "no") or, with "", the pad that closes the frame;
    // then the panel goes off as its closing tween would switch it off.
    void Choose(const std::string& button)
    {
        GameObj* yn = w.Find("yn");
        if (button.empty())
            w.Post(yn, yn, eUIEvent_Pad, 32);
        else
            w.Post(w.Find(button), yn, eUIEvent_Closing, UIObjectToParam(w.Find(button)));
        w.Ticks(3);
        yn->Deactivate();
        w.Ticks(2);
    }
    std::vector<Answer> CloseWindowAnswers(const std::string& who)
    {
        std::vector<Answer> out;
        for (const Answer& a : Answers())
            if (a.who == who && !a.values.empty() && a.values[0] == static_cast<int32_t>(g_nResultCloseWindow))
                out.push_back(a);
        return out;
    }
};

} // namespace

TEST(UIFrameCommonYesNo, AnswerAndSoundPerWayOfClosing)
{
    struct Case {
        const char* button; // "" : the close pad
        int32_t answer;
        const char* sound;
    };
    const Case cases[] = {{"yes", 1, "s_yes"}, {"no", 2, "s_cancel"}, {"", 0, "s_cancel"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        DialogWorld d;
        d.w.Root("root")->Select(d.w.Find("caller"));
        d.Open();
        d.Dialog()->m_nCallerValue = 7;
        EXPECT_EQ(d.sound.Keys(), std::vector<NameId>{HashName("s_open")});
        d.Choose(c.button);
        EXPECT_FALSE(d.w.Find("yn")->IsActive());
        ASSERT_FALSE(d.sound.Keys().empty());
        EXPECT_EQ(d.sound.Keys().back(), HashName(c.sound));
        const std::vector<Answer> got = d.CloseWindowAnswers("caller");
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].values, (std::vector<int32_t>{static_cast<int32_t>(g_nResultCloseWindow), c.answer, 7}));
        EXPECT_EQ(got[0].origin, "yn");
        // The per-opening state is back to its start.
        EXPECT_EQ(d.Dialog()->GetAnswer(), 0);
        EXPECT_EQ(d.Dialog()->m_nCallerValue, 0);
    }
}

TEST(UIFrameCommonYesNo, AnswerGoesToTheCallerAndTheRoot)
{
    enum Caller { eLive, eGone, eNone };
    struct Case {
        Caller caller;
        const char* receiver; // the object whose sink sees the answer directly
        size_t listenerCopies;
    };
    // The root copies what it receives to its listeners. A live caller gets the answer too, but
    // never alone: gameplay that opened the dialog while another widget held the selection (the
    // companion's talk window at home) listens on the root and must hear it.
    const Case cases[] = {{eLive, "caller", 1}, {eGone, "root", 1}, {eNone, "root", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.caller));
        DialogWorld d;
        if (c.caller != eNone)
            d.w.Root("root")->Select(d.w.Find("caller"));
        d.Open();
        if (c.caller == eGone) {
            d.w.Scene()->DestroyLater(d.w.Find("caller"), 0.0f);
            d.w.Ticks(2);
            ASSERT_EQ(d.w.Find("caller"), nullptr);
        }
        d.Choose("yes");
        if (c.caller == eLive) {
            EXPECT_EQ(d.CloseWindowAnswers("caller").size(), 1u);
        }
        EXPECT_EQ(d.CloseWindowAnswers("listener").size(), c.listenerCopies);
        for (const Answer& a : d.CloseWindowAnswers("listener"))
            EXPECT_EQ(a.origin, "yn"); // gameplay tells its dialogs apart by the origin's tag
    }
}

// Object 0 is alive in every scene; "no caller" must never be mistaken for it.
TEST(UIFrameCommonYesNo, NoCallerIsNotObjectZero)
{
    DialogWorld d;
    d.Open();
    EXPECT_EQ(d.Dialog()->GetCallerId(), -1);
    d.Choose("no");
    ASSERT_EQ(d.CloseWindowAnswers("listener").size(), 1u);
    EXPECT_EQ(d.CloseWindowAnswers("listener")[0].values[1], 2);
}

TEST(UIFrameCommonYesNo, FirstChoiceWinsWhileClosing)
{
    DialogWorld d;
    d.Open();
    UIFrameCommonYesNo* dialog = d.Dialog();
    dialog->OnClosing(d.w.Find("yes"));
    dialog->OnClosing(d.w.Find("no"));
    EXPECT_EQ(dialog->GetAnswer(), 1);
    EXPECT_EQ(d.sound.Keys().back(), HashName("s_yes"));
}

TEST(UIFrameCommonYesNo, SoundOverridesLastOneOpening)
{
    DialogWorld d;
    UIFrameCommonYesNo* dialog = d.Dialog();
    const NameId loaded[4] = {HashName("s_open"), HashName("s_select"), HashName("s_yes"), HashName("s_cancel")};
    dialog->SetSounds(1, 2, 3, 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(dialog->GetCurrentSound(i), static_cast<NameId>(i + 1));
    dialog->SetSounds(0, 0, 0, 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(dialog->GetCurrentSound(i), loaded[i]);
    dialog->SetSounds(11, 0, 13, 0);
    EXPECT_EQ(dialog->GetCurrentSound(1), loaded[1]);
    d.Open();
    EXPECT_EQ(d.sound.Keys(), std::vector<NameId>{11});
    d.Choose("yes");
    EXPECT_EQ(d.sound.Keys().back(), 13u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(dialog->GetCurrentSound(i), loaded[i]);
}

TEST(UIFrameCommonYesNo, WindowPositionLastsOneOpening)
{
    DialogWorld d;
    d.Open();
    d.Dialog()->SetWindowPosition(40.0f, -25.0f);
    Transform* t = d.w.Find("window")->GetTransform();
    EXPECT_FLOAT_EQ(t->WorldMatrix().m[3][0], 40.0f);
    EXPECT_FLOAT_EQ(t->WorldMatrix().m[3][1], -25.0f);
    EXPECT_FLOAT_EQ(d.w.Find("yes")->GetTransform()->WorldMatrix().m[3][0], 40.0f);
    d.Choose("");
    EXPECT_FLOAT_EQ(t->LocalMatrix().m[3][0], 0.0f);
    EXPECT_FLOAT_EQ(t->LocalMatrix().m[3][1], 0.0f);
}
