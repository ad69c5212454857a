// The whole picture decoder on arbitrary bytes: format sniffing, JPEG (with
// our EXIF orientation reader) and PNG (with our chunk scan ahead of libpng).

#include <cstdint>
#include <cstdlib>

#include "platform/image/Decoders.h"
#include "platform/image/ImageCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const led::ImageCodec codec(int64_t(1) << 20);
    const led::ImageResult r = codec.Decode({data, size}, led::Colour::FromRgb(1, 2, 3));
    if (r.Ok() != !r.picture.IsEmpty()) std::abort();
    if (r.Ok() && int64_t(r.picture.Width()) * r.picture.Height() > codec.MaxPixels()) std::abort();
    const int orientation = led::image::JpegExifOrientation({data, size});
    if (orientation < 1 || orientation > 8) std::abort();
    return 0;
}
