// Windows bitmap files: core (12-byte), information (40-byte) and the later
// V2 to V5 headers; 1, 4 and 8 bits with a palette, 16 and 32 bits plain or
// with bit-field masks, 24 bits; rows bottom-up or top-down. Compressed
// bitmaps (RLE, embedded JPEG or PNG) are not decoded.

#include <algorithm>
#include <bit>
#include <memory>
#include <new>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "platform/image/Decoders.h"

namespace led::image {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

struct BmpHeader {
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0;
    bool topDown = false;
    int bitsPerPixel = 0;
    uint32_t compression = kBiRgb;
    uint32_t masks[3] = {};  // red, green, blue
    bool hasMasks = false;
    uint64_t paletteOffset = 0;
    uint32_t paletteCount = 0;
    uint32_t paletteEntrySize = 4;
    uint64_t pixelOffset = 0;
    uint64_t stride = 0;   // bytes per row, padded to 4
    uint64_t rowUsed = 0;  // bytes of a row that hold pixels
};

// Bytes the pixel rows occupy: the last row need not carry its padding.
uint64_t PixelBytes(const BmpHeader& h) { return h.stride * uint64_t(h.height - 1) + h.rowUsed; }

// Reads and checks everything but the pixel rows. The limit is checked before
// any size arithmetic that could otherwise overflow.
// `data` holds at least the headers and the palette; `fileSize` is the size of
// the whole file, against which the pixel rows are checked.
ImageError ParseHeader(std::span<const uint8_t> data, uint64_t fileSize, int64_t maxPixels,
                       BmpHeader& h) {
    const uint8_t* p = data.data();
    const uint64_t size = data.size();
    if (size < kFileHeaderSize + 4) return ImageError::Truncated;
    if (p[0] != 'B' || p[1] != 'M') return ImageError::UnknownFormat;
    h.pixelOffset = Le32(p + 10);
    h.headerSize = Le32(p + 14);
    const uint32_t hs = h.headerSize;
    if (hs != 12 && hs != 16 && hs != 40 && hs != 52 && hs != 56 && hs != 64 && hs != 108 &&
        hs != 124)
        return ImageError::BadHeader;
    if (size < kFileHeaderSize + hs) return ImageError::Truncated;
    const uint8_t* info = p + kFileHeaderSize;
    int planes = 0;
    if (hs == 12) {
        h.width = Le16(info + 4);
        h.height = Le16(info + 6);
        planes = Le16(info + 8);
        h.bitsPerPixel = Le16(info + 10);
        h.paletteEntrySize = 3;
    } else {
        h.width = int32_t(Le32(info + 4));
        h.height = int32_t(Le32(info + 8));
        planes = Le16(info + 12);
        h.bitsPerPixel = Le16(info + 14);
        // The short OS/2 header (16 bytes) stops after the depth.
        h.compression = hs >= 20 ? Le32(info + 16) : kBiRgb;
    }
    if (planes != 1) return ImageError::BadHeader;
    if (h.width <= 0 || h.height == 0) return ImageError::BadHeader;
    if (h.height < 0) {
        h.topDown = true;
        h.height = -h.height;  // int64: INT32_MIN negates safely
    }
    if (!WithinPixelLimit(uint64_t(h.width), uint64_t(h.height), maxPixels))
        return ImageError::TooLarge;

    const int bpp = h.bitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return ImageError::Unsupported;
    uint64_t afterHeader = kFileHeaderSize + hs;
    // OS/2 headers number their compressions differently; only plain rows are taken.
    if ((hs == 16 || hs == 64) && h.compression != kBiRgb) return ImageError::Unsupported;
    if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
        if (bpp != 16 && bpp != 32) return ImageError::BadHeader;
        // A plain information header is followed by the masks; later headers hold them.
        const uint8_t* masks = info + 40;
        if (hs == 40) {
            uint64_t maskBytes = h.compression == kBiAlphaBitfields ? 16 : 12;
            if (size < afterHeader + maskBytes) return ImageError::Truncated;
            afterHeader += maskBytes;
        } else if (hs < 52) {
            return ImageError::BadHeader;
        }
        for (int i = 0; i < 3; ++i) h.masks[i] = Le32(masks + 4 * i);
        h.hasMasks = true;
    } else if (h.compression != kBiRgb) {
        return ImageError::Unsupported;
    }
    if (bpp <= 8) {
        uint32_t used = hs >= 40 ? Le32(info + 32) : 0;
        if (used > 256) return ImageError::BadHeader;
        h.paletteCount = used ? used : 1u << bpp;
        if (h.paletteCount > (1u << bpp)) h.paletteCount = 1u << bpp;  // the rest is never indexed
        h.paletteOffset = afterHeader;
        if (size < h.paletteOffset + uint64_t(h.paletteCount) * h.paletteEntrySize)
            return ImageError::Truncated;
    }

