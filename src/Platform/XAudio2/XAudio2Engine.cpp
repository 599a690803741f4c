// The XAudio2 stand-in: the engine object, its voices and the float mixer behind them.
//
// Every voice of an engine lives under the engine's one (recursive) lock. A processing pass
// takes the lock, so a voice call from another thread waits for the pass to end, and
// DestroyVoice returning means the mixer no longer touches the voice. Callbacks run inside
// the pass, on the mixing thread; they may call back into their own voice.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "Platform/Backend/Audio.h"
#include "Platform/Win32/DebugOutput.h"
#include "Platform/XAudio2/XAudio2.h"
#include "Platform/XAudio2/XAudio2Output.h"

const CLSID CLSID_XAudio2 = {0x5a508685, 0xa254, 0x4fba, {0x9b, 0x82, 0x9a, 0x24, 0xb0, 0x03, 0x06, 0xaf}};
const IID IID_IXAudio2 = {0x8bcf1f58, 0x9fe7, 0x4583, {0x8a, 0xc6, 0xe2, 0xad, 0xc4, 0x65, 0xc8, 0xbb}};

namespace {

std::atomic<int> g_OutputMode{eXAudio2Output_Device};

class Engine;

enum VoiceKind { eVoice_Source, eVoice_Submix, eVoice_Master };

// What the mixer knows of every voice, whatever its interface.
class VoiceNode {
public:
    VoiceNode(Engine* engine, VoiceKind kind) : m_pEngine(engine), m_eKind(kind) {}
    virtual ~VoiceNode() = default;

    Engine* m_pEngine;
    VoiceKind m_eKind;
    float m_fVolume = 1.0f;
    uint32_t m_nStage = 0;
    std::vector<VoiceNode*> m_Outputs;  // empty for the mastering voice
    std::vector<float> m_Mix;           // input mix of a submix or mastering voice, stereo

    void ClearMix(uint32_t frames) { m_Mix.assign(size_t(frames) * 2, 0.0f); }
    // Adds `frames` stereo frames times this voice's volume into each output.
    void SendMix(const float* mix, uint32_t frames)
    {
        for (VoiceNode* out : m_Outputs)
            for (size_t i = 0; i < size_t(frames) * 2; ++i)
                out->m_Mix[i] += mix[i] * m_fVolume;
    }
};

bool ValidVolume(float v) { return std::isfinite(v) && std::fabs(v) <= XAUDIO2_MAX_VOLUME_LEVEL; }

// An output sample in [-1, 1]. A NaN (from sums that overflowed both ways) is silence for that
// sample only; std::clamp would pass it on, and the device turns it into a run of zeros.
float ClampOutputSample(float v) { return std::isnan(v) ? 0.0f : std::clamp(v, -1.0f, 1.0f); }

class Engine final : public IXAudio2 {
public:
    Engine() = default;
    ~Engine();

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return ++m_nRefs; }
    ULONG Release() override;

    HRESULT Initialize(UINT32 Flags, UINT32 XAudio2Processor) override;
    HRESULT CreateSourceVoice(IXAudio2SourceVoice** ppSourceVoice, const WAVEFORMATEX* pSourceFormat, UINT32 Flags,
                              float MaxFrequencyRatio, IXAudio2VoiceCallback* pCallback,
                              const XAUDIO2_VOICE_SENDS* pSendList, const XAUDIO2_EFFECT_CHAIN* pEffectChain) override;
    HRESULT CreateSubmixVoice(IXAudio2SubmixVoice** ppSubmixVoice, UINT32 InputChannels, UINT32 InputSampleRate,
                              UINT32 Flags, UINT32 ProcessingStage, const XAUDIO2_VOICE_SENDS* pSendList,
                              const XAUDIO2_EFFECT_CHAIN* pEffectChain) override;
    HRESULT CreateMasteringVoice(IXAudio2MasteringVoice** ppMasteringVoice, UINT32 InputChannels,
                                 UINT32 InputSampleRate, UINT32 Flags, UINT32 DeviceIndex,
                                 const XAUDIO2_EFFECT_CHAIN* pEffectChain) override;

    void Render(float* out, uint32_t frames);
    void Destroy(VoiceNode* voice);

