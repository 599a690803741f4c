// A movie title played by its own MoviePlayer in the draw pass; the movie advances only while
// the renderer is drawn. The player draws straight to the device, not through the sprite batch.
#pragma once

#include "Components/Core/Renderer.h"
#include "System/Common/NameHash.h"

class MoviePlayer;

class MovieRenderer : public Renderer {
public:
    static const ClassKey s_Class;

    explicit MovieRenderer(GameObj* owner);
    ~MovieRenderer() override;

    // "title" (hashed), "frameBufferCount", "soundBufferCount", "autoPlay", "loopPlay" and
    // "position" {x, y, z}. No colour keys. Never fails.
    bool Load(lua_State* L) override;
    // Makes the player, placed at "position" when given. Does not take the object's renderer
    // slot.
    bool Attach() override;
    // Closes the movie and deletes the player.
    void Detach() override;
    bool IsKindOf(TypeKey key) const override;
    // Opens the title when there is one and no movie is open; with autoPlay it plays
    // (looping by loopPlay) once the movie opened.
    void Start() override;
    // Advances and draws the movie when it has a decoder and a frame texture.
    void Draw() override;

    // Opens the title again from its start and plays it. A title that does not open is not
    // played: it counts as ended at once. False when it did not open.
    bool Play(NameId title, bool loop);
    // True while the movie plays: false once a movie without loop ended, or failed to open.
    bool IsPlaying() const;

    MoviePlayer* GetPlayer() const { return m_pPlayer; }
    NameId GetTitle() const { return m_nTitle; }
    bool GetAutoPlay() const { return m_bAutoPlay; }
    bool GetLoopPlay() const { return m_bLoopPlay; }

private:
    NameId m_nTitle = 0;
    int32_t m_nFrameBufferCount = 0, m_nSoundBufferCount = 0;
    float m_fX = 0.0f, m_fY = 0.0f, m_fZ = 0.0f;
    bool m_bAutoPlay = false, m_bLoopPlay = false;
    bool m_bHasPosition = false;
    MoviePlayer* m_pPlayer = nullptr;
};
