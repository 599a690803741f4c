#include "System/Sound/XAudio2Device.h"

#include <algorithm>
#include <cstring>

#include "Platform/COM/CoCreateInstance.h"
#include "System/Common/Log.h"
#include "System/Sound/Decoder.h"

// ---------------------------------------------------------------------------------------------
// Device

XAudio2Device::~XAudio2Device() { XAudio2Device::Shutdown(); }

bool XAudio2Device::Init()
{
    HRESULT hr = CoCreateInstance(CLSID_XAudio2, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio2,
                                  reinterpret_cast<void**>(&m_pEngine));
    if (SUCCEEDED(hr))
        hr = m_pEngine->Initialize(0, XAUDIO2_DEFAULT_PROCESSOR);
    if (SUCCEEDED(hr))
        hr = m_pEngine->CreateMasteringVoice(&m_pMaster, XAUDIO2_DEFAULT_CHANNELS, XAUDIO2_DEFAULT_SAMPLERATE, 0, 0,
                                             nullptr);
    for (int group = 0; group < kSoundGroupCount && SUCCEEDED(hr); ++group) {
        hr = m_pEngine->CreateSubmixVoice(&m_pGroups[group], 2, 44100, 0, 0, nullptr, nullptr);
        if (SUCCEEDED(hr)) {
            XAUDIO2_VOICE_SENDS* sends = new XAUDIO2_VOICE_SENDS;
            sends->SendCount = 1;
            sends->pSends = new XAUDIO2_SEND_DESCRIPTOR{0, m_pGroups[group]};
            m_pSendLists[group] = sends;
        }
    }
    if (FAILED(hr)) {
        LOG_WARNING << "XAudio2 could not start (0x" << std::hex << uint32_t(hr) << std::dec << ")";
        Shutdown();
        return false;
    }
    return true;
}

void XAudio2Device::Shutdown()
{
    for (int group = 0; group < kSoundGroupCount; ++group) {
        if (m_pGroups[group]) {
            m_pGroups[group]->DestroyVoice();
            m_pGroups[group] = nullptr;
        }
        if (m_pSendLists[group]) {
            delete m_pSendLists[group]->pSends;
            delete m_pSendLists[group];
            m_pSendLists[group] = nullptr;
        }
    }
    if (m_pMaster) {
        m_pMaster->DestroyVoice();
        m_pMaster = nullptr;
    }
    if (m_pEngine) {
        m_pEngine->Release();
        m_pEngine = nullptr;
    }
}

IAudioSource* XAudio2Device::CreateSource(int id, int group, NameId key) { return new XAudio2Source(this, id, group, key); }

bool XAudio2Device::SetGroupVolume(int group, float volume)
{
    IXAudio2SubmixVoice* voice = m_pGroups[group];
    return voice && SUCCEEDED(voice->SetVolume(volume, XAUDIO2_COMMIT_NOW));
}

float XAudio2Device::GetGroupVolume(int group)
{
    float volume = 0.0f;
    if (m_pGroups[group])
        m_pGroups[group]->GetVolume(&volume);
    return volume;
}

// ---------------------------------------------------------------------------------------------
// Voice context

