// The root of a UI tree: its object's direct children are the panels. It turns the keyboard's
// confirm key and pad 0 into UI events for the one selected widget, keeps the selection with a
// history of earlier ones, maps the panels by tag for gameplay, copies every UI result and event
// it receives to its listeners and tells its subtree which camera draws it.
//
// Objects are held by id and looked up when used: a window may delete itself while the root
// still names it, and a gone object then simply reads as none.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "System/Common/NameHash.h"
#include "World/Component.h"
#include "World/IMessage.h"

class Camera2D;
class UIRoot;

// Every live UIRoot, oldest first. Panel look-ups search them in this order.
extern std::vector<UIRoot*> UIRootList;
// Set by gameplay while a menu it opened is up; OpenPanel refuses to open anything meanwhile.
extern uint8_t g_bUILocked;

// An object travels in a UI event's first parameter as its id; "no object" is -1, as ids
// start at 0.
int32_t UIObjectToParam(const GameObj* object);
// The live object of the scene with the id carried by an event, or null (-1, or gone).
GameObj* UIObjectFromParam(int32_t param);
// Posts a new UI event from the sender (sender and origin both) to the target at the target's
// manager clock, with no delay. Nothing without a sender or target.
void PostUIEvent(GameObj* sender, GameObj* target, MsgUIEventKind kind, int32_t param = 0);

class UIRoot : public Component {
public:
    static const ClassKey s_Class;

    // Joins UIRootList.
    explicit UIRoot(GameObj* owner);
    // Leaves UIRootList; the last root to leave unlocks the UI.
    ~UIRoot() override;

    // "camera": the tag of the camera that draws the tree. Never fails.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Finds the camera (falling back on "GameCamera"), tells the subtree, maps the panels
    // present now by tag (the first of a tag wins) and clears a lock left by an earlier stage.
    void Start() override;
    // Input runs only while the selection and all its ancestors are active. A selection whose
    // object is gone steps back in the history, as its Close would have.
    void Update() override;
    // Copies UI results and events to the listeners; a Close from the selected object (or one
    // whose selection is gone) steps back in the history.
    void OnMessage(IMessage* message) override;

    // Select(false) to an active old selection, which joins the history; an inactive one is
    // dropped silently. Select(true) to the new one.
    void Select(GameObj* object);
    // The confirm key and pad edges, then one Pad event per pad bit that fires this frame:
    // directions on their repeat frames, other buttons on their press edge.
    void ProcessInput();
    // Press(true) to the selection on a press; on a release Press(false) to the widget the
    // press went to, and Click when it is still selected.
    void HandleConfirm(bool press, bool release);

    // The selected widget's object, or null (none, or gone).
    GameObj* GetSelected() const;
    GameObj* GetPanel(NameId tag) const;
    Camera2D* GetCamera() const { return m_pCamera; }
    size_t GetHistorySize() const { return m_History.size(); }
    size_t GetListenerCount() const { return m_Listeners.size(); }

    // The panel with the tag in the oldest root that maps it, or null.
    static GameObj* FindPanel(NameId tag);
    // Activates an inactive panel (by message, so at the next delivery) and counts it. Null
    // while the UI is locked, for an unknown tag and for an active panel; these count nothing.
    static GameObj* OpenPanel(NameId tag);
    // Adds the object to every live root's listeners; the number of roots.
    static int AddListenerToAll(GameObj* object);
    // Tells the target's subtree to draw with the camera's object tag. Nothing without a camera.
    static void PostCamera(Camera2D* camera, GameObj* target);

private:
    bool SelectionGone() const;
    void StepBack();

    std::unordered_map<NameId, int32_t> m_Panels; // tag -> panel id
    int32_t m_nSelected = -1;
    std::vector<int32_t> m_History; // ids of earlier selections, newest last
    NameId m_nCameraName = 0;
    Camera2D* m_pCamera = nullptr;
    int32_t m_nConfirmKey = 28; // the Return key
    uint32_t m_nConfirmPad = 0x10; // pad A
    int32_t m_nFrameSelection = -1; // the selection during one input pass
    int32_t m_nPressed = -1; // where a confirm went down
    std::vector<int32_t> m_Listeners;
};
