#include "render/AreaContext.h"

#include "app/MainWindow.h"
#include "app/Player.h"

namespace led {

bool AreaContext::StopRequested() const { return state.stopFlag.load() || player.ShuttingDown(); }

int AreaContext::AreaIndex() const { return std::clamp(area.id, 0, kMaxAreas - 1); }

int64_t AreaContext::WaitOrStop(int64_t milliseconds) const {
    int64_t start = player.clock.Ticks();
    int64_t now = start;
    if (milliseconds <= 0) return now;
    // Sleep to 20 ms deadlines so the wait does not drift on a loaded machine.
    int64_t next = start;
    while (!StopRequested() && now - start < milliseconds) {
        next += 20;
        player.clock.SleepUntil(next);
        now = player.clock.Ticks();
    }
    return now;
}

void AreaContext::StoreCycleCount(int32_t count) const {
    state.completionCounters[AreaIndex()] = count;
    player.events.Emit("area-cycle", {{"layer", LayerName(layer)}, {"area", AreaIndex()}, {"count", count}});
}

void AreaContext::SendCycleMessage(uint64_t wParam) const {
    uint32_t code = layer == Layer::Normal ? msg::kNormalCycle : msg::kOsdCycle;
    player.queue.Send({code, wParam, 1});
}

void AreaContext::Sleep(int64_t milliseconds) const { player.clock.Sleep(milliseconds); }

int DrawPlain(Window& window, const Surface* bitmap) {
    if (!bitmap || bitmap->IsEmpty()) return -1;
    auto painter = window.Paint();
    Rect client = painter->Bounds();
    painter->Copy(*bitmap, client, {0, 0});
    return 0;
}

Surface CaptureWindow(Window& window, const Rect& rect) {
    if (rect.IsEmpty()) return {};
    Surface content = window.Capture();
    Surface copy(rect.width, rect.height);
    Canvas(copy).Copy(content, rect, {0, 0});
    return copy;
}

}  // namespace led
