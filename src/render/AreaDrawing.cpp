#include "render/AreaDrawing.h"

#include "platform/display/Canvas.h"
#include "platform/display/Display.h"

namespace led {

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
