#include "screen/CardLink.h"

#include <spdlog/spdlog.h>

#include "core/Player.h"
#include "screen/AuxBoard.h"
#include "screen/Brightness.h"
#include "screen/CardProbe.h"
#include "screen/CardSenders.h"

namespace led {

void SaveSwitchSettings(Player& player, const std::vector<uint8_t>& pairs) {
    std::vector<std::pair<int, int>> switches;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        switches.emplace_back(pairs[i], pairs[i + 1]);
        if (pairs[i] < player.ports.relayStates.size())
            player.ports.relayStates[pairs[i]] = pairs[i + 1];  // asked for, not sent yet
    }
    player.ports.SaveRelaySwitches(std::move(switches));
}

void OpenCardLink(Player& player) {
    bool answered = ProbeCardBaud(player.ports);
    const auto& card = player.ports.cardPort;
    if (card.IsOpen())
        spdlog::info("card port {} at {} baud{}", player.settings.serialCom3, card.Baud(),
                     answered ? "" : " (no answer to the probe)");
    else
        spdlog::info("card port closed (serial.com3 \"{}\")", player.settings.serialCom3);
}

std::vector<uint8_t> ReadBoardModel(Player& player) { return ReadBoardModel(player.ports); }

void SendPointEnable(Player& player) { SendPointEnable(player.ports, true); }

void SendBrightness(Player& player, int level, const char* source) {
    SetCardBrightness(player.ports, level, source);
}

void SendCardInitCommand(Player& player) { SetCardSwitchCC00(player.ports, true); }

}  // namespace led
