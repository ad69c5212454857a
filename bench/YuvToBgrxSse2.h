#pragma once
// The player's earlier planar 4:2:0 to BGRx converter, hand-written in SSE2
// (x86 only; other machines take its per-pixel loop), kept as the baseline
// the libyuv conversion is measured against.

#include <cstdint>

namespace sse2baseline {

// One colour matrix and range in fixed point.
struct YuvCoefficients {
    // Gains in 1/16384: luma, V into red, U and V out of green, U into blue.
    uint16_t y = 0, rv = 0, gu = 0, gv = 0, bu = 0;
    // What each channel's sum (in 1/64) carries beyond the channel itself.
    uint16_t biasR = 0, biasG = 0, biasB = 0;
};

// Kr, Kb of the matrix; `fullRange` for 0..255 luma and chroma, else studio
// range (16..235, 16..240).
YuvCoefficients MakeYuvCoefficients(double kr, double kb, bool fullRange);

struct YuvPlanes {
    const uint8_t* y;
    const uint8_t* u;
    const uint8_t* v;
    int yStride, uStride, vStride;  // bytes
};

// Converts `width` x `height` pixels; chroma planes hold one sample per 2x2
// block. `dst` rows lie `dstStrideBytes` apart.
void YuvToBgrx(const YuvPlanes& src, int width, int height, const YuvCoefficients& k, uint32_t* dst,
               int dstStrideBytes);

}  // namespace sse2baseline
