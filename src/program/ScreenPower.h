#pragma once
// The screen power as the power schedule and the management commands switch
// it. There is no power command for the card: off means no programs play and
// the schedulers hold (brightness type 0); on means the brightness is sent
// again and both schedulers start afresh.

namespace led {

class Player;

// Stops the normal and the OSD program (each with its usual time limit).
void StopBothLayers(Player& player);
// Tells each layer's scheduler to start afresh from its first program.
void RestartBothLayers(Player& player);
// Off: brightness type 0 and both layers stopped. On: the brightness type
// read again from brighttype.dat (1 without it), the current brightness sent
// to the card, and each layer's scheduler told to start afresh. `source`
// names who switched in the events log ("schedule", "command").
void SetScreenPowerState(Player& player, bool on, const char* source);

}  // namespace led
