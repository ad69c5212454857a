#pragma once
// The start-up exchanges with the receiving card and the auxiliary board, on
// the player's ports.

#include <cstdint>
#include <vector>

namespace led {

class Player;

// setswitchfile.dat: records of two bytes (relay index, state), each applied
// with SetRelay in file order once the auxiliary board is online (its first
// answered poll; at start-up its port is not even open). A trailing odd byte
// is ignored.
void SaveSwitchSettings(Player& player, const std::vector<uint8_t>& pairs);
// Opens the receiving-card link: the card port at 576000 baud (115200 when
// the card does not answer), then the auxiliary port by its mode.
void OpenCardLink(Player& player);
// "*#RL 0034 0003#*" and what the card answered within 50 ms.
std::vector<uint8_t> ReadBoardModel(Player& player);
// "*#WL 003C 0001 01#*": point check on.
void SendPointEnable(Player& player);
void SendBrightness(Player& player, int level, const char* source = "manual");
// "*#WL CC00 0202 0cf347#*"; an answer without "%#WL#%" is ignored.
void SendCardInitCommand(Player& player);

}  // namespace led
