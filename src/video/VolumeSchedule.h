#pragma once
// The volume and relay schedule: adjvolume.dat (else volume.dat) for the
// sound, relayschedule.dat for the four relays of the auxiliary board. Both
// files are read on every pass, so a file the tool writes counts at once.

namespace led {

class Player;

// One pass at the player's local time: relays on inside their windows (1 s
// apart) and, when the relay schedule exists, the others off (100 ms apart);
// then the volume to the wave output and both media graphs.
void VolumePass(Player& player);
// A pass every 5 s.
void VolumeThread(Player& player);

}  // namespace led
