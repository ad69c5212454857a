#include "render/effects/FramePacer.h"

#include <algorithm>

namespace led {
namespace {

// A long frame wait (slow speeds) still notices a stop this soon, as the
// area's remain wait does.
constexpr int64_t kStopPollMs = 20;

}  // namespace

FramePacer::FramePacer(const Clock& clock, int64_t period, const std::atomic<bool>* stop,
                       const std::atomic<bool>* shutdown)
    : clock_(clock), period_(period), stop_(stop), shutdown_(shutdown), deadline_(clock.Ticks()) {}

bool FramePacer::Raised() const {
    return (stop_ && stop_->load(std::memory_order_relaxed)) ||
           (shutdown_ && shutdown_->load(std::memory_order_relaxed));
}

bool FramePacer::FrameDone() {
    if (period_ > 0) {
        deadline_ += period_;
        deadline_ = std::max(deadline_, clock_.Ticks());
        WaitUntil(deadline_);
    }
    return !Raised();
}

void FramePacer::WaitUntil(int64_t tick) const {
    // A stepped clock only moves when someone sleeps: nothing can change
    // during the wait, so one jump to the deadline is exact.
    if ((!stop_ && !shutdown_) || clock_.IsStepped()) {
        clock_.SleepUntil(tick);
        return;
    }
    for (int64_t now = clock_.Ticks(); now < tick; now = clock_.Ticks()) {
        if (Raised()) return;
        clock_.SleepUntil(std::min(tick, now + kStopPollMs));
    }
}

}  // namespace led
