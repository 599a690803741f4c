// The title stage's director, on the stage's root: the logo movie, the opening movie, the title
// movie under the title menu, then either the saved game's home stage or the end of the
// program. A state returns the next state or -1; a state change resets the step.
#pragma once

#include <cstdint>
#include <string>

#include "System/Common/NameHash.h"
#include "World/Component.h"

class MovieRenderer;
class UIFrameTitleSelect;

enum TitleState : int32_t {
    eTitle_Logo = 0,
    eTitle_Opening,
    eTitle_Menu,
    eTitle_Leave,
};

enum TitleChoice : int32_t {
    eTitleChoice_None = -1,
    eTitleChoice_Start = 0,
    eTitleChoice_Exit = 1,
};

// What the title's update mask is while the leave runs: every layer but the menus'.
constexpr uint32_t kTitleLeaveUpdateMask = 0x7FFFF7FFu;
constexpr uint32_t kTitlePlayUpdateMask = 0x7FFFFFFFu;

class TitleController : public Component {
public:
    static const ClassKey s_Class;

    explicit TitleController(GameObj* owner);

    // "logoMovie", "openingMovie", "titleMovie", "logoBgm", "openingBgm", "titleBgm": asset
    // names, hashed (0 when absent). Never fails.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Listens to every UI root, caches the own MovieRenderer, resets the save data and forgets
    // the quest select's last quest.
    void Start() override;
    void Update() override;
    // An event from the button tagged "select_start" chooses start, "select_exit" exit.
    void OnMessage(IMessage* message) override;

    // The title menu's frame, looked up by its panel each time (null when missing).
    UIFrameTitleSelect* GetMenu() const;

    int32_t m_nState = eTitle_Logo;
    int32_t m_nStep = 0;
    MovieRenderer* m_pMovie = nullptr;
    int32_t m_nMenuObjectId = 0; // the title menu panel's object, 0 when none was found
    NameId m_nLogoMovie = 0, m_nOpeningMovie = 0, m_nTitleMovie = 0;
    NameId m_nLogoBgm = 0, m_nOpeningBgm = 0, m_nTitleBgm = 0; // the title's is read, not played
    int32_t m_nChoice = eTitleChoice_None;

private:
    int32_t UpdateLogo();
    int32_t UpdateOpening();
    int32_t UpdateMenu();
    int32_t UpdateLeave();
    // Plays the movie on the own renderer; one that does not open is logged and counts as ended.
    void StartMovie(NameId movie, const std::string& name, bool loop);
    bool MovieEnded() const;
    // Locks or unlocks the title menu; without it, an error and nothing changes.
    void LockMenu(bool locked);
    // The first pad's A button down this frame and up the frame before.
    static bool ConfirmPressed();

    std::string m_LogoMovieName, m_OpeningMovieName, m_TitleMovieName;
};
