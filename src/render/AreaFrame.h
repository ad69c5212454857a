#pragma once
// The frame shared by the picture-like area bodies (picture, picture-text,
// table, animate): the window, the cycle loop over the items, the pacing, the
// cycle message and the clean-up. A body supplies its texts, its pauses and
// the work for one item.

#include <functional>
#include <memory>
#include <string>

#include "core/AreaContext.h"

namespace led {

class Window;

struct PictureLikeBody {
    const char* windowTitle;  // "picture window", "OSD picture window", ...
    const char* cycleText;    // "PictureArea completed", ...
    bool pictureBody;         // picture bodies send wParam 1 / 0 instead of the text
    int sleepBeforeCycle;     // before the item loop (picture and animate: 1)
    int sleepBeforeItem;      // before each item (table: none)
    int sleepAfterCycle;      // picture: 100, picture-text: 1, table and animate: 0
    // Plays one item; returns false when the stop flag was seen.
    std::function<bool(const AreaContext&, Window&, const AreaItem&)> playItem;
};

// The area's window, cut to the raster: sizes come from files, and only what
// the raster shows needs pixels. None when nothing of the area is on the
// raster (the board's window creation fails on an empty rectangle), without
// a display, or when its surface cannot be had.
std::unique_ptr<Window> CreateAreaWindow(const AreaContext& context, const char* title,
                                         bool topmost);

// Runs the frame to its end (the exit counter is the caller's).
void RunPictureLikeArea(const AreaContext& context, const PictureLikeBody& body);

}  // namespace led
