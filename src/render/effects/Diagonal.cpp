// Diagonal wipe: frame k uncovers the pixels on the line x + y = k. Each row
// holds one run of the newly uncovered pixels, so a frame costs one short copy
// per row instead of one copy per pixel.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunDiagonal(EffectRun& run) {
    const int width = run.Width(), height = run.Height();
    run.Frames(0, width + height, [&](Canvas& canvas, int previous, int k) {
        // Pixels with previous < x + y <= k.
        int lowest = previous + 1;
        int firstRow = std::max(0, lowest - (width - 1)), lastRow = std::min(height - 1, k);
        for (int y = firstRow; y <= lastRow; ++y) {
            int from = std::max(0, lowest - y), to = std::min(width - 1, k - y);
            if (from <= to) run.Reveal(canvas, {from, y, to - from + 1, 1});
        }
    });
}

}  // namespace led
