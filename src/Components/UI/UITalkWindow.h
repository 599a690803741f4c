// A framed window that shows one line of dialogue at a time: the text appears a character per
// tick (a markup tag at once), a "next" marker shows when it is complete, and the window tells
// its listener "TalkWindowMessageWait" (all shown) and "TalkWindowMessageNext" (move on).
#pragma once

#include <cstdint>
#include <string>

#include "Components/UI/UIWidget.h"
#include "System/Common/NameHash.h"

class FontRenderer;
class SlicedSpriteRenderer;
class SpriteRenderer;

extern const NameId g_nResultTalkWindowWait;
extern const NameId g_nResultTalkWindowNext;

class UITalkWindow : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UITalkWindow(GameObj* owner);

    // "label_text", "sprite_frame", "sprite_frame_arrow", "sprite_next", "text",
    // "character_display_time", "auto_display_time" (absent 0) and "pad_next" when present.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Finds root and frame, opens, finds the pieces, takes its frame's selection and shows the
    // stored text when there is one.
    void OnEnable() override;
    // Reveals one more character when the reveal time has passed; counts down the auto time.
    void Update() override;
    // The next pad shows the rest of the text, or once all is shown asks for the next line.
    // Ignored with an auto time.
    void OnPad(uint32_t mask) override;

    // Listener (the root's object unless set), the pieces once, and the frame's transparency
    // from the player's "WindowTransmittance".
    void FindChildren();
    // Starts the stored text afresh: at once without a character time, else from nothing.
    void ShowText();
    // The whole text at once and "TalkWindowMessageWait"; only while revealing, with a listener.
    void ShowAll();
    // "TalkWindowMessageNext" to the listener.
    void PostNext();

    // The listener is held by id: it may go before the window.
    void SetListener(GameObj* listener);
    GameObj* GetListener() const;
    int32_t GetRevealed() const { return m_nRevealed; }
    int32_t GetLength() const { return m_nLength; }
    uint32_t GetPadNext() const { return m_nPadNext; }
    FontRenderer* GetLabel() const { return m_pLabel; }
    SlicedSpriteRenderer* GetFrameSprite() const { return m_pFrameSprite; }
    SpriteRenderer* GetArrow() const { return m_pArrow; }
    SpriteRenderer* GetNext() const { return m_pNext; }

    // Written by whoever drives the talk; the text is shown by the next ShowText.
    std::string m_Text;
    float m_fCharacterDisplayTime = 0.0f;
    float m_fAutoDisplayTime = 0.0f;

private:
    void PostResult(NameId name);
    void SetNextVisible(bool visible);
    // Bytes of the character at the position: two for a code page 932 lead byte with a byte
    // after it, else one; never past the end.
    int32_t CharLength(int32_t position) const;

    NameId m_nLabelTag = 0, m_nFrameTag = 0, m_nArrowTag = 0, m_nNextTag = 0;
    FontRenderer* m_pLabel = nullptr;
    SlicedSpriteRenderer* m_pFrameSprite = nullptr;
    SpriteRenderer* m_pArrow = nullptr;
    SpriteRenderer* m_pNext = nullptr;
    float m_fRevealTimer = 0.0f;
    float m_fWaitTimer = 0.0f;
    uint32_t m_nPadNext = 16;
    int32_t m_nListener = -1;
    int32_t m_nRevealed = 0;
    int32_t m_nLength = 0;
    std::string m_Shown; // the revealed part, kept to spare an allocation per character
};

// The talk window of the panel "ui_lisvet_window", or null.
UITalkWindow* FindCompanionTalkWindow();