    std::recursive_mutex m_Lock;

private:
    // The outputs named by a send list (the mastering voice when there is none); false when a
    // send names a voice that is not a submix or mastering voice of this engine.
    bool ResolveSends(const XAUDIO2_VOICE_SENDS* sends, uint32_t stage, std::vector<VoiceNode*>& outputs);
    void RunPass(uint32_t frames);
    bool IsOutputOfAnother(VoiceNode* voice);

    std::atomic<ULONG> m_nRefs{1};
    bool m_bInitialized = false;
    bool m_bDeviceOpen = false;
    VoiceNode* m_pMaster = nullptr;
    std::vector<VoiceNode*> m_Submixes;  // ordered by processing stage
    std::vector<VoiceNode*> m_Sources;
};

// ---------------------------------------------------------------------------------------------
// Source voices

class SourceVoice final : public IXAudio2SourceVoice, public VoiceNode {
public:
    SourceVoice(Engine* engine, const WAVEFORMATEX& format, float maxRatio, IXAudio2VoiceCallback* callback)
        : VoiceNode(engine, eVoice_Source), m_Format(format), m_fMaxRatio(maxRatio), m_pCallback(callback)
    {
    }

    HRESULT SetVolume(float Volume, UINT32) override
    {
        if (!ValidVolume(Volume))
            return XAUDIO2_E_INVALID_CALL;
        std::lock_guard lock(m_pEngine->m_Lock);
        m_fVolume = Volume;
        return S_OK;
    }
    void GetVolume(float* pVolume) override
    {
        std::lock_guard lock(m_pEngine->m_Lock);
        if (pVolume)
            *pVolume = m_fVolume;
    }
    void DestroyVoice() override { m_pEngine->Destroy(this); }

    HRESULT Start(UINT32, UINT32) override
    {
        std::lock_guard lock(m_pEngine->m_Lock);
        m_bStarted = true;
        return S_OK;
    }
    HRESULT Stop(UINT32, UINT32) override
    {
        std::lock_guard lock(m_pEngine->m_Lock);
        m_bStarted = false;
        return S_OK;
    }
    HRESULT SubmitSourceBuffer(const XAUDIO2_BUFFER* pBuffer, const XAUDIO2_BUFFER_WMA* pBufferWMA) override;
    HRESULT FlushSourceBuffers() override
    {
        std::lock_guard lock(m_pEngine->m_Lock);
        for (size_t i = 0; i < m_Queue.size(); ++i)
            if (i > 0 || !m_bStarted)
                m_Queue[i].flushed = true;
        return S_OK;
    }
    void GetState(XAUDIO2_VOICE_STATE* pVoiceState) override
    {
        if (!pVoiceState)
            return;
        std::lock_guard lock(m_pEngine->m_Lock);
        pVoiceState->pCurrentBufferContext = m_Queue.empty() ? nullptr : m_Queue.front().buffer.pContext;
        pVoiceState->BuffersQueued = static_cast<UINT32>(m_Queue.size());
        pVoiceState->SamplesPlayed = m_nSamplesPlayed;
    }
    HRESULT SetFrequencyRatio(float Ratio, UINT32) override
    {
        if (!std::isfinite(Ratio))
            return XAUDIO2_E_INVALID_CALL;
        std::lock_guard lock(m_pEngine->m_Lock);
        m_fRatio = std::clamp(Ratio, 1.0f / 1024.0f, m_fMaxRatio);
        return S_OK;
    }
    void GetFrequencyRatio(float* pRatio) override
    {
        std::lock_guard lock(m_pEngine->m_Lock);
        if (pRatio)
            *pRatio = m_fRatio;
    }

    // One processing pass: removes flushed buffers, then mixes `frames` output frames.
    void Process(uint32_t frames);

private:
    struct Queued {
        XAUDIO2_BUFFER buffer;
        uint32_t playBegin, playEnd, loopBegin, loopEnd;
        uint32_t loopsLeft;  // XAUDIO2_LOOP_INFINITE never counts down
        uint32_t position;   // frame index in the buffer's data
        bool started = false;
        bool flushed = false;
    };

