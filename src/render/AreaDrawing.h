#pragma once
// The two drawing steps every picture-like area shares: the plain copy and
// the capture of what is on the window before an effect moves it away.

#include "platform/display/Surface.h"
#include "platform/geometry.h"

namespace led {

class Window;

// Copies the bitmap to (0, 0) of the window, client-sized: the drawing when
// no effect applies. -1 when the bitmap is missing.
int DrawPlain(Window& window, const Surface* bitmap);
// A copy of a rectangle of the window (the old content effects move away).
// An empty surface when the rectangle is empty.
Surface CaptureWindow(Window& window, const Rect& rect);

}  // namespace led
