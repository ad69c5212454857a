// Slide-in bands: 16-pixel bands slide in one after another, each in 16
// passes (like a push of one band over the old content); every pass waits the
// delay only.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {
namespace {

constexpr int kBand = 16;
constexpr int kPassesPerBand = 16;

}  // namespace

void RunSlideInBands(EffectRun& run) {
    const int length = run.Width(), height = run.Height();
    const int bands = (height + kBand - 1) / kBand;
    const Surface& picture = run.Source();
    run.Frames(1, bands * kPassesPerBand, [&](Canvas& canvas, int previous, int pass) {
        int doneBefore = std::max(previous, 0) / kPassesPerBand, done = pass / kPassesPerBand;
        for (int band = doneBefore; band < done; ++band)
            run.Reveal(canvas, {0, band * kBand, length, kBand});
        int moving = pass % kPassesPerBand;
        if (moving == 0 || done >= bands) return;
        int shown = RoundToInt(double(length) * moving / kPassesPerBand);
        int y = done * kBand;
        run.Copy(canvas, picture, {0, y, shown, kBand}, {length - shown, y});
    });
}

}  // namespace led
