// Edge wipe: the picture is uncovered from one edge, one line per step.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunEdgeWipe(EffectRun& run) {
    const int length = run.Width(), height = run.Height();
    run.Frames(0, length, [&](Canvas& canvas, int previous, int position) {
        // Columns [length − position, length) are uncovered; draw what is new.
        int from = length - position, to = length - std::max(previous, 0);
        run.Reveal(canvas, {from, 0, to - from, height});
    });
}

}  // namespace led
