#include "System/Movie/MovieStream.h"

#include "System/Common/Log.h"
#include "System/Movie/YuvConverter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

MovieStream::MovieStream()
{
    InitializeCriticalSectionAndSpinCount(&m_Lock, 2000);
}

MovieStream::~MovieStream()
{
    Close();
    DeleteCriticalSection(&m_Lock);
}

bool MovieStream::Open(void* userData, MovieReadCallback read, MovieCloseCallback close, const char* name)
{
    Lock();
    m_pUserData = userData;
    m_pfnRead = read;
    m_pfnClose = close;
    m_Name = name ? name : "";
    m_bOpen = true;
    const bool ok = ParseHeaders();
    Unlock();
    if (!ok)
        Close();
    return ok;
}

void MovieStream::Close()
{
    Lock();
    if (m_bOpen) {
        ClearState();
        if (m_pfnClose)
            m_pfnClose(m_pUserData);
        m_bOpen = false;
    }
    Unlock();
}

bool MovieStream::Rewind(void (*seek)(void* userData))
{
    Lock();
    bool ok = false;
    if (m_bOpen) {
        const uint32_t width = m_TheoraInfo.frame_width;
        const uint32_t height = m_TheoraInfo.frame_height;
        ClearState();
        seek(m_pUserData);
        ok = ParseHeaders();
        // The frame buffers were sized for the first reading; a file that changed under us is
        // not played on.
        if (ok && (m_TheoraInfo.frame_width != width || m_TheoraInfo.frame_height != height)) {
            LOG_ERROR << "Movie \"" << m_Name << "\": the frame size changed while it was playing.";
            ok = false;
        }
        if (!ok)
            ClearState();
    }
    Unlock();
    return ok;
}

void MovieStream::SetAudioEnabled(bool enabled)
{
    Lock();
    m_bAudioEnabled = enabled;
    Unlock();
}

void MovieStream::ClearState()
{
    if (!m_bStateLive)
        return;
    if (m_pDecoder) {
        th_decode_free(m_pDecoder);
        m_pDecoder = nullptr;
    }
    if (m_bVorbisReady) {
        vorbis_block_clear(&m_VorbisBlock);
        vorbis_dsp_clear(&m_VorbisDsp);
        m_bVorbisReady = false;
    }
    if (m_pTheoraSetup) {
        th_setup_free(m_pTheoraSetup);
        m_pTheoraSetup = nullptr;
    }
    th_comment_clear(&m_TheoraComment);
    th_info_clear(&m_TheoraInfo);
    vorbis_comment_clear(&m_VorbisComment);
    vorbis_info_clear(&m_VorbisInfo);
    ogg_stream_clear(&m_TheoraStream);
    ogg_stream_clear(&m_VorbisStream);
    ogg_sync_clear(&m_Sync);
    m_nTheoraHeaders = 0;
    m_nVorbisHeaders = 0;
    m_bStateLive = false;
}

bool MovieStream::ReadPage(ogg_page* page)
{
    while (ogg_sync_pageout(&m_Sync, page) <= 0) {
        char* buffer = ogg_sync_buffer(&m_Sync, kPageReadBytes);
        if (!buffer)
            return false;
        const size_t bytes = m_pfnRead(buffer, 1, kPageReadBytes, m_pUserData);
        if (bytes == 0)
            return false;
        ogg_sync_wrote(&m_Sync, static_cast<long>(bytes));
    }
    return true;
}

void MovieStream::PushPage(ogg_page* page)
{
    if (m_nTheoraHeaders && ogg_stream_pagein(&m_TheoraStream, page) == 0)
        return;
    // Sound nobody decodes, or more than its decoder has fallen behind by, is dropped here: the
    // Vorbis stream would otherwise keep every page it is given.
    if (m_nVorbisHeaders && (m_bParsing || (m_bAudioEnabled && HeldSoundBytes() < kMaxHeldSoundBytes)) &&
        ogg_stream_pagein(&m_VorbisStream, page) == 0) {
        if (m_hAudioPage)
            SetEvent(m_hAudioPage);
    }
}