    h.stride = (uint64_t(h.width) * uint64_t(bpp) + 31) / 32 * 4;
    h.rowUsed = (uint64_t(h.width) * uint64_t(bpp) + 7) / 8;
    if (h.pixelOffset < afterHeader || h.pixelOffset >= fileSize) return ImageError::BadHeader;
    // Compare by division: stride x height may not fit in 64 bits for a large limit.
    const uint64_t available = fileSize - h.pixelOffset;
    if (h.rowUsed > available || uint64_t(h.height - 1) > (available - h.rowUsed) / h.stride)
        return ImageError::Truncated;
    return ImageError::None;
}

// Maps a pixel value through one bit-field mask to 0..255, scaling exactly
// (a 5-bit 31 becomes 255, not 248).
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m) : mask(m) {
        if (mask == 0) return;
        shift = std::countr_zero(mask);
        max = mask >> shift;
    }
    bool Contiguous() const { return mask == 0 || (max & (max + 1)) == 0; }
    uint32_t operator()(uint32_t px) const {
        if (max == 0) return 0;
        uint32_t v = (px & mask) >> shift;
        return uint32_t((uint64_t(v) * 255 + max / 2) / max);
    }
};

void DecodePalettedRow(const uint8_t* src, uint32_t* out, int64_t width, int bpp,
                       const uint32_t* palette) {
    if (bpp == 8) {
        for (int64_t x = 0; x < width; ++x) out[x] = palette[src[x]];
    } else if (bpp == 4) {
        for (int64_t x = 0; x < width; ++x)
            out[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0f];
    } else {
        for (int64_t x = 0; x < width; ++x) out[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
    }
}

// Three bytes a pixel (blue, green, red) to 0x00RRGGBB words.
void Decode24RowScalar(const uint8_t* src, uint32_t* out, int64_t width) {
    int64_t x = 0;
    // Four pixels from three little-endian words at a time.
    for (; x + 4 <= width; x += 4, src += 12) {
        uint32_t w0 = Le32(src), w1 = Le32(src + 4), w2 = Le32(src + 8);
        out[x] = w0 & 0xffffff;
        out[x + 1] = (w0 >> 24) | (w1 & 0xffff) << 8;
        out[x + 2] = (w1 >> 16) | (w2 & 0xff) << 16;
        out[x + 3] = w2 >> 8;
    }
    for (; x < width; ++x, src += 3) out[x] = uint32_t(src[0]) | src[1] << 8 | src[2] << 16;
}

#if defined(__x86_64__) || defined(__i386__)
// One byte shuffle turns four packed pixels into four words. Loads are 16
// bytes for 12 used, so the last pixels of a row go the scalar way and no
// load reaches past the row. A picture is larger than the caches and read
// back much later: stores bypass the cache (aligned, so the first pixels of a
// row may go the scalar way too) and skip reading the lines they overwrite.
__attribute__((target("ssse3"))) void Decode24RowSsse3(const uint8_t* src, uint32_t* out,
                                                       int64_t width) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    int64_t x = std::min<int64_t>(width, int64_t((16 - (uintptr_t(out) & 15)) & 15) / 4);
    Decode24RowScalar(src, out, x);
    for (; x + 18 <= width; x += 16) {
        const uint8_t* s = src + 3 * x;
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 12));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 24));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 36));
        _mm_stream_si128(reinterpret_cast<__m128i*>(out + x), _mm_shuffle_epi8(a, spread));
        _mm_stream_si128(reinterpret_cast<__m128i*>(out + x + 4), _mm_shuffle_epi8(b, spread));
        _mm_stream_si128(reinterpret_cast<__m128i*>(out + x + 8), _mm_shuffle_epi8(c, spread));
        _mm_stream_si128(reinterpret_cast<__m128i*>(out + x + 12), _mm_shuffle_epi8(d, spread));
    }
    Decode24RowScalar(src + 3 * x, out + x, width - x);
}

void Decode24Row(const uint8_t* src, uint32_t* out, int64_t width) {
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3)
        Decode24RowSsse3(src, out, width);
    else
        Decode24RowScalar(src, out, width);
}

// Makes the streamed stores visible before the picture is handed on.
void FinishRows() { _mm_sfence(); }
#else
void Decode24Row(const uint8_t* src, uint32_t* out, int64_t width) {
    Decode24RowScalar(src, out, width);
}

void FinishRows() {}
#endif

