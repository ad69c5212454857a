// Block zoom: the window is handled in 16 × 16 blocks; in every block the
// block's own part of the picture is scaled from the block's centre up to
// full size, 16 frames. All blocks share one scale per frame, so a frame is
// composed row by row from one column map and one row map.

#include <algorithm>
#include <vector>

#include "render/effects/EffectRun.h"
#include "render/effects/Families.h"

namespace led {
namespace {

constexpr int kBlock = 16;

// For each position along one axis: the source position it shows at scale
// k / 16 of its block, or -1 outside the scaled part of the block.
void MapAxis(std::vector<int>& map, int length, int k) {
    for (int start = 0; start < length; start += kBlock) {
        int size = std::min(kBlock, length - start);
        int scaled = std::max(1, (k * size + kBlock - 1) / kBlock);
        int offset = (size - scaled) / 2;
        for (int i = 0; i < size; ++i) {
            int local = i - offset;
            map[size_t(start + i)] =
                local >= 0 && local < scaled ? start + local * size / scaled : -1;
        }
    }
}

}  // namespace

void RunBlockZoom(EffectRun& run) {
    const int width = run.Width(), height = run.Height();
    const Surface& picture = run.Source();
    std::vector<int> columns(static_cast<size_t>(width)), rows(static_cast<size_t>(height));
    Surface line(width, 1);
    run.Frames(1, kBlock, [&](Canvas& canvas, int, int k) {
        MapAxis(columns, width, k);
        MapAxis(rows, height, k);
        uint32_t* out = line.Row(0);
        for (int y = 0; y < height; ++y) {
            if (rows[size_t(y)] < 0) continue;
            // The row as it stands, with the scaled blocks' pixels put in.
            std::copy_n(canvas.Target().Row(y), width, out);
            const uint32_t* in = picture.Row(rows[size_t(y)]);
            for (int x = 0; x < width; ++x)
                if (columns[size_t(x)] >= 0) out[x] = in[columns[size_t(x)]];
            canvas.Copy(line, {0, y});
        }
    });
}

}  // namespace led
