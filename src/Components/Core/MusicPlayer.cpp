#include "Components/Core/MusicPlayer.h"

#include <string>

#include "System/Lua/LuaTableReader.h"
#include "System/Sound/SoundManager.h"

const ClassKey MusicPlayer::s_Class("MusicPlayer");

MusicPlayer::MusicPlayer(GameObj* owner) : Component(owner, s_Class) {}

bool MusicPlayer::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

bool MusicPlayer::Load(lua_State* L)
{
    const std::string name = LuaGetStringField(L, "name");
    m_nTrack = name.empty() ? 0 : HashName(name);
    return true;
}

void MusicPlayer::Start()
{
    if (!g_pSoundManager)
        return;
    if (m_nTrack == 0)
        g_pSoundManager->FadeOutBgm(0.0f);
    else
        g_pSoundManager->PlayBgm(kFadeSeconds, m_nTrack, true);
}
