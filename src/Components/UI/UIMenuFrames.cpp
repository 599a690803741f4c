#include "Components/UI/UIMenuFrames.h"

#include <lua.hpp>

#include "Components/UI/UIRoot.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Sound/SoundManager.h"
#include "World/GameObj.h"

const ClassKey UIFrameTitleSelect::s_Class("UIFrameTitleSelect");

UIFrameTitleSelect::UIFrameTitleSelect(GameObj* owner) : UIFrame(owner, s_Class) {}

bool UIFrameTitleSelect::Load(lua_State* L)
{
    UIFrame::Load(L);
    lua_getfield(L, -1, "sound_effect");
    if (lua_istable(L, -1))
        m_nSelectSound = HashName(LuaGetStringField(L, "select"));
    lua_pop(L, 1);
    return true;
}

bool UIFrameTitleSelect::IsKindOf(TypeKey key) const { return key == s_Class.Key || UIFrame::IsKindOf(key); }

void UIFrameTitleSelect::OnEnable()
{
    if (!m_pRoot)
        FindRootAndFrame();
    UIFrame::Open();
    if (m_pRoot)
        m_pRoot->Select(GetOwner());
}

void UIFrameTitleSelect::OnMessage(IMessage* message)
{
    if (!m_bLocked)
        UIFrame::OnMessage(message);
}

void UIFrameTitleSelect::OnClosing(GameObj*) {}

void UIFrameTitleSelect::Close() {}

void UIFrameTitleSelect::SetSelection(GameObj* object)
{
    if (GetSelected() && g_pSoundManager)
        g_pSoundManager->PlaySe(m_nSelectSound, false);
    UIFrame::SetSelection(object);
}
