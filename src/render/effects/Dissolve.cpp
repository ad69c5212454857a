// Dissolves: the window is divided into 16 × 16 blocks or 3-pixel-high lines
// that appear in random order, in 4 passes. RandomOrder: one random order
// cut into quarters. InterlacedPasses: each pass takes one interlaced quarter
// (blocks: the four places of every 2 × 2 group, diagonal pairs first;
// lines: every fourth line, halves first), random within the pass. Each pass
// takes ⌈√N⌉ frames for N units, so small windows dissolve in a few frames and
// large ones in a few hundred. Ends with a full copy of the picture.

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {
namespace {

constexpr int kBlock = 16;
constexpr int kLineHeight = 3;
constexpr int kPasses = 4;

void Shuffle(std::vector<int>::iterator first, std::vector<int>::iterator last,
             std::minstd_rand& random) {
    for (auto n = last - first; n > 1; --n) std::swap(first[n - 1], first[random() % n]);
}

}  // namespace

void RunDissolve(EffectRun& run) {
    const int width = run.Width(), height = run.Height();
    const bool blocks = run.Recipe().dissolve == Dissolving::Blocks;
    const int unitHeight = blocks ? kBlock : kLineHeight;
    const int columns = blocks ? (width + kBlock - 1) / kBlock : 1;
    const int rows = (height + unitHeight - 1) / unitHeight;
    const int units = columns * rows;

    // The order, each pass a consecutive part of it.
    std::minstd_rand random(run.Seed());
    std::vector<int> order;
    order.reserve(size_t(units));
    std::array<int, kPasses + 1> passStart{};
    if (run.Recipe().shape == Shape::InterlacedPasses) {
        // Blocks: (0,0) and (1,1) of each 2 × 2 group first; lines: 0, 2, 1, 3.
        constexpr std::array<int, kPasses> kBlockClass = {0, 3, 1, 2};
        constexpr std::array<int, kPasses> kLineClass = {0, 2, 1, 3};
        for (int pass = 0; pass < kPasses; ++pass) {
            passStart[size_t(pass)] = int(order.size());
            for (int u = 0; u < units; ++u) {
                int cls = blocks ? (u % columns) % 2 + 2 * ((u / columns) % 2) : u % 4;
                if (cls == (blocks ? kBlockClass : kLineClass)[size_t(pass)]) order.push_back(u);
            }
            Shuffle(order.begin() + passStart[size_t(pass)], order.end(), random);
        }
    } else {
        for (int u = 0; u < units; ++u) order.push_back(u);
        Shuffle(order.begin(), order.end(), random);
        for (int pass = 0; pass < kPasses; ++pass)
            passStart[size_t(pass)] = int(int64_t(units) * pass / kPasses);
    }
    passStart[kPasses] = units;

    const int framesPerPass = std::max(1, int(std::ceil(std::sqrt(double(units)))));
    // How many units of the order are on the window once frame f is drawn.
    auto drawnAfter = [&](int f) -> int {
        if (f <= 0) return 0;
        int pass = (f - 1) / framesPerPass, part = (f - 1) % framesPerPass + 1;
        int begin = passStart[size_t(pass)], size = passStart[size_t(pass) + 1] - begin;
        return begin + int(int64_t(size) * part / framesPerPass);
    };
    run.Frames(1, kPasses * framesPerPass, [&](Canvas& canvas, int previous, int f) {
        for (int i = drawnAfter(previous); i < drawnAfter(f); ++i) {
            int u = order[size_t(i)];
            run.Reveal(canvas, {(u % columns) * kBlock, (u / columns) * unitHeight,
                                blocks ? kBlock : width, unitHeight});
        }
    });
    run.FinishWithFullCopy();
}

}  // namespace led
