// Grid growth: in every 16 × 16 cell a square grows by 2 pixels per pass,
// from the cell's centre or from its top-left corner; 8 passes.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {
namespace {

constexpr int kCell = 16;
constexpr int kGrowth = 2;
constexpr int kPasses = kCell / kGrowth;

}  // namespace

void RunGridGrowth(EffectRun& run) {
    const int width = run.Width(), height = run.Height();
    const bool fromCentre = run.Recipe().shape == Shape::GridFromCentre;
    auto square = [&](int x, int y, int pass) -> Rect {
        if (pass <= 0) return {};
        int side = kGrowth * pass;
        if (fromCentre) return {x + (kCell - side) / 2, y + (kCell - side) / 2, side, side};
        return {x, y, side, side};
    };
    run.Frames(1, kPasses, [&](Canvas& canvas, int previous, int pass) {
        for (int y = 0; y < height; y += kCell)
            for (int x = 0; x < width; x += kCell)
                run.RevealRing(canvas, square(x, y, pass), square(x, y, previous));
    });
}

}  // namespace led
