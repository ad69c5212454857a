// Sweep: a line through a pivot turns one degree per frame and the part it
// has swept shows the picture. Each frame copies only the wedge swept since
// the frame before: per row, the wedge between two rays is an interval of
// columns, found from the two rays' half-planes. Neighbouring wedges share
// the boundary computation, so every pixel is drawn exactly once.

#include <algorithm>
#include <climits>
#include <cmath>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {
namespace {

constexpr double kRadiansPerDegree = 0.017453292222222222;
// Keep the pivot off every pixel centre and off the 45° lines through pixel
// centres, so that no pixel centre lies on a ray where rounding could decide.
constexpr double kPivotNudgeX = 1.0 / 4096;
constexpr double kPivotNudgeY = 1.0 / 1024;

struct Ray {
    double x, y;  // unit direction; window y grows downwards
};

// Clock angle: 0 points up, 90 right.
Ray RayAt(int degrees) {
    // One angle, one ray: a full turn ends on exactly the ray it started from.
    double r = ((degrees % 360 + 360) % 360) * kRadiansPerDegree;
    return {std::sin(r), -std::cos(r)};
}

// Columns [from, to) of one row.
struct Columns {
    int from = INT_MIN / 2;
    int to = INT_MAX / 2;
    void Keep(const Columns& o) { from = std::max(from, o.from), to = std::min(to, o.to); }
};

// The columns of the row whose pixel centres lie clockwise of the ray
// (cross ≥ 0: on the ray or up to 180° clockwise) or, with `clockwise`
// false, the exact complement (cross < 0). dy is the row centre below the
// pivot. Both sides come from one threshold, so they partition the row.
Columns Side(const Ray& ray, double px, double dy, bool clockwise) {
    constexpr double kFar = 1e9;
    if (ray.y == 0) {
        bool all = (ray.x * dy >= 0) == clockwise;
        return all ? Columns{} : Columns{0, 0};
    }
    // cross(ray, p) = ray.x·dy − ray.y·(X − px), linear in the column centre X.
    double boundary = std::clamp(px + ray.x * dy / ray.y, -kFar, kFar);
    if (ray.y > 0) {  // cross ≥ 0 ⇔ X ≤ boundary
        int lastInside = int(std::floor(boundary - 0.5));
        return clockwise ? Columns{INT_MIN / 2, lastInside + 1}
                         : Columns{lastInside + 1, INT_MAX / 2};
    }
    int firstInside = int(std::ceil(boundary - 0.5));  // cross ≥ 0 ⇔ X ≥ boundary
    return clockwise ? Columns{firstInside, INT_MAX / 2} : Columns{INT_MIN / 2, firstInside};
}

// Copies the wedge from clock angle `from` (included) clockwise to `to`
// (excluded); to − from is at most 90.
void RevealWedge(EffectRun& run, Canvas& canvas, double px, double py, int from, int to) {
    Ray first = RayAt(from), last = RayAt(to);
    for (int y = 0; y < run.Height(); ++y) {
        double dy = y + 0.5 - py;
        Columns c{0, run.Width()};
        c.Keep(Side(first, px, dy, true));
        c.Keep(Side(last, px, dy, false));
        if (c.to > c.from) run.Reveal(canvas, {c.from, y, c.to - c.from, 1});
    }
}

}  // namespace

void RunSweep(EffectRun& run) {
    const SweepGeometry& s = run.Recipe().sweep;
    const double px = run.Width() * s.pivotX / 2.0 + kPivotNudgeX;
    const double py = run.Height() * s.pivotY / 2.0 + kPivotNudgeY;
    run.Frames(1, s.turn, [&](Canvas& canvas, int previous, int angle) {
        // The wedge swept since the last frame, as clockwise clock angles.
        int from = s.clockwise ? s.start + previous : s.start - angle;
        int to = s.clockwise ? s.start + angle : s.start - previous;
        for (int half = 0; half < (s.bothHalves ? 2 : 1); ++half) {
            for (int a = from; a < to; a += 90)
                RevealWedge(run, canvas, px, py, a + 180 * half, std::min(a + 90, to) + 180 * half);
        }
    });
}

}  // namespace led
