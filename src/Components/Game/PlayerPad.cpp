#include "Components/Game/PlayerPad.h"

#include "System/Input/InputSystem.h"

namespace {

PlayerPadReader s_Reader = nullptr;

} // namespace

PlayerPadMasks ReadFirstPad()
{
    PlayerPadMasks masks;
    if (const VirtualPad* pad = g_pInputSystem ? g_pInputSystem->GetPad(0) : nullptr) {
        masks.current = pad->GetCurrentMask();
        masks.previous = pad->GetPreviousMask();
    }
    return masks;
}

void SetPlayerPadReader(PlayerPadReader reader) { s_Reader = reader; }

PlayerPadMasks ReadPlayerPad() { return s_Reader ? s_Reader() : ReadFirstPad(); }