XAudio2VoiceContext::XAudio2VoiceContext()
{
    m_BufferEnd.m_hHandle = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_StreamEnd.m_hHandle = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

XAudio2VoiceContext::~XAudio2VoiceContext() = default;

// ---------------------------------------------------------------------------------------------
// Source

XAudio2Source::XAudio2Source(IAudioDevice* device, int id, int group, NameId key)
    : IAudioSource(device, id, group, key)
{
}

XAudio2Source::~XAudio2Source() { XAudio2Source::Release(); }

bool XAudio2Source::Create(IDecoder* decoder)
{
    if (!decoder || m_pVoice || !m_pDevice || m_pDevice->GetKind() != eAudioDeviceKind_XAudio2 ||
        !m_pDevice->GetEngine())
        return false;
    XAudio2Device* device = static_cast<XAudio2Device*>(m_pDevice);
    XAudio2VoiceContext* context = new XAudio2VoiceContext();
    HRESULT hr = device->GetEngine()->CreateSourceVoice(&m_pVoice, &decoder->GetFormat(), 0, 2.0f, context,
                                                        device->GetSendList(m_nGroup), nullptr);
    if (FAILED(hr)) {
        // The caller keeps the decoder and falls back to a silent source.
        delete context;
        m_pVoice = nullptr;
        return false;
    }
    m_pContext = context;
    m_pDecoder = decoder;
    m_bStreaming = decoder->IsStreaming();
    return true;
}

void XAudio2Source::Release()
{
    if (m_Thread.m_hHandle) {
        SetEvent(m_Stop.m_hHandle);
        WaitForSingleObject(m_Thread.m_hHandle, INFINITE);
        CloseHandle(m_Thread.m_hHandle);
        m_Thread.m_hHandle = nullptr;
    }
    for (Event* e : {&m_Stop, &m_Rewind})
        if (e->m_hHandle) {
            CloseHandle(e->m_hHandle);
            e->m_hHandle = nullptr;
        }
    // The voice belongs to the source until here, streamed or not: the game reads its volume
    // after a track has ended.
    if (m_pVoice) {
        m_pVoice->FlushSourceBuffers();
        m_pVoice->Stop(0, XAUDIO2_COMMIT_NOW);
        m_pVoice->DestroyVoice();
        m_pVoice = nullptr;
    }
    delete m_pDecoder;
    m_pDecoder = nullptr;
    delete m_pContext;
    m_pContext = nullptr;
}

void XAudio2Source::Play(int loopCount)
{
    if (!m_pVoice)
        return;
    if (!m_bStreaming) {
        const void* data = nullptr;
        uint32_t size = 0;
        if (!m_pDecoder->GetData(data, size))
            return;
        XAUDIO2_BUFFER buffer{};
        buffer.Flags = XAUDIO2_END_OF_STREAM;
        buffer.AudioBytes = size;
        buffer.pAudioData = static_cast<const BYTE*>(data);
        buffer.LoopCount = static_cast<UINT32>(loopCount);
        m_nLoopCount = loopCount;
        m_pVoice->SubmitSourceBuffer(&buffer, nullptr);
        m_pVoice->Start(0, XAUDIO2_COMMIT_NOW);
        return;
    }
    m_nLoopCount = loopCount == XAUDIO2_LOOP_INFINITE ? -1 : loopCount;
    if (!m_Stop.m_hHandle)
        m_Stop.m_hHandle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!m_Rewind.m_hHandle)
        m_Rewind.m_hHandle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!m_Thread.m_hHandle)
        m_Thread.Start(StreamThreadEntry, this);
}

unsigned XAudio2Source::StreamThreadEntry(void* self)
{
    static_cast<XAudio2Source*>(self)->StreamThread();
    return 0;
}

int XAudio2Source::RingSlot(const void* context) const
{
    return static_cast<int>((static_cast<const uint8_t*>(context) - m_Ring[0]) / kRingBufferBytes);
}

UINT32 XAudio2Source::QueuedBuffers()
{
    XAUDIO2_VOICE_STATE state{};
    m_pVoice->GetState(&state);
    return state.BuffersQueued;
}

void XAudio2Source::StreamThread()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const HANDLE stop = m_Stop.m_hHandle;
    const HANDLE rewind = m_Rewind.m_hHandle;
    const HANDLE bufferEnd = m_pContext->m_BufferEnd.m_hHandle;
    const HANDLE streamEnd = m_pContext->m_StreamEnd.m_hHandle;
    const WORD blockAlign = std::max<WORD>(1, m_pDecoder->GetFormat().nBlockAlign);
    // Whole frames only: the voice drops a buffer's partial last frame, and every later buffer
    // would start inside a frame.
    const uint32_t readBytes = kRingBufferBytes - kRingBufferBytes % blockAlign;
    int remaining = m_nLoopCount;
    uint64_t passBytes = 0;
    int index = 0;
    m_pVoice->Start(0, XAUDIO2_COMMIT_NOW);

    bool running = true;
    while (running && WaitForSingleObject(stop, 0) != WAIT_OBJECT_0) {
        // Room in the ring: never more than seven buffers queued, so the one being filled is free.
        while (QueuedBuffers() >= kMaxQueued) {
            const HANDLE waits[3] = {bufferEnd, stop, rewind};
            DWORD r = WaitForMultipleObjects(3, waits, FALSE, INFINITE);
            if (r == WAIT_OBJECT_0 + 1) {
                running = false;
                break;
            }
            if (r == WAIT_OBJECT_0 + 2)
                break;
        }
        if (!running)
            break;

        if (WaitForSingleObject(rewind, 0) == WAIT_OBJECT_0) {
            m_pVoice->FlushSourceBuffers();
            // The flush keeps the buffer that is playing: the ring goes on after that one, so
            // it is not overwritten while the mixer still reads it.
            XAUDIO2_VOICE_STATE state{};
            m_pVoice->GetState(&state);
            if (state.pCurrentBufferContext)
                index = (RingSlot(state.pCurrentBufferContext) + 1) % kRingBuffers;
            m_pDecoder->Seek(0.0);
            while (QueuedBuffers() > kMaxQueued - 1 && WaitForSingleObject(stop, 0) != WAIT_OBJECT_0)
                Sleep(1);
            ResetEvent(rewind);
            passBytes = 0;
        }

        uint32_t bytes = 0;
        const bool end = m_pDecoder->Read(m_Ring[index], readBytes, bytes);
        // The stream ends after the last pass, or after a pass that gave nothing (a decoder
        // with no data would otherwise spin here).
        const bool last = end && (remaining == 0 || passBytes + bytes == 0);
        if (bytes > 0 || last) {
            XAUDIO2_BUFFER buffer{};
            // Only the very last buffer carries the stream end: one signalled by an earlier
            // pass would end the last pass early.
            buffer.Flags = last ? XAUDIO2_END_OF_STREAM : 0;
            if (bytes == 0) {
                // Nothing left to carry the stream end: a frame of silence does.
                std::memset(m_Ring[index], 0, blockAlign);
                bytes = blockAlign;
            }
            buffer.AudioBytes = bytes;
            buffer.pAudioData = m_Ring[index];
            buffer.pContext = m_Ring[index];
            m_pVoice->SubmitSourceBuffer(&buffer, nullptr);
            index = (index + 1) % kRingBuffers;
        }
        passBytes += bytes;
        if (!end)
            continue;

        m_pDecoder->Seek(m_pDecoder->GetLoopRestart());
        if (!last) {
            if (remaining > 0)
                --remaining;
            passBytes = 0;
            continue;
        }
        for (;;) {
            const HANDLE waits[3] = {streamEnd, stop, rewind};
            DWORD r = WaitForMultipleObjects(3, waits, FALSE, INFINITE);
            if (r == WAIT_OBJECT_0 + 2) {
                remaining = m_nLoopCount;
                passBytes = 0;
                break;
            }
            // A stream end that is not ours (the voice still holds buffers) is waited past.
            if (r == WAIT_OBJECT_0 && QueuedBuffers() > 0)
                continue;
            running = false;
            break;
        }
    }
    m_pVoice->FlushSourceBuffers();
    m_pVoice->Stop(0, XAUDIO2_COMMIT_NOW);
    CoUninitialize();
}

