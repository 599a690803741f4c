// Audio devices and sources as the game sees them: a device owns the output and four volume
// groups; a source is one sound in a group, fed by a decoder. NullAudioDevice and
// NullAudioSource stand in, silently, when there is no audio.
#pragma once

#include <cstdint>

#include "Platform/XAudio2/XAudio2.h"
#include "System/Common/NameHash.h"

class IDecoder;
class IAudioSource;

enum eSoundGroup : int {
    eSoundGroup_Bgm = 0,
    eSoundGroup_Se = 1,
};
constexpr int kSoundGroupCount = 4;

enum eAudioDeviceKind : int {
    eAudioDeviceKind_Null = 0,
    eAudioDeviceKind_XAudio2 = 1,
};

enum eFadeMode : int {
    eFadeMode_None = 0,
    eFadeMode_Up = 1,
    eFadeMode_Down = 2,
};

class IAudioDevice {
public:
    IAudioDevice() = default;
    virtual ~IAudioDevice() = default;
    IAudioDevice(const IAudioDevice&) = delete;
    IAudioDevice& operator=(const IAudioDevice&) = delete;

    virtual int GetKind() = 0;
    virtual bool Init() = 0;
    virtual void Shutdown() = 0;
    virtual IAudioSource* CreateSource(int id, int group, NameId key) = 0;
    virtual void Update(float dt);
    virtual bool SetGroupVolume(int group, float volume) = 0;
    virtual float GetGroupVolume(int group) = 0;
    virtual IXAudio2* GetEngine() = 0;
};

class IAudioSource {
public:
    IAudioSource(IAudioDevice* device, int id, int group, NameId key)
        : m_pDevice(device), m_nId(id), m_nGroup(group), m_nKey(key)
    {
    }
    virtual ~IAudioSource() = default;
    IAudioSource(const IAudioSource&) = delete;
    IAudioSource& operator=(const IAudioSource&) = delete;

    // Takes the decoder when it succeeds; on failure the caller still owns it.
    virtual bool Create(IDecoder* decoder) = 0;
    virtual void Release() = 0;
    // Repeats after the first play; 255 is endless.
    virtual void Play(int loopCount) = 0;
    virtual void Stop() = 0;
    virtual void ReservedAction();
    virtual void Rewind() = 0;
    virtual void SetVolume(float volume) = 0;
    virtual float GetVolume() = 0;
    virtual bool IsPlaying() = 0;
    virtual void UpdateFade(float dt) = 0;
    virtual void FadeTo(float target, float seconds) = 0;
    virtual int GetFadeMode() = 0;

    IAudioDevice* GetDevice() const { return m_pDevice; }
    int GetId() const { return m_nId; }
    int GetGroup() const { return m_nGroup; }
    NameId GetKey() const { return m_nKey; }

protected:
    IAudioDevice* m_pDevice;
    int m_nId;
    int m_nGroup;
    NameId m_nKey;
};

class NullAudioDevice : public IAudioDevice {
public:
    int GetKind() override { return eAudioDeviceKind_Null; }
    bool Init() override { return true; }
    void Shutdown() override {}
    IAudioSource* CreateSource(int id, int group, NameId key) override;
    bool SetGroupVolume(int, float) override { return true; }
    float GetGroupVolume(int) override { return 0.0f; }
    IXAudio2* GetEngine() override { return nullptr; }
};

// Plays nothing; keeps the decoder it is given until it is deleted.
class NullAudioSource : public IAudioSource {
public:
    using IAudioSource::IAudioSource;
    ~NullAudioSource() override;

    bool Create(IDecoder* decoder) override;
    void Release() override;
    void Play(int) override {}
    void Stop() override {}
    void Rewind() override {}
    void SetVolume(float) override {}
    // Full volume: a silent piece of music is never taken for one faded out.
    float GetVolume() override { return 1.0f; }
    bool IsPlaying() override { return false; }
    void UpdateFade(float) override {}
    void FadeTo(float, float) override {}
    int GetFadeMode() override { return eFadeMode_None; }

private:
    IDecoder* m_pDecoder = nullptr;
};
