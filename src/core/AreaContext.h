#pragma once
// What an area thread is given: its area, inside the program record it keeps
// alive for its whole life, and the state of its layer.

#include <cstdint>
#include <memory>

#include "program/LayerState.h"
#include "program/Records.h"

namespace led {

class Player;
class Window;
class Surface;
struct Colour;

struct AreaContext {
    Player& player;
    Layer layer;
    LayerState& state;
    // Holding the record keeps it unchanged even if this thread outlives a
    // stop that gave up and the slot is replaced.
    std::shared_ptr<const ProgramRecord> program;
    const AreaRecord& area;

    bool StopRequested() const;
    // The interruptible remain wait: 20 ms steps until the layer's stop flag
    // is set or the time has passed. Returns the last tick read.
    int64_t WaitOrStop(int64_t milliseconds) const;
    // Stores the cycle count in the area's completion counter and logs it.
    void StoreCycleCount(int32_t count) const;
    // Message 1131 (normal) or 1325 (OSD) to the main window, lParam 1;
    // waits until the main window has counted it.
    void SendCycleMessage(uint64_t wParam) const;
    void Sleep(int64_t milliseconds) const;
    int AreaIndex() const;
};

// Copies the bitmap to (0, 0) of the window, client-sized: the drawing when
// no effect applies. -1 when the bitmap is missing.
int DrawPlain(Window& window, const Surface* bitmap);
// A copy of a rectangle of the window (the old content effects move away).
// An empty surface when the rectangle is empty.
Surface CaptureWindow(Window& window, const struct Rect& rect);

}  // namespace led
