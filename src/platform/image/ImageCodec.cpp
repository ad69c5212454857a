#include "platform/image/ImageCodec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/image/Decoders.h"

namespace led {
namespace {

// Enough for the headers and palette of any bitmap (at most 1178 bytes), and
// to recognise every format.
constexpr size_t kHeadBytes = 4096;

class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Reads exactly `count` bytes from `offset`; false on a short read (the file
// shrank under us) or an error.
bool ReadAt(int fd, uint8_t* out, size_t count, uint64_t offset) {
    while (count > 0) {
        ssize_t n = ::pread(fd, out, count, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        out += n;
        count -= size_t(n);
        offset += uint64_t(n);
    }
    return true;
}

}  // namespace

std::string_view ImageErrorText(ImageError error) {
    switch (error) {
        case ImageError::None: return "loaded";
        case ImageError::CannotOpen: return "cannot open the file";
        case ImageError::NotAFile: return "not a regular file";
        case ImageError::UnknownFormat: return "not a BMP, JPEG or PNG picture";
        case ImageError::Truncated: return "the file is truncated";
        case ImageError::BadHeader: return "the header is invalid";
        case ImageError::Unsupported: return "unsupported picture encoding";
        case ImageError::TooLarge: return "the picture has more pixels than allowed";
        case ImageError::Corrupt: return "the picture data are damaged";
        case ImageError::OutOfMemory: return "out of memory";
    }
    return "unknown error";
}

std::string ImageResult::Message() const {
    if (Ok()) return {};
    return "cannot load: " + std::string(ImageErrorText(error));
}

ImageCodec::ImageCodec(int64_t maxPixels) : maxPixels_(maxPixels) {}

ImageFormat ImageCodec::Sniff(std::span<const uint8_t> data) {
    static constexpr uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return ImageFormat::Bmp;
    if (data.size() >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff)
        return ImageFormat::Jpeg;
    if (data.size() >= 8 && std::memcmp(data.data(), kPng, 8) == 0) return ImageFormat::Png;
    return ImageFormat::Unknown;
}

ImageResult ImageCodec::Decode(std::span<const uint8_t> data, Colour background) const {
    switch (Sniff(data)) {
        case ImageFormat::Bmp: return image::DecodeBmp(data, maxPixels_);
        case ImageFormat::Jpeg: return image::DecodeJpeg(data, maxPixels_);
        case ImageFormat::Png: return image::DecodePng(data, maxPixels_, background);
        case ImageFormat::Unknown: break;
    }
    return ImageResult::Failure(ImageError::UnknownFormat);
}

ImageResult ImageCodec::Load(const std::filesystem::path& hostPath, Colour background) const {
    FileHandle file(::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.Get() < 0)
        return ImageResult::Failure(errno == EISDIR ? ImageError::NotAFile
                                                    : ImageError::CannotOpen);
    struct stat st {};
    if (::fstat(file.Get(), &st) != 0) return ImageResult::Failure(ImageError::CannotOpen);
    if (!S_ISREG(st.st_mode)) return ImageResult::Failure(ImageError::NotAFile);
    const uint64_t fileSize = uint64_t(st.st_size);

    // The head tells the format and how much more of the file the picture
    // can need, so a huge file with a picture's name is never read whole.
    const size_t headSize = size_t(std::min<uint64_t>(fileSize, kHeadBytes));
    std::unique_ptr<uint8_t[]> bytes;
    try {
        bytes.reset(new uint8_t[std::max<size_t>(headSize, 1)]);
    } catch (const std::bad_alloc&) {
        return ImageResult::Failure(ImageError::OutOfMemory);
    }
    if (!ReadAt(file.Get(), bytes.get(), headSize, 0))
        return ImageResult::Failure(ImageError::CannotOpen);
    std::span<const uint8_t> head(bytes.get(), headSize);

    const ImageFormat format = Sniff(head);
    if (format == ImageFormat::Unknown) return ImageResult::Failure(ImageError::UnknownFormat);
    if (format == ImageFormat::Bmp) {
        // Only the headers and the pixel rows are read, whatever follows them.
        const int fd = file.Get();
        return image::DecodeBmp(head, fileSize, maxPixels_,
                                [fd](uint64_t offset, size_t count, uint8_t* out) {
                                    return ReadAt(fd, out, count, offset);
                                });
    }
    // Compressed pictures need the whole file. No encoder spends more than a
    // few bytes a pixel, so a file far larger than the pixel limit allows is
    // refused before it is read.
    const uint64_t pixels = uint64_t(std::max<int64_t>(maxPixels_, 0));
    const uint64_t maxFile = pixels > UINT64_MAX / 16 ? UINT64_MAX : pixels * 8 + kHeadBytes;
    if (fileSize > maxFile || fileSize > SIZE_MAX)
        return ImageResult::Failure(ImageError::TooLarge, format);
    if (fileSize > headSize) {
        std::unique_ptr<uint8_t[]> whole;
        try {
            whole.reset(new uint8_t[size_t(fileSize)]);
        } catch (const std::bad_alloc&) {
            return ImageResult::Failure(ImageError::OutOfMemory, format);
        }
        std::memcpy(whole.get(), bytes.get(), headSize);
        if (!ReadAt(file.Get(), whole.get() + headSize, size_t(fileSize - headSize), headSize))
            return ImageResult::Failure(ImageError::Truncated, format);
        bytes = std::move(whole);
    }
    return Decode({bytes.get(), size_t(fileSize)}, background);
}

}  // namespace led
