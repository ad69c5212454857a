#pragma once
// The text message (code 111): a rectangle and 256 UTF-16LE characters with
// the player's tags (\F size, \H height, \C colour, \n new line) left as typed.

#include <string>

#include "client/Frame.h"

namespace ledctl {

inline constexpr size_t kTextUnits = 256;

struct TextRect {
    int left = 0, top = 0, width = 0, height = 0;
};

// top, left, width, height as signed 16-bit little-endian, then the text in
// 512 bytes, zero-filled. Throws std::invalid_argument for a value outside
// 16 bits, text that is not UTF-8, or more than 256 UTF-16 units.
Bytes TextMessagePayload(const TextRect& rect, const std::string& utf8);

}  // namespace ledctl
