#pragma once
// A block of 32-bit xRGB pixels (0xxxRRGGBB, native endianness, rows of exactly
// width pixels). The top byte is undefined: compare pixels with & 0xffffff. Windows, pictures and the output raster are Surfaces.

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "platform/geometry.h"

namespace led {

class Surface {
public:
    Surface() = default;
    Surface(int width, int height);  // zero-filled (black)
    // Pixels left unset, for decoders that write every one of them: saves
    // clearing a picture that is overwritten at once.
    static Surface Uninitialised(int width, int height);
    Surface(Surface&&) noexcept = default;
    Surface& operator=(Surface&&) noexcept = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    Surface Clone() const;

    int Width() const { return width_; }
    int Height() const { return height_; }
    Size GetSize() const { return {width_, height_}; }
    Rect Bounds() const { return {0, 0, width_, height_}; }
    int StrideBytes() const { return width_ * 4; }
    bool IsEmpty() const { return width_ <= 0 || height_ <= 0; }

    uint32_t* Row(int y) { return pixels_.get() + size_t(y) * size_t(width_); }
    const uint32_t* Row(int y) const { return pixels_.get() + size_t(y) * size_t(width_); }
    uint32_t* Data() { return pixels_.get(); }
    const uint32_t* Data() const { return pixels_.get(); }
    uint32_t Pixel(int x, int y) const { return Row(y)[x]; }
    void SetPixel(int x, int y, uint32_t px) { Row(y)[x] = px; }

private:
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<uint32_t[]> pixels_;
};

}  // namespace led
