// The XAudio2 2.7 interfaces the game uses, over a mixer of our own (XAudio2Engine.cpp):
// one mastering voice at 44.1 kHz stereo, submix voices, and source voices that play queued
// PCM buffers and report their progress through a voice callback from the mixer's thread.
#pragma once

#include "Platform/COM/Unknown.h"
#include "Platform/Win32/WaveFormat.h"

typedef uint32_t UINT32;
typedef uint64_t UINT64;

extern const CLSID CLSID_XAudio2;
extern const IID IID_IXAudio2;

#define XAUDIO2_E_INVALID_CALL static_cast<HRESULT>(0x88960001u)
#define XAUDIO2_E_XMA_DECODER_ERROR static_cast<HRESULT>(0x88960002u)
#define XAUDIO2_E_XAPO_CREATION_FAILED static_cast<HRESULT>(0x88960003u)
#define XAUDIO2_E_DEVICE_INVALIDATED static_cast<HRESULT>(0x88960004u)
// No audio device to master to (the Win32 "element not found").
#define XAUDIO2_STANDIN_E_NO_DEVICE static_cast<HRESULT>(0x80070490u)

#define XAUDIO2_COMMIT_NOW 0
#define XAUDIO2_DEFAULT_CHANNELS 0
#define XAUDIO2_DEFAULT_SAMPLERATE 0
#define XAUDIO2_ANY_PROCESSOR 0xffffffff
#define XAUDIO2_DEFAULT_PROCESSOR XAUDIO2_ANY_PROCESSOR
#define XAUDIO2_DEFAULT_FREQ_RATIO 2.0f
#define XAUDIO2_MAX_FREQ_RATIO 1024.0f
#define XAUDIO2_MAX_VOLUME_LEVEL 16777216.0f
#define XAUDIO2_MAX_BUFFER_BYTES 0x80000000u
#define XAUDIO2_MAX_QUEUED_BUFFERS 64
#define XAUDIO2_MAX_AUDIO_CHANNELS 64
#define XAUDIO2_MIN_SAMPLE_RATE 1000
#define XAUDIO2_MAX_SAMPLE_RATE 200000
#define XAUDIO2_MAX_LOOP_COUNT 254
#define XAUDIO2_LOOP_INFINITE 255
#define XAUDIO2_END_OF_STREAM 0x0040
#define XAUDIO2_PLAY_TAILS 0x0020

class IXAudio2Voice;

struct XAUDIO2_BUFFER {
    UINT32 Flags;
    UINT32 AudioBytes;
    const BYTE* pAudioData;
    UINT32 PlayBegin;
    UINT32 PlayLength;
    UINT32 LoopBegin;
    UINT32 LoopLength;
    UINT32 LoopCount;
    void* pContext;
};

struct XAUDIO2_BUFFER_WMA {
    const UINT32* pDecodedPacketCumulativeBytes;
    UINT32 PacketCount;
};

struct XAUDIO2_VOICE_STATE {
    void* pCurrentBufferContext;
    UINT32 BuffersQueued;
    UINT64 SamplesPlayed;
};

struct XAUDIO2_SEND_DESCRIPTOR {
    UINT32 Flags;
    IXAudio2Voice* pOutputVoice;
};

struct XAUDIO2_VOICE_SENDS {
    UINT32 SendCount;
    XAUDIO2_SEND_DESCRIPTOR* pSends;
};

struct XAUDIO2_EFFECT_DESCRIPTOR {
    IUnknown* pEffect;
    BOOL InitialState;
    UINT32 OutputChannels;
};

struct XAUDIO2_EFFECT_CHAIN {
    UINT32 EffectCount;
    XAUDIO2_EFFECT_DESCRIPTOR* pEffectDescriptors;
};

// Implemented by the client; called from the mixer's thread, in this order for one pass of a
// started voice: OnVoiceProcessingPassStart, then per buffer OnBufferStart, OnLoopEnd at each
// wrap of its loop, OnStreamEnd (END_OF_STREAM buffers) and OnBufferEnd, then
// OnVoiceProcessingPassEnd. Flushed buffers get OnBufferEnd only.
class IXAudio2VoiceCallback {
public:
    virtual void OnVoiceProcessingPassStart(UINT32 BytesRequired) = 0;
    virtual void OnVoiceProcessingPassEnd() = 0;
    virtual void OnStreamEnd() = 0;
    virtual void OnBufferStart(void* pBufferContext) = 0;
    virtual void OnBufferEnd(void* pBufferContext) = 0;
    virtual void OnLoopEnd(void* pBufferContext) = 0;
    virtual void OnVoiceError(void* pBufferContext, HRESULT Error) = 0;

protected:
    ~IXAudio2VoiceCallback() = default;
};

