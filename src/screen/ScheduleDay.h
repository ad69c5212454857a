#pragma once
// A day of the schedules, minute by minute, from the same rules the schedule
// threads follow: what a person checks before putting a schedule on a screen.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/ScheduleTables.h"

namespace led {

struct ScheduleMinute {
    DayTime time;
    bool screenOn = true;
    int brightness = 255;        // the level the card holds after the minute's pass
    std::string brightnessFrom;  // "manual", "timed", "sensor" or "power"
    int volume = 100;
    std::array<bool, 4> relays{};
};

// The 1440 minutes of a day. `light`: the light-sensor reading assumed all
// day (without it a light-sensor screen keeps its level). The day begins with
// the manual level the player sends at start-up.
std::vector<ScheduleMinute> ScheduleDay(const ScheduleTables& tables, std::optional<int> light);

}  // namespace led
