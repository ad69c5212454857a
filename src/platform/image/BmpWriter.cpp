#include <cstring>

#include "platform/image/ImageWriters.h"

namespace led {
namespace {

constexpr size_t kHeadersSize = 54;

void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// The file header and the information header; every field not named is 0.
void PutHeaders(uint8_t* p, int width, int height, int bitsPerPixel, uint32_t fileSize) {
    std::memset(p, 0, kHeadersSize);
    p[0] = 'B';
    p[1] = 'M';
    PutLe32(p + 2, fileSize);
    PutLe32(p + 10, kHeadersSize);
    PutLe32(p + 14, 40);
    PutLe32(p + 18, uint32_t(width));
    PutLe32(p + 22, uint32_t(height));
    PutLe16(p + 26, 1);
    PutLe16(p + 28, uint16_t(bitsPerPixel));
}

}  // namespace

std::vector<uint8_t> EncodeBmp32(const Surface& picture) {
    const int w = picture.Width(), h = picture.Height();
    const size_t size = kHeadersSize + size_t(w) * size_t(h) * 4;
    if (size > UINT32_MAX) return {};
    std::vector<uint8_t> file(size);
    PutHeaders(file.data(), w, h, 32, uint32_t(size));
    uint8_t* out = file.data() + kHeadersSize;
    for (int y = h - 1; y >= 0; --y) {
        const uint32_t* row = picture.Row(y);
        for (int x = 0; x < w; ++x, out += 4) PutLe32(out, row[x] & 0xffffff);
    }
    return file;
}

std::vector<uint8_t> EncodeBmp24(const Surface& picture, const Rect& area) {
    if (area.width < 0 || area.height < 0) return {};
    const int w = area.width, h = area.height;
    const size_t stride = (size_t(w) * 3 + 3) / 4 * 4;
    const size_t size = kHeadersSize + stride * size_t(h);
    if (size > UINT32_MAX) return {};
    std::vector<uint8_t> file(size);  // padding and uncovered parts stay 0 (black)
    PutHeaders(file.data(), w, h, 24, uint32_t(size));
    const Rect inside = area.Intersected(picture.Bounds());
    for (int y = inside.Top(); y < inside.Bottom(); ++y) {
        const uint32_t* row = picture.Row(y);
        uint8_t* out = file.data() + kHeadersSize + stride * size_t(area.Bottom() - 1 - y) +
                       size_t(inside.Left() - area.Left()) * 3;
        for (int x = inside.Left(); x < inside.Right(); ++x, out += 3) {
            out[0] = uint8_t(row[x]);
            out[1] = uint8_t(row[x] >> 8);
            out[2] = uint8_t(row[x] >> 16);
        }
    }
    return file;
}

}  // namespace led
