#include "core/AreaContext.h"

#include <algorithm>

#include "core/Messages.h"
#include "platform/clock/Clock.h"
#include "platform/events/EventLog.h"
#include "platform/messages/MessageQueue.h"

namespace led {

bool AreaContext::StopRequested() const {
    return run->stopFlag.load() || services.shuttingDown.load();
}

int AreaContext::AreaIndex() const { return std::clamp(area.id, 0, kMaxAreas - 1); }

int64_t AreaContext::WaitOrStop(int64_t milliseconds) const {
    int64_t start = services.clock.Ticks();
    int64_t now = start;
    if (milliseconds <= 0) return now;
    // Sleep to 20 ms deadlines so the wait does not drift on a loaded machine.
    int64_t next = start;
    while (!StopRequested() && now - start < milliseconds) {
        next += 20;
        services.clock.SleepUntil(next);
        now = services.clock.Ticks();
    }
    return now;
}

void AreaContext::StoreCycleCount(int32_t count) const {
    run->completionCounters[AreaIndex()] = count;
    services.events.Emit("area-cycle",
                         {{"layer", LayerName(layer)}, {"area", AreaIndex()}, {"count", count}});
}

void AreaContext::SendCycleMessage(uint64_t wParam) const {
    uint32_t code = layer == Layer::Normal ? msg::kNormalCycle : msg::kOsdCycle;
    services.queue.Send({code, wParam, 1});
}

void AreaContext::Sleep(int64_t milliseconds) const { services.clock.Sleep(milliseconds); }

}  // namespace led
