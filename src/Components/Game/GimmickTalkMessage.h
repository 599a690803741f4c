// Plays the lines waiting in a talk channel in the talk window, one per "next", when a pad
// button is pressed while something stands on the gimmick (or at once, without a button or a
// collider). An empty channel may get one of the gimmick's own random texts first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "System/Common/NameHash.h"
#include "World/Component.h"

class UITalkWindow;

enum GimmickTalkStep : int32_t {
    eGimmickTalk_Fill = 0,  // a random text into an empty channel
    eGimmickTalk_Open = 1,  // waits for lines, the press, the overlap and a free window
    eGimmickTalk_Play = 2,  // a line per "next", then closing
    eGimmickTalk_Close = 3, // waits for the panel to go, then frees the window
};

class GimmickTalkMessage : public Component {
public:
    static const ClassKey s_Class;

    explicit GimmickTalkMessage(GameObj* owner);

    // "talk_window" (panel tag), "message_type" (channel), "open_pad", "character_display_time",
    // "auto_display_time", "random_texts".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void OnEnable() override;
    // The first call finds the panel and its talk window; either missing is one error, and the
    // gimmick stays idle.
    void Update() override;
    void OnCollisionStay(const CollisionInfo& info) override;
    // "TalkWindowMessageNext" moves on to the next line.
    void OnMessage(IMessage* message) override;

    GameObj* GetPanel() const;
    UITalkWindow* GetWindow() const;

    NameId m_nTalkWindow = 0;
    NameId m_nChannel = 0;
    uint32_t m_nOpenPad = 0;
    bool m_bOverlapping = false;
    bool m_bAdvance = false;
    int32_t m_nStep = eGimmickTalk_Fill;
    float m_fCharacterDisplayTime = 0.0f;
    float m_fAutoDisplayTime = 0.0f;
    std::vector<std::string> m_vRandomTexts;

private:
    int32_t m_nPanelId = -1; // held by id, the window taken from it when used
    bool m_bLookedUp = false;
    bool m_bIdle = false;
};
