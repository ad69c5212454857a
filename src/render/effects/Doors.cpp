// Doors: the picture is cut at its centre line and its two halves slide:
// opening, they emerge from the centre line and move out to the edges;
// closing, they come in from the edges and meet at the centre line.

#include <algorithm>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunDoors(EffectRun& run) {
    const int length = run.Width(), height = run.Height();
    const int centre = length / 2;
    const int leftHalf = centre, rightHalf = length - centre;
    const bool opening = run.Recipe().shape == Shape::Opening;
    const Surface& picture = run.Source();
    run.Frames(0, std::max(leftHalf, rightHalf), [&](Canvas& canvas, int, int k) {
        int left = std::min(k, leftHalf), right = std::min(k, rightHalf);
        if (opening) {
            run.Copy(canvas, picture, {0, 0, left, height}, {centre - left, 0});
            run.Copy(canvas, picture, {length - right, 0, right, height}, {centre, 0});
        } else {
            run.Copy(canvas, picture, {leftHalf - left, 0, left, height}, {0, 0});
            run.Copy(canvas, picture, {centre, 0, right, height}, {length - right, 0});
        }
    });
}

}  // namespace led
