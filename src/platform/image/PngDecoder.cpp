// PNG through libpng: every colour type and depth is expanded to 8-bit BGRA
// rows written straight into the surface; transparent pixels are then composed
// over the caller's background colour.

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstring>
#include <new>
#include <vector>

#include "platform/image/Decoders.h"

namespace led::image {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr bool kLittle = std::endian::native == std::endian::little;

struct PngLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colourType = 0;
    uint64_t compressedBytes = 0;  // IDAT payload
};

// Walks the chunks without decompressing anything: the picture's size, and
// whether the file is whole (IEND reached) and holds enough compressed data
// for the size it declares. Deflate packs at most 1032 bytes into one.
ImageError ScanChunks(std::span<const uint8_t> data, PngLayout& layout) {
    if (data.size() < 8 || std::memcmp(data.data(), kSignature, 8) != 0)
        return ImageError::UnknownFormat;
    size_t pos = 8;
    bool first = true;
    while (true) {
        if (data.size() - pos < 12) return ImageError::Truncated;
        const uint32_t length = Be32(&data[pos]);
        if (length > 0x7fffffffu) return ImageError::BadHeader;
        if (data.size() - pos - 12 < length) return ImageError::Truncated;
        const uint8_t* type = &data[pos + 4];
        const uint8_t* body = &data[pos + 8];
        if (first) {
            if (std::memcmp(type, "IHDR", 4) != 0 || length != 13) return ImageError::BadHeader;
            layout.width = Be32(body);
            layout.height = Be32(body + 4);
            layout.bitDepth = body[8];
            layout.colourType = body[9];
            first = false;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            layout.compressedBytes += length;
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            return ImageError::None;
        }
        pos += 12 + size_t(length);
    }
}

int Channels(int colourType) {
    switch (colourType) {
        case 0: return 1;  // grey
        case 2: return 3;  // RGB
        case 3: return 1;  // palette
        case 4: return 2;  // grey + alpha
        case 6: return 4;  // RGBA
        default: return 0;
    }
}

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->pos) png_error(png, "read past the end");
    std::memcpy(out, reader->data + reader->pos, count);
    reader->pos += count;
}

void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

struct PngReadStruct {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngReadStruct() {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
        if (png) info = png_create_info_struct(png);
    }
    ~PngReadStruct() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
    PngReadStruct(const PngReadStruct&) = delete;
    PngReadStruct& operator=(const PngReadStruct&) = delete;
};

// libpng leaves this function by longjmp on any error, so nothing in its
// frame may need a destructor. Rows receive 8-bit B, G, R, A (or X) bytes in
// the order of a 0xAARRGGBB word.
bool ReadRows(png_structp png, png_infop info, MemoryReader* reader, const PngLayout& layout,
              png_bytepp rows, bool* hasAlpha) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, reader, ReadFromMemory);
    png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
    png_read_info(png, info);
    if (png_get_image_width(png, info) != layout.width ||
        png_get_image_height(png, info) != layout.height)
        return false;
    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    *hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_scale_16(png);
    if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    if constexpr (kLittle) {
        png_set_bgr(png);
        if (!*hasAlpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
    } else {
        if (*hasAlpha)
            png_set_swap_alpha(png);
        else
            png_set_filler(png, 0, PNG_FILLER_BEFORE);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(layout.width) * 4) return false;
    png_read_image(png, rows);
    return true;
}

void ComposeOver(Surface& picture, Colour background) {
    const uint32_t bg[3] = {background.Blue(), background.Green(), background.Red()};
    uint32_t* px = picture.Data();
    const size_t count = size_t(picture.Width()) * size_t(picture.Height());
    for (size_t i = 0; i < count; ++i) {
        const uint32_t v = px[i], a = v >> 24;
        if (a == 255) {
            px[i] = v & 0xffffff;
            continue;
        }
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
            const uint32_t fg = (v >> (8 * c)) & 0xff;
            out |= ((fg * a + bg[c] * (255 - a) + 127) / 255) << (8 * c);
        }
        px[i] = out;
    }
}

}  // namespace

ImageResult DecodePng(std::span<const uint8_t> data, int64_t maxPixels, Colour background) {
    auto fail = [](ImageError e) { return ImageResult::Failure(e, ImageFormat::Png); };
    PngLayout layout;
    if (ImageError e = ScanChunks(data, layout); e != ImageError::None) return fail(e);
    const int channels = Channels(layout.colourType);
    const int depth = layout.bitDepth;
    if (channels == 0 || (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16))
        return fail(ImageError::BadHeader);
    if (layout.width == 0 || layout.height == 0 || layout.width > 0x7fffffffu ||
        layout.height > 0x7fffffffu)
        return fail(ImageError::BadHeader);
    if (!WithinPixelLimit(layout.width, layout.height, maxPixels))
        return fail(ImageError::TooLarge);
    const uint64_t rowBytes = (uint64_t(layout.width) * uint64_t(channels * depth) + 7) / 8;
    const uint64_t rawBytes = uint64_t(layout.height) * (rowBytes + 1);
    if (rawBytes / 1032 > layout.compressedBytes + 64) return fail(ImageError::Truncated);

    ImageResult result;
    result.format = ImageFormat::Png;
    std::vector<png_bytep> rows;
    try {
        result.picture = Surface::Uninitialised(int(layout.width), int(layout.height));
        rows.resize(layout.height);
    } catch (const std::bad_alloc&) {
        return fail(ImageError::OutOfMemory);
    }
    for (uint32_t y = 0; y < layout.height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(result.picture.Row(int(y)));

    PngReadStruct reader;
    if (!reader.png || !reader.info) return fail(ImageError::OutOfMemory);
    MemoryReader source{data.data(), data.size(), 0};
    bool hasAlpha = false;
    if (!ReadRows(reader.png, reader.info, &source, layout, rows.data(), &hasAlpha))
        return fail(ImageError::Corrupt);
    if (hasAlpha) ComposeOver(result.picture, background);
    result.bitsPerPixel = hasAlpha ? 32 : 24;
    return result;
}

}  // namespace led::image
