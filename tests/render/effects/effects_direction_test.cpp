// Where each effect number starts: which edge, corner, line or the centre of
// the window takes the new picture first. Written from what each number is
// meant to do, so that a wrong row of the effect table (two orientations
// swapped, a family's variants exchanged) fails here.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "render/effects/EffectTestKit.h"

namespace led {
namespace {

using namespace testkit;

constexpr int kW = 60, kH = 48;  // 3 x 3 regions of 20 x 16 pixels
const char* const kRegionNames[9] = {"TL", "T", "TR", "L", "C", "R", "BL", "B", "BR"};

// For every pixel, the first frame at which `reached` holds for it (frames
// when never).
using Reached = bool (*)(uint32_t now, uint32_t old, uint32_t final);

std::vector<int> FirstFrames(const std::vector<Surface>& frames, const Surface& final,
                             Reached reached) {
    std::vector<int> first(size_t(kW * kH), int(frames.size()));
    for (int k = int(frames.size()) - 1; k >= 0; --k)
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                if (reached(frames[size_t(k)].Pixel(x, y), kOldPixel, final.Pixel(x, y)))
                    first[size_t(y * kW + x)] = k;
    return first;
}

// The regions that get there first, in reading order ("TL T TR"), or "all"
// when no region is clearly ahead of the others.
std::string Leaders(const std::vector<int>& first, int frames) {
    std::array<double, 9> mean{};
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) mean[size_t(y / 16 * 3 + x / 20)] += first[size_t(y * kW + x)];
    for (double& m : mean) m /= 20.0 * 16.0;
    const auto [lo, hi] = std::minmax_element(mean.begin(), mean.end());
    if (*hi - *lo < 0.15 * frames) return "all";
    std::string out;
    for (size_t r = 0; r < 9; ++r)
        if (mean[r] <= *lo + 0.2 * (*hi - *lo))
            out += (out.empty() ? "" : " ") + std::string(kRegionNames[r]);
    return out;
}

// Where the picture starts: the regions whose pixels first leave the old
// content; when that is everywhere at once (the smear stretches one line over
// the window), the regions whose pixels first take their final value.
std::string StartOf(int number) {
    const Surface picture = Gradient(kW, kH);
    std::vector<Surface> frames;
    Outcome out =
        RunOn(Request(number, EffectMode::Show, 0, /*keepScreen=*/true), picture, {kW, kH}, nullptr,
              [&](const Surface& s, int) { frames.push_back(s.Clone()); });
    if (frames.empty()) return "none";
    const int n = int(frames.size());
    std::string changed =
        Leaders(FirstFrames(frames, out.window,
                            [](uint32_t now, uint32_t old, uint32_t) { return now != old; }),
                n);
    if (changed != "all") return changed;
    return Leaders(FirstFrames(frames, out.window,
                               [](uint32_t now, uint32_t, uint32_t final) { return now == final; }),
                   n);
}

struct Row {
    int number;
    const char* start;
};

// The regions (of a 3 x 3 split of the window) that take the picture first;
// "all" for the families that work everywhere at once (slats, growing grids
// and blocks, bands from the centre), "random" for the dissolves.
const Row kStarts[] = {
    {1, "BL B BR"},  // push up: in from the bottom
    {2, "TL T TR"},  // push down: from the top
    {3, "TR R BR"},  // push left: from the right
    {4, "TL L BL"},  // push right: from the left
    {9, "TR R BR"},  // edge wipe from right to left
    {10, "TL L BL"},
    {11, "BL B BR"},  // from bottom to top
    {12, "TL T TR"},
    {13, "TL TR L R BL BR"},  // split: from both sides to the centre
    {14, "TL T TR BL B BR"},  // the vertical twin
    {15, "T C B"},            // from the centre to both sides
    {16, "L C R"},
    {17, "TL TR L R BL BR"},  // doors closing from the left and right edges
    {18, "TL T TR BL B BR"},  // from the top and bottom edges
    {19, "L C R"},            // opening from the horizontal centre line
    {20, "T C B"},            // from the vertical centre line
    {21, "all"},
    {22, "all"},
    {23, "all"},
    {24, "all"},
    {25, "TL R BL"},  // comb: even bands from the left, the odd one from the right
    {26, "TL"},       // vertical bands: the even ones from the top
    {27, "TL R BL"},
    {28, "TL"},
    {29, "TL"},  // corner box from the top-left
    {30, "TR"},
    {31, "BL"},
    {32, "BR"},
    {33, "TL T TR L BL"},  // the old content shrinks into the bottom-right corner
    {34, "TL T TR R BR"},  // into the bottom-left
    {35, "TL L BL B BR"},  // into the top-right
    {36, "TR R BL B BR"},  // into the top-left
    {37, "TL"},            // diagonal from the top-left
    {38, "TR"},
    {39, "BL"},
    {40, "BR"},
    {41, "C"},            // box from the centre
    {42, "TL TR BL BR"},  // box in: from the edges, the corners first
    {43, "T L C R B"},    // cross along the centre lines
    {44, "TL TR BL BR"},  // the picture in the four corners first
    {45, "C"},            // diamond from the centre
    {46, "L"},            // arrow from the left edge
    {47, "C"},            // circle growing from the centre
    {48, "TL TR BL BR"},  // circle shrinking: the corners first
    {49, "TL"},           // corner fly-in to the top-left
    {50, "TR"},
    {51, "BL"},
    {52, "BR"},
    {53, "TR R"},     // full turn about the centre from 12 o'clock, clockwise
    {54, "T TR"},     // quarter turns about the top-left corner from the top edge,
    {55, "R BR"},     // the top-right from the right edge,
    {56, "BL B"},     // the bottom-right from the bottom edge,
    {57, "TL L"},     // the bottom-left from the left edge
    {58, "BL"},       // half turns about the edge midpoints: bottom,
    {59, "TL"},       // left,
    {60, "TR"},       // top
    {61, "C"},        // zoom from the centre point
    {62, "L C R"},    // from the horizontal centre line
    {63, "T C B"},    // from the vertical centre line
    {64, "TL"},       // from the top-left corner
    {65, "BR"},       // from the bottom-right corner
    {66, "TR R BR"},  // squeeze: in from the right
    {67, "TL L BL"},
    {68, "BL B BR"},
    {69, "TL T TR"},
    {70, "TR R BR"},  // 70 to 73 are the edge wipes of 9 to 12
    {71, "TL L BL"},
    {72, "BL B BR"},
    {73, "TL T TR"},
    {74, "TR BL"},    // half turns of a line through the centre: from 12 o'clock clockwise,
    {75, "TL BR"},    // anticlockwise;
    {76, "TL BR"},    // from 3 o'clock clockwise,
    {77, "TR BL"},    // anticlockwise;
    {78, "L R BL"},   // from half past one clockwise,
    {79, "T B"},      // anticlockwise;
    {80, "T B"},      // from half past four clockwise,
    {81, "L R BR"},   // anticlockwise
    {82, "TR R BR"},  // 32-pixel cells from their centres
    {83, "TL BL"},    // 32-pixel cells from their corners
    {84, "TR R BR"},  // stretch slide from the right
    {85, "TL L BL"},
    {86, "BL B BR"},
    {87, "TL T TR"},
    {88, "BL B BR"},  // smear: bottom to top
    {89, "TL T TR"},
    {90, "TR R BR"},  // right to left
    {91, "TL L BL"},
    {92, "random"},  // dissolves: a random order
    {93, "random"},
    {94, "all"},
    {95, "all"},
    {96, "T TR"},   // slide-in bands: the top band first, from the right;
    {97, "TL T"},   // from the left;
    {98, "B BR"},   // the bottom band first, from the right;
    {99, "BL B"},   // from the left;
    {100, "L BL"},  // vertical bands: the left one first, from below;
    {101, "TL L"},  // from above;
    {102, "R BR"},  // the right one first, from below;
    {103, "TR R"},  // from above
    {104, "random"},
    {105, "random"},
    {106, "all"},
    {107, "all"},
    {108, "all"},
};

TEST(EffectDirection, EveryNumberStartsWhereItShould) {
    int checked = 0;
    for (const Row& row : kStarts) {
        const std::string start = StartOf(row.number);
        if (std::string(row.start) == "random")
            EXPECT_NE(start, "none") << "effect " << row.number;
        else
            EXPECT_EQ(start, row.start) << "effect " << row.number;
        ++checked;
    }
    EXPECT_EQ(checked, kLastEffect - 4) << "every number but the plain draws 5 to 8";
}

}  // namespace
}  // namespace led
