#include "YuvToBgrxSse2.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sse2baseline {

// Each channel is a sum of non-negative products in 1/64 of a level, less a
// bias, shifted down and clamped to 0..255. A product is (sample << 8) times
// a gain in 1/16384, high half: the sample times the gain in 1/64, with the
// gain's precision kept. Green takes 255 - U and 255 - V so that its terms
// stay positive too. Every sum fits 16 bits unsigned: the largest, luma plus
// U into blue, is at most 255 * (74.5 + 135.3) for studio-range BT.709.
YuvCoefficients MakeYuvCoefficients(double kr, double kb, bool fullRange) {
    const double kg = 1.0 - kr - kb;
    const double yScale = fullRange ? 1.0 : 255.0 / 219.0;
    const double cScale = fullRange ? 1.0 : 255.0 / 224.0;
    const double rv = cScale * 2.0 * (1.0 - kr), bu = cScale * 2.0 * (1.0 - kb);
    const double gu = bu * kb / kg, gv = rv * kr / kg;
    auto gain = [](double v) { return uint16_t(std::lround(v * 16384.0)); };
    const double y0 = (fullRange ? 0 : 16) * yScale;
    // The bias also takes off half a step, so the shift rounds to nearest.
    auto bias = [](double v) { return uint16_t(std::lround(v * 64.0) - 32); };
    YuvCoefficients k;
    k.y = gain(yScale);
    k.rv = gain(rv);
    k.gu = gain(gu);
    k.gv = gain(gv);
    k.bu = gain(bu);
    k.biasR = bias(y0 + 128 * rv);
    k.biasG = bias(y0 + 127 * (gu + gv));
    k.biasB = bias(y0 + 128 * bu);
    return k;
}

namespace {

inline int Product(int sample, int gain) {
    return int(uint32_t(sample << 8) * uint32_t(gain) >> 16);
}

inline uint32_t Channel(int sum, int bias) {
    return uint32_t(std::clamp((sum - bias) >> 6, 0, 255));
}

inline uint32_t Pixel(int y, int u, int v, const YuvCoefficients& k) {
    const int yy = Product(y, k.y);
    return Channel(yy + Product(v, k.rv), k.biasR) << 16 |
           Channel(yy + Product(255 - u, k.gu) + Product(255 - v, k.gv), k.biasG) << 8 |
           Channel(yy + Product(u, k.bu), k.biasB);
}

#if defined(__SSE2__)
// Sixteen pixels (eight chroma samples) per step in SSE2, which every x86-64
// has: unpacking bytes above a zero byte gives sample << 8, unsigned
// saturating subtraction clamps at 0 and packing to bytes at 255.
void Row(const uint8_t* y, const uint8_t* u, const uint8_t* v, int width, const YuvCoefficients& k,
         uint32_t* dst) {
    const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi8(-1);
    const __m128i ky = _mm_set1_epi16(short(k.y)), krv = _mm_set1_epi16(short(k.rv)),
                  kgu = _mm_set1_epi16(short(k.gu)), kgv = _mm_set1_epi16(short(k.gv)),
                  kbu = _mm_set1_epi16(short(k.bu)), br = _mm_set1_epi16(short(k.biasR)),
                  bg = _mm_set1_epi16(short(k.biasG)), bb = _mm_set1_epi16(short(k.biasB));
    auto channel = [](__m128i sum, __m128i bias) {
        return _mm_srli_epi16(_mm_subs_epu16(sum, bias), 6);
    };
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i y8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x));
        __m128i u8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(u + x / 2));
        __m128i v8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(v + x / 2));
        u8 = _mm_unpacklo_epi8(u8, u8);  // each sample for two pixels
        v8 = _mm_unpacklo_epi8(v8, v8);
        const __m128i nu8 = _mm_xor_si128(u8, ones), nv8 = _mm_xor_si128(v8, ones);  // 255 - c
        __m128i r[2], g[2], b[2];
        for (int half = 0; half < 2; ++half) {
            auto high = [&](__m128i bytes) {
                return half ? _mm_unpackhi_epi8(zero, bytes) : _mm_unpacklo_epi8(zero, bytes);
            };
            const __m128i yy = _mm_mulhi_epu16(high(y8), ky);
            r[half] = channel(_mm_add_epi16(yy, _mm_mulhi_epu16(high(v8), krv)), br);
            g[half] = channel(_mm_add_epi16(_mm_add_epi16(yy, _mm_mulhi_epu16(high(nu8), kgu)),
                                            _mm_mulhi_epu16(high(nv8), kgv)),
                              bg);
            b[half] = channel(_mm_add_epi16(yy, _mm_mulhi_epu16(high(u8), kbu)), bb);
        }
        const __m128i r8 = _mm_packus_epi16(r[0], r[1]), g8 = _mm_packus_epi16(g[0], g[1]),
                      b8 = _mm_packus_epi16(b[0], b[1]);
        const __m128i bgLo = _mm_unpacklo_epi8(b8, g8), bgHi = _mm_unpackhi_epi8(b8, g8);
        const __m128i rLo = _mm_unpacklo_epi8(r8, zero), rHi = _mm_unpackhi_epi8(r8, zero);
        auto* out = reinterpret_cast<__m128i*>(dst + x);
        _mm_storeu_si128(out, _mm_unpacklo_epi16(bgLo, rLo));
        _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(bgLo, rLo));
        _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(bgHi, rHi));
        _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(bgHi, rHi));
    }
    for (; x < width; ++x) dst[x] = Pixel(y[x], u[x / 2], v[x / 2], k);
}
#else
void Row(const uint8_t* y, const uint8_t* u, const uint8_t* v, int width, const YuvCoefficients& k,
         uint32_t* dst) {
    for (int x = 0; x < width; ++x) dst[x] = Pixel(y[x], u[x / 2], v[x / 2], k);
}
#endif

}  // namespace

void YuvToBgrx(const YuvPlanes& src, int width, int height, const YuvCoefficients& k, uint32_t* dst,
               int dstStrideBytes) {
    auto* out = reinterpret_cast<uint8_t*>(dst);
    for (int row = 0; row < height; ++row)
        Row(src.y + size_t(row) * src.yStride, src.u + size_t(row / 2) * src.uStride,
            src.v + size_t(row / 2) * src.vStride, width, k,
            reinterpret_cast<uint32_t*>(out + size_t(row) * dstStrideBytes));
}

}  // namespace sse2baseline
