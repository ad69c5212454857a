#pragma once
// The start-up exchanges with the receiving card.

#include <cstdint>
#include <string>
#include <vector>

namespace led {

class Player;

// Each pair of bytes of setswitchfile.dat goes to the card as one switch setting.
void SendSwitchSettings(Player& player, const std::vector<uint8_t>& pairs);
// Opens COM3 (576000 baud, falling back to 115200) and, by the auxiliary-port
// mode, COM4.
void OpenCardLink(Player& player);
// Sends "*#RL 0034 0003#*" and returns what the card answered within 50 ms.
std::vector<uint8_t> ReadBoardModel(Player& player);
// "*#WL 003C 0001 01#*": point check on.
void SendPointEnable(Player& player);
void SendBrightness(Player& player, int level);
// "*#WL CC00 0202 0cf347#*" and its acknowledgement.
void SendCardInitCommand(Player& player);

}  // namespace led
