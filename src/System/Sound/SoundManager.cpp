#include "System/Sound/SoundManager.h"

#include <algorithm>

#include "System/Archive/ArchiveSystem.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Common/StreamIO.h"
#include "System/Sound/Decoder.h"
#include "System/Sound/XAudio2Device.h"

SoundManager* g_pSoundManager = nullptr;

namespace {

uint32_t g_nSourceCounter = 0;
const NameId g_nScreenshotSoundId = HashName("assets.v1/sounds/se/screenshot");

} // namespace

IAudioDevice* CreateAudioDevice()
{
    XAudio2Device* device = new XAudio2Device();
    if (device->Init())
        return device;
    delete device;
    LOG_WARNING << "No audio output: sounds are silent.";
    return new NullAudioDevice();
}

float VolumeFromPercent(int32_t percent) { return static_cast<float>(std::clamp(percent, 0, 100)) * 0.01f; }

SoundManager::SoundManager(IAudioDevice* device) : m_pDevice(device) {}

SoundManager::~SoundManager()
{
    Release();
    if (g_pSoundManager == this)
        g_pSoundManager = nullptr;
}

void SoundManager::SetSourceCounter(uint32_t value) { g_nSourceCounter = value; }

IAudioSource* SoundManager::CreateSource(int group, NameId key, int decoderKind)
{
    const int id = static_cast<int>(g_nSourceCounter & 0x7FFFFFFFu);
    ++g_nSourceCounter;
    IDecoder* decoder = CreateDecoder(decoderKind);
    StreamIO* stream = g_pArchiveSystem ? g_pArchiveSystem->Open(key) : nullptr;
    if (!stream)
        LOG_WARNING << "No sound " << DescribeNameId(key) << " in the archives; it stays silent.";
    if (stream && decoder && m_pDevice) {
        // A file the decoder refuses leaves its format unset: no voice is made for it below.
        decoder->Open(stream, false);
        IAudioSource* source = m_pDevice->CreateSource(id, group, key);
        if (source && source->Create(decoder))
            return source;
        // The failed source never took the decoder.
        delete source;
    } else {
        delete stream;
    }
    NullAudioSource* silent = new NullAudioSource(m_pDevice, id, group, key);
    silent->Create(decoder);
    return silent;
}

void SoundManager::PlayBgm(float fadeSeconds, NameId key, bool loop)
{
    if (m_pBgm[0]) {
        if (m_pBgm[0]->GetKey() == key)
            return;
        FadeOutBgm(fadeSeconds);
    }
    m_pBgm[0] = CreateSource(eSoundGroup_Bgm, key, eDecoderKind_Vorbis);
    m_pBgm[0]->Play(loop ? XAUDIO2_LOOP_INFINITE : 0);
}

void SoundManager::FadeOutBgm(float seconds)
{
    if (!m_pBgm[0])
        return;
    delete m_pBgm[1];
    m_pBgm[1] = nullptr;
    IAudioSource* piece = m_pBgm[0];
    m_pBgm[0] = nullptr;
    if (seconds > 0.0f) {
        piece->FadeTo(0.0f, seconds);
        m_pBgm[1] = piece;
    } else {
        delete piece;
    }
}

int SoundManager::PlaySe(NameId key, bool reuse)
{
    if (reuse) {
        for (IAudioSource* s : m_SeList)
            if (s->GetKey() == key) {
                s->Rewind();
                return s->GetId();
            }
    }
    IAudioSource* source = CreateSource(eSoundGroup_Se, key, eDecoderKind_Wave);
    m_SeList.push_back(source);
    source->Play(0);
    return source->GetId();
}

void SoundManager::StopSeByKey(NameId key)
{
    auto end = std::remove_if(m_SeList.begin(), m_SeList.end(), [key](IAudioSource* s) {
        if (s->GetKey() != key)
            return false;
        delete s;
        return true;
    });
    m_SeList.erase(end, m_SeList.end());
}

void SoundManager::StopSe(int id)
{
    if (id < 0) {
        for (IAudioSource* s : m_SeList)
            delete s;
        m_SeList.clear();
        return;
    }
    auto it = std::find_if(m_SeList.begin(), m_SeList.end(), [id](IAudioSource* s) { return s->GetId() == id; });
    if (it != m_SeList.end()) {
        delete *it;
        m_SeList.erase(it);
    }
}

void SoundManager::Update(float dt)
{
    if (m_pDevice)
        m_pDevice->Update(dt);
    auto end = std::remove_if(m_SeList.begin(), m_SeList.end(), [](IAudioSource* s) {
        if (s->IsPlaying())
            return false;
        delete s;
        return true;
    });
    m_SeList.erase(end, m_SeList.end());
    if (m_pBgm[1]) {
        m_pBgm[1]->UpdateFade(dt);
        if (m_pBgm[1]->GetVolume() <= 0.0f) {
            delete m_pBgm[1];
            m_pBgm[1] = nullptr;
        }
    }
    if (m_pBgm[0]) {
        m_pBgm[0]->UpdateFade(dt);
        // A silenced piece comes back to full volume over half a second.
        if (m_pBgm[0]->GetVolume() <= 0.0f)
            m_pBgm[0]->FadeTo(1.0f, 0.5f);
    }
}

void SoundManager::Release()
{
    for (IAudioSource* s : m_SeList)
        delete s;
    m_SeList.clear();
    for (IAudioSource*& s : m_pBgm) {
        delete s;
        s = nullptr;
    }
    delete m_pDevice;
    m_pDevice = nullptr;
}

void SoundManager::SetGroupVolume(int group, float volume)
{
    if (m_pDevice && m_pDevice->SetGroupVolume(group, volume))
        return;
    if (group == eSoundGroup_Se)
        for (IAudioSource* s : m_SeList)
            s->SetVolume(volume);
    if (group == eSoundGroup_Bgm)
        for (IAudioSource* s : m_pBgm)
            if (s)
                s->SetVolume(volume);
}

SoundManager* StartSoundManager(int32_t bgmVolumePercent, int32_t seVolumePercent)
{
    if (!g_pSoundManager)
        g_pSoundManager = new SoundManager(CreateAudioDevice());
    g_pSoundManager->SetGroupVolume(eSoundGroup_Bgm, VolumeFromPercent(bgmVolumePercent));
    g_pSoundManager->SetGroupVolume(eSoundGroup_Se, VolumeFromPercent(seVolumePercent));
    return g_pSoundManager;
}

void StopSoundManager()
{
    delete g_pSoundManager;
    g_pSoundManager = nullptr;
}

void PlayScreenshotSound()
{
    if (!g_pSoundManager)
        return;
    IAudioSource* source = g_pSoundManager->CreateSource(eSoundGroup_Se, g_nScreenshotSoundId, eDecoderKind_Wave);
    g_pSoundManager->GetSeList().push_back(source);
    source->Play(0);
}
