#pragma once
// The per-format decoders behind ImageCodec. Each takes the whole file image
// and the pixel limit, and checks every field against the data it was given.

#include <cstdint>
#include <functional>
#include <span>

#include "platform/image/ImageCodec.h"

namespace led::image {

ImageResult DecodeBmp(std::span<const uint8_t> data, int64_t maxPixels);

// Fills `out` with `count` bytes of the file from `offset`; false when it cannot.
using ByteReader = std::function<bool(uint64_t offset, size_t count, uint8_t* out)>;
// A bitmap file of `fileSize` bytes whose first bytes are `head` (at least
// the headers and palette of any file it takes, 4 KB do); the pixel rows
// beyond the head are fetched through `read` a chunk at a time, so the file
// is never held whole.
ImageResult DecodeBmp(std::span<const uint8_t> head, uint64_t fileSize, int64_t maxPixels,
                      const ByteReader& read);
ImageResult DecodeJpeg(std::span<const uint8_t> data, int64_t maxPixels);
ImageResult DecodePng(std::span<const uint8_t> data, int64_t maxPixels, Colour background);

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
