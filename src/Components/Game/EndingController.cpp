#include "Components/Game/EndingController.h"

#include <lua.hpp>

#include "Components/Core/MovieRenderer.h"
#include "System/Common/Log.h"
#include "System/Graphics/ScreenFader.h"
#include "System/Input/InputSystem.h"
#include "System/Input/VirtualPad.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Sound/SoundManager.h"
#include "World/GameObj.h"
#include "World/PlayerSaveData.h"
#include "World/SceneManager.h"

const ClassKey EndingController::s_Class("EndingController");

namespace {

constexpr uint32_t kSkipButton = 1u << ePadButton_A;

enum EndingStep : int32_t {
    eEnding_FadeIn = 0,
    eEnding_Page,
    eEnding_Wait,
    eEnding_FadeOut,
    eEnding_Done,
};

NameId HashOrZero(const std::string& name) { return name.empty() ? 0 : HashName(name.c_str()); }

} // namespace

EndingController::EndingController(GameObj* owner) : Component(owner, s_Class) {}

bool EndingController::Load(lua_State* L)
{
    const size_t count = LuaGetItemCount(L);
    for (size_t i = 1; i <= count; ++i) {
        lua_rawgeti(L, -1, static_cast<int>(i));
        if (lua_istable(L, -1)) {
            EndingPage page;
            page.m_TitleName = LuaGetStringField(L, "title");
            page.m_nTitle = HashOrZero(page.m_TitleName);
            page.m_nBgm = HashOrZero(LuaGetStringField(L, "bgm"));
            page.m_fPrevFade = LuaGetFloatField(L, "prevFade");
            page.m_nSe = HashOrZero(LuaGetStringField(L, "se"));
            m_Pages.push_back(page);
        }
        lua_pop(L, 1);
    }
    m_nPageCount = m_Pages.size();
    return true;
}

bool EndingController::Attach()
{
    m_bUnskippable = g_PlayerSaveData.GetQuestClearCount(HashName(kEndingQuestName)) < 2;
    return true;
}

bool EndingController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void EndingController::Start()
{
    m_pMovie = static_cast<MovieRenderer*>(GetOwner()->GetComponent(MovieRenderer::s_Class.Key));
    if (!m_pMovie)
        LOG_ERROR << "EndingController of \"" << GetOwner()->GetPrototypeName()
                  << "\": no MovieRenderer on its object; its pages end at once.";
}

void EndingController::Update()
{
    switch (m_nStep) {
    case eEnding_FadeIn:
        if (g_pScreenFader)
            g_pScreenFader->Start(eScreenFade_FadeIn, 0, 0xFFFFFFFFu, 0.5f);
        m_nStep = eEnding_Page;
        break;
    case eEnding_Page:
        // An ending without pages goes straight to its close.
        if (m_nNextPage >= m_nPageCount)
            BeginFadeOut();
        else
            ShowNextPage();
        break;
    case eEnding_Wait: {
        const VirtualPad* pad = g_pInputSystem ? g_pInputSystem->GetPad(0) : nullptr;
        const bool skipped = !m_bUnskippable && pad && pad->IsTriggered(kSkipButton);
        const bool ended = !m_pMovie || !m_pMovie->IsPlaying();
        if (!skipped && !ended)
            break;
        if (m_nNextPage < m_nPageCount)
            m_nStep = eEnding_Page;
        else
            BeginFadeOut();
        break;
    }
    case eEnding_FadeOut:
        if (g_pScreenFader && g_pScreenFader->m_nMode != eScreenFade_Idle &&
            g_pScreenFader->m_nMode != eScreenFade_Held)
            break;
        if (g_pSceneManager)
            g_pSceneManager->m_nUpdateMask = 0x7FFFFFFFu;
        g_PlayerSaveData.Write("QMSave.sav");
        if (g_pSceneManager)
            g_pSceneManager->RequestStage("stage_TitleScene");
        m_nStep = eEnding_Done;
        break;
    default: break;
    }
}

void EndingController::ShowNextPage()
{
    const EndingPage& page = m_Pages[m_nNextPage++];
    if (page.m_nTitle != 0 && !(m_pMovie && m_pMovie->Play(page.m_nTitle, false)))
        LOG_ERROR << "EndingController: the movie \"" << page.m_TitleName << "\" did not open; its page ends.";
    if (g_pSoundManager) {
        if (page.m_nBgm != 0)
            g_pSoundManager->PlayBgm(page.m_fPrevFade, page.m_nBgm, true);
        else
            g_pSoundManager->FadeOutBgm(page.m_fPrevFade);
        if (page.m_nSe != 0) {
            IAudioSource* se = g_pSoundManager->CreateSource(eSoundGroup_Se, page.m_nSe, eDecoderKind_Wave);
            g_pSoundManager->GetSeList().push_back(se);
            se->Play(0);
            m_nSeId = se->GetId();
        } else {
            g_pSoundManager->StopSe(m_nSeId);
            m_nSeId = -1;
        }
    }
    m_nStep = eEnding_Wait;
}

void EndingController::BeginFadeOut()
{
    if (g_pScreenFader)
        g_pScreenFader->Start(eScreenFade_FadeOut, 0, 0xFF000000u, 0.5f);
    if (g_pSoundManager)
        g_pSoundManager->FadeOutBgm(0.5f);
    m_nStep = eEnding_FadeOut;
}
