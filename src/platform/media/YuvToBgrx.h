#pragma once
// Planar 4:2:0 YCbCr (I420, YV12) to BGRx surface pixels, written straight
// into the destination rows with the padding byte zero. GStreamer's general
// converter costs nearly as much per frame as decoding 1080p H.264; libyuv's
// row functions, vectorised for both x86 and the boards' ARM cores, a small
// fraction of that.

#include <cstdint>

namespace led {

// The colour matrices the fast path knows; frames in others go through
// GStreamer's converter.
enum class YuvMatrix { Bt601, Bt709, Bt2020 };

struct YuvPlanes {
    const uint8_t* y;
    const uint8_t* u;               // Cb
    const uint8_t* v;               // Cr
    int yStride, uStride, vStride;  // bytes
};

// Converts `width` x `height` pixels; chroma planes hold one sample per 2x2
// block. `fullRange` for 0..255 luma and chroma, else studio range (16..235,
// 16..240). `dst` rows lie `dstStrideBytes` apart; nothing past `width`
// pixels of a row is written. False for a size libyuv refuses.
bool YuvToBgrx(const YuvPlanes& src, int width, int height, YuvMatrix matrix, bool fullRange,
               uint32_t* dst, int dstStrideBytes);

}  // namespace led
