#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/media/YuvToBgrx.h"

namespace led {
namespace {

struct Matrix {
    const char* name;
    YuvMatrix matrix;
    double kr, kb;
    bool full;
};

// The textbook conversion in floating point, rounded and clamped, with one
// known departure: libyuv holds the gain of Cb into blue to at most 2.0 (128
// in 1/64, what its byte multiplies carry), where studio-range BT.709 and
// BT.2020 want 2.11 and 2.14. Saturated blues there come out up to 13 levels
// dimmer than the textbook; everything else is within a level of it.
uint32_t Reference(int y, int u, int v, const Matrix& m) {
    const double ys = m.full ? 1.0 : 255.0 / 219.0, cs = m.full ? 1.0 : 255.0 / 224.0;
    const double yy = (y - (m.full ? 0 : 16)) * ys, cb = (u - 128) * cs, cr = (v - 128) * cs;
    const double kg = 1 - m.kr - m.kb;
    const double r = yy + 2 * (1 - m.kr) * cr;
    const double b = yy + 2 * (1 - m.kb) * cb;
    const double g = (yy - m.kr * r - m.kb * b) / kg;
    const double heldB = yy + std::min(2 * (1 - m.kb) * cs, 2.0) * (u - 128);
    auto byte = [](double c) { return uint32_t(std::clamp(std::lround(c), 0L, 255L)); };
    return byte(r) << 16 | byte(g) << 8 | byte(heldB);
}

int Distance(uint32_t a, uint32_t b) {
    int d = 0;
    for (int shift = 0; shift <= 24; shift += 8)
        d = std::max(d, std::abs(int(a >> shift & 0xff) - int(b >> shift & 0xff)));
    return d;
}

// Every pixel of frames whose planes sweep the whole range, at widths that
// use the vector steps, the per-pixel tail and both, with padded rows.
TEST(YuvToBgrxTest, MatchesTheTextbookConversionWithinOneLevelWithZeroPadding) {
    const Matrix matrices[] = {{"BT.709 studio", YuvMatrix::Bt709, 0.2126, 0.0722, false},
                               {"BT.601 studio", YuvMatrix::Bt601, 0.299, 0.114, false},
                               {"BT.709 full", YuvMatrix::Bt709, 0.2126, 0.0722, true},
                               {"BT.601 full", YuvMatrix::Bt601, 0.299, 0.114, true},
                               {"BT.2020 studio", YuvMatrix::Bt2020, 0.2627, 0.0593, false}};
    for (const Matrix& m : matrices) {
        for (int width : {5, 16, 37, 64}) {
            SCOPED_TRACE(std::string(m.name) + ", width " + std::to_string(width));
            const int height = 65, yStride = width + 3, cw = (width + 1) / 2, cStride = cw + 5;
            const int ch = (height + 1) / 2;
            std::vector<uint8_t> y(size_t(yStride) * height), u(size_t(cStride) * ch),
                v(size_t(cStride) * ch);
            for (size_t i = 0; i < y.size(); ++i) y[i] = uint8_t(i * 7);
            for (size_t i = 0; i < u.size(); ++i)
                u[i] = uint8_t(i * 13), v[i] = uint8_t(i * 29 + 3);
            const int dstStride = width * 4 + 8;
            std::vector<uint32_t> dst(size_t(dstStride / 4) * height, 0xdeadbeef);
            ASSERT_TRUE(YuvToBgrx({y.data(), u.data(), v.data(), yStride, cStride, cStride}, width,
                                  height, m.matrix, m.full, dst.data(), dstStride));
            int worst = 0;
            for (int row = 0; row < height; ++row) {
                for (int x = 0; x < width; ++x) {
                    uint32_t px = dst[size_t(row) * dstStride / 4 + x];
                    ASSERT_EQ(px >> 24, 0u) << "padding byte at " << x << "," << row;
                    uint32_t want = Reference(y[size_t(row) * yStride + x],
                                              u[size_t(row / 2) * cStride + x / 2],
                                              v[size_t(row / 2) * cStride + x / 2], m);
                    worst = std::max(worst, Distance(px, want));
                }
                EXPECT_EQ(dst[size_t(row) * dstStride / 4 + width], 0xdeadbeefu)
                    << "row " << row << " written past its end";
            }
            EXPECT_LE(worst, 1);
        }
    }
}

TEST(YuvToBgrxTest, StudioBlackAndWhiteAreExact) {
    const uint8_t y[16] = {16, 235, 16, 235, 16, 235, 16, 235, 16, 235, 16, 235, 16, 235, 16, 235};
    const uint8_t c[8] = {128, 128, 128, 128, 128, 128, 128, 128};
    uint32_t out[16];
    ASSERT_TRUE(YuvToBgrx({y, c, c, 16, 8, 8}, 16, 1, YuvMatrix::Bt709, false, out, 64));
    for (int x = 0; x < 16; ++x) EXPECT_EQ(out[x], x % 2 ? 0x00ffffffu : 0u) << x;
}

}  // namespace
}  // namespace led
