// The game's one entry to audio: the device, the music (one piece playing, at most one fading
// out) and the playing sound effects. Music is Ogg Vorbis in group 0, effects are WAVE in
// group 1; every source made gets a process-wide id.
#pragma once

#include <cstdint>
#include <vector>

#include "System/Common/NameHash.h"
#include "System/Sound/AudioDevice.h"
#include "System/Sound/Decoder.h"

// A new XAudio2 device, or the silent device when XAudio2 cannot start.
IAudioDevice* CreateAudioDevice();

// The gain of a settings percentage: a negative value counts as 0 (the ini keeps it).
float VolumeFromPercent(int32_t percent);

class SoundManager {
public:
    // Takes the device.
    explicit SoundManager(IAudioDevice* device);
    ~SoundManager();
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // Never null: a silent source when the key has no entry, the file is refused or no voice
    // can be made. The caller owns it.
    IAudioSource* CreateSource(int group, NameId key, int decoderKind);

    void PlayBgm(float fadeSeconds, NameId key, bool loop);
    void FadeOutBgm(float seconds);
    int PlaySe(NameId key, bool reuse);
    void StopSeByKey(NameId key);
    // A negative id stops every effect.
    void StopSe(int id);
    void Update(float dt);
    // Deletes every source, then the device.
    void Release();

    // Sets a group's volume on the device, or on each of the group's listed sources when the
    // device refuses.
    void SetGroupVolume(int group, float volume);

    IAudioDevice* GetDevice() const { return m_pDevice; }
    IAudioSource* GetCurrentBgm() const { return m_pBgm[0]; }
    IAudioSource* GetFadingBgm() const { return m_pBgm[1]; }
    // The playing effects; the shell appends its screenshot sound here.
    std::vector<IAudioSource*>& GetSeList() { return m_SeList; }

    // The counter behind source ids (tests set it near the wrap).
    static void SetSourceCounter(uint32_t value);

private:
    IAudioDevice* m_pDevice;
    IAudioSource* m_pBgm[2] = {nullptr, nullptr};  // current, fading
    std::vector<IAudioSource*> m_SeList;
};

extern SoundManager* g_pSoundManager;

// Application start-up: the manager (unless one exists) on the best device, the music and
// effect groups at the settings' percentages. Shutdown: released, deleted, pointer cleared.
SoundManager* StartSoundManager(int32_t bgmVolumePercent, int32_t seVolumePercent);
void StopSoundManager();

// The shell's screenshot sound, "assets.v1/sounds/se/screenshot", played once as an effect.
void PlayScreenshotSound();
