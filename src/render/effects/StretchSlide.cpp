// Stretch slide: the picture, stretched to twice the window's width, slides
// in from the right one pixel per frame whatever the step (k from 0 to 2W,
// its left edge at W − k). Once k passes W, the window left of k − W shows
// the picture at its natural size; the stretched part continues seamlessly to
// its right, so the picture settles from the left edge on. Ends with a full
// copy of the picture.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunStretchSlide(EffectRun& run) {
    const int length = run.Width(), height = run.Height();
    run.Frames(0, 2 * length, 1, [&](Canvas& canvas, int previous, int k) {
        int settled = std::max(0, k - length), was = std::max(0, previous - length);
        Rect stretched{length - k, 0, 2 * length, height};
        Rect visible = Rect::FromEdges(std::max(settled, length - k), 0, length, height);
        if (previous == k - 1 && previous >= 0) {
            // The stretched part moved one pixel: shift it and draw the new line.
            run.Shift(canvas, Rect::FromEdges(visible.x + 1, 0, length, height), -1);
            visible = Rect::FromEdges(length - 1, 0, length, height);
        }
        run.Scale(canvas, run.Source(), run.Bounds(), stretched, visible);
        run.Reveal(canvas, {was, 0, settled - was, height});
    });
    run.FinishWithFullCopy();
}

}  // namespace led
