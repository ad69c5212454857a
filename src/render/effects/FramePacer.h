#pragma once
// Frame pacing of an effect on absolute deadlines of the player's clock: frame
// n ends at start + n × period, or at once when drawing ran late (no bursts to
// catch up). Sleeps, never spins; on a stepped clock frame counts and
// durations are exact.

#include <atomic>
#include <cstdint>

#include "platform/clock/Clock.h"

namespace led {

class FramePacer {
public:
    // `period` < 1: no waiting. `stop`: the layer's stop flag, or nullptr for
    // effects that never read it.
    FramePacer(const Clock& clock, int64_t period, const std::atomic<bool>* stop);

    // Waits out the frame just drawn. False when the stop flag is raised.
    bool FrameDone();

private:
    void WaitUntil(int64_t tick) const;

    const Clock& clock_;
    int64_t period_;
    const std::atomic<bool>* stop_;
    int64_t deadline_;
};

}  // namespace led
