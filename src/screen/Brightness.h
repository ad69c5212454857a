#pragma once
// The brightness level sent to the screen: an ASCII command at D400 on the card
// port, or, with the auxiliary board in mode 1, a binary packet on the
// auxiliary port.

#include <array>
#include <cstdint>
#include <string>

namespace led {

class CardPorts;

inline constexpr size_t kBrightnessBlockSize = 36;
inline constexpr size_t kBrightnessPacketSize = 520;

// "*#WL D400 0202 0df2LL47#*" with LL the level in two lower-case hex digits,
// followed by zero bytes up to the fixed 36-byte block the card expects.
std::string BrightnessBlock(int level);

// The auxiliary board's 520-byte packet: AA 55 04 00 00 02 00 71 00 00 40,
// the level, FF FF FF, zeros, and a last byte that makes all 520 bytes sum to
// 0 modulo 256.
std::array<uint8_t, kBrightnessPacketSize> BrightnessPacket(int level);

// Levels outside 0..255 are clamped. Card port: success when "%#WL#%" arrived
// within 20 ms. Auxiliary port (mode 1): the board's answer is read after 67 ms
// but not examined; success when the whole packet went out. The events log's
// `brightness` record names the `source` ("manual", "timed", "sensor", "power").
int SetCardBrightness(CardPorts& ports, int level, const char* source = "manual");

}  // namespace led
