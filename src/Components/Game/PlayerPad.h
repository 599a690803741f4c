// Where the player reads its buttons: the first virtual pad's masks of this frame and the
// frame before. Tests replace the reader to drive the player without an input system.
#pragma once

#include <cstdint>

struct PlayerPadMasks {
    uint32_t current = 0;
    uint32_t previous = 0;
};

typedef PlayerPadMasks (*PlayerPadReader)();

// The first pad of the input system; nothing held without one.
PlayerPadMasks ReadFirstPad();
// The reader in use (ReadFirstPad unless replaced); null restores the default.
void SetPlayerPadReader(PlayerPadReader reader);
PlayerPadMasks ReadPlayerPad();
