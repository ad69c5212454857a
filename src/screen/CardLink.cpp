#include "screen/CardLink.h"

#include <spdlog/spdlog.h>

#include "app/Player.h"

// Stand-in until the serial link is built: every exchange logs its command and
// gets no answer, as with a card that is not connected.

namespace led {

void SendSwitchSettings(Player& player, const std::vector<uint8_t>& pairs) {
    spdlog::debug("card: {} switch settings (no serial link in this build)", pairs.size() / 2);
}

void OpenCardLink(Player& player) { spdlog::info("card: no serial link in this build"); }

std::vector<uint8_t> ReadBoardModel(Player& player) { return {}; }

void SendPointEnable(Player& player) { spdlog::debug("card: point enable not sent"); }

void SendBrightness(Player& player, int level) {
    spdlog::debug("card: brightness {} not sent", level);
}

void SendCardInitCommand(Player& player) { spdlog::debug("card: CC00 not sent"); }

}  // namespace led
