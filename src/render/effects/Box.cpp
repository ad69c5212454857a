// Box: a rectangle with the window's proportions grows from the centre, the
// picture showing inside it. Its half-size is computed in floating point; the
// longer side grows one pixel per step on each side.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunBox(EffectRun& run) {
    const int width = run.Width(), height = run.Height();
    const int longer = std::max(width, height);
    const int last = (longer + 1) / 2;
    auto box = [&](int k) -> Rect {
        if (k < 0) return {};
        double halfWidth = double(k) * width / longer, halfHeight = double(k) * height / longer;
        Rect r = Rect::FromEdges(
            RoundToInt(width / 2.0 - halfWidth), RoundToInt(height / 2.0 - halfHeight),
            RoundToInt(width / 2.0 + halfWidth), RoundToInt(height / 2.0 + halfHeight));
        return r.Intersected(run.Bounds());
    };
    run.Frames(0, last, [&](Canvas& canvas, int previous, int k) {
        run.RevealRing(canvas, box(k), box(previous));
    });
}

}  // namespace led
