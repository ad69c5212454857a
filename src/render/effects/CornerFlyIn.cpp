// Corner fly-in: the picture slides in diagonally from a corner. Frame k
// copies the picture's far corner rectangle of the current size to the near
// corner of the window; the size grows in floating point from the window's
// proportions, the longer side one pixel per step.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunCornerFlyIn(EffectRun& run) {
    const int width = run.Width(), height = run.Height();
    const int longer = std::max(width, height);
    run.Frames(0, longer, [&](Canvas& canvas, int, int k) {
        int w = RoundToInt(double(k) * width / longer), h = RoundToInt(double(k) * height / longer);
        run.Copy(canvas, run.Source(), {width - w, height - h, w, h}, {0, 0});
    });
}

}  // namespace led
