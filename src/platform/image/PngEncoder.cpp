#include <png.h>

#include "platform/image/ImageWriters.h"

namespace led {
namespace {

void AppendToVector(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

// libpng leaves by longjmp on error: nothing here needs a destructor.
bool WriteRows(png_structp png, png_infop info, std::vector<uint8_t>* out, int width, int height,
               png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, AppendToVector, nullptr);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

std::vector<uint8_t> EncodePng(const Surface& picture, std::span<const uint8_t> alpha) {
    const int w = picture.Width(), h = picture.Height();
    if (picture.IsEmpty()) return {};
    if (!alpha.empty() && alpha.size() != size_t(w) * size_t(h)) return {};
    std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4);
    std::vector<png_bytep> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) {
        uint8_t* out = rgba.data() + size_t(y) * size_t(w) * 4;
        rows[size_t(y)] = out;
        for (int x = 0; x < w; ++x, out += 4) {
            const uint32_t px = picture.Pixel(x, y);
            out[0] = uint8_t(px >> 16);
            out[1] = uint8_t(px >> 8);
            out[2] = uint8_t(px);
            out[3] = alpha.empty() ? 255 : alpha[size_t(y) * size_t(w) + size_t(x)];
        }
    }
    std::vector<uint8_t> file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool ok = png && info && WriteRows(png, info, &file, w, h, rows.data());
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    if (!ok) file.clear();
    return file;
}

}  // namespace led
