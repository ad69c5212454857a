#include "platform/image/PngWriter.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace led {

bool WritePng(const Surface& surface, const std::string& hostPath) {
    if (surface.IsEmpty()) return false;
    std::string tmp = hostPath + ".part";
    std::FILE* file = std::fopen(tmp.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    volatile bool ok = false;  // survives libpng's longjmp
    std::vector<uint8_t> row(size_t(surface.Width()) * 3);
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        // Snapshots are taken often on small boards: favour speed over size.
        png_set_compression_level(png, 3);
        png_set_IHDR(png, info, surface.Width(), surface.Height(), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < surface.Height(); ++y) {
            const uint32_t* in = surface.Row(y);
            for (int x = 0; x < surface.Width(); ++x) {
                row[x * 3] = (in[x] >> 16) & 0xff;
                row[x * 3 + 1] = (in[x] >> 8) & 0xff;
                row[x * 3 + 2] = in[x] & 0xff;
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    bool written = (std::fclose(file) == 0) && ok;
    if (written) written = std::rename(tmp.c_str(), hostPath.c_str()) == 0;
    if (!written) std::remove(tmp.c_str());
    return written;
}

}  // namespace led
