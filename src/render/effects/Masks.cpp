// Mask wipes: the picture shows through a shape that grows (or, for the
// shrinking circle, around a hole that shrinks). The board draws the shape as
// a key-colour mask and copies through it; key colours can occur in real
// pictures, so here the shape is computed per row (pixel centres inside it)
// and only the newly covered runs are copied. No pixel is ever keyed out.
//
// Row shapes: a diamond with the window's proportions from the centre, a
// five-point arrow (tip first, 45° flanks) crossing from the left edge, a
// circle growing from the centre up to the half-diagonal, a circular hole
// shrinking from the half-diagonal. Grid shapes: in every 32 × 32 cell a
// square growing from the cell's centre or from its top-left corner; in
// every 16-pixel band a strip opening from the band's centre line.

#include <algorithm>
#include <cmath>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {
namespace {

constexpr int kGridCell = 32;
constexpr int kBand = 16;

struct Span {
    int from = 0;
    int to = 0;
    bool Empty() const { return to <= from; }
};

// Columns whose pixel centres lie within `half` of `centre` (inclusive).
Span Within(double centre, double half, int width) {
    if (!(half >= 0)) return {};
    int from = int(std::ceil(centre - half - 0.5));
    int to = int(std::floor(centre + half - 0.5)) + 1;
    return {std::max(from, 0), std::min(to, width)};
}

// Columns whose pixel centres lie strictly closer than `half` to `centre`.
Span StrictlyWithin(double centre, double half, int width) {
    if (!(half > 0)) return {};
    int from = int(std::floor(centre - half - 0.5)) + 1;
    int to = int(std::ceil(centre + half - 0.5));
    return {std::max(from, 0), std::min(to, width)};
}

// Copies the runs of `outer` that are not in `inner` (inner lies inside outer).
void RevealRowRing(EffectRun& run, Canvas& canvas, int y, Span outer, Span inner) {
    if (outer.Empty()) return;
    if (inner.Empty()) {
        run.Reveal(canvas, {outer.from, y, outer.to - outer.from, 1});
        return;
    }
    run.Reveal(canvas, {outer.from, y, inner.from - outer.from, 1});
    run.Reveal(canvas, {inner.to, y, outer.to - inner.to, 1});
}

void RunRowShape(EffectRun& run) {
    const int width = run.Width(), height = run.Height();
    const double cx = width / 2.0, cy = height / 2.0;
    const double halfDiagonal = std::sqrt(double(width) * width + double(height) * height) / 2;
    const Shape shape = run.Recipe().shape;
    const int longer = std::max(width, height);

    int last = 0;
    switch (shape) {
        case Shape::Diamond: last = longer; break;
        case Shape::Arrow: last = width + (height + 1) / 2; break;
        default: last = int(std::ceil(halfDiagonal)); break;  // the circles
    }
    // The covered span of row y (its centre dy below the window's centre) at k.
    auto covered = [&](int k, int y) -> Span {
        double dy = std::abs(y + 0.5 - cy);
        switch (shape) {
            case Shape::Diamond: {
                double t = double(k) / longer;
                if (k <= 0) return {};
                return Within(cx, t * width * (1 - dy / (t * height)), width);
            }
            case Shape::Arrow: {
                double reach = std::ceil(k - dy - 0.5);  // pixel centres left of the flank
                return {0, int(std::clamp(reach, 0.0, double(width)))};
            }
            case Shape::CircleShrink: {
                double r = last - k;
                if (dy >= r) return {};
                return StrictlyWithin(cx, std::sqrt(r * r - dy * dy), width);
            }
            default: {
                double r = k;
                if (k < 0 || dy > r) return {};
                return Within(cx, std::sqrt(r * r - dy * dy), width);
            }
        }
    };
    const bool hole = shape == Shape::CircleShrink;
    run.Frames(0, last, [&](Canvas& canvas, int previous, int k) {
        for (int y = 0; y < height; ++y) {
            if (hole)
                RevealRowRing(run, canvas, y, covered(previous, y), covered(k, y));
            else
                RevealRowRing(run, canvas, y, covered(k, y), covered(previous, y));
        }
    });
}

void RunGridShape(EffectRun& run) {
    const int width = run.Width(), height = run.Height();
    const Shape shape = run.Recipe().shape;
    if (shape == Shape::BandsFromCentre) {
        run.Frames(0, kBand / 2, [&](Canvas& canvas, int previous, int k) {
            for (int y = 0; y < height; y += kBand) {
                int centre = y + kBand / 2;
                Rect now{0, centre - k, width, 2 * k};
                Rect before{0, centre - previous, width, 2 * previous};
                run.RevealRing(canvas, now, before);
            }
        });
        return;
    }
    const bool fromCentre = shape == Shape::GridFromCentre;
    auto square = [&](int x, int y, int k) -> Rect {
        if (k <= 0) return {};
        if (fromCentre) return {x + kGridCell / 2 - k, y + kGridCell / 2 - k, 2 * k, 2 * k};
        return {x, y, k, k};
    };
    run.Frames(0, fromCentre ? kGridCell / 2 : kGridCell, [&](Canvas& canvas, int previous, int k) {
        for (int y = 0; y < height; y += kGridCell)
            for (int x = 0; x < width; x += kGridCell)
                run.RevealRing(canvas, square(x, y, k), square(x, y, previous));
    });
}

}  // namespace

void RunMask(EffectRun& run) {
    switch (run.Recipe().shape) {
        case Shape::GridFromCentre:
        case Shape::GridFromCorner:
        case Shape::BandsFromCentre: RunGridShape(run); break;
        default: RunRowShape(run); break;
    }
}

}  // namespace led