// Everything a row needs besides its bytes: palette or channel masks.
class RowDecoder {
public:
    // False when the masks cannot be scaled (bits not contiguous).
    bool Prepare(const BmpHeader& h, const uint8_t* file) {
        header_ = &h;
        for (uint32_t i = 0; i < h.paletteCount; ++i) {
            const uint8_t* e = file + h.paletteOffset + uint64_t(i) * h.paletteEntrySize;
            palette_[i] = uint32_t(e[0]) | e[1] << 8 | e[2] << 16;
        }
        uint32_t masks[3] = {0x7c00, 0x03e0, 0x001f};  // 16 bits without masks: 5-5-5
        if (h.hasMasks)
            std::copy(h.masks, h.masks + 3, masks);
        else if (h.bitsPerPixel == 32)
            masks[0] = 0xff0000, masks[1] = 0xff00, masks[2] = 0xff;
        red_ = Channel(masks[0]), green_ = Channel(masks[1]), blue_ = Channel(masks[2]);
        plain32_ = masks[0] == 0xff0000 && masks[1] == 0xff00 && masks[2] == 0xff;
        return red_.Contiguous() && green_.Contiguous() && blue_.Contiguous();
    }

    // Decodes `count` rows in file order, starting with file row `first`,
    // whose bytes lie `stride` apart from `rows`.
    void Decode(const uint8_t* rows, int64_t first, int64_t count, Surface& picture) const {
        const BmpHeader& h = *header_;
        for (int64_t i = 0; i < count; ++i) {
            const int64_t row = first + i;
            DecodeRow(rows + uint64_t(i) * h.stride,
                      picture.Row(int(h.topDown ? row : h.height - 1 - row)));
        }
    }

private:
    void DecodeRow(const uint8_t* src, uint32_t* out) const {
        const int64_t width = header_->width;
        switch (header_->bitsPerPixel) {
            case 1:
            case 4:
            case 8: DecodePalettedRow(src, out, width, header_->bitsPerPixel, palette_); break;
            case 24: Decode24Row(src, out, width); break;
            case 32:
                if (plain32_) {
                    for (int64_t x = 0; x < width; ++x) out[x] = Le32(src + 4 * x) & 0xffffff;
                    break;
                }
                for (int64_t x = 0; x < width; ++x) {
                    const uint32_t px = Le32(src + 4 * x);
                    out[x] = red_(px) << 16 | green_(px) << 8 | blue_(px);
                }
                break;
            case 16:
                for (int64_t x = 0; x < width; ++x) {
                    const uint32_t px = Le16(src + 2 * x);
                    out[x] = red_(px) << 16 | green_(px) << 8 | blue_(px);
                }
                break;
        }
    }

    const BmpHeader* header_ = nullptr;
    uint32_t palette_[256] = {};  // indices beyond the file's palette show black
    Channel red_{0}, green_{0}, blue_{0};
    bool plain32_ = false;
};

// Rows read from the file in chunks of about this size, decoded while they
// are still in the cache.
constexpr uint64_t kChunkBytes = 256 * 1024;

}  // namespace

ImageResult DecodeBmp(std::span<const uint8_t> head, uint64_t fileSize, int64_t maxPixels,
                      const ByteReader& read) {
    auto fail = [](ImageError e) { return ImageResult::Failure(e, ImageFormat::Bmp); };
    BmpHeader h;
    if (ImageError e = ParseHeader(head, fileSize, maxPixels, h); e != ImageError::None)
        return fail(e);
    RowDecoder rows;
    if (!rows.Prepare(h, head.data())) return fail(ImageError::BadHeader);

    ImageResult result;
    result.format = ImageFormat::Bmp;
    result.bitsPerPixel = h.bitsPerPixel;
    try {
        result.picture = Surface::Uninitialised(int(h.width), int(h.height));
    } catch (const std::bad_alloc&) {
        return fail(ImageError::OutOfMemory);
    }
    if (h.pixelOffset + PixelBytes(h) <= head.size()) {
        rows.Decode(head.data() + h.pixelOffset, 0, h.height, result.picture);
        FinishRows();
        return result;
    }
    if (!read) return fail(ImageError::Truncated);
    const uint64_t perChunk = std::max<uint64_t>(1, kChunkBytes / h.stride);
    std::unique_ptr<uint8_t[]> chunk;
    try {
        chunk.reset(
            new uint8_t[size_t(std::min<uint64_t>(perChunk, uint64_t(h.height)) * h.stride)]);
    } catch (const std::bad_alloc&) {
        return fail(ImageError::OutOfMemory);
    }
    for (int64_t first = 0; first < h.height;) {
        const int64_t count = int64_t(std::min<uint64_t>(perChunk, uint64_t(h.height - first)));
        // The file's last row may come without its padding.
        const uint64_t bytes = uint64_t(count - 1) * h.stride + h.rowUsed;
        if (!read(h.pixelOffset + uint64_t(first) * h.stride, size_t(bytes), chunk.get()))
            return fail(ImageError::Truncated);
        rows.Decode(chunk.get(), first, count, result.picture);
        first += count;
    }
    FinishRows();
    return result;
}

ImageResult DecodeBmp(std::span<const uint8_t> data, int64_t maxPixels) {
    return DecodeBmp(data, data.size(), maxPixels, nullptr);
}

}  // namespace led::image
