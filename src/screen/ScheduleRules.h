#pragma once
// What the schedules decide at a time of day, without sending anything: the
// threads act on these answers, and inspect-schedules prints them.

#include <array>
#include <optional>
#include <vector>

#include "core/ScheduleTables.h"
#include "core/SensorReadings.h"

namespace led {

// The time of day as seconds 0..86399. Hours and minutes out of range roll
// over (24:00 is midnight, 10:60 is 11:00), so a tool that ends a window at
// 24:00 gets the end of the day.
int SecondsOfDay(const DayTime& time);

// True when `now` lies in [begin, end), with the window crossing midnight
// when end is before begin. A window that begins where it ends holds nothing.
bool InTimeWindow(const DayTime& now, const DayTime& begin, const DayTime& end);

// One level the brightness schedule sends, and whether it becomes the
// current brightness (the hold's full level does not).
struct BrightnessSend {
    int level = 0;
    bool store = true;
    bool manual = false;  // the manual level, sent when no entry matched
};

// A time-table pass: every matching entry in order, or full brightness once
// while `hold` is set; the manual level when no entry matched. Nothing for
// an empty table.
std::vector<BrightnessSend> TimedBrightness(const ScheduleTables& tables, const DayTime& now,
                                            bool hold);

// The light, as the brightness schedule sees it: the mean of the kept
// readings shifted right by 4; none without readings.
std::optional<int> LightLevel(const SensorReadings& readings);
// The light-sensor level for `light`: none when the rule is switched off
// (high threshold and high level both 0) or there is no light.
std::optional<int> SensorBrightness(const AutoBrightness& rule, std::optional<int> light);

// True inside one of the screen power windows.
bool InPowerWindow(const std::vector<PowerWindow>& windows, const DayTime& now);

// The relays (0..3) the relay schedule keeps on at `now`.
std::array<bool, 4> RelaysOn(const ScheduleTables& tables, const DayTime& now);

// The first volume-schedule record holding now, else volume.dat's level.
int CurrentVolume(const ScheduleTables& tables, const DayTime& now);

}  // namespace led
