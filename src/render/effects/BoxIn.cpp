// Box in: the old content stays only inside a rectangle that shrinks towards
// the centre, the longer side by one step on each side per frame and the
// shorter following in the window's proportions, so the picture closes in
// from the edges. The last frame shows the whole picture: the picture area
// makes no final copy after this effect.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunBoxIn(EffectRun& run) {
    const int width = run.Width(), height = run.Height();
    const int longer = std::max(width, height);
    const int last = (longer + 1) / 2;
    auto oldPart = [&](int k) -> Rect {
        if (k <= 0) return run.Bounds();
        if (k >= last) return {};
        int insetX = RoundToInt(double(k) * width / longer);
        int insetY = RoundToInt(double(k) * height / longer);
        return Rect::FromEdges(insetX, insetY, width - insetX, height - insetY);
    };
    run.Frames(0, last, [&](Canvas& canvas, int previous, int k) {
        run.RevealRing(canvas, oldPart(previous), oldPart(k));
    });
}

}  // namespace led
