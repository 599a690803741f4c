// Game-side playback of one movie: a decoder, a quad of the movie's frame size and a texture
// the due frames are copied into, drawn with the fixed-function pipeline in the 960 x 540
// screen with the picture's top-left corner at the position.
#pragma once

#include "System/Common/NameHash.h"

#include <cstdint>

class MovieDecoder;
class IVertexBuffer;
class ITexture;

class MoviePlayer {
  public:
    static constexpr float kDefaultDepth = 1.2f;
    // Frames decoded before Open returns: the first, taken as the movie starts, and the one due a
    // frame later (fewer if the ring holds fewer).
    static constexpr int kLeadFrames = 2;

    MoviePlayer() = default;
    ~MoviePlayer();
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;

    // Opens the movie asset and starts decoding; the owner then sets the playing flag.
    bool Open(NameId movie, int frameSlots, int soundBlocks);
    void Close();
    // Advances the clock by the application's scaled frame time and fetches the due frames.
    void Update();
    // The same with a given time step.
    void Advance(float seconds);
    // Update, then draws the current frame.
    void Draw();

    MovieDecoder* GetDecoder() const { return m_pDecoder; }
    ITexture* GetTexture() const { return m_pTexture; }
    IVertexBuffer* GetQuad() const { return m_pQuad; }
    float GetClock() const { return m_fClock; }
    float GetDueTime() const { return m_fDueTime; }
    int32_t GetFrameNumber() const { return m_nFrameNumber; }
    int GetLastResult() const { return m_nLastResult; }
    bool IsOpen() const { return m_bOpen; }

    // Set by the owners.
    float m_fPositionX = 0.0f;
    float m_fPositionY = 0.0f;
    float m_fDepth = kDefaultDepth;
    bool m_bLoop = false;
    bool m_bPlaying = false;

  private:
    MovieDecoder* m_pDecoder = nullptr;
    IVertexBuffer* m_pQuad = nullptr;
    ITexture* m_pTexture = nullptr;
    float m_fClock = 0.0f;
    float m_fDueTime = 0.0f;
    int32_t m_nFrameNumber = 0;
    int m_nLastResult = -1;
    bool m_bOpen = false;
};
