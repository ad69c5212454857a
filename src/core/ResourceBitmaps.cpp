#include "core/ResourceBitmaps.h"

#include <mutex>

#include "platform/display/Canvas.h"
#include "platform/text/Fonts.h"

namespace led {
namespace {

Surface MakeCopyingLabel() {
    Surface s(64, 16);
    Canvas c(s);
    c.Fill(s.Bounds(), Colour::FromRgb(0, 0, 128));
    FontRequest r;
    r.height = -12;
    r.weight = 700;
    c.DrawText(Fonts::MakeFont(r), "COPY...", {4, 1, 60, 14}, Colour::FromRgb(255, 255, 255));
    return s;
}

}  // namespace

const Surface* ResourceBitmap(int number) {
    static std::once_flag once;
    static Surface copying;
    if (number != 138) return nullptr;
    std::call_once(once, [] { copying = MakeCopyingLabel(); });
    return &copying;
}

}  // namespace led
