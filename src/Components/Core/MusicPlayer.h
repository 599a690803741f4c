// Switches the background music as its object starts: the stage's own track, kept playing when
// it is already the one playing.
#pragma once

#include "System/Common/NameHash.h"
#include "World/Component.h"

class MusicPlayer : public Component {
public:
    static const ClassKey s_Class;
    // How long the music playing before fades out when another track starts.
    static constexpr float kFadeSeconds = 0.5f;

    explicit MusicPlayer(GameObj* owner);

    // "name": the track's asset name; absent or empty, the stage has no music.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // No track: the music stops at once. The track already playing: nothing changes. Otherwise
    // the old music fades out and the track loops from its start.
    void Start() override;

    NameId m_nTrack = 0;
};