void XAudio2Source::Stop()
{
    if (m_bStreaming) {
        if (m_Stop.m_hHandle)
            SetEvent(m_Stop.m_hHandle);
    } else if (m_pVoice) {
        m_pVoice->Stop(0, XAUDIO2_COMMIT_NOW);
    }
}

void XAudio2Source::Rewind()
{
    if (m_bStreaming) {
        if (m_Rewind.m_hHandle)
            SetEvent(m_Rewind.m_hHandle);
        return;
    }
    if (!m_pVoice || QueuedBuffers() >= XAUDIO2_MAX_QUEUED_BUFFERS)
        return;
    const void* data = nullptr;
    uint32_t size = 0;
    if (!m_pDecoder->GetData(data, size))
        return;
    m_pVoice->Stop(0, XAUDIO2_COMMIT_NOW);
    m_pVoice->FlushSourceBuffers();
    XAUDIO2_BUFFER buffer{};
    buffer.Flags = XAUDIO2_END_OF_STREAM;
    buffer.AudioBytes = size;
    buffer.pAudioData = static_cast<const BYTE*>(data);
    m_pVoice->SubmitSourceBuffer(&buffer, nullptr);
    m_pVoice->Start(0, XAUDIO2_COMMIT_NOW);
}

void XAudio2Source::SetVolume(float volume)
{
    if (m_pVoice)
        m_pVoice->SetVolume(volume, XAUDIO2_COMMIT_NOW);
}

float XAudio2Source::GetVolume()
{
    float volume = 0.0f;
    if (m_pVoice)
        m_pVoice->GetVolume(&volume);
    return volume;
}

bool XAudio2Source::IsPlaying()
{
    if (!m_pVoice)
        return false;
    if (m_bStreaming)
        return m_Thread.m_hHandle && WaitForSingleObject(m_Thread.m_hHandle, 0) == WAIT_TIMEOUT;
    return QueuedBuffers() > 0;
}

void XAudio2Source::FadeTo(float target, float seconds)
{
    m_Fade.elapsed = 0.0f;
    m_Fade.duration = seconds;
    m_Fade.start = GetVolume();
    m_Fade.target = target;
    m_Fade.mode = target >= m_Fade.start ? eFadeMode_Up : eFadeMode_Down;
}

void XAudio2Source::UpdateFade(float dt)
{
    if (m_Fade.mode == eFadeMode_None)
        return;
    m_Fade.elapsed = std::clamp(m_Fade.elapsed + dt, 0.0f, std::max(0.0f, m_Fade.duration));
    float t = m_Fade.duration > 0.0f ? m_Fade.elapsed / m_Fade.duration : 1.0f;
    // From the start volume to the target, whichever way (up from 0 and down to 0 are the
    // game's fades).
    SetVolume(m_Fade.start + (m_Fade.target - m_Fade.start) * t);
    if (m_Fade.elapsed >= m_Fade.duration)
        m_Fade.mode = eFadeMode_None;
}
