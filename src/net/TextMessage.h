#pragma once
// Text messages (code 111): a rectangle and 256 UTF-16LE characters with
// tags that set the size, colour and line breaks of the runs that follow.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/geometry.h"

namespace led {

class Player;

struct MessageRun {
    std::string text;  // UTF-8, at most 256 characters
    int height = 42;   // character height in pixels
    int fontSize = 32;
    uint32_t colour = 255;  // 0x00BBGGRR, used as given
    int g = 0, s = 0, i = 0;
    bool newLine = false;  // starts a new line
};

struct TextMessage {
    Rect rect;  // left, top, width, height as sent
    std::vector<MessageRun> runs;
};

inline constexpr size_t kTextMessagePayload = 8 + 512;

// None when the payload is too short to hold the rectangle. Text past the
// payload, a missing terminating zero, unpaired surrogates and tags whose
// values do not parse are handled: the rest is drawn as plain text.
std::optional<TextMessage> ParseTextMessage(std::span<const uint8_t> payload);

// Shows the message over the program at its rectangle (clipped to the raster),
// replacing the previous one.
void ShowTextMessage(Player& player, const TextMessage& message);

}  // namespace led
