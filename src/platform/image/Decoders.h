#pragma once
// The per-format decoders behind ImageCodec. Each takes the whole file image
// and the pixel limit, and checks every field against the data it was given.

#include <cstdint>
#include <span>

#include "platform/image/ImageCodec.h"

namespace led::image {

ImageResult DecodeBmp(std::span<const uint8_t> data, int64_t maxPixels);
ImageResult DecodeJpeg(std::span<const uint8_t> data, int64_t maxPixels);
ImageResult DecodePng(std::span<const uint8_t> data, int64_t maxPixels, Colour background);

// How many bytes from the start of a BMP file the decoder reads, judged from
// its first bytes (`head`, which holds at least the headers and palette of any
// file it can take). When the head does not describe a loadable picture,
// head.size(): decoding that much reports why.
uint64_t BmpBytesNeeded(std::span<const uint8_t> head, uint64_t fileSize, int64_t maxPixels);

// EXIF orientation (1 to 8) from a JPEG's APP1 segment; 1 when absent or unreadable.
int JpegExifOrientation(std::span<const uint8_t> data);
// Turns a decoded picture upright for an EXIF orientation.
Surface Orient(Surface&& picture, int orientation);

// Little-endian and big-endian field readers; callers check bounds first.
inline uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t Be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
inline uint32_t Be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// The pixel limit check shared by all formats (width and height already > 0).
inline bool WithinPixelLimit(uint64_t width, uint64_t height, int64_t maxPixels) {
    return maxPixels > 0 && width * height <= uint64_t(maxPixels);
}

}  // namespace led::image
