#pragma once
// The screen's parameter tables: module/scan parameters, routing, cabling,
// module table, white balance, colour correction and the three gamma curves.
// Each setting goes to the card port as it arrives and a working copy is kept
// in "\nand\tabletemp\"; a save moves the working copies to "\nand\table\",
// from which the tool's read requests are answered. The player never replays
// them to the card by itself: at start-up the card's own stored set is in force.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace led {

class Player;

enum class GammaColour { Red = 0, Green = 1, Blue = 2 };

// The 256 entries (12 bits each) of the curve for gamma = gammaTimesTen / 10.
std::array<uint16_t, 256> GammaCurve(int gammaTimesTen);
// The 1045-byte card command carrying the curve ("*#WL FC00 0202 05fa...#*"
// for red, F800 green, F400 blue).
std::string GammaCommand(GammaColour colour, int gammaTimesTen);
// "*#WL 002B 0003 RRGGBB#*" with the three values as upper-case hex.
std::string WhiteBalanceCommand(uint8_t red, uint8_t green, uint8_t blue);
// The 69-byte C000 command from the 48 received bytes (twelve 32-bit
// little-endian floats, kept in their order; each travels as its magnitude
// byte, then its sign flag); none when fewer than 48 bytes arrived.
std::optional<std::string> ColourCorrectionCommand(std::span<const uint8_t> received);

// Raw tables pass the tool's bytes to the card unchanged. The module table
// keeps its working copy only once the card acknowledged.
enum class RawTableKind { Plain, Module };
// Writes "\nand\tabletemp\<fileName>" and the bytes to the card, then waits for
// the card's acknowledgement: true only when it came. A working file that
// cannot be written drops the request before anything is sent.
bool ApplyRawTable(Player& player, std::span<const uint8_t> bytes, std::string_view fileName,
                   RawTableKind kind = RawTableKind::Plain);
// Sends the colour's curve; on the card's acknowledgement remembers the value
// (player.device.gamma) and keeps the command in "\nand\tabletemp\Gamma*.dat".
bool ApplyGamma(Player& player, GammaColour colour, int gammaTimesTen);
// Three bytes red, green, blue; false when fewer arrived or the card did not
// acknowledge.
bool ApplyWhiteBalance(Player& player, std::span<const uint8_t> rgb);
bool ApplyColourCorrection(Player& player, std::span<const uint8_t> received);
// The save request, after the tool has been answered: flag 1 switches C400 on
// for 2 s and moves the working copies into "\nand\table\"; any flag then
// switches C800 off, deletes brightAdj.dat and poweronoff.dat and reloads the
// power schedule.
void SaveTables(Player& player, int flag);
// Sends the three gamma commands stored in "\nand\table\" to the card; true
// when every one that exists was acknowledged.
bool SendStoredGammaTables(Player& player);

}  // namespace led
