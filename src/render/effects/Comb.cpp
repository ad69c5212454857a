// Comb: 16-pixel bands with a pitch of 32 for the even and for the odd ones,
// the picture interleaving with the old content. Sliding: the even bands of
// the picture slide in from the left, the odd ones from the right. Revealed:
// the bands stay in place, the even ones uncovered from the left, the odd
// ones from the right.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {
namespace {

constexpr int kCombBand = 16;  // two bands make the 32-pixel pitch

}  // namespace

void RunComb(EffectRun& run) {
    const int length = run.Width(), height = run.Height();
    const bool sliding = run.Recipe().shape == Shape::Sliding;
    const Surface& picture = run.Source();
    run.Frames(0, length, [&](Canvas& canvas, int previous, int k) {
        int was = std::max(previous, 0);
        for (int y = 0; y < height; y += kCombBand) {
            bool even = (y / kCombBand) % 2 == 0;
            int band = std::min(kCombBand, height - y);
            if (sliding && even)
                run.Copy(canvas, picture, {length - k, y, k, band}, {0, y});
            else if (sliding)
                run.Copy(canvas, picture, {0, y, k, band}, {length - k, y});
            else if (even)
                run.Reveal(canvas, {was, y, k - was, band});
            else
                run.Reveal(canvas, {length - k, y, k - was, band});
        }
    });
}

}  // namespace led
