#pragma once

namespace led {

class Player;

// brighttype.dat, brightAdj.dat, autobright.dat and poweronoff.dat.
void LoadSchedules(Player& player);
void BrightnessScheduleThread(Player& player);
void VolumeThread(Player& player);
void PowerScheduleThread(Player& player);

}  // namespace led