class IXAudio2Voice {
public:
    virtual HRESULT SetVolume(float Volume, UINT32 OperationSet = XAUDIO2_COMMIT_NOW) = 0;
    virtual void GetVolume(float* pVolume) = 0;
    // Waits for the mixer to be done with the voice; no callback follows. A voice that is still
    // the output of another voice is not destroyed.
    virtual void DestroyVoice() = 0;

protected:
    ~IXAudio2Voice() = default;
};

class IXAudio2SourceVoice : public IXAudio2Voice {
public:
    virtual HRESULT Start(UINT32 Flags = 0, UINT32 OperationSet = XAUDIO2_COMMIT_NOW) = 0;
    virtual HRESULT Stop(UINT32 Flags = 0, UINT32 OperationSet = XAUDIO2_COMMIT_NOW) = 0;
    // The data is not copied: it must stay valid until the buffer's OnBufferEnd.
    virtual HRESULT SubmitSourceBuffer(const XAUDIO2_BUFFER* pBuffer, const XAUDIO2_BUFFER_WMA* pBufferWMA = nullptr) = 0;
    // Removes the queued buffers at the mixer's next pass, all but the one playing when the
    // voice is started; until then GetState still counts them.
    virtual HRESULT FlushSourceBuffers() = 0;
    virtual void GetState(XAUDIO2_VOICE_STATE* pVoiceState) = 0;
    virtual HRESULT SetFrequencyRatio(float Ratio, UINT32 OperationSet = XAUDIO2_COMMIT_NOW) = 0;
    virtual void GetFrequencyRatio(float* pRatio) = 0;

protected:
    ~IXAudio2SourceVoice() = default;
};

class IXAudio2SubmixVoice : public IXAudio2Voice {
protected:
    ~IXAudio2SubmixVoice() = default;
};

class IXAudio2MasteringVoice : public IXAudio2Voice {
protected:
    ~IXAudio2MasteringVoice() = default;
};

class IXAudio2 : public IUnknown {
public:
    virtual HRESULT Initialize(UINT32 Flags = 0, UINT32 XAudio2Processor = XAUDIO2_DEFAULT_PROCESSOR) = 0;
    virtual HRESULT CreateSourceVoice(IXAudio2SourceVoice** ppSourceVoice, const WAVEFORMATEX* pSourceFormat,
                                      UINT32 Flags = 0, float MaxFrequencyRatio = XAUDIO2_DEFAULT_FREQ_RATIO,
                                      IXAudio2VoiceCallback* pCallback = nullptr,
                                      const XAUDIO2_VOICE_SENDS* pSendList = nullptr,
                                      const XAUDIO2_EFFECT_CHAIN* pEffectChain = nullptr) = 0;
    virtual HRESULT CreateSubmixVoice(IXAudio2SubmixVoice** ppSubmixVoice, UINT32 InputChannels,
                                      UINT32 InputSampleRate, UINT32 Flags = 0, UINT32 ProcessingStage = 0,
                                      const XAUDIO2_VOICE_SENDS* pSendList = nullptr,
                                      const XAUDIO2_EFFECT_CHAIN* pEffectChain = nullptr) = 0;
    virtual HRESULT CreateMasteringVoice(IXAudio2MasteringVoice** ppMasteringVoice,
                                         UINT32 InputChannels = XAUDIO2_DEFAULT_CHANNELS,
                                         UINT32 InputSampleRate = XAUDIO2_DEFAULT_SAMPLERATE, UINT32 Flags = 0,
                                         UINT32 DeviceIndex = 0,
                                         const XAUDIO2_EFFECT_CHAIN* pEffectChain = nullptr) = 0;

protected:
    ~IXAudio2() = default;
};

// Made by CoCreateInstance for CLSID_XAudio2.
HRESULT XAudio2CreateEngineObject(REFIID riid, void** ppv);
