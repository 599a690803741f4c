// The audio device over XAudio2: an engine, a mastering voice and one submix voice per volume
// group. Its sources play a sound from memory as one buffer, or stream it on a thread of
// their own through a ring of eight buffers.
#pragma once

#include <atomic>
#include <cstdint>

#include "Platform/Win32/Windows.h"
#include "Platform/XAudio2/XAudio2.h"
#include "System/Common/KernelObject.h"
#include "System/Sound/AudioDevice.h"

class XAudio2Device : public IAudioDevice {
public:
    XAudio2Device() = default;
    ~XAudio2Device() override;

    int GetKind() override { return eAudioDeviceKind_XAudio2; }
    bool Init() override;
    void Shutdown() override;
    IAudioSource* CreateSource(int id, int group, NameId key) override;
    bool SetGroupVolume(int group, float volume) override;
    float GetGroupVolume(int group) override;
    IXAudio2* GetEngine() override { return m_pEngine; }

    const XAUDIO2_VOICE_SENDS* GetSendList(int group) const { return m_pSendLists[group]; }
    IXAudio2SubmixVoice* GetGroupVoice(int group) const { return m_pGroups[group]; }

private:
    IXAudio2* m_pEngine = nullptr;
    IXAudio2MasteringVoice* m_pMaster = nullptr;
    IXAudio2SubmixVoice* m_pGroups[kSoundGroupCount] = {};
    XAUDIO2_VOICE_SENDS* m_pSendLists[kSoundGroupCount] = {};
};

// The voice callback: signals buffer-end and stream-end (auto-reset events) to the source.
class XAudio2VoiceContext : public IXAudio2VoiceCallback {
public:
    XAudio2VoiceContext();
    virtual ~XAudio2VoiceContext();
    XAudio2VoiceContext(const XAudio2VoiceContext&) = delete;
    XAudio2VoiceContext& operator=(const XAudio2VoiceContext&) = delete;

    void OnVoiceProcessingPassStart(UINT32) override {}
    void OnVoiceProcessingPassEnd() override {}
    void OnStreamEnd() override { SetEvent(m_StreamEnd.m_hHandle); }
    void OnBufferStart(void*) override {}
    void OnBufferEnd(void*) override { SetEvent(m_BufferEnd.m_hHandle); }
    void OnLoopEnd(void*) override {}
    void OnVoiceError(void*, HRESULT) override {}

    Event m_BufferEnd;
    Event m_StreamEnd;
};

class XAudio2Source : public IAudioSource {
public:
    static constexpr int kRingBuffers = 8;
    static constexpr uint32_t kRingBufferBytes = 8192;
    // The thread decodes ahead only while fewer than this many buffers are queued.
    static constexpr UINT32 kMaxQueued = 7;

    XAudio2Source(IAudioDevice* device, int id, int group, NameId key);
    ~XAudio2Source() override;

    bool Create(IDecoder* decoder) override;
    void Release() override;
    void Play(int loopCount) override;
    void Stop() override;
    void Rewind() override;
    void SetVolume(float volume) override;
    float GetVolume() override;
    bool IsPlaying() override;
    void UpdateFade(float dt) override;
    void FadeTo(float target, float seconds) override;
    int GetFadeMode() override { return m_Fade.mode; }

    bool IsStreaming() const { return m_bStreaming; }
    IXAudio2SourceVoice* GetVoice() const { return m_pVoice; }

private:
    static unsigned StreamThreadEntry(void* self);
    void StreamThread();
    UINT32 QueuedBuffers();
    // The ring buffer a submitted buffer's context names.
    int RingSlot(const void* context) const;

    IXAudio2SourceVoice* m_pVoice = nullptr;
    XAudio2VoiceContext* m_pContext = nullptr;
    IDecoder* m_pDecoder = nullptr;
    // Read by the streaming thread when a rewind restarts the count; a later Play may set it.
    std::atomic<int> m_nLoopCount{255};
    bool m_bStreaming = false;
    struct {
        int mode = eFadeMode_None;
        float elapsed = 0.0f;
        float duration = 0.0f;
        float start = 0.0f;
        float target = 0.0f;
    } m_Fade;
    Thread m_Thread;
    Event m_Stop;
    Event m_Rewind;
    uint8_t m_Ring[kRingBuffers][kRingBufferBytes];
};
