// One Ogg movie file: the demultiplexer and the Theora and Vorbis decoder state. Every access
// to that state goes through the stream's lock, because the decoder's threads and the main
// thread share it.
#pragma once

#include "Platform/Win32/Windows.h"

#include <cstddef>
#include <cstdint>
#include <ogg/ogg.h>
#include <string>
#include <theora/theoradec.h>
#include <vorbis/codec.h>

typedef size_t (*MovieReadCallback)(void* buffer, size_t size, size_t count, void* userData);
typedef int (*MovieCloseCallback)(void* userData);

class MovieStream {
  public:
    // Frames larger than this on either side are refused before anything is allocated for them.
    static constexpr uint32_t kMaxFrameSide = 4096;
    static constexpr size_t kPageReadBytes = 4096;
    // Sound read ahead of its decoding beyond this is dropped (nothing plays it anyway).
    static constexpr size_t kMaxHeldSoundBytes = 32 * 1024;

    MovieStream();
    ~MovieStream();
    MovieStream(const MovieStream&) = delete;
    MovieStream& operator=(const MovieStream&) = delete;

    // Reads the headers. False (with a logged reason) for anything that is not an Ogg file with
    // a complete, supported Theora stream; the stream is then closed again.
    bool Open(void* userData, MovieReadCallback read, MovieCloseCallback close, const char* name);
    void Close();
    bool IsOpen() const { return m_bOpen; }
    const std::string& GetName() const { return m_Name; }

    // Back to the first frame from a clean state: the headers are read again after `seek` has
    // moved the input to its start. False when the movie can no longer be read.
    bool Rewind(void (*seek)(void* userData));

    // Whether the Vorbis stream gets the pages it is sent, or drops them as they are read.
    void SetAudioEnabled(bool enabled);
    // Signalled whenever a page joins the Vorbis stream.
    void SetAudioPageEvent(HANDLE event) { m_hAudioPage = event; }

    bool HasVideo() const { return m_nTheoraHeaders != 0 && m_pDecoder != nullptr; }
    bool HasAudio() const { return m_nVorbisHeaders != 0 && m_bVorbisReady; }
    const th_info& GetVideoInfo() const { return m_TheoraInfo; }
    const vorbis_info& GetAudioInfo() const { return m_VorbisInfo; }

    // The next packet of a logical stream, reading pages as needed. False at the end of the file.
    bool GetPacket(ogg_stream_state* logical, ogg_packet* packet);
    // Decodes packets until one gives a frame. pixels: frame width x frame height x 4 bytes,
    // rows frame width x 4 apart. False at the end of the video.
    bool DecodeVideoFrame(int32_t& frameNumber, bool& noNewPicture, uint8_t* pixels);

    // Decodes the Vorbis packets already read (never reads a page) and hands every sample
    // frame to `sink` as interleaved 16-bit values. Returns the number of packets taken.
    typedef void (*PcmSink)(void* context, const int16_t* samples, size_t frames, int channels);
    int DecodeAudioPackets(PcmSink sink, void* context);

    // Bytes of file data held by the demultiplexer (sync buffer and both logical streams).
    size_t GetBufferedBytes();

    void Lock() { EnterCriticalSection(&m_Lock); }
    void Unlock() { LeaveCriticalSection(&m_Lock); }

  private:
    bool ParseHeaders();
    bool ReadPage(ogg_page* page);
    // Hands a page to the stream it belongs to; pages of other streams are dropped.
    void PushPage(ogg_page* page);
    void ClearState();
    size_t HeldSoundBytes() const;

    ogg_sync_state m_Sync{};
    ogg_stream_state m_TheoraStream{};
    ogg_stream_state m_VorbisStream{};
    th_info m_TheoraInfo{};
    th_comment m_TheoraComment{};
    th_setup_info* m_pTheoraSetup = nullptr;
    th_dec_ctx* m_pDecoder = nullptr;
    vorbis_info m_VorbisInfo{};
    vorbis_comment m_VorbisComment{};
    vorbis_dsp_state m_VorbisDsp{};
    vorbis_block m_VorbisBlock{};
    int m_nTheoraHeaders = 0;
    int m_nVorbisHeaders = 0;
    bool m_bVorbisReady = false;
    bool m_bAudioEnabled = false;
    bool m_bOpen = false;
    void* m_pUserData = nullptr;
    MovieReadCallback m_pfnRead = nullptr;
    MovieCloseCallback m_pfnClose = nullptr;
    HANDLE m_hAudioPage = nullptr;
    bool m_bStateLive = false;
    bool m_bParsing = false;
    std::string m_Name;
    CRITICAL_SECTION m_Lock;
};
