#include "screen/Schedules.h"

#include "core/Idle.h"

namespace led {

void LoadSchedules(Player&) {}
void BrightnessScheduleThread(Player& player) { IdleUntilShutdown(player, "brightness schedule"); }
void VolumeThread(Player& player) { IdleUntilShutdown(player, "volume schedule"); }
void PowerScheduleThread(Player& player) { IdleUntilShutdown(player, "power schedule"); }

}  // namespace led
