#pragma once
// Picture files the player writes: the board's uncompressed bitmap layouts
// (the 32-bit form 8-bit pictures are rewritten to, the 24-bit screen
// capture), JPEG for captures, and PNG with alpha for generated media.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/display/Surface.h"
#include "platform/geometry.h"

namespace led {

// Uncompressed bottom-up 32-bit bitmap: 14-byte file header ("BM", file size
// 54 + width x height x 4, two zero words, pixel offset 54), 40-byte
// information header (width, height, 1 plane, 32 bits, no compression, every
// other field 0), then blue, green, red, 0 for each pixel, bottom row first.
std::vector<uint8_t> EncodeBmp32(const Surface& picture);

// Uncompressed bottom-up 24-bit bitmap of `area` of the picture (parts outside
// the picture are black): the same headers with 24 bits, then blue, green, red
// for each pixel, bottom row first. Rows are padded to four bytes as every
// bitmap reader expects; for widths whose rows need no padding (1920, any
// multiple of 4) the file is exactly 54 + width x height x 3 bytes.
std::vector<uint8_t> EncodeBmp24(const Surface& picture, const Rect& area);
inline std::vector<uint8_t> EncodeBmp24(const Surface& picture) {
    return EncodeBmp24(picture, picture.Bounds());
}

// Baseline JPEG (4:2:0, quality 1 to 100) through libjpeg-turbo; empty on failure.
std::vector<uint8_t> EncodeJpeg(const Surface& picture, int quality = 90);

// 8-bit RGBA PNG; `alpha` holds one opacity byte per pixel, row by row (empty:
// opaque). Empty on failure.
std::vector<uint8_t> EncodePng(const Surface& picture, std::span<const uint8_t> alpha = {});

}  // namespace led