bool MovieStream::ParseHeaders()
{
    ogg_sync_init(&m_Sync);
    std::memset(&m_TheoraStream, 0, sizeof m_TheoraStream);
    std::memset(&m_VorbisStream, 0, sizeof m_VorbisStream);
    th_info_init(&m_TheoraInfo);
    th_comment_init(&m_TheoraComment);
    vorbis_info_init(&m_VorbisInfo);
    vorbis_comment_init(&m_VorbisComment);
    m_nTheoraHeaders = 0;
    m_nVorbisHeaders = 0;
    m_bStateLive = true;
    m_bParsing = true;
    struct ParsingScope {
        bool& flag;
        ~ParsingScope() { flag = false; }
    } scope{m_bParsing};

    ogg_page page;
    ogg_packet packet;
    // The beginning-of-stream pages name the logical streams; the first packet of each says
    // which codec it carries.
    for (;;) {
        if (!ReadPage(&page)) {
            LOG_ERROR << "Movie \"" << m_Name << "\": not an Ogg file, or it ends before its headers.";
            return false;
        }
        if (!ogg_page_bos(&page)) {
            PushPage(&page);
            break;
        }
        ogg_stream_state test;
        ogg_stream_init(&test, ogg_page_serialno(&page));
        ogg_stream_pagein(&test, &page);
        const bool gotPacket = ogg_stream_packetout(&test, &packet) == 1;
        if (gotPacket && m_nTheoraHeaders == 0 &&
            th_decode_headerin(&m_TheoraInfo, &m_TheoraComment, &m_pTheoraSetup, &packet) > 0) {
            std::memcpy(&m_TheoraStream, &test, sizeof test);
            m_nTheoraHeaders = 1;
            continue;
        }
        if (m_nTheoraHeaders == 0) {
            // A refused packet may have left a partly filled info behind.
            th_info_clear(&m_TheoraInfo);
            th_info_init(&m_TheoraInfo);
        }
        if (gotPacket && m_nVorbisHeaders == 0 &&
            vorbis_synthesis_headerin(&m_VorbisInfo, &m_VorbisComment, &packet) == 0) {
            std::memcpy(&m_VorbisStream, &test, sizeof test);
            m_nVorbisHeaders = 1;
            continue;
        }
        if (m_nVorbisHeaders == 0) {
            vorbis_info_clear(&m_VorbisInfo);
            vorbis_info_init(&m_VorbisInfo);
        }
        ogg_stream_clear(&test);
    }

    // The rest of the headers: three packets per stream.
    while ((m_nTheoraHeaders && m_nTheoraHeaders < 3) || (m_nVorbisHeaders && m_nVorbisHeaders < 3)) {
        int got;
        while (m_nTheoraHeaders && m_nTheoraHeaders < 3 &&
               (got = ogg_stream_packetout(&m_TheoraStream, &packet)) != 0) {
            if (got < 0 || th_decode_headerin(&m_TheoraInfo, &m_TheoraComment, &m_pTheoraSetup, &packet) < 1) {
                LOG_ERROR << "Movie \"" << m_Name << "\": malformed Theora headers.";
                return false;
            }
            ++m_nTheoraHeaders;
        }
        while (m_nVorbisHeaders && m_nVorbisHeaders < 3 &&
               (got = ogg_stream_packetout(&m_VorbisStream, &packet)) != 0) {
            if (got < 0 || vorbis_synthesis_headerin(&m_VorbisInfo, &m_VorbisComment, &packet) != 0) {
                LOG_ERROR << "Movie \"" << m_Name << "\": malformed Vorbis headers.";
                return false;
            }
            ++m_nVorbisHeaders;
        }
        if ((m_nTheoraHeaders == 0 || m_nTheoraHeaders >= 3) && (m_nVorbisHeaders == 0 || m_nVorbisHeaders >= 3))
            break;
        if (!ReadPage(&page)) {
            LOG_ERROR << "Movie \"" << m_Name << "\": the file ends before its headers.";
            return false;
        }
        PushPage(&page);
    }

    if (m_nTheoraHeaders == 0) {
        LOG_ERROR << "Movie \"" << m_Name << "\": no Theora video stream.";
        return false;
    }
    const th_info& info = m_TheoraInfo;
    if (info.frame_width == 0 || info.frame_height == 0 || info.frame_width > kMaxFrameSide ||
        info.frame_height > kMaxFrameSide) {
        LOG_ERROR << "Movie \"" << m_Name << "\": unsupported frame size " << info.frame_width << " x "
                  << info.frame_height << ".";
        return false;
    }
    if (info.pixel_fmt != TH_PF_420) {
        LOG_ERROR << "Movie \"" << m_Name << "\": only 4:2:0 pictures are supported.";
        return false;
    }
    if (info.fps_numerator == 0 || info.fps_denominator == 0) {
        LOG_ERROR << "Movie \"" << m_Name << "\": no frame rate.";
        return false;
    }
    m_pDecoder = th_decode_alloc(&m_TheoraInfo, m_pTheoraSetup);
    th_setup_free(m_pTheoraSetup);
    m_pTheoraSetup = nullptr;
    if (!m_pDecoder) {
        LOG_ERROR << "Movie \"" << m_Name << "\": the Theora decoder refused the headers.";
        return false;
    }
    if (m_nVorbisHeaders) {
        if (vorbis_synthesis_init(&m_VorbisDsp, &m_VorbisInfo) != 0) {
            vorbis_dsp_clear(&m_VorbisDsp);
            LOG_WARNING << "Movie \"" << m_Name << "\": its sound cannot be decoded; playing without it.";
        } else {
            vorbis_synthesis_restart(&m_VorbisDsp);
            vorbis_block_init(&m_VorbisDsp, &m_VorbisBlock);
            m_bVorbisReady = true;
        }
    }
    return true;
}

