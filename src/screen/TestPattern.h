#pragma once
// The full-screen test patterns for checking an LED screen and its wiring:
// crawling grids, colour ramps, a fixed colour and the stored test picture,
// each drawn in a window of its own over everything else while the test flag
// (one of the schedulers' holds) is set.

#include <cstdint>
#include <optional>

#include "platform/display/Surface.h"
#include "platform/geometry.h"

namespace led {

class Player;
class Window;

inline constexpr const char* kPointTestPicture = "\\nand\\table\\point_test_pic.bmp";
inline constexpr int kPatternCount = 8;  // 0..7

struct TestRequest {
    int pattern = 0;
    uint8_t red = 0, green = 0, blue = 0;  // pattern 6 only
};

// Pattern 0: a white diagonal grid, 1: a white square grid (lines 8 pixels
// apart on black); 2..6: the whole bitmap in `colour`.
Surface MakePatternBitmap(int pattern, Colour colour, int width, int height);

// Pushes `bitmap` into the window from the left, `step` pixels every
// delay + 1 ms on the player's clock, the old content leaving on the right.
// Ends after one window width or as soon as the test flag is cleared.
void CrawlPattern(Player& player, Window& window, const Surface& bitmap, int delay, int step,
                  std::optional<uint32_t> generation = std::nullopt);

// The pattern thread: creates the test window at the screen size and draws
// the request's pattern until the test flag is cleared or the player ends,
// or, given the start it belongs to (see Player::Threads), a later start.
void RunTestPattern(Player& player, TestRequest request,
                    std::optional<uint32_t> generation = std::nullopt);

}  // namespace led
