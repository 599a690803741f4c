#include "System/Sound/AudioDevice.h"

#include "System/Sound/Decoder.h"

void IAudioDevice::Update(float) {}

void IAudioSource::ReservedAction() {}

IAudioSource* NullAudioDevice::CreateSource(int id, int group, NameId key)
{
    return new NullAudioSource(this, id, group, key);
}

NullAudioSource::~NullAudioSource() { NullAudioSource::Release(); }

bool NullAudioSource::Create(IDecoder* decoder)
{
    delete m_pDecoder;
    m_pDecoder = decoder;
    return true;
}

void NullAudioSource::Release()
{
    delete m_pDecoder;
    m_pDecoder = nullptr;
}