bool MovieStream::GetPacket(ogg_stream_state* logical, ogg_packet* packet)
{
    Lock();
    bool ok = m_bStateLive;
    ogg_page page;
    while (ok) {
        const int got = ogg_stream_packetout(logical, packet);
        if (got > 0)
            break;
        if (got < 0)
            continue; // a gap in the stream: the next packet follows it
        if (!ReadPage(&page))
            ok = false;
        else
            PushPage(&page);
    }
    Unlock();
    return ok;
}

bool MovieStream::DecodeVideoFrame(int32_t& frameNumber, bool& noNewPicture, uint8_t* pixels)
{
    // Held across the packet and its decoding: a page pushed by another thread may move the
    // packet's bytes.
    Lock();
    bool ok = false;
    ogg_packet packet;
    while (m_pDecoder && GetPacket(&m_TheoraStream, &packet)) {
        if (packet.granulepos >= 0)
            th_decode_ctl(m_pDecoder, TH_DECCTL_SET_GRANPOS, &packet.granulepos, sizeof packet.granulepos);
        ogg_int64_t granule = -1;
        const int result = th_decode_packetin(m_pDecoder, &packet, &granule);
        if (result != 0 && result != TH_DUPFRAME)
            continue; // a corrupt packet is skipped
        // The granule position is the file's word: a frame past the 32-bit range stays at its top
        // rather than wrapping to a negative number.
        frameNumber = static_cast<int32_t>(std::clamp<ogg_int64_t>(th_granule_frame(m_pDecoder, granule), -1, INT32_MAX));
        noNewPicture = result == TH_DUPFRAME;
        if (!noNewPicture) {
            th_ycbcr_buffer planes;
            th_decode_ycbcr_out(m_pDecoder, planes);
            YuvToBgra(pixels, planes[0].width * 4, planes[0].data, planes[0].stride, planes[1].data, planes[2].data,
                      planes[1].stride, planes[0].width, planes[0].height);
        }
        ok = true;
        break;
    }
    Unlock();
    return ok;
}

int MovieStream::DecodeAudioPackets(PcmSink sink, void* context)
{
    Lock();
    int taken = 0;
    ogg_packet packet;
    int got;
    while (m_bVorbisReady && (got = ogg_stream_packetout(&m_VorbisStream, &packet)) != 0) {
        if (got < 0)
            continue;
        ++taken;
        if (vorbis_synthesis(&m_VorbisBlock, &packet) == 0)
            vorbis_synthesis_blockin(&m_VorbisDsp, &m_VorbisBlock);
        float** pcm = nullptr;
        int frames;
        while ((frames = vorbis_synthesis_pcmout(&m_VorbisDsp, &pcm)) > 0) {
            const int channels = std::max(1, m_VorbisInfo.channels);
            int16_t samples[4096];
            const int chunk = std::max(1, static_cast<int>(std::size(samples)) / channels);
            for (int start = 0; start < frames; start += chunk) {
                const int count = std::min(chunk, frames - start);
                int16_t* out = samples;
                for (int i = 0; i < count; ++i) {
                    for (int c = 0; c < channels; ++c) {
                        const float value = pcm[c][start + i] * 32767.0f;
                        // Written so that a NaN sample lands on the floor instead of in the cast.
                        const float clamped = value > 32767.0f ? 32767.0f : (value >= -32767.0f ? value : -32767.0f);
                        *out++ = static_cast<int16_t>(clamped);
                    }
                }
                if (sink)
                    sink(context, samples, static_cast<size_t>(count), channels);
            }
            vorbis_synthesis_read(&m_VorbisDsp, frames);
        }
    }
    Unlock();
    return taken;
}

size_t MovieStream::HeldSoundBytes() const
{
    return static_cast<size_t>(m_VorbisStream.body_fill - m_VorbisStream.body_returned);
}

size_t MovieStream::GetBufferedBytes()
{
    Lock();
    size_t bytes = 0;
    if (m_bStateLive) {
        auto held = [](const ogg_stream_state& s) {
            return static_cast<size_t>(s.body_fill - s.body_returned) +
                   static_cast<size_t>(s.lacing_fill - s.lacing_returned) * (sizeof(int) + sizeof(ogg_int64_t));
        };
        bytes = static_cast<size_t>(m_Sync.fill - m_Sync.returned) + held(m_TheoraStream) + held(m_VorbisStream);
    }
    Unlock();
    return bytes;
}