    void ReadFrame(const Queued& q, uint32_t frame, float& left, float& right) const;
    // Starts the front buffer and finishes those with nothing to play; false when none is left.
    bool PrepareFront();
    void FinishFront();
    void Advance();
    // The frame after the current one, for interpolation; the current one when nothing follows.
    void PeekNext(float& left, float& right, float curLeft, float curRight) const;

    WAVEFORMATEX m_Format;
    float m_fMaxRatio;
    float m_fRatio = 1.0f;
    IXAudio2VoiceCallback* m_pCallback;
    bool m_bStarted = false;
    std::deque<Queued> m_Queue;
    double m_dFraction = 0.0;
    uint64_t m_nSamplesPlayed = 0;
    std::vector<float> m_Scratch;
};

HRESULT SourceVoice::SubmitSourceBuffer(const XAUDIO2_BUFFER* b, const XAUDIO2_BUFFER_WMA*)
{
    if (!b || !b->pAudioData || b->AudioBytes == 0 || b->AudioBytes > XAUDIO2_MAX_BUFFER_BYTES)
        return XAUDIO2_E_INVALID_CALL;
    if (b->LoopCount > XAUDIO2_MAX_LOOP_COUNT && b->LoopCount != XAUDIO2_LOOP_INFINITE)
        return XAUDIO2_E_INVALID_CALL;
    if (b->LoopCount == 0 && (b->LoopBegin != 0 || b->LoopLength != 0))
        return XAUDIO2_E_INVALID_CALL;
    // A trailing partial frame is not played.
    uint32_t frames = b->AudioBytes / m_Format.nBlockAlign;
    Queued q{};
    q.buffer = *b;
    q.playBegin = b->PlayBegin;
    uint64_t playEnd = b->PlayLength ? uint64_t(b->PlayBegin) + b->PlayLength : frames;
    if (playEnd > frames || q.playBegin > playEnd)
        return XAUDIO2_E_INVALID_CALL;
    q.playEnd = static_cast<uint32_t>(playEnd);
    q.loopsLeft = b->LoopCount;
    if (b->LoopCount > 0) {
        q.loopBegin = b->LoopBegin;
        uint64_t loopEnd = b->LoopLength ? uint64_t(b->LoopBegin) + b->LoopLength : q.playEnd;
        if (loopEnd > q.playEnd || q.loopBegin >= loopEnd || loopEnd <= q.playBegin)
            return XAUDIO2_E_INVALID_CALL;
        q.loopEnd = static_cast<uint32_t>(loopEnd);
    }
    std::lock_guard lock(m_pEngine->m_Lock);
    if (m_Queue.size() >= XAUDIO2_MAX_QUEUED_BUFFERS)
        return XAUDIO2_E_INVALID_CALL;
    m_Queue.push_back(q);
    return S_OK;
}

void SourceVoice::ReadFrame(const Queued& q, uint32_t frame, float& left, float& right) const
{
    const BYTE* p = q.buffer.pAudioData + size_t(frame) * m_Format.nBlockAlign;
    auto sample = [&](uint32_t channel) -> float {
        switch (m_Format.wBitsPerSample) {
        case 8:
            return (float(p[channel]) - 128.0f) / 128.0f;
        case 16: {
            int16_t s;
            std::memcpy(&s, p + channel * 2, 2);
            return float(s) / 32768.0f;
        }
        default: {
            float f;
            std::memcpy(&f, p + channel * 4, 4);
            // A NaN or an infinity would poison every voice it is summed with, for as long as the
            // buffer plays (a looped one, for good): the bad sample alone is dropped.
            return std::isfinite(f) ? f : 0.0f;
        }
        }
    };
    left = sample(0);
    // A mono voice goes to both speakers at full scale.
    right = m_Format.nChannels >= 2 ? sample(1) : left;
}

bool SourceVoice::PrepareFront()
{
    while (!m_Queue.empty()) {
        Queued& q = m_Queue.front();
        if (q.flushed) {
            // Flushed from a callback during this pass.
            void* context = q.buffer.pContext;
            m_Queue.pop_front();
            if (m_pCallback)
                m_pCallback->OnBufferEnd(context);
            continue;
        }
        if (!q.started) {
            q.started = true;
            q.position = q.playBegin;
            if (m_pCallback)
                m_pCallback->OnBufferStart(q.buffer.pContext);
            continue;  // the callback may have flushed it
        }
        if (q.position < q.playEnd)
            return true;
        FinishFront();
    }
    return false;
}

