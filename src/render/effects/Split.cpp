// Split wipe: columns from both edges meet at the centre, or a band grows out
// of the centre line towards both edges.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunSplit(EffectRun& run) {
    const int length = run.Width(), height = run.Height();
    const int last = length / 2 + 2;
    if (run.Recipe().shape == Shape::FromCentre) {
        const int centre = length / 2;
        run.Frames(0, last, [&](Canvas& canvas, int previous, int k) {
            // The band [centre − k, centre + k]; previous = -1 has drawn nothing.
            int was = previous;
            run.Reveal(canvas, {centre - k, 0, k - was, height});
            run.Reveal(canvas, {centre + was + 1, 0, k - was, height});
        });
        return;
    }
    run.Frames(0, last, [&](Canvas& canvas, int previous, int k) {
        // Columns [0, k) and [length − k, length).
        int was = std::max(previous, 0);
        run.Reveal(canvas, {was, 0, k - was, height});
        run.Reveal(canvas, {length - k, 0, k - was, height});
    });
}

}  // namespace led
