// The image fuzzers' seeds and the inputs they once found faults with,
// replayed: decoding from memory and loading from the file agree, without a
// fault.

#include <gtest/gtest.h>

#include "platform/image/ImageCodec.h"
#include "support/ImageFiles.h"

namespace led {
namespace {

TEST(ImageFuzzInputs, DecodeAndLoadAgreeOnEveryInput) {
    const auto fuzz = std::filesystem::path(LEDPLAYER_SOURCE_DIR) / "tests" / "fuzz";
    const ImageCodec codec(int64_t(1) << 20);  // the fuzzer's limit
    int seeds = 0;
    for (const char* dir : {"corpus/bmp", "regressions/bmp", "corpus/image", "regressions/image"}) {
        if (!std::filesystem::is_directory(fuzz / dir)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(fuzz / dir)) {
            const std::vector<uint8_t> bytes = test::ReadBytes(entry.path());
            const ImageResult decoded = codec.Decode(bytes);
            const ImageResult loaded = codec.Load(entry.path());
            EXPECT_EQ(decoded.error, loaded.error) << entry.path();
            if (decoded.Ok() && loaded.Ok())
                EXPECT_EQ(test::MaxChannelDifference(decoded.picture, loaded.picture), 0)
                    << entry.path();
            // Every seed is a good bitmap of its own layout.
            if (std::string(dir).starts_with("corpus/")) {
                EXPECT_TRUE(decoded.Ok()) << entry.path() << ": " << decoded.Message();
                ++seeds;
            }
        }
    }
    EXPECT_GE(seeds, 20);
}

}  // namespace
}  // namespace led
