#include "render/AreaFrame.h"

#include "core/AreaContext.h"
#include "platform/display/Display.h"

namespace led {
namespace {

uint64_t CycleWParam(const PictureLikeBody& body, bool played) {
    if (body.pictureBody) return played ? 1 : 0;
    return reinterpret_cast<uintptr_t>(body.cycleText);
}

// Nothing to play: the area counts as having played its share at once.
void ReportNothingToPlay(const AreaContext& c, const PictureLikeBody& body) {
    c.StoreCycleCount(c.state.requiredPlaytimes.load());
    c.SendCycleMessage(CycleWParam(body, false));
    c.Sleep(2);
}

}  // namespace

void RunPictureLikeArea(const AreaContext& c, const PictureLikeBody& body) {
    const AreaRecord& area = c.area;
    if (area.items.empty()) {
        ReportNothingToPlay(c, body);
        return;
    }
    Rect frame = Rect::FromInclusive(area.left, area.top, area.right, area.bottom);
    if (frame.IsEmpty() || !c.services.display) {
        // The board's window creation fails on an empty rectangle.
        c.SendCycleMessage(CycleWParam(body, false));
        c.Sleep(2);
        return;
    }
    std::unique_ptr<Window> window =
        c.services.display->CreateWindow(body.windowTitle, frame, true);
    if (c.StopRequested()) return;

    int32_t cycles = 0;
    while (!c.StopRequested()) {
        if (body.sleepBeforeCycle) c.Sleep(body.sleepBeforeCycle);
        bool stopped = false;
        for (const AreaItem& item : area.items) {
            if (body.sleepBeforeItem) c.Sleep(body.sleepBeforeItem);
            if (c.StopRequested() || !body.playItem(c, *window, item)) {
                stopped = true;
                break;
            }
        }
        if (stopped) break;
        c.StoreCycleCount(++cycles);
        if (cycles == 1) {
            c.SendCycleMessage(CycleWParam(body, true));
            c.Sleep(150);
            if (body.pictureBody) c.Sleep(1);
        }
        if (body.sleepAfterCycle) c.Sleep(body.sleepAfterCycle);
    }
    // The window goes with the unique_ptr.
}

}  // namespace led
