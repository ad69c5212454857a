#pragma once
// The tool's direct card commands: register reads and writes, pass-through,
// the card's test display, its status flags, and the firmware update. Each
// runs on the card port under its exchange lock; with no card port each
// reports failure (and the command's reply follows from that).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace led {

class Player;

// Code 37: "*#RL 000f 0080#*", then "*#RL 4000 %04d#*"; the card's answer, or
// none when the card did not answer.
std::optional<std::string> ReadCardModuleData(Player& player);
// Code 73: address and value from the payload; true when the command went out.
bool WriteCardRegister(Player& player, std::span<const uint8_t> payload);
// Code 74: "*#RL %04d %04d#*"; the card's answer, none without one.
std::optional<std::string> ReadCardRegister(Player& player, std::span<const uint8_t> payload);
// Code 76: writes pointenable.dat and sends the point-enable command.
bool SetPointEnable(Player& player, uint8_t enable);
// Code 77: true when the card answered within 3 s.
bool CardTestCommand(Player& player, std::span<const uint8_t> payload);
// Code 78 over TCP, after its acknowledgement: sends the uploaded firmware to
// the card block by block; false when it was aborted.
bool FpgaUpdate(Player& player);
// Code 79: the payload unchanged to the card; true when acknowledged.
bool CardPassThrough(Player& player, std::span<const uint8_t> payload);
// Code 80: one byte per status character (1 where it reads "1").
std::vector<uint8_t> GetCardStatusFlags(Player& player);

}  // namespace led
