// Slats (blinds): each pass uncovers one line in every slat, 20 passes.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {
namespace {

constexpr int kSlatPitch = 20;

}  // namespace

void RunSlats(EffectRun& run) {
    const int length = run.Width(), height = run.Height();
    run.Frames(1, kSlatPitch, [&](Canvas& canvas, int previous, int pass) {
        for (int line = std::max(previous, 0); line < pass; ++line)
            for (int x = line; x < length; x += kSlatPitch) run.Reveal(canvas, {x, 0, 1, height});
    });
}

}  // namespace led
