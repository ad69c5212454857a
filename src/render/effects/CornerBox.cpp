// Corner box: the uncovered rectangle of the picture grows from one corner to
// the opposite one, its size in floating point from the window's proportions;
// the longer side grows one pixel per step.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunCornerBox(EffectRun& run) {
    const int width = run.Width(), height = run.Height();
    const int longer = std::max(width, height);
    auto box = [&](int k) -> Rect {
        if (k <= 0) return {};
        return {0, 0, RoundToInt(double(k) * width / longer),
                RoundToInt(double(k) * height / longer)};
    };
    run.Frames(0, longer, [&](Canvas& canvas, int previous, int k) {
        run.RevealRing(canvas, box(k), box(previous));
    });
}

}  // namespace led
