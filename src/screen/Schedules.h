#pragma once
// Loading the schedule files and the brightness schedule thread. The power
// schedule (program/PowerSchedule.h) and the volume and relay schedule
// (video/VolumeSchedule.h) read the tables loaded here.

#include <cstdint>

#include "core/ScheduleTables.h"

namespace led {

class Player;
struct LocalTime;

// Reads brighttype.dat, setManualbright.dat, brightAdj.dat, autobright.dat,
// poweronoff.dat, relayschedule.dat, adjvolume.dat and volume.dat into a new
// snapshot of the tables. The brightness type takes effect at once unless
// the power schedule keeps the screen off (type 0), where it waits for the
// next power-on.
void LoadSchedules(Player& player);

DayTime DayTimeOf(const LocalTime& time);

// One pass of the brightness schedule at the player's local time: the time
// table (type 2) or the light sensor (type 3); types 0 and 1 send nothing.
// True when the pass was a time-table pass, after which the thread rests a
// minute.
bool BrightnessPass(Player& player);
// Every 5 s a pass, and a minute more after a time-table pass.
void BrightnessScheduleThread(Player& player);

}  // namespace led
