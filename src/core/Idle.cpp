#include "core/Idle.h"

#include <spdlog/spdlog.h>

#include "core/Player.h"

namespace led {

void IdleUntilShutdown(Player& player, const char* role) {
    spdlog::info("{}: not part of this build yet; idle", role);
    while (player.SleepOrStop(3600 * 1000)) {
    }
}

}  // namespace led
