#include "program/Scheduler.h"

#include "app/Idle.h"

namespace led {

void NormalSchedulerThread(Player& player) { IdleUntilShutdown(player, "normal scheduler"); }
void OsdSchedulerThread(Player& player) { IdleUntilShutdown(player, "OSD scheduler"); }
void RemoteWindowThread(Player& player) { IdleUntilShutdown(player, "remote window"); }

}  // namespace led
