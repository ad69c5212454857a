// The bitmap decoder on arbitrary bytes, both ways it is fed: the whole file
// in memory, and a head followed by rows fetched a chunk at a time (as files
// are loaded). Both must agree, and neither may crash or read out of bounds.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/image/Decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A small limit keeps the fuzzer on headers rather than on huge pictures.
    constexpr int64_t kMaxPixels = int64_t(1) << 20;
    const led::ImageResult whole = led::image::DecodeBmp({data, size}, kMaxPixels);

    const size_t headSize = size < 1200 ? size : 1200;
    const led::ImageResult chunked = led::image::DecodeBmp(
        {data, headSize}, size, kMaxPixels, [&](uint64_t offset, size_t count, uint8_t* out) {
            if (offset > size || count > size - offset) return false;
            std::memcpy(out, data + offset, count);
            return true;
        });

    if (whole.error != chunked.error) std::abort();
    if (whole.Ok()) {
        const led::Surface& a = whole.picture;
        const led::Surface& b = chunked.picture;
        if (a.GetSize() != b.GetSize() ||
            std::memcmp(a.Data(), b.Data(), size_t(a.Width()) * size_t(a.Height()) * 4) != 0)
            std::abort();
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (a.Pixel(x, y) >> 24) std::abort();  // surfaces hold 0x00RRGGBB
    }
    return 0;
}
