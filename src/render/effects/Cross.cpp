// Cross: frame k (k from 0 to H/2) splits the window at the centre lines
// into four corner rectangles that lose one line vertically and W/H columns
// horizontally per frame. CornersShrink keeps the old content in them, so the
// picture shows as a cross growing from the centre lines; CornersGrow is its
// twin: the picture fills rectangles growing from the window's corners and
// the old content thins to a cross on the centre lines.

#include <algorithm>
#include <array>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {

void RunCross(EffectRun& run) {
    const int width = run.Width(), height = run.Height();
    const double columnsPerLine = double(width) / height;
    const int last = (height + 1) / 2;
    const bool shrinking = run.Recipe().shape == Shape::CornersShrink;

    // The corner rectangles at frame k: top-left, top-right, bottom-left, bottom-right.
    auto corners = [&](int k) {
        k = std::max(k, 0);
        int left, right, top, bottom;  // the inner edges of the four rectangles
        if (shrinking) {
            left = std::clamp(RoundToInt(width / 2.0 - k * columnsPerLine), 0, width);
            right = std::clamp(RoundToInt(width / 2.0 + k * columnsPerLine), 0, width);
            top = std::clamp(RoundToInt(height / 2.0 - k), 0, height);
            bottom = std::clamp(RoundToInt(height / 2.0 + k), 0, height);
        } else {
            left = std::min(width, RoundToInt(k * columnsPerLine));
            right = width - left;
            top = std::min(height, k);
            bottom = height - top;
        }
        return std::array<Rect, 4>{Rect::FromEdges(0, 0, left, top),
                                   Rect::FromEdges(right, 0, width, top),
                                   Rect::FromEdges(0, bottom, left, height),
                                   Rect::FromEdges(right, bottom, width, height)};
    };
    run.Frames(0, last, [&](Canvas& canvas, int previous, int k) {
        auto before = corners(previous), now = corners(k);
        for (size_t i = 0; i < 4; ++i) {
            if (shrinking)
                run.RevealRing(canvas, before[i], now[i]);
            else
                run.RevealRing(canvas, now[i], before[i]);
        }
    });
}

}  // namespace led
