#pragma once
// The player type read from the receiving card's model code, and the raster
// bounds it sets for the playlist reader.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.h"

namespace led {

struct PlayerType {
    std::string text = "hardware erro";  // "J7-L", "J6-C", ... or "hardware erro"
    Size rasterBounds{1920, 1080};
    bool known = false;
    // "J6-C" places OSD areas 1024 pixels to the right instead of below the screen.
    bool ShiftsOsdRight() const { return text == "J6-C"; }
};

// Finds the first "HH?HH?HH" (three characters as two hex digits, each pair
// separated by one character) in the card's answer: the generation word's two
// characters and the type letter.
PlayerType ParsePlayerType(const std::vector<uint8_t>& answer, bool chinese);
// The player type a type text names ("J7-L", "J6-C", "hardware erro", case
// ignored), with its raster bounds; none for an unknown text. The text is kept
// as given.
std::optional<PlayerType> PlayerTypeFromText(const std::string& text);

}  // namespace led
