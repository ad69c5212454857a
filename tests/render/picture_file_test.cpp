// Picture files as the picture areas load them: 8-bit bitmaps are rewritten
// on disk as 32-bit bitmaps at their first showing.

#include <gtest/gtest.h>

#include "platform/image/ImageWriters.h"
#include "render/PictureFile.h"
#include "support/ImageFiles.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

// The rewritten file as the board writes it, checked byte by byte: a 14-byte
// file header, a 40-byte information header (bottom-up, 32 bits, no
// compression, every other field 0), then the rows from the bottom up, each
// pixel blue, green, red and a fourth byte; and ImageMagick reads the same
// picture from it.
void ExpectBoardBmp32(const std::vector<uint8_t>& bytes, const Surface& picture,
                      const std::filesystem::path& file) {
    const int w = picture.Width(), h = picture.Height();
    ASSERT_EQ(bytes.size(), 54u + size_t(w) * size_t(h) * 4);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(Le32(bytes, 2), bytes.size()) << "file size";
    EXPECT_EQ(Le32(bytes, 6), 0u) << "reserved words";
    EXPECT_EQ(Le32(bytes, 10), 54u) << "pixel data offset";
    EXPECT_EQ(Le32(bytes, 14), 40u) << "information header size";
    EXPECT_EQ(Le32(bytes, 18), uint32_t(w));
    EXPECT_EQ(Le32(bytes, 22), uint32_t(h)) << "positive: bottom-up";
    EXPECT_EQ(bytes[26] | bytes[27] << 8, 1) << "planes";
    EXPECT_EQ(bytes[28] | bytes[29] << 8, 32) << "bits per pixel";
    for (size_t at = 30; at < 54; ++at) EXPECT_EQ(bytes[at], 0) << "header byte " << at;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t at = 54 + (size_t(h - 1 - y) * size_t(w) + size_t(x)) * 4;
            const uint32_t px = picture.Pixel(x, y);
            ASSERT_EQ(bytes[at], px & 0xff) << x << "," << y;
            ASSERT_EQ(bytes[at + 1], px >> 8 & 0xff) << x << "," << y;
            ASSERT_EQ(bytes[at + 2], px >> 16 & 0xff) << x << "," << y;
        }
    auto decoded = test::DecodeWithImageMagick(file);
    ASSERT_TRUE(decoded) << "ImageMagick cannot read " << file;
    EXPECT_EQ(test::MaxChannelDifference(*decoded, picture), 0);
}

class PictureFileTest : public ::testing::Test {
protected:
    PictureFileTest() { std::filesystem::create_directories(video_); }

    std::filesystem::path Host(const std::string& name) const { return video_ / name; }

    test::TempDir dir;
    std::filesystem::path video_ = dir.Path() / "Storage Card" / "video";
    DeviceFs fs{dir.Path()};
    ImageCodec codec;
};

TEST_F(PictureFileTest, EightBitBitmapIsRewrittenAsThirtyTwoBitAtFirstLoad) {
    test::BmpLayout layout;
    layout.bitsPerPixel = 8;
    layout.palette = {0x000000, 0xff0000, 0x00ff00, 0x0000ff, 0x808080};
    const Surface picture = test::PalettePicture(13, 7, layout.palette);
    test::WriteBytes(Host("Red.bmp"), test::MakeBmp(picture, layout));

    // The board's path spelling and case need not match the file's.
    ImageResult first = LoadPictureFile(codec, fs, "\\Storage Card\\VIDEO\\red.BMP", kBlack);
    ASSERT_TRUE(first.Ok()) << first.Message();
    EXPECT_EQ(first.bitsPerPixel, 32);  // what was shown came from the rewritten file
    EXPECT_EQ(test::MaxChannelDifference(first.picture, picture), 0);

    const std::vector<uint8_t> rewritten = test::ReadBytes(Host("Red.bmp"));
    ExpectBoardBmp32(rewritten, picture, Host("Red.bmp"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(video_),
                            std::filesystem::directory_iterator()),
              1);  // no temporary file left behind

    // Later showings load the 32-bit file as it is.
    ImageResult second = LoadPictureFile(codec, fs, "\\Storage Card\\video\\Red.bmp", kBlack);
    ASSERT_TRUE(second.Ok());
    EXPECT_EQ(test::ReadBytes(Host("Red.bmp")), rewritten);
    EXPECT_EQ(test::MaxChannelDifference(second.picture, picture), 0);
}

TEST_F(PictureFileTest, OtherPicturesAreLeftAsTheyAre) {
    const Surface picture = test::PatternPicture(9, 5);
    test::BmpLayout fourBit;
    fourBit.bitsPerPixel = 4;
    fourBit.palette = {0x000000, 0xffffff};
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {"a.bmp", EncodeBmp24(picture)},
        {"b.bmp", test::MakeBmp(test::PalettePicture(9, 5, fourBit.palette), fourBit)},
        {"c.jpg", EncodeJpeg(picture)},
        {"d.png", EncodePng(picture)},
    };
    for (const auto& [name, bytes] : files) {
        test::WriteBytes(Host(name), bytes);
        ImageResult r = LoadPictureFile(codec, fs, "\\Storage Card\\video\\" + name, kBlack);
        ASSERT_TRUE(r.Ok()) << name << ": " << r.Message();
        EXPECT_EQ(test::ReadBytes(Host(name)), bytes) << name;
    }
}

TEST_F(PictureFileTest, UnloadableFilesAreReportedAndUntouched) {
    test::WriteHostFile(Host("bad.bmp"), "BM not really");
    ImageResult r = LoadPictureFile(codec, fs, "\\Storage Card\\video\\bad.bmp", kBlack);
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.Message().rfind("cannot load", 0), 0u);
    EXPECT_EQ(test::ReadBytes(Host("bad.bmp")).size(), 13u);
    EXPECT_FALSE(LoadPictureFile(codec, fs, "\\Storage Card\\video\\none.bmp", kBlack).Ok());
    EXPECT_FALSE(LoadPictureFile(codec, fs, "\\Storage Card\\..\\x.bmp", kBlack).Ok());
}

TEST_F(PictureFileTest, ConvertBitmapTo32FailsWhereTheFileCannotBeWritten) {
    const Surface picture = test::PatternPicture(4, 4);
    EXPECT_FALSE(ConvertBitmapTo32(picture, fs, "\\Storage Card\\missing\\x.bmp"));
    std::filesystem::create_directories(Host("folder.bmp"));
    EXPECT_FALSE(ConvertBitmapTo32(picture, fs, "\\Storage Card\\video\\folder.bmp"));
    EXPECT_FALSE(ConvertBitmapTo32(Surface(), fs, "\\Storage Card\\video\\empty.bmp"));
    EXPECT_FALSE(ConvertBitmapTo32(picture, fs, "\\Storage Card\\video\\x.bmp", 8));
    ASSERT_TRUE(ConvertBitmapTo32(picture, fs, "\\Storage Card\\video\\x.bmp"));
    ExpectBoardBmp32(test::ReadBytes(Host("x.bmp")), picture, Host("x.bmp"));
}

}  // namespace
}  // namespace led
