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
    // effects that never read it. `shutdown`: the player going away, which
    // every effect obeys (nullptr: none), so that no effect outlives the
    // state it draws with.
    FramePacer(const Clock& clock, int64_t period, const std::atomic<bool>* stop,
               const std::atomic<bool>* shutdown = nullptr);

    // Waits out the frame just drawn. False when the stop flag or the
    // shutdown is raised.
    bool FrameDone();

private:
    void WaitUntil(int64_t tick) const;
    bool Raised() const;

    const Clock& clock_;
    int64_t period_;
    const std::atomic<bool>* stop_;
    const std::atomic<bool>* shutdown_;
    int64_t deadline_;
};

}  // namespace led
