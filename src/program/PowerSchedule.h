#pragma once
// The screen power windows of poweronoff.dat: playback runs inside them and
// stops outside.

namespace led {

class Player;

// One pass at the player's local time: acts only on entering a window (screen
// on) or on leaving all of them (screen off); nothing without windows.
void PowerPass(Player& player);
// A pass every 5 s.
void PowerScheduleThread(Player& player);

}  // namespace led
