// The ending stage's director, on the stage's root: pages shown one by one, each a movie with
// its music and sound effect, then the save and the way back to the title stage.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "System/Common/NameHash.h"
#include "World/Component.h"

class MovieRenderer;

struct EndingPage {
    NameId m_nTitle = 0;     // the page's movie, 0 none
    NameId m_nBgm = 0;       // its music, 0 none: the previous music fades out
    float m_fPrevFade = 0.0f; // seconds the previous music takes to fade
    NameId m_nSe = 0;        // its sound effect, 0 none: the previous one stops
    std::string m_TitleName; // for the log
};

// The boss quest whose clear count decides whether the ending may be skipped.
constexpr const char* kEndingQuestName = "quest501";

class EndingController : public Component {
public:
    static const ClassKey s_Class;

    explicit EndingController(GameObj* owner);

    // One page per array item: "title", "bgm", "prevFade", "se". Never fails.
    bool Load(lua_State* L) override;
    // Unskippable while the boss quest has fewer than two clears.
    bool Attach() override;
    bool IsKindOf(TypeKey key) const override;
    // Caches the own MovieRenderer.
    void Start() override;
    // Fade-in, the pages, fade-out, then the save and the title stage.
    void Update() override;

    std::vector<EndingPage> m_Pages;
    MovieRenderer* m_pMovie = nullptr;
    size_t m_nNextPage = 0;
    size_t m_nPageCount = 0;
    int32_t m_nState = 0;
    int32_t m_nStep = 0;
    int32_t m_nSeId = -1;
    bool m_bUnskippable = true;

private:
    void ShowNextPage();
    void BeginFadeOut();
};
