// Squeeze: at frame k the picture scaled to width k stands at the right edge
// and the saved old content, scaled to the remaining width, at the left: the
// picture grows in and squeezes the old content out.

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunSqueeze(EffectRun& run) {
    const int length = run.Width(), height = run.Height();
    run.KeepOld();
    run.Frames(1, length, [&](Canvas& canvas, int, int k) {
        run.Scale(canvas, run.Source(), run.Bounds(), {length - k, 0, k, height});
        run.Scale(canvas, run.Old(), run.Bounds(), {0, 0, length - k, height});
    });
}

}  // namespace led
