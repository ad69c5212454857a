// Proportional corner wipe: the old content stays only in a rectangle from
// (k × W/H, k) to the bottom-right corner, which shrinks along the window's
// diagonal into that corner, one line per step; the picture shows everywhere
// else.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunProportionalCorner(EffectRun& run) {
    const int width = run.Width(), height = run.Height();
    auto oldPart = [&](int k) -> Rect {
        k = std::clamp(k, 0, height);
        int x = std::min(width, RoundToInt(double(k) * width / height));
        return Rect::FromEdges(x, k, width, height);
    };
    run.Frames(0, height, [&](Canvas& canvas, int previous, int k) {
        run.RevealRing(canvas, oldPart(previous), oldPart(k));
    });
}

}  // namespace led
