#pragma once
// The player type read from the receiving card's model code, and the raster
// bounds it sets for the playlist reader.

#include <string>

#include "platform/geometry.h"

namespace led {

struct PlayerType {
    std::string text = "hardware erro";  // "J7-L", "J6-C", ... or "hardware erro"
    Size rasterBounds{1920, 1080};
    bool known = false;
    // "J6-C" places OSD areas 1024 pixels to the right instead of below the
    // screen. Any case: the type may come from a playlist or a command line.
    bool ShiftsOsdRight() const {
        return text.size() == 4 && (text[0] == 'J' || text[0] == 'j') && text[1] == '6' &&
               text[2] == '-' && (text[3] == 'C' || text[3] == 'c');
    }
};

}  // namespace led
