#include "render/PictureFile.h"

#include "platform/image/ImageWriters.h"

namespace led {

bool ConvertBitmapTo32(const Surface& bitmap, const DeviceFs& fs, const std::string& boardPath,
                       int bitsPerPixel) {
    if (bitmap.IsEmpty()) return false;
    std::vector<uint8_t> file;
    if (bitsPerPixel == 32)
        file = EncodeBmp32(bitmap);
    else if (bitsPerPixel == 24)
        file = EncodeBmp24(bitmap);
    if (file.empty()) return false;
    return fs.WriteFile(boardPath, file);
}

ImageResult LoadBoardImage(const ImageCodec& codec, const DeviceFs& fs,
                           const std::string& boardPath, Colour background) {
    auto hostPath = fs.Resolve(boardPath);
    if (!hostPath) return ImageResult::Failure(ImageError::CannotOpen);
    return codec.Load(*hostPath, background);
}

ImageResult LoadPictureFile(const ImageCodec& codec, const DeviceFs& fs,
                            const std::string& boardPath, Colour background) {
    ImageResult picture = LoadBoardImage(codec, fs, boardPath, background);
    if (!picture || picture.format != ImageFormat::Bmp || picture.bitsPerPixel != 8) return picture;
    if (!ConvertBitmapTo32(picture.picture, fs, boardPath, 32))
        return ImageResult::Failure(ImageError::CannotOpen, ImageFormat::Bmp);
    // Resolved again: the rewritten file is a new directory entry.
    return LoadBoardImage(codec, fs, boardPath, background);
}

}  // namespace led
