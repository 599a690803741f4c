#include "Components/Game/TitleController.h"

#include <lua.hpp>

#include "Components/Core/MovieRenderer.h"
#include "Components/UI/UIMenuFrames.h"
#include "Components/UI/UIQuestSelect.h"
#include "Components/UI/UIRoot.h"
#include "System/Common/AppControl.h"
#include "System/Common/Log.h"
#include "System/Graphics/ScreenFader.h"
#include "System/Input/InputSystem.h"
#include "System/Input/VirtualPad.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Sound/SoundManager.h"
#include "World/GameObj.h"
#include "World/IMessage.h"
#include "World/MessageManager.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"

const ClassKey TitleController::s_Class("TitleController");

namespace {

constexpr uint32_t kConfirmButton = 1u << ePadButton_A;
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kClearWhite = 0x00FFFFFFu;

void Fade(uint16_t mode, uint32_t color, float seconds)
{
    if (g_pScreenFader)
        g_pScreenFader->Start(mode, 0, color, seconds);
}

bool FadeDone()
{
    return !g_pScreenFader || g_pScreenFader->m_nMode == eScreenFade_Idle ||
           g_pScreenFader->m_nMode == eScreenFade_Held;
}

NameId ReadName(lua_State* L, const char* key, std::string* text = nullptr)
{
    const std::string name = LuaGetStringField(L, key);
    if (text)
        *text = name;
    return name.empty() ? 0 : HashName(name.c_str());
}

} // namespace

TitleController::TitleController(GameObj* owner) : Component(owner, s_Class) {}

bool TitleController::Load(lua_State* L)
{
    m_nLogoMovie = ReadName(L, "logoMovie", &m_LogoMovieName);
    m_nOpeningMovie = ReadName(L, "openingMovie", &m_OpeningMovieName);
    m_nTitleMovie = ReadName(L, "titleMovie", &m_TitleMovieName);
    m_nLogoBgm = ReadName(L, "logoBgm");
    m_nOpeningBgm = ReadName(L, "openingBgm");
    m_nTitleBgm = ReadName(L, "titleBgm");
    return true;
}

bool TitleController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void TitleController::Start()
{
    UIRoot::AddListenerToAll(GetOwner());
    m_pMovie = static_cast<MovieRenderer*>(GetOwner()->GetComponent(MovieRenderer::s_Class.Key));
    if (!m_pMovie)
        LOG_ERROR << "TitleController of \"" << GetOwner()->GetPrototypeName()
                  << "\": no MovieRenderer on its object; its movies count as ended.";
    g_PlayerSaveData.Reset();
    g_LastSelectedQuestKey = 0;
}

void TitleController::Update()
{
    int32_t next = -1;
    switch (m_nState) {
    case eTitle_Logo: next = UpdateLogo(); break;
    case eTitle_Opening: next = UpdateOpening(); break;
    case eTitle_Menu: next = UpdateMenu(); break;
    case eTitle_Leave: next = UpdateLeave(); break;
    default: break;
    }
    if (next >= 0) {
        m_nState = next;
        m_nStep = 0;
    }
}

int32_t TitleController::UpdateLogo()
{
    if (m_nStep == 0) {
        Fade(eScreenFade_FadeIn, kBlack, 0.5f);
        StartMovie(m_nLogoMovie, m_LogoMovieName, false);
        if (g_pSoundManager) {
            const IAudioSource* bgm = g_pSoundManager->GetCurrentBgm();
            if (!bgm || bgm->GetKey() != m_nLogoBgm) {
                g_pSoundManager->FadeOutBgm(0.0f);
                g_pSoundManager->PlayBgm(0.0f, m_nLogoBgm, false);
            }
        }
        m_nStep = 1;
        return -1;
    }
    if (ConfirmPressed() || MovieEnded()) {
        if (g_pSoundManager)
            g_pSoundManager->FadeOutBgm(0.0f);
        return eTitle_Opening;
    }
    return -1;
}

int32_t TitleController::UpdateOpening()
{
    switch (m_nStep) {
    case 0:
        Fade(eScreenFade_FadeIn, kBlack, 0.5f);
        StartMovie(m_nOpeningMovie, m_OpeningMovieName, false);
        // PlayBgm leaves the music alone when it already is the opening's.
        if (g_pSoundManager)
            g_pSoundManager->PlayBgm(0.5f, m_nOpeningBgm, true);
        m_nStep = 1;
        return -1;
    case 1:
        if (MovieEnded())
            return eTitle_Menu;
        if (ConfirmPressed()) {
            Fade(eScreenFade_FadeOut, kClearWhite, 1.0f);
            m_nStep = 2;
        }
        return -1;
    default: return FadeDone() ? eTitle_Menu : -1;
    }
}

