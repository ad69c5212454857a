#include "platform/display/Surface.h"

#include <algorithm>

namespace led {

Surface::Surface(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)) {
    if (width_ > 0 && height_ > 0)
        pixels_ = std::make_unique<uint32_t[]>(size_t(width_) * size_t(height_));
    else
        width_ = height_ = 0;
}

Surface Surface::Uninitialised(int width, int height) {
    Surface s;
    if (width > 0 && height > 0) {
        s.width_ = width;
        s.height_ = height;
        s.pixels_ = std::make_unique_for_overwrite<uint32_t[]>(size_t(width) * size_t(height));
    }
    return s;
}

Surface Surface::Clone() const {
    Surface copy(width_, height_);
    if (!IsEmpty()) std::memcpy(copy.Data(), Data(), size_t(width_) * height_ * 4);
    return copy;
}

}  // namespace led
