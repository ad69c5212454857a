#include "platform/media/YuvToBgrx.h"

#include <libyuv/convert_argb.h>

#include <vector>

namespace led {

namespace {

const libyuv::YuvConstants& Constants(YuvMatrix matrix, bool fullRange) {
    switch (matrix) {
        case YuvMatrix::Bt601:
            return fullRange ? libyuv::kYuvJPEGConstants : libyuv::kYuvI601Constants;
        case YuvMatrix::Bt709:
            return fullRange ? libyuv::kYuvF709Constants : libyuv::kYuvH709Constants;
        case YuvMatrix::Bt2020:
            return fullRange ? libyuv::kYuvV2020Constants : libyuv::kYuv2020Constants;
    }
    return libyuv::kYuvI601Constants;
}

}  // namespace

bool YuvToBgrx(const YuvPlanes& src, int width, int height, YuvMatrix matrix, bool fullRange,
               uint32_t* dst, int dstStrideBytes) {
    if (width <= 0 || height <= 0) return false;
    // libyuv's ARGB is B, G, R, A in memory, our BGRx. It writes an opaque
    // alpha; surfaces keep the padding byte zero, so the alpha comes from one
    // zero row read again for every row (stride 0) in the same pass, cheaper
    // than clearing the bytes afterwards.
    const std::vector<uint8_t> zeroAlpha(size_t(width), 0);
    return libyuv::I420AlphaToARGBMatrix(src.y, src.yStride, src.u, src.uStride, src.v, src.vStride,
                                         zeroAlpha.data(), 0, reinterpret_cast<uint8_t*>(dst),
                                         dstStrideBytes, &Constants(matrix, fullRange), width,
                                         height,
                                         /*attenuate=*/0) == 0;
}

}  // namespace led
