// The bitmap layouts the player writes, byte for byte, and files every reader
// (ours and ImageMagick) takes back as the picture that was written.

#include <gtest/gtest.h>

#include "platform/image/ImageCodec.h"
#include "platform/image/ImageWriters.h"
#include "support/ImageFiles.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

uint32_t Le32At(const std::vector<uint8_t>& f, size_t at) {
    return uint32_t(f[at]) | uint32_t(f[at + 1]) << 8 | uint32_t(f[at + 2]) << 16 |
           uint32_t(f[at + 3]) << 24;
}
uint16_t Le16At(const std::vector<uint8_t>& f, size_t at) {
    return uint16_t(f[at] | f[at + 1] << 8);
}

// Headers as the board writes them: every field not named is zero.
void ExpectBoardHeaders(const std::vector<uint8_t>& f, int width, int height, int bits,
                        size_t fileSize) {
    ASSERT_GE(f.size(), 54u);
    EXPECT_EQ(f[0], 0x42);
    EXPECT_EQ(f[1], 0x4d);
    EXPECT_EQ(Le32At(f, 2), fileSize);
    EXPECT_EQ(Le32At(f, 6), 0u);  // two reserved words
    EXPECT_EQ(Le32At(f, 10), 54u);
    EXPECT_EQ(Le32At(f, 14), 40u);
    EXPECT_EQ(Le32At(f, 18), uint32_t(width));
    EXPECT_EQ(Le32At(f, 22), uint32_t(height));  // positive: bottom row first
    EXPECT_EQ(Le16At(f, 26), 1);
    EXPECT_EQ(Le16At(f, 28), bits);
    for (size_t at = 30; at < 54; at += 4) EXPECT_EQ(Le32At(f, at), 0u) << "offset " << at;
    EXPECT_EQ(f.size(), fileSize);
}

TEST(BmpWriter, ThirtyTwoBitLayoutIsExact) {
    Surface picture(3, 2);
    picture.SetPixel(0, 0, 0x102030);  // top-left
    picture.SetPixel(2, 1, 0xa0b0c0);  // bottom-right
    const std::vector<uint8_t> f = EncodeBmp32(picture);
    ExpectBoardHeaders(f, 3, 2, 32, 54 + 3 * 2 * 4);
    // Bottom row first; blue, green, red, zero.
    const std::vector<uint8_t> bottomRight{0xc0, 0xb0, 0xa0, 0};
    const std::vector<uint8_t> topLeft{0x30, 0x20, 0x10, 0};
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 54 + 8, f.begin() + 54 + 12), bottomRight);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 54 + 12, f.begin() + 54 + 16), topLeft);
}

TEST(BmpWriter, TwentyFourBitScreenCaptureLayout) {
    const Surface screen(1920, 1080);
    const std::vector<uint8_t> f = EncodeBmp24(screen);
    ExpectBoardHeaders(f, 1920, 1080, 24, 6220854);

    // Widths whose rows are not a multiple of four bytes get padded rows, so
    // the file reads back correctly everywhere.
    Surface odd(5, 2);
    odd.SetPixel(0, 0, 0x010203);
    odd.SetPixel(0, 1, 0x040506);
    const std::vector<uint8_t> g = EncodeBmp24(odd);
    ExpectBoardHeaders(g, 5, 2, 24, 54 + 16 * 2);
    EXPECT_EQ(g[54], 0x06);       // bottom row's first blue
    EXPECT_EQ(g[54 + 16], 0x03);  // top row's first blue, after 15 bytes and one of padding
}

TEST(BmpWriter, CapturesAnAreaAndBlackensWhatLiesOutside) {
    const Surface picture = test::PatternPicture(20, 10);
    const Rect area{15, 5, 10, 8};  // hangs over the right and bottom edges
    ImageResult r = ImageCodec().Decode(EncodeBmp24(picture, area));
    ASSERT_TRUE(r.Ok());
    ASSERT_EQ(r.picture.GetSize(), (Size{10, 8}));
    EXPECT_EQ(r.picture.Pixel(0, 0), picture.Pixel(15, 5));
    EXPECT_EQ(r.picture.Pixel(4, 4), picture.Pixel(19, 9));
    EXPECT_EQ(r.picture.Pixel(5, 0), 0u);
    EXPECT_EQ(r.picture.Pixel(0, 5), 0u);
}

TEST(ImageWriters, ImageMagickReadsBackWhatWasWritten) {
    if (!test::HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    test::TempDir dir;
    const Surface picture = test::PatternPicture(37, 21);
    test::WriteBytes(dir.Path() / "p32.bmp", EncodeBmp32(picture));
    test::WriteBytes(dir.Path() / "p24.bmp", EncodeBmp24(picture));
    for (const char* name : {"p32.bmp", "p24.bmp"}) {
        auto back = test::DecodeWithImageMagick(dir.Path() / name);
        ASSERT_TRUE(back.has_value()) << name;
        EXPECT_EQ(test::MaxChannelDifference(*back, picture), 0) << name;
    }

    // JPEG is lossy: a smooth picture comes back close.
    Surface smooth(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            smooth.SetPixel(x, y, uint32_t(x * 4) << 16 | uint32_t(y * 5) << 8 | 0x40);
    test::WriteBytes(dir.Path() / "s.jpg", EncodeJpeg(smooth, 95));
    auto jpeg = test::DecodeWithImageMagick(dir.Path() / "s.jpg");
    ASSERT_TRUE(jpeg.has_value());
    EXPECT_LE(test::MaxChannelDifference(*jpeg, smooth), 8);

    std::vector<uint8_t> alpha(37 * 21, 255);
    alpha[0] = 0;
    test::WriteBytes(dir.Path() / "a.png", EncodePng(picture, alpha));
    auto png = test::DecodeWithImageMagick(dir.Path() / "a.png",
                                           {"-background", "black", "-alpha", "remove"});
    ASSERT_TRUE(png.has_value());
    EXPECT_EQ(png->Pixel(0, 0), 0u);
    EXPECT_EQ(png->Pixel(1, 0), picture.Pixel(1, 0));
}

}  // namespace
}  // namespace led