void SourceVoice::FinishFront()
{
    Queued q = m_Queue.front();
    m_Queue.pop_front();
    if (!m_pCallback)
        return;
    if (q.buffer.Flags & XAUDIO2_END_OF_STREAM)
        m_pCallback->OnStreamEnd();
    m_pCallback->OnBufferEnd(q.buffer.pContext);
}

void SourceVoice::Advance()
{
    Queued& q = m_Queue.front();
    ++q.position;
    ++m_nSamplesPlayed;
    if (q.loopsLeft > 0 && q.position >= q.loopEnd) {
        q.position = q.loopBegin;
        if (q.loopsLeft != XAUDIO2_LOOP_INFINITE)
            --q.loopsLeft;
        if (m_pCallback)
            m_pCallback->OnLoopEnd(q.buffer.pContext);
    } else if (q.position >= q.playEnd) {
        FinishFront();
    }
}

void SourceVoice::PeekNext(float& left, float& right, float curLeft, float curRight) const
{
    const Queued& q = m_Queue.front();
    uint32_t next = q.position + 1;
    if (q.loopsLeft > 0 && next >= q.loopEnd) {
        ReadFrame(q, q.loopBegin, left, right);
        return;
    }
    if (next < q.playEnd) {
        ReadFrame(q, next, left, right);
        return;
    }
    if (m_Queue.size() > 1) {
        const Queued& n = m_Queue[1];
        if (!n.flushed && n.playBegin < n.playEnd) {
            ReadFrame(n, n.playBegin, left, right);
            return;
        }
    }
    left = curLeft;
    right = curRight;
}

void SourceVoice::Process(uint32_t frames)
{
    // Flushed buffers leave first, each with its OnBufferEnd, whether the voice runs or not.
    std::vector<void*> flushed;
    for (auto it = m_Queue.begin(); it != m_Queue.end();) {
        if (it->flushed) {
            flushed.push_back(it->buffer.pContext);
            it = m_Queue.erase(it);
        } else {
            ++it;
        }
    }
    if (m_pCallback)
        for (void* context : flushed)
            m_pCallback->OnBufferEnd(context);
    if (m_Queue.empty())
        m_dFraction = 0.0;
    if (!m_bStarted)
        return;

    const double step = double(m_Format.nSamplesPerSec) * double(m_fRatio) / double(kXAudio2MixRate);
    if (m_pCallback) {
        uint64_t needed = static_cast<uint64_t>(std::ceil(m_dFraction + step * frames));
        uint64_t available = 0;
        for (const Queued& q : m_Queue) {
            if (q.loopsLeft == XAUDIO2_LOOP_INFINITE) {
                available = needed;
                break;
            }
            uint32_t from = q.started ? q.position : q.playBegin;
            available += q.playEnd > from ? q.playEnd - from : 0;
            if (q.loopsLeft > 0)
                available += uint64_t(q.loopsLeft) * (q.loopEnd - q.loopBegin);
        }
        uint64_t missing = needed > available ? needed - available : 0;
        m_pCallback->OnVoiceProcessingPassStart(static_cast<UINT32>(missing * m_Format.nBlockAlign));
    }

    m_Scratch.assign(size_t(frames) * 2, 0.0f);
    for (uint32_t i = 0; i < frames; ++i) {
        if (!PrepareFront()) {
            m_dFraction = 0.0;
            break;
        }
        if (step == 1.0 && m_dFraction == 0.0) {
            // Same rate, on a frame: a straight run up to the buffer's next boundary.
            Queued& q = m_Queue.front();
            uint32_t boundary = q.loopsLeft > 0 ? q.loopEnd : q.playEnd;
            uint32_t run = std::min(frames - i, boundary - q.position);
            for (uint32_t k = 0; k < run; ++k)
                ReadFrame(q, q.position + k, m_Scratch[size_t(i + k) * 2], m_Scratch[size_t(i + k) * 2 + 1]);
            q.position += run - 1;
            m_nSamplesPlayed += run - 1;
            i += run - 1;
            Advance();  // the last frame of the run, with whatever boundary it meets
            continue;
        }
        float l, r, nl, nr;
        ReadFrame(m_Queue.front(), m_Queue.front().position, l, r);
        if (m_dFraction > 0.0) {
            PeekNext(nl, nr, l, r);
            float t = static_cast<float>(m_dFraction);
            l += (nl - l) * t;
            r += (nr - r) * t;
        }
        m_Scratch[size_t(i) * 2] = l;
        m_Scratch[size_t(i) * 2 + 1] = r;
        m_dFraction += step;
        while (m_dFraction >= 1.0) {
            m_dFraction -= 1.0;
            Advance();
            if (!PrepareFront()) {
                m_dFraction = 0.0;
                break;
            }
        }
    }
    SendMix(m_Scratch.data(), frames);
    if (m_pCallback)
        m_pCallback->OnVoiceProcessingPassEnd();
}

