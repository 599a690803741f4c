#include "Components/Game/GimmickOpenMenu.h"

#include "Components/UI/UIRoot.h"
#include "System/Input/InputSystem.h"
#include "System/Input/VirtualPad.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"

const ClassKey GimmickOpenMenu::s_Class("GimmickOpenMenu");

bool GimmickPadPressed(uint32_t mask)
{
    const VirtualPad* pad = g_pInputSystem ? g_pInputSystem->GetPad(0) : nullptr;
    return pad && mask != 0 && pad->IsTriggered(mask);
}

GimmickOpenMenu::GimmickOpenMenu(GameObj* owner) : Component(owner, s_Class) {}

bool GimmickOpenMenu::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

bool GimmickOpenMenu::Load(lua_State* L)
{
    const std::string menu = LuaGetStringField(L, "open_menu_name");
    m_nMenu = menu.empty() ? 0 : HashName(menu);
    m_nOpenPad = static_cast<uint32_t>(LuaGetIntField(L, "open_pad"));
    return true;
}

void GimmickOpenMenu::OnEnable()
{
    m_pTransform = GetOwner()->GetTransform();
    m_bOverlapping = false;
}

void GimmickOpenMenu::Update()
{
    if (m_bOverlapping && GimmickPadPressed(m_nOpenPad) && UIRoot::OpenPanel(m_nMenu))
        g_bUILocked = 1;
    m_bOverlapping = false;
}

void GimmickOpenMenu::OnCollisionStay(const CollisionInfo&) { m_bOverlapping = true; }
