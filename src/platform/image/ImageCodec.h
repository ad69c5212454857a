#pragma once
// Loads picture files (BMP, JPEG, PNG) into Surfaces: what the board's bitmap
// loader does for the picture areas. Files come from untrusted sources (the PC
// tool, USB disks), so every decoder checks each header field against the file
// before it allocates or reads: a damaged or lying file gives "cannot load",
// never a crash, an overread, or an allocation the file cannot justify.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "platform/display/Surface.h"
#include "platform/geometry.h"

namespace led {

enum class ImageFormat { Unknown, Bmp, Jpeg, Png };

enum class ImageError {
    None,
    CannotOpen,     // missing or unreadable
    NotAFile,       // a directory (or a device) where a file is expected
    UnknownFormat,  // neither BMP nor JPEG nor PNG
    Truncated,      // the file ends before its picture does
    BadHeader,      // header fields that contradict themselves or the file
    Unsupported,    // a valid file of a kind we do not decode (compressed BMP, CMYK JPEG)
    TooLarge,       // more pixels than the configured limit
    Corrupt,        // the decoder found damaged picture data
    OutOfMemory,
};

std::string_view ImageErrorText(ImageError error);

struct ImageResult {
    Surface picture;  // 0x00RRGGBB pixels, upright
    ImageFormat format = ImageFormat::Unknown;
    // Colour depth of the bitmap the file loads as: a BMP's own depth (1, 4,
    // 8, 16, 24, 32); 24 for JPEG; 32 for PNG with alpha, 24 without.
    int bitsPerPixel = 0;
    ImageError error = ImageError::None;

    bool Ok() const { return error == ImageError::None; }
    explicit operator bool() const { return Ok(); }
    // "cannot load: <reason>", or empty when loaded.
    std::string Message() const;

    static ImageResult Failure(ImageError error, ImageFormat format = ImageFormat::Unknown) {
        ImageResult r;
        r.error = error;
        r.format = format;
        return r;
    }
};

class ImageCodec {
public:
    static constexpr int64_t kDefaultMaxPixels = int64_t(8192) * 8192;

    // Pictures with more than maxPixels pixels are refused (TooLarge).
    explicit ImageCodec(int64_t maxPixels = kDefaultMaxPixels);

    int64_t MaxPixels() const { return maxPixels_; }

    // Decodes a whole file. Transparent PNG pixels are composed over
    // `background`. Reads no more of the file than the picture needs.
    ImageResult Load(const std::filesystem::path& hostPath, Colour background = kBlack) const;
    // Decodes a file image held in memory.
    ImageResult Decode(std::span<const uint8_t> data, Colour background = kBlack) const;

    // The format by its magic bytes; the file name plays no part.
    static ImageFormat Sniff(std::span<const uint8_t> data);

private:
    int64_t maxPixels_;
};

}  // namespace led
