// Smear: the uncovered part of the picture stays in place while the line at
// the moving edge is stretched over the rest of the window; the edge moves 4
// pixels per frame whatever the step. Ends with a full copy of the picture.
// Unlike the board, erase mode smears the background (the board ignored the
// mode here and ended on the picture even when asked to erase).

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {
namespace {

constexpr int kSmearStep = 4;

}  // namespace

void RunSmear(EffectRun& run) {
    const int length = run.Width(), height = run.Height();
    const Surface& source = run.Source();
    const bool rowsAreLines = run.Recipe().orient.transpose;
    run.Frames(0, length, kSmearStep, [&](Canvas& canvas, int previous, int moved) {
        int edge = length - moved, was = length - std::max(previous, 0);
        run.Reveal(canvas, {edge, 0, was - edge, height});
        if (edge == 0) return;
        int line = std::min(edge, length - 1);
        if (rowsAreLines) {
            // The edge line is a window row: copy it over each smeared row.
            for (int x = 0; x < edge; ++x) run.Copy(canvas, source, {line, 0, 1, height}, {x, 0});
        } else {
            // The edge line is a window column: each row repeats its pixel there.
            for (int y = 0; y < height; ++y) {
                Rect pixel = run.ToWindow({line, y, 1, 1});
                run.Fill(canvas, {0, y, edge, 1},
                         Colour::FromPixel(source.Pixel(pixel.x, pixel.y)));
            }
        }
    });
    run.FinishWithFullCopy();
}

}  // namespace led
