// JPEG through the TurboJPEG API of libjpeg-turbo, decoded straight into the
// surface's pixel rows, then turned upright by the file's EXIF orientation.

#include <turbojpeg.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <memory>
#include <new>

#include "platform/image/Decoders.h"

namespace led::image {
namespace {

struct TjDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

// Surface pixels are 0x00RRGGBB words: B, G, R, X in memory on little-endian machines.
constexpr int kSurfacePixelFormat =
    std::endian::native == std::endian::little ? TJPF_BGRX : TJPF_XRGB;

// Markers are walked up to the first scan; `fn` sees each segment's marker
// and payload and returns false to stop. Returns the offset of the first
// scan's data, or 0 when the marker structure breaks off before one.
template <typename Fn>
size_t WalkSegments(std::span<const uint8_t> data, Fn&& fn) {
    size_t pos = 2;  // after SOI
    while (pos + 4 <= data.size()) {
        if (data[pos] != 0xff) return 0;
        uint8_t marker = data[pos + 1];
        if (marker == 0xff) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd8)) {  // no length field
            pos += 2;
            continue;
        }
        size_t length = Be16(&data[pos + 2]);
        if (length < 2 || pos + 2 + length > data.size()) return 0;
        if (marker == 0xda) return pos + 2 + length;
        if (!fn(marker, data.subspan(pos + 4, length - 2))) return 0;
        pos += 2 + length;
    }
    return 0;
}

// A picture is whole when an end-of-image marker follows its first scan:
// entropy-coded data never holds 0xFF 0xD9, so a cut-off file has none.
bool HasEndAfter(std::span<const uint8_t> data, size_t scanStart) {
    for (size_t i = data.size(); i-- > scanStart + 1;)
        if (data[i] == 0xd9 && data[i - 1] == 0xff) return true;
    return false;
}

int OrientationFromTiff(std::span<const uint8_t> tiff) {
    if (tiff.size() < 8) return 1;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) return 1;
    auto u16 = [&](size_t at) { return little ? Le16(&tiff[at]) : Be16(&tiff[at]); };
    auto u32 = [&](size_t at) { return little ? Le32(&tiff[at]) : Be32(&tiff[at]); };
    if (u16(2) != 42) return 1;
    const uint64_t ifd = u32(4);
    if (ifd + 2 > tiff.size()) return 1;
    const unsigned count = u16(size_t(ifd));
    for (unsigned i = 0; i < count; ++i) {
        const uint64_t entry = ifd + 2 + uint64_t(i) * 12;
        if (entry + 12 > tiff.size()) return 1;
        if (u16(size_t(entry)) != 0x0112) continue;
        // SHORT, one value, held in the first half of the value field.
        if (u16(size_t(entry) + 2) != 3 || u32(size_t(entry) + 4) != 1) return 1;
        const int value = u16(size_t(entry) + 8);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

}  // namespace

int JpegExifOrientation(std::span<const uint8_t> data) {
    int orientation = 1;
    if (data.size() < 4 || data[0] != 0xff || data[1] != 0xd8) return 1;
    WalkSegments(data, [&](uint8_t marker, std::span<const uint8_t> payload) {
        static constexpr uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
        if (marker != 0xe1 || payload.size() < 6 || !std::equal(kExif, kExif + 6, payload.begin()))
            return true;
        orientation = OrientationFromTiff(payload.subspan(6));
        return false;
    });
    return orientation;
}

Surface Orient(Surface&& picture, int orientation) {
    if (orientation < 2 || orientation > 8 || picture.IsEmpty()) return std::move(picture);
    const int w = picture.Width(), h = picture.Height();
    const bool swap = orientation >= 5;
    Surface out = Surface::Uninitialised(swap ? h : w, swap ? w : h);
    // For each output pixel (x, y), the stored pixel it shows.
    for (int y = 0; y < out.Height(); ++y) {
        uint32_t* row = out.Row(y);
        for (int x = 0; x < out.Width(); ++x) {
            int sx = x, sy = y;
            switch (orientation) {
                case 2: sx = w - 1 - x; break;                  // mirrored
                case 3: sx = w - 1 - x, sy = h - 1 - y; break;  // upside down
                case 4: sy = h - 1 - y; break;                  // mirrored vertically
                case 5: sx = y, sy = x; break;                  // transposed
                case 6: sx = y, sy = h - 1 - x; break;          // turn clockwise
                case 7: sx = w - 1 - y, sy = h - 1 - x; break;  // transversed
                case 8: sx = w - 1 - y, sy = x; break;          // turn anticlockwise
            }
            row[x] = picture.Pixel(sx, sy);
        }
    }
    return out;
}

ImageResult DecodeJpeg(std::span<const uint8_t> data, int64_t maxPixels) {
    auto fail = [](ImageError e) { return ImageResult::Failure(e, ImageFormat::Jpeg); };
    if (data.size() < 4 || data[0] != 0xff || data[1] != 0xd8)
        return fail(ImageError::UnknownFormat);
    if (data.size() > ULONG_MAX) return fail(ImageError::TooLarge);
    TjHandle tj(tjInitDecompress());
    if (!tj) return fail(ImageError::OutOfMemory);
    unsigned char* bytes = const_cast<unsigned char*>(data.data());  // TurboJPEG only reads
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(tj.get(), bytes, data.size(), &width, &height, &subsampling,
                            &colourspace) != 0)
        return fail(ImageError::BadHeader);
    if (width <= 0 || height <= 0) return fail(ImageError::BadHeader);
    if (!WithinPixelLimit(uint64_t(width), uint64_t(height), maxPixels))
        return fail(ImageError::TooLarge);
    if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK) return fail(ImageError::Unsupported);

    size_t scanStart = WalkSegments(data, [](uint8_t, std::span<const uint8_t>) { return true; });
    if (scanStart == 0 || !HasEndAfter(data, scanStart)) return fail(ImageError::Truncated);
    // Every 8 x 8 block of the luminance costs at least one bit of scan data:
    // a file too short for the size it declares is not given the memory.
    const uint64_t blocks = (uint64_t(width) + 7) / 8 * ((uint64_t(height) + 7) / 8);
    if ((data.size() - scanStart) * 8 < blocks) return fail(ImageError::Truncated);

    ImageResult result;
    result.format = ImageFormat::Jpeg;
    result.bitsPerPixel = 24;
    try {
        result.picture = Surface::Uninitialised(width, height);
    } catch (const std::bad_alloc&) {
        return fail(ImageError::OutOfMemory);
    }
    auto* out = reinterpret_cast<unsigned char*>(result.picture.Data());
    if (tjDecompress2(tj.get(), bytes, data.size(), out, width, width * 4, height,
                      kSurfacePixelFormat, TJFLAG_LIMITSCANS) != 0 &&
        tjGetErrorCode(tj.get()) != TJERR_WARNING)
        return fail(ImageError::Corrupt);
    // TurboJPEG sets the unused byte to 0xFF; surfaces keep it 0.
    uint32_t* px = result.picture.Data();
    const size_t count = size_t(width) * size_t(height);
    for (size_t i = 0; i < count; ++i) px[i] &= 0xffffff;

    result.picture = Orient(std::move(result.picture), JpegExifOrientation(data));
    return result;
}

}  // namespace led::image
