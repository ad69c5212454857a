#pragma once
// Transition effects: `RunEffect` animates one picture into (or out of) an
// area window by effect number. The effect draws every frame itself, paced on
// the player's clock, and returns after its last frame or as soon as the
// layer's stop flag is seen at the end of a frame.
//
// The picture is shown at the window's top-left at its own size: parts beyond
// the window are cut off, window parts it does not cover show the background
// colour. A caller that wants the picture scaled to the window passes it
// scaled.

#include <atomic>
#include <cstdint>
#include <random>

#include "platform/clock/Clock.h"
#include "platform/display/Surface.h"
#include "platform/geometry.h"
#include "render/effects/EffectTarget.h"

namespace led {

class Window;

// Highest effect number with a routine of its own.
inline constexpr int kLastEffect = 108;
// Random effects (`effect_in` / `effect_out` of -1) come from the first 44.
inline constexpr int kRandomEffect = -1;
inline constexpr int kRandomEffectCount = 44;

enum class EffectMode { Erase = 0, Show = 1 };

// Which column of the dispatch table the caller reads.
enum class EffectColumn {
    Picture,  // picture bodies: 0, 5 to 8 and numbers without a routine draw plainly
    Text,     // picture-text and table bodies: 5 and 7 continuous pushes, 6, 8 and
              // numbers above 108 the leftward push, 0 plain
    Exit,     // exit effects of the OSD bodies: 0 nothing, 1 to 4 and 9 to 83 erase,
              // 84 to 108 show, the rest redraw plainly; keep-screen always set
};

struct EffectRequest {
    int number = 0;
    EffectColumn column = EffectColumn::Picture;
    EffectMode mode = EffectMode::Show;  // not read in the exit column
    uint32_t delay = 0;                  // ms per frame; 0xFFFFFFFF: no pacing at all
    uint32_t step = 1;                   // advance per frame; 0 counts as 1
    Colour background;
    bool keepScreen = false;  // false: show mode first fills the window with the background
    // Push family in the text column: the new page follows the current window
    // content without a gap; with `first` the window is cleared first.
    bool continuous = false;
    bool first = false;
};

struct EffectResult {
    int status = 0;          // 0, or -1 when there is nothing to draw from or on
    int frames = 0;          // frames drawn (a plain draw is one frame)
    bool stopped = false;    // left before the last frame because of the stop flag
    int64_t durationMs = 0;  // clock ticks from start to return
};

// Runs effect `request.number` on the target. `stop` is the layer's stop
// flag; it is read once per frame (and during long frame waits) by every
// effect except 43, 44, 87, 106, 107 and 108, which always run to the end.
// `shutdown`, the player going away, ends every effect that way.
EffectResult RunEffect(const EffectRequest& request, EffectTarget& target, const Surface& picture,
                       const Clock& clock, const std::atomic<bool>& stop,
                       const std::atomic<bool>* shutdown = nullptr);
EffectResult RunEffect(const EffectRequest& request, Window& window, const Surface& picture,
                       const Clock& clock, const std::atomic<bool>& stop,
                       const std::atomic<bool>* shutdown = nullptr);

// The frame delay for an item speed: 2 × (speed − 1) ms, 0 for speeds of 0
// and below.
uint32_t EffectDelay(int32_t speed);

// A random effect number for `effect_in` / `effect_out` = -1: 0 to 43.
template <class Rng>
int RandomEffectNumber(Rng& rng) {
    return std::uniform_int_distribution<int>(0, kRandomEffectCount - 1)(rng);
}

}  // namespace led
