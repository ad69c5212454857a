#include "program/PowerSchedule.h"

#include "core/Player.h"
#include "program/ScreenPower.h"
#include "screen/ScheduleRules.h"
#include "screen/Schedules.h"

namespace led {

void PowerPass(Player& player) {
    auto tables = player.schedules.Tables();
    if (tables->powerWindows.empty()) return;
    const bool inside = InPowerWindow(tables->powerWindows, DayTimeOf(player.clock.Now()));
    auto& screenOn = player.schedules.screenOn;
    if (inside && screenOn == -1) {
        screenOn = 1;  // on since start-up: nothing to restart
    } else if (inside && screenOn == 0) {
        screenOn = 1;
        SetScreenPowerState(player, true, "schedule");
    } else if (!inside && screenOn != 0) {
        screenOn = 0;
        SetScreenPowerState(player, false, "schedule");
    }
}

void PowerScheduleThread(Player& player) {
    while (player.SleepOrStop(5000)) PowerPass(player);
}

}  // namespace led