int32_t TitleController::UpdateMenu()
{
    switch (m_nStep) {
    case 0: {
        Fade(eScreenFade_FadeIn, kWhite, 1.0f);
        StartMovie(m_nTitleMovie, m_TitleMovieName, true);
        UIRoot::OpenPanel(HashName("ui_title_logo"));
        UIRoot::OpenPanel(HashName("ui_title_select"));
        GameObj* menu = UIRoot::FindPanel(HashName("ui_title_select"));
        m_nMenuObjectId = menu ? menu->GetId() : 0;
        LockMenu(true);
        m_nStep = 1;
        return -1;
    }
    case 1:
        // The menu takes input only once the screen is clear.
        if (FadeDone()) {
            LockMenu(false);
            m_nStep = 2;
        }
        return -1;
    default:
        if (m_nChoice == eTitleChoice_None)
            return -1;
        if (g_pSceneManager)
            g_pSceneManager->m_nUpdateMask = kTitleLeaveUpdateMask;
        return eTitle_Leave;
    }
}

int32_t TitleController::UpdateLeave()
{
    switch (m_nStep) {
    case 0:
        Fade(eScreenFade_FadeOut, kBlack, 0.5f);
        if (g_pSoundManager)
            g_pSoundManager->FadeOutBgm(0.5f);
        m_nStep = 1;
        return -1;
    case 1:
        if (FadeDone()) {
            Fade(eScreenFade_Held, kBlack, 0.0f);
            m_nStep = 2;
        }
        return -1;
    case 2:
        m_nStep = 3;
        if (m_nChoice == eTitleChoice_Exit) {
            QuitApp();
            return -1;
        }
        g_PlayerSaveData.Read("QMSave.sav");
        if (g_pSceneManager)
            g_pSceneManager->m_nUpdateMask = kTitlePlayUpdateMask;
        {
            QuestRecord* home = g_pQuestTable ? g_pQuestTable->Find(HashName("vididezare")) : nullptr;
            if (!home || !g_pSceneManager) {
                // Back to the menu rather than a black screen that never leaves.
                LOG_ERROR << "TitleController: no quest \"vididezare\" in the quest table; back to the title menu.";
                m_nChoice = eTitleChoice_None;
                return eTitle_Menu;
            }
            g_pQuestTable->m_pCurrentQuest = home;
            g_pSceneManager->RequestStage(home->m_StageName);
        }
        return -1;
    default: return -1;
    }
}

void TitleController::OnMessage(IMessage* message)
{
    if (message->GetTypeId() != MsgUIEvent::s_Class.Key)
        return;
    const GameObj* origin = static_cast<const MsgUIEvent*>(message)->m_pOrigin;
    if (!origin)
        return;
    if (origin->GetTag() == HashName("select_start"))
        m_nChoice = eTitleChoice_Start;
    else if (origin->GetTag() == HashName("select_exit"))
        m_nChoice = eTitleChoice_Exit;
}

UIFrameTitleSelect* TitleController::GetMenu() const
{
    MessageManager* messages = g_pSceneManager ? g_pSceneManager->GetMessageManager() : nullptr;
    GameObj* menu = messages && m_nMenuObjectId ? messages->FindObject(m_nMenuObjectId) : nullptr;
    return menu ? static_cast<UIFrameTitleSelect*>(menu->GetComponent(UIFrameTitleSelect::s_Class.Key)) : nullptr;
}

void TitleController::LockMenu(bool locked)
{
    UIFrameTitleSelect* menu = GetMenu();
    if (!menu) {
        // One error per visit to the menu: the unlock that follows a failed lock stays quiet.
        if (locked)
            LOG_ERROR << "TitleController: no title menu (panel \"ui_title_select\" with a UIFrameTitleSelect) to "
                      << "lock; the menu stays as it is.";
        return;
    }
    menu->m_bLocked = locked ? 1 : 0;
}

void TitleController::StartMovie(NameId movie, const std::string& name, bool loop)
{
    if (m_pMovie && m_pMovie->Play(movie, loop))
        return;
    LOG_ERROR << "TitleController: the movie \"" << name << "\" did not open; it counts as ended.";
}

bool TitleController::MovieEnded() const { return !m_pMovie || !m_pMovie->IsPlaying(); }

bool TitleController::ConfirmPressed()
{
    const VirtualPad* pad = g_pInputSystem ? g_pInputSystem->GetPad(0) : nullptr;
    return pad && pad->IsTriggered(kConfirmButton);
}