// ---------------------------------------------------------------------------------------------
// Submix and mastering voices

// Submix and mastering voices differ only in their interface and their place in the graph.
template <class Interface, VoiceKind kKind>
class MixVoice final : public Interface, public VoiceNode {
public:
    explicit MixVoice(Engine* engine) : VoiceNode(engine, kKind) {}
    HRESULT SetVolume(float Volume, UINT32) override
    {
        if (!ValidVolume(Volume))
            return XAUDIO2_E_INVALID_CALL;
        std::lock_guard lock(m_pEngine->m_Lock);
        m_fVolume = Volume;
        return S_OK;
    }
    void GetVolume(float* pVolume) override
    {
        std::lock_guard lock(m_pEngine->m_Lock);
        if (pVolume)
            *pVolume = m_fVolume;
    }
    void DestroyVoice() override { m_pEngine->Destroy(this); }
};

using SubmixVoice = MixVoice<IXAudio2SubmixVoice, eVoice_Submix>;
using MasteringVoice = MixVoice<IXAudio2MasteringVoice, eVoice_Master>;

// ---------------------------------------------------------------------------------------------
// Engine

void PullFromEngine(void* user, float* out, uint32_t frames) { static_cast<Engine*>(user)->Render(out, frames); }

Engine::~Engine()
{
    if (m_bDeviceOpen)
        BackendCloseAudio();
    for (VoiceNode* v : m_Sources)
        delete v;
    for (VoiceNode* v : m_Submixes)
        delete v;
    delete m_pMaster;
}

