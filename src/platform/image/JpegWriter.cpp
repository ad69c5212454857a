#include <turbojpeg.h>

#include <algorithm>
#include <bit>
#include <memory>

#include "platform/image/ImageWriters.h"

namespace led {

std::vector<uint8_t> EncodeJpeg(const Surface& picture, int quality) {
    if (picture.IsEmpty()) return {};
    std::unique_ptr<void, decltype(&tjDestroy)> tj(tjInitCompress(), tjDestroy);
    if (!tj) return {};
    constexpr int kFormat = std::endian::native == std::endian::little ? TJPF_BGRX : TJPF_XRGB;
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const auto* pixels = reinterpret_cast<const unsigned char*>(picture.Data());
    if (tjCompress2(tj.get(), pixels, picture.Width(), picture.StrideBytes(), picture.Height(),
                    kFormat, &jpeg, &size, TJSAMP_420, std::clamp(quality, 1, 100), 0) != 0) {
        tjFree(jpeg);
        return {};
    }
    std::vector<uint8_t> file(jpeg, jpeg + size);
    tjFree(jpeg);
    return file;
}

}  // namespace led
