// The game world as one application state: the script host, the data tables and the scene,
// each reached through its process-wide pointer while the state is entered.
#pragma once

#include "World/IGameState.h"

class WorldState : public IGameState {
public:
    static constexpr int kStateId = 0;

    bool HandleEvent(IEvent* event) override;
    // Creates, in this order, each only while its pointer is null: the script host; runs every
    // prerequisite script once (up to its end or first wait, never resumed); the texture, text,
    // atlas, animation, accessory and quest tables, each loaded from its folder; the scene with
    // its prototypes; then asks for the title stage. No step stops the build.
    bool Enter() override;
    // Deletes what Enter made in reverse order and clears each pointer.
    void Leave() override;
    // The scripts whose time has come, then the scene; always -1.
    int Update(float dt) override;
    void Draw() override;
    int GetStateId() const override { return kStateId; }
};

// The stage the world starts with.
extern const char* const kTitleStageName;
