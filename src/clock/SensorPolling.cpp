#include "clock/SensorPolling.h"

#include "core/Idle.h"

namespace led {

void SensorPollingThread(Player& player) { IdleUntilShutdown(player, "sensor polling"); }

}  // namespace led
