#pragma once
// Playback as the management commands stop and resume it.

namespace led {

class Player;

// Stops the normal and the OSD program (each with its usual time limit).
void StopBothLayers(Player& player);
// The screen power: off stops both layers and keeps the schedulers from
// starting programs (brightness type 0); on reloads the brightness type,
// sends the stored brightness again and lets both schedulers start afresh.
void SetScreenPowerState(Player& player, bool on);

}  // namespace led
