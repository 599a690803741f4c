#include "Components/Core/MovieRenderer.h"

#include <lua.hpp>

#include "System/Lua/LuaTableReader.h"
#include "System/Movie/MoviePlayer.h"
#include "World/GameObj.h"

const ClassKey MovieRenderer::s_Class("MovieRenderer");

MovieRenderer::MovieRenderer(GameObj* owner) : Renderer(owner, s_Class) {}

MovieRenderer::~MovieRenderer() { delete m_pPlayer; }

bool MovieRenderer::Load(lua_State* L)
{
    const std::string title = LuaGetStringField(L, "title");
    m_nTitle = title.empty() ? 0 : HashName(title.c_str());
    m_nFrameBufferCount = LuaTruncateToInt32(LuaGetFloatField(L, "frameBufferCount"));
    m_nSoundBufferCount = LuaTruncateToInt32(LuaGetFloatField(L, "soundBufferCount"));
    m_bAutoPlay = LuaGetBoolField(L, "autoPlay");
    m_bLoopPlay = LuaGetBoolField(L, "loopPlay");
    lua_getfield(L, -1, "position");
    if (lua_istable(L, -1)) {
        m_bHasPosition = true;
        m_fX = LuaGetFloatField(L, "x");
        m_fY = LuaGetFloatField(L, "y");
        m_fZ = LuaGetFloatField(L, "z");
    }
    lua_pop(L, 1);
    return true;
}

bool MovieRenderer::Attach()
{
    if (!m_pPlayer)
        m_pPlayer = new MoviePlayer;
    if (m_bHasPosition) {
        m_pPlayer->m_fPositionX = m_fX;
        m_pPlayer->m_fPositionY = m_fY;
        m_pPlayer->m_fDepth = m_fZ;
    }
    return true;
}

void MovieRenderer::Detach()
{
    if (!m_pPlayer)
        return;
    m_pPlayer->Close();
    delete m_pPlayer;
    m_pPlayer = nullptr;
}

bool MovieRenderer::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == Renderer::s_Class.Key; }

void MovieRenderer::Start()
{
    if (!m_pPlayer || m_nTitle == 0 || m_pPlayer->IsOpen())
        return;
    // Played only once open: a movie that never opened must count as ended, or whoever waits
    // for its end waits forever.
    if (m_pPlayer->Open(m_nTitle, m_nFrameBufferCount, m_nSoundBufferCount) && m_bAutoPlay) {
        m_pPlayer->m_bLoop = m_bLoopPlay;
        m_pPlayer->m_bPlaying = true;
    }
}

bool MovieRenderer::Play(NameId title, bool loop)
{
    m_nTitle = title;
    m_bLoopPlay = loop;
    if (!m_pPlayer)
        return false;
    if (m_pPlayer->IsOpen())
        m_pPlayer->Close();
    if (!m_pPlayer->Open(title, m_nFrameBufferCount, m_nSoundBufferCount))
        return false;
    m_pPlayer->m_bLoop = loop;
    m_pPlayer->m_bPlaying = true;
    return true;
}

bool MovieRenderer::IsPlaying() const { return m_pPlayer && m_pPlayer->IsOpen() && m_pPlayer->m_bPlaying; }

void MovieRenderer::Draw()
{
    if (m_pPlayer && m_pPlayer->GetDecoder() && m_pPlayer->GetTexture())
        m_pPlayer->Draw();
}
