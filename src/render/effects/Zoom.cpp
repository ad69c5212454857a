// Zoom: the whole picture, scaled from a point or a line up to full size.
// Point and CornerPoint grow with the window's proportions, the longer side
// one pixel per step; LineAcross grows from the centre line, one line per
// step. Each frame's rectangle contains the one before, so the old content
// outside it needs no redrawing.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunZoom(EffectRun& run) {
    const int width = run.Width(), height = run.Height();
    const int longer = std::max(width, height);
    const Shape shape = run.Recipe().shape;
    const int last = shape == Shape::LineAcross ? height : longer;
    auto target = [&](int k) -> Rect {
        if (shape == Shape::LineAcross) return {0, (height - k) / 2, width, k};
        int w = RoundToInt(double(k) * width / longer), h = RoundToInt(double(k) * height / longer);
        if (shape == Shape::CornerPoint) return {0, 0, w, h};
        return {(width - w) / 2, (height - h) / 2, w, h};
    };
    run.Frames(0, last, [&](Canvas& canvas, int, int k) {
        run.Scale(canvas, run.Source(), run.Bounds(), target(k));
    });
}

}  // namespace led
