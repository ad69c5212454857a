#pragma once
// The video area: plays the items of its area one after another (local files,
// stream addresses, the live camera input) in a window of its own, through the
// layer's media graph and the camera preview.

#include "core/AreaContext.h"

namespace led {

// The cycle text sent with the area's completion report.
inline constexpr const char* kVideoCycleText = "VideoArea completed";

// Runs the area until the layer's stop flag is set (or at once when there is
// nothing to play). Leaves the graph and the camera stopped and the camera
// input switched off on every path; the exit counter is the caller's.
//
// A file or stream item plays for its duration in whole seconds plus one, in
// real time (the picture runs at its own pace even when the player runs on
// virtual time); an item that cannot be opened is skipped after 101 ms; a
// camera item plays until someone clears the layer's videoPlaying flag.
void RunVideoArea(const AreaContext& context);

}  // namespace led
