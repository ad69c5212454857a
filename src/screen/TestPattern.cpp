#include "screen/TestPattern.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <memory>

#include "core/Player.h"
#include "platform/image/ImageCodec.h"

namespace led {
namespace {

constexpr int kGridSpacing = 8;
constexpr int kCrawlDelayMs = 100;
constexpr int kRampStepMs = 10;
constexpr int kFrameMs = 10;
// The test picture is read again this often, so a newly installed one shows
// without reading a whole screen's bitmap from the card every frame.
constexpr int64_t kPictureRereadMs = 1000;

bool Running(const Player& player, std::optional<uint32_t> generation) {
    if (generation && *generation != player.threads.testPatternGeneration.load()) return false;
    return player.playback.hold.testPattern.load() == 1 && !player.ShuttingDown();
}

int Mod(int a, int m) { return ((a % m) + m) % m; }

// Copies the bitmap to the window's top-left over the background colour.
void DrawPlain(Window& window, const Surface* bitmap, Colour background) {
    auto painter = window.Paint();
    painter->FillAll(background);
    if (bitmap) painter->Copy(*bitmap);
}

Colour RampColour(int pattern, int v) {
    switch (pattern) {
        case 2: return Colour{uint32_t(v)};
        case 3: return Colour{uint32_t(v) * 256};
        case 4: return Colour{uint32_t(v) * 65536};
        default: return Colour{uint32_t(v) * 65793};
    }
}

void RunGrid(Player& player, Window& window, int pattern, int width, int height,
             std::optional<uint32_t> g) {
    const Surface grid = MakePatternBitmap(pattern, Colour{0xFFFFFF}, width, height);
    while (Running(player, g)) CrawlPattern(player, window, grid, kCrawlDelayMs, 1, g);
}

void RunRamp(Player& player, Window& window, int pattern, std::optional<uint32_t> g) {
    bool up = true;
    while (Running(player, g)) {
        for (int i = 0; i <= 255 && Running(player, g); ++i) {
            DrawPlain(window, nullptr, RampColour(pattern, up ? i : 255 - i));
            player.clock.Sleep(kRampStepMs);
        }
        up = !up;
    }
}

void RunFixedColour(Player& player, Window& window, Colour colour, std::optional<uint32_t> g) {
    // One fill shows the colour; the loop only keeps the window as it is
    // until the flag clears.
    DrawPlain(window, nullptr, colour);
    while (Running(player, g)) player.clock.Sleep(kFrameMs);
}

void RunTestPicture(Player& player, Window& window, std::optional<uint32_t> g) {
    ImageCodec codec(player.settings.imageMaxPixels);
    int64_t nextRead = player.clock.Ticks();
    while (Running(player, g)) {
        if (player.clock.Ticks() >= nextRead) {
            nextRead = player.clock.Ticks() + kPictureRereadMs;
            auto path = player.fs.Resolve(kPointTestPicture);
            ImageResult picture;
            if (path) picture = codec.Load(*path);
            if (picture) {
                DrawPlain(window, &picture.picture, kBlack);
            } else {
                spdlog::debug("test pattern: {} {}", kPointTestPicture, picture.Message());
            }
        }
        player.clock.Sleep(kFrameMs);
    }
}

}  // namespace

Surface MakePatternBitmap(int pattern, Colour colour, int width, int height) {
    Surface bitmap(std::max(width, 0), std::max(height, 0));
    const uint32_t px = colour.ToPixel();
    if (pattern == 0) {
        // One direction meets the top edge at x = width mod 8 and every 8
        // pixels on; the other leaves the left edge at y = 0, 8, 16, ...
        const int offset = Mod(width, kGridSpacing);
        for (int y = 0; y < bitmap.Height(); ++y) {
            uint32_t* row = bitmap.Row(y);
            for (int x = 0; x < bitmap.Width(); ++x)
                if (Mod(x + y - offset, kGridSpacing) == 0 || Mod(x - y, kGridSpacing) == 0)
                    row[x] = px;
        }
    } else if (pattern == 1) {
        for (int y = 0; y < bitmap.Height(); ++y) {
            uint32_t* row = bitmap.Row(y);
            if (y % kGridSpacing == 0) {
                std::fill_n(row, bitmap.Width(), px);
                continue;
            }
            for (int x = 0; x < bitmap.Width(); x += kGridSpacing) row[x] = px;
        }
    } else {
        std::fill_n(bitmap.Data(), size_t(bitmap.Width()) * size_t(bitmap.Height()), px);
    }
    return bitmap;
}

void CrawlPattern(Player& player, Window& window, const Surface& bitmap, int delay, int step,
                  std::optional<uint32_t> g) {
    const Surface old = window.Capture();
    const int w = old.Width(), h = old.Height();
    if (w <= 0 || h <= 0 || step <= 0) return;
    // The new picture on the left, the old content on the right; the window
    // shows the part starting at x, and x walks from the old towards the new.
    Surface strip(2 * w, h);
    for (int y = 0; y < h; ++y) {
        uint32_t* row = strip.Row(y);
        if (y < bitmap.Height()) std::copy_n(bitmap.Row(y), std::min(w, bitmap.Width()), row);
        std::copy_n(old.Row(y), w, row + w);
    }
    int64_t deadline = player.clock.Ticks();
    for (int x = w - step; x >= 0 && Running(player, g); x -= step) {
        {
            auto painter = window.Paint();
            painter->Copy(strip, {x, 0, w, h}, {0, 0});
        }
        // Absolute deadlines: the step keeps its period however long a copy takes.
        deadline += delay + 1;
        player.clock.SleepUntil(deadline);
    }
}

void RunTestPattern(Player& player, TestRequest request, std::optional<uint32_t> g) {
    Display* display = player.output.display.get();
    const int width = player.screen.screenWidth.load();
    const int height = player.screen.screenHeight.load();
    std::unique_ptr<Window> window;
    if (display && width > 0 && height > 0)
        window = display->CreateWindow("test window", {0, 0, width, height}, true);
    if (!window) {
        spdlog::warn("test pattern {}: no test window", request.pattern);
        return;
    }
    DrawPlain(*window, nullptr, kBlack);
    switch (request.pattern) {
        case 0:
        case 1: RunGrid(player, *window, request.pattern, width, height, g); break;
        case 2:
        case 3:
        case 4:
        case 5: RunRamp(player, *window, request.pattern, g); break;
        case 6:
            RunFixedColour(player, *window,
                           Colour::FromRgb(request.red, request.green, request.blue), g);
            break;
        case 7: RunTestPicture(player, *window, g); break;
        default: break;
    }
}

}  // namespace led
