#pragma once
// The animate area (type 12, normal layer only): each item's frame bitmaps in
// order, each shown for `anispeed` × 20 ms from its start, without effects.
// The next frame is decoded while the current one shows, so the pace holds
// for large frames too; a stop takes effect when the current frame's time is
// up.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/AreaContext.h"
#include "platform/display/Surface.h"

namespace led {

class Clock;

void RunAnimateArea(const AreaContext& context);

// The pacing of one item's frames: frame i is taken (none: skipped at once),
// drawn and held until its start + `frameTimeMs`; `stopped` is asked when a
// frame's time is up. False when it said stop. The player going away
// (`shutdown`) ends a frame's time early.
struct FrameSequence {
    size_t count = 0;
    int64_t frameTimeMs = 0;
    std::function<std::optional<Surface>(size_t index)> take;
    std::function<void(const Surface&)> draw;
    std::function<bool()> stopped;
};
bool PlayFrameSequence(const FrameSequence& frames, const Clock& clock,
                       const std::atomic<bool>& shutdown);

}  // namespace led
