#include "render/AreaFrame.h"

#include <new>

#include "core/AreaContext.h"
#include "platform/display/Display.h"

namespace led {
namespace {

uint64_t CycleWParam(const PictureLikeBody& body, bool played) {
    if (body.pictureBody) return played ? 1 : 0;
    return reinterpret_cast<uintptr_t>(body.cycleText);
}

// Nothing to play, or no window to play in: the area counts as having played
// its share at once, so that it never holds its program back.
void ReportNothingToPlay(const AreaContext& c, const PictureLikeBody& body) {
    c.StoreCycleCount(c.state.requiredPlaytimes.load());
    c.SendCycleMessage(CycleWParam(body, false));
    c.Sleep(2);
}

}  // namespace

std::unique_ptr<Window> CreateAreaWindow(const AreaContext& c, const char* title, bool topmost) {
    Display* display = c.services.display;
    if (!display) return nullptr;
    const AreaRecord& area = c.area;
    const Size raster = display->RasterSize();
    const Rect frame = Rect::FromInclusive(area.left, area.top, area.right, area.bottom)
                           .Intersected({0, 0, raster.width, raster.height});
    if (frame.IsEmpty()) return nullptr;
    try {
        return display->CreateWindow(title, frame, topmost);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void RunPictureLikeArea(const AreaContext& c, const PictureLikeBody& body) {
    const AreaRecord& area = c.area;
    if (area.items.empty()) {
        ReportNothingToPlay(c, body);
        return;
    }
    std::unique_ptr<Window> window = CreateAreaWindow(c, body.windowTitle, true);
    if (!window) {
        ReportNothingToPlay(c, body);
        return;
    }
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
