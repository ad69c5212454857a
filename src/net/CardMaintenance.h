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
// Code 73: address and value from the payload, exactly 2054 bytes: six hex
// characters (the card address the block is for), then the 2048-byte block.
// The block goes out as "*#WL E800 2048 <block>#*", 20 ms later the address
// as "*#WL 0039 0006 <address>#*". True when both went out; any other length
// or a non-hex address is refused before anything is sent.
bool WriteCardRegister(Player& player, std::span<const uint8_t> payload);
// Code 74: "*#RL %04d %04d#*" from exactly 4 payload bytes: address and count,
// each unsigned 16-bit little-endian (at most 9999, printed as the decimal
// digits the card reads). The card's answer, none without one or when the
// payload is refused.
std::optional<std::string> ReadCardRegister(Player& player, std::span<const uint8_t> payload);
// Code 76: keeps "\nand\table\pointenable.dat" while the points are on
// (start-up switches them on when it exists) and sends the point-enable command.
bool SetPointEnable(Player& player, uint8_t enable);
// Code 77: true when the card answered within 3 s. Switching the card's test
// display on (mode 1 or 2) holds playback; switching it off, or no answer,
// gives playback back.
bool CardTestCommand(Player& player, std::span<const uint8_t> payload);
// Code 78 over TCP, after its acknowledgement: sends the uploaded firmware (the
// first file of the storage root's "videotemp65\", where typed transfer 67
// puts it) to the card block by block; false when it was aborted or there was
// no usable file. Putting back the transfer directories that transfer 67
// saved is the session's, which owns them.
bool FpgaUpdate(Player& player);
// Code 79: the payload unchanged to the card; true when acknowledged.
bool CardPassThrough(Player& player, std::span<const uint8_t> payload);
// Code 80: one byte per status character (1 where it reads "1"); after the
// card's own test (mode 1) only the first, and the mode is reset.
std::vector<uint8_t> GetCardStatusFlags(Player& player);

}  // namespace led
