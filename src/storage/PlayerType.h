#pragma once
// Reading the player type from the card's model code or from its text.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/PlayerType.h"

namespace led {

// Finds the first "HH?HH?HH" (three characters as two hex digits, each pair
// separated by one character) in the card's answer: the generation word's two
// characters and the type letter.
PlayerType ParsePlayerType(const std::vector<uint8_t>& answer, bool chinese);
// The player type a type text names ("J7-L", "J6-C", "hardware erro", case
// ignored), with its raster bounds; none for an unknown text. The text is kept
// as given.
std::optional<PlayerType> PlayerTypeFromText(const std::string& text);

}  // namespace led