HRESULT Engine::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IXAudio2) {
        AddRef();
        *ppv = static_cast<IXAudio2*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG Engine::Release()
{
    ULONG refs = --m_nRefs;
    if (refs == 0)
        delete this;
    return refs;
}

HRESULT Engine::Initialize(UINT32 Flags, UINT32)
{
    // Only the debug-engine flag (1) exists.
    if (Flags & ~1u)
        return E_INVALIDARG;
    std::lock_guard lock(m_Lock);
    m_bInitialized = true;
    return S_OK;
}

bool Engine::ResolveSends(const XAUDIO2_VOICE_SENDS* sends, uint32_t stage, std::vector<VoiceNode*>& outputs)
{
    outputs.clear();
    if (!sends) {
        outputs.push_back(m_pMaster);
        return true;
    }
    if (sends->SendCount > 0 && !sends->pSends)
        return false;
    for (UINT32 i = 0; i < sends->SendCount; ++i) {
        VoiceNode* node = dynamic_cast<VoiceNode*>(sends->pSends[i].pOutputVoice);
        if (!node || node->m_pEngine != this || node->m_eKind == eVoice_Source)
            return false;
        // Audio only flows to later stages.
        if (node->m_eKind == eVoice_Submix && node->m_nStage <= stage && stage != UINT32(-1))
            return false;
        if (std::find(outputs.begin(), outputs.end(), node) == outputs.end())
            outputs.push_back(node);
    }
    return true;
}

bool IsValidSourceFormat(const WAVEFORMATEX* f)
{
    if (!f || f->nChannels == 0 || f->nChannels > XAUDIO2_MAX_AUDIO_CHANNELS)
        return false;
    if (f->nSamplesPerSec < XAUDIO2_MIN_SAMPLE_RATE || f->nSamplesPerSec > XAUDIO2_MAX_SAMPLE_RATE)
        return false;
    bool pcm = f->wFormatTag == WAVE_FORMAT_PCM && (f->wBitsPerSample == 8 || f->wBitsPerSample == 16);
    bool flt = f->wFormatTag == WAVE_FORMAT_IEEE_FLOAT && f->wBitsPerSample == 32;
    if (!pcm && !flt)
        return false;
    return f->nBlockAlign == f->nChannels * f->wBitsPerSample / 8;
}

HRESULT Engine::CreateSourceVoice(IXAudio2SourceVoice** ppSourceVoice, const WAVEFORMATEX* pSourceFormat, UINT32,
                                  float MaxFrequencyRatio, IXAudio2VoiceCallback* pCallback,
                                  const XAUDIO2_VOICE_SENDS* pSendList, const XAUDIO2_EFFECT_CHAIN* pEffectChain)
{
    if (!ppSourceVoice)
        return E_POINTER;
    *ppSourceVoice = nullptr;
    if (!IsValidSourceFormat(pSourceFormat) || pEffectChain)
        return XAUDIO2_E_INVALID_CALL;
    if (!std::isfinite(MaxFrequencyRatio) || MaxFrequencyRatio < 1.0f / 1024.0f ||
        MaxFrequencyRatio > XAUDIO2_MAX_FREQ_RATIO)
        return XAUDIO2_E_INVALID_CALL;
    std::lock_guard lock(m_Lock);
    if (!m_bInitialized || !m_pMaster)
        return XAUDIO2_E_INVALID_CALL;
    std::vector<VoiceNode*> outputs;
    if (!ResolveSends(pSendList, UINT32(-1), outputs))
        return XAUDIO2_E_INVALID_CALL;
    SourceVoice* voice = new SourceVoice(this, *pSourceFormat, MaxFrequencyRatio, pCallback);
    voice->m_Outputs = outputs;
    m_Sources.push_back(voice);
    *ppSourceVoice = voice;
    return S_OK;
}

HRESULT Engine::CreateSubmixVoice(IXAudio2SubmixVoice** ppSubmixVoice, UINT32 InputChannels, UINT32 InputSampleRate,
                                  UINT32, UINT32 ProcessingStage, const XAUDIO2_VOICE_SENDS* pSendList,
                                  const XAUDIO2_EFFECT_CHAIN* pEffectChain)
{
    if (!ppSubmixVoice)
        return E_POINTER;
    *ppSubmixVoice = nullptr;
    // The mix runs at one rate and in stereo.
    if (InputChannels != kXAudio2MixChannels || InputSampleRate != kXAudio2MixRate || pEffectChain)
        return XAUDIO2_E_INVALID_CALL;
    std::lock_guard lock(m_Lock);
    if (!m_bInitialized || !m_pMaster)
        return XAUDIO2_E_INVALID_CALL;
    std::vector<VoiceNode*> outputs;
    if (!ResolveSends(pSendList, ProcessingStage, outputs))
        return XAUDIO2_E_INVALID_CALL;
    SubmixVoice* voice = new SubmixVoice(this);
    voice->m_nStage = ProcessingStage;
    voice->m_Outputs = outputs;
    auto at = std::upper_bound(m_Submixes.begin(), m_Submixes.end(), ProcessingStage,
                               [](uint32_t stage, VoiceNode* v) { return stage < v->m_nStage; });
    m_Submixes.insert(at, voice);
    *ppSubmixVoice = voice;
    return S_OK;
}

HRESULT Engine::CreateMasteringVoice(IXAudio2MasteringVoice** ppMasteringVoice, UINT32 InputChannels,
                                     UINT32 InputSampleRate, UINT32, UINT32 DeviceIndex,
                                     const XAUDIO2_EFFECT_CHAIN* pEffectChain)
{
    if (!ppMasteringVoice)
        return E_POINTER;
    *ppMasteringVoice = nullptr;
    if ((InputChannels != XAUDIO2_DEFAULT_CHANNELS && InputChannels != kXAudio2MixChannels) ||
        (InputSampleRate != XAUDIO2_DEFAULT_SAMPLERATE && InputSampleRate != kXAudio2MixRate) || pEffectChain)
        return XAUDIO2_E_INVALID_CALL;
    int mode = g_OutputMode.load();
    MasteringVoice* voice = nullptr;
    {
        std::lock_guard lock(m_Lock);
        if (!m_bInitialized || m_pMaster)
            return XAUDIO2_E_INVALID_CALL;
        if (DeviceIndex != 0 || mode == eXAudio2Output_NoDevice)
            return XAUDIO2_STANDIN_E_NO_DEVICE;
        voice = new MasteringVoice(this);
        m_pMaster = voice;
    }
    if (mode == eXAudio2Output_Device) {
        // Outside the lock: the device's thread takes it as soon as it runs.
        if (!BackendOpenAudio(PullFromEngine, this)) {
            std::lock_guard lock(m_Lock);
            m_pMaster = nullptr;
            delete voice;
            return XAUDIO2_STANDIN_E_NO_DEVICE;
        }
        m_bDeviceOpen = true;
    }
    *ppMasteringVoice = voice;
    return S_OK;
}

bool Engine::IsOutputOfAnother(VoiceNode* voice)
{
    auto feeds = [voice](VoiceNode* v) {
        return std::find(v->m_Outputs.begin(), v->m_Outputs.end(), voice) != v->m_Outputs.end();
    };
    return std::any_of(m_Sources.begin(), m_Sources.end(), feeds) ||
           std::any_of(m_Submixes.begin(), m_Submixes.end(), feeds);
}

void Engine::Destroy(VoiceNode* voice)
{
    bool closeDevice = false;
    const VoiceKind kind = voice->m_eKind;
    {
        std::lock_guard lock(m_Lock);
        if (IsOutputOfAnother(voice)) {
            OutputDebugStringA("XAudio2: DestroyVoice on a voice that other voices still send to; ignored\n");
            return;
        }
        switch (voice->m_eKind) {
        case eVoice_Source:
            m_Sources.erase(std::find(m_Sources.begin(), m_Sources.end(), voice));
            break;
        case eVoice_Submix:
            m_Submixes.erase(std::find(m_Submixes.begin(), m_Submixes.end(), voice));
            break;
        case eVoice_Master:
            m_pMaster = nullptr;
            closeDevice = m_bDeviceOpen;
            m_bDeviceOpen = false;
            break;
        }
        if (kind != eVoice_Master)
            delete voice;
    }
    if (kind == eVoice_Master) {
        // Closing waits for the device's thread, which may be waiting for the lock.
        if (closeDevice)
            BackendCloseAudio();
        delete voice;
    }
}

void Engine::RunPass(uint32_t frames)
{
    m_pMaster->ClearMix(frames);
    for (VoiceNode* v : m_Submixes)
        v->ClearMix(frames);
    // By index over a copy: a callback may create voices.
    std::vector<VoiceNode*> sources = m_Sources;
    for (VoiceNode* v : sources)
        if (std::find(m_Sources.begin(), m_Sources.end(), v) != m_Sources.end())
            static_cast<SourceVoice*>(v)->Process(frames);
    for (VoiceNode* v : m_Submixes)
        v->SendMix(v->m_Mix.data(), frames);
}

void Engine::Render(float* out, uint32_t frames)
{
    std::lock_guard lock(m_Lock);
    while (frames > 0) {
        uint32_t n = std::min(frames, kXAudio2PassFrames);
        if (!m_pMaster) {
            std::memset(out, 0, sizeof(float) * 2 * n);
        } else {
            RunPass(n);
            float volume = m_pMaster->m_fVolume;
            for (size_t i = 0; i < size_t(n) * 2; ++i)
                out[i] = ClampOutputSample(m_pMaster->m_Mix[i] * volume);
        }
        out += size_t(n) * 2;
        frames -= n;
    }
}

} // namespace

HRESULT XAudio2CreateEngineObject(REFIID riid, void** ppv)
{
    Engine* engine = new Engine();
    HRESULT hr = engine->QueryInterface(riid, ppv);
    engine->Release();
    return hr;
}

void XAudio2SetOutputMode(eXAudio2Output mode) { g_OutputMode.store(mode); }
eXAudio2Output XAudio2GetOutputMode() { return static_cast<eXAudio2Output>(g_OutputMode.load()); }

void XAudio2Render(IXAudio2* engine, float* out, uint32_t frames)
{
    static_cast<Engine*>(engine)->Render(out, frames);
}
