// Bitmap decoding: every layout the players meet, compared with the source
// picture and with ImageMagick's reading of the same file.

#include <gtest/gtest.h>

#include "platform/image/ImageCodec.h"
#include "support/ImageFiles.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

using test::BmpLayout;

std::vector<uint32_t> GreyPalette(int count) {
    std::vector<uint32_t> palette;
    for (int i = 0; i < count; ++i) {
        const uint32_t v = uint32_t(i * 255 / std::max(1, count - 1));
        palette.push_back(v << 16 | (255 - v) << 8 | uint32_t((i * 97) & 0xff));
    }
    return palette;
}

// The picture a 16-bit file can hold: each channel cut to the mask's width and
// scaled back to 0..255 (31 of 5 bits is 255).
Surface Quantised(const Surface& source, const int bits[3]) {
    Surface out(source.Width(), source.Height());
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x) {
            uint32_t px = 0;
            for (int c = 0; c < 3; ++c) {
                const uint32_t v = (source.Pixel(x, y) >> (16 - 8 * c)) & 0xff;
                const uint32_t q = v >> (8 - bits[c]), max = (1u << bits[c]) - 1;
                px |= ((q * 255 + max / 2) / max) << (16 - 8 * c);
            }
            out.SetPixel(x, y, px);
        }
    return out;
}

struct Variant {
    BmpLayout layout;
    int paletteSize = 0;  // 0: a true-colour picture
};

std::vector<Variant> Variants() {
    std::vector<Variant> v;
    auto add = [&](int header, int bpp, uint32_t compression = 0, uint32_t r = 0, uint32_t g = 0,
                   uint32_t b = 0) {
        for (bool topDown : {false, true}) {
            if (header == 12 && topDown) continue;  // core headers cannot say top-down
            Variant variant;
            variant.layout.headerSize = header;
            variant.layout.bitsPerPixel = bpp;
            variant.layout.topDown = topDown;
            variant.layout.compression = compression;
            variant.layout.masks[0] = r, variant.layout.masks[1] = g, variant.layout.masks[2] = b;
            variant.paletteSize = bpp <= 8 ? (bpp == 8 ? 200 : 1 << bpp) : 0;
            v.push_back(variant);
        }
    };
    add(12, 8);
    add(12, 24);
    add(40, 1);
    add(40, 4);
    add(40, 8);
    add(40, 16);  // 5-5-5 without masks
    add(40, 16, 3, 0xf800, 0x07e0, 0x001f);
    add(56, 16, 3, 0x7c00, 0x03e0, 0x001f);
    add(108, 16, 3, 0xf800, 0x07e0, 0x001f);
    add(40, 24);
    add(40, 32);
    add(40, 32, 3, 0xff0000, 0x00ff00, 0x0000ff);
    add(124, 32, 3, 0x0000ff, 0x00ff00, 0xff0000);  // red and blue swapped
    return v;
}

class BmpVariantTest : public ::testing::TestWithParam<Variant> {};

TEST_P(BmpVariantTest, DecodesToTheSourcePictureAndAgreesWithImageMagick) {
    Variant variant = GetParam();
    // 101 x 23: rows need padding at every depth, sub-byte pixels straddle
    // bytes, and rows start at every alignment.
    Surface source = test::PatternPicture(101, 23);
    if (variant.paletteSize) {
        variant.layout.palette = GreyPalette(variant.paletteSize);
        source = test::PalettePicture(101, 23, variant.layout.palette);
    }
    Surface expected = source.Clone();
    if (variant.layout.bitsPerPixel == 16) {
        const int bits[3] = {5, variant.layout.masks[1] == 0x07e0 ? 6 : 5, 5};
        expected = Quantised(source, bits);
    }

    const std::vector<uint8_t> file = test::MakeBmp(source, variant.layout);
    ImageResult result = ImageCodec().Decode(file);
    ASSERT_TRUE(result.Ok()) << result.Message();
    EXPECT_EQ(result.format, ImageFormat::Bmp);
    EXPECT_EQ(result.bitsPerPixel, variant.layout.bitsPerPixel);
    EXPECT_EQ(test::MaxChannelDifference(result.picture, expected), 0);

    if (!test::HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    test::TempDir dir;
    test::WriteBytes(dir.Path() / "v.bmp", file);
    auto reference = test::DecodeWithImageMagick(dir.Path() / "v.bmp");
    ASSERT_TRUE(reference.has_value());
    EXPECT_LE(test::MaxChannelDifference(result.picture, *reference), 1);
}

INSTANTIATE_TEST_SUITE_P(Layouts, BmpVariantTest, ::testing::ValuesIn(Variants()),
                         [](const auto& info) { return info.param.layout.Name(); });

// Files written by ImageMagick itself, in every depth it writes.
TEST(BmpDecoder, ReadsBitmapsWrittenByImageMagick) {
    if (!test::HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    test::TempDir dir;
    test::WritePpm(test::PatternPicture(45, 31), dir.Path() / "source.ppm");
    const std::string source = (dir.Path() / "source.ppm").string();
    struct Case {
        std::vector<std::string> args;
        int bitsPerPixel;
    };
    const std::vector<Case> cases = {
        {{"-compress", "none", "BMP3:"}, 24},
        {{"-colors", "200", "-type", "Palette", "-compress", "none", "BMP3:"}, 8},
        {{"-colors", "16", "-type", "Palette", "-compress", "none", "BMP3:"}, 4},
        {{"-colors", "2", "-type", "Palette", "-compress", "none", "BMP3:"}, 1},
        {{"-define", "bmp:subtype=RGB565", "BMP:"}, 16},
        {{"-define", "bmp:subtype=RGB555", "BMP:"}, 16},
        {{"-define", "bmp3:alpha=true", "-alpha", "set", "BMP3:"}, 32},
        {{"-alpha", "set", "BMP:"}, 32},
        {{"BMP2:"}, 24},
        {{"-colors", "100", "-type", "Palette", "BMP2:"}, 8},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string out = (dir.Path() / ("im" + std::to_string(n++) + ".bmp")).string();
        std::vector<std::string> args{source};
        args.insert(args.end(), c.args.begin(), c.args.end() - 1);
        args.push_back(c.args.back() + out);
        ASSERT_TRUE(test::RunConvert(args)) << c.args.back();
        ImageResult result = ImageCodec().Load(out);
        ASSERT_TRUE(result.Ok()) << out << ": " << result.Message();
        EXPECT_EQ(result.bitsPerPixel, c.bitsPerPixel) << out;
        auto reference = test::DecodeWithImageMagick(out);
        ASSERT_TRUE(reference.has_value());
        EXPECT_LE(test::MaxChannelDifference(result.picture, *reference), 1) << out;
    }
}

TEST(BmpDecoder, LargeFilesLoadAsTheyDecodeFromMemory) {
    // Large enough that the rows are read from the file in several pieces.
    test::TempDir dir;
    const Surface source = test::PatternPicture(701, 530);
    for (bool topDown : {false, true})
        for (int bpp : {8, 24}) {
            BmpLayout layout;
            layout.bitsPerPixel = bpp;
            layout.topDown = topDown;
            Surface picture = source.Clone();
            if (bpp == 8) {
                layout.palette = GreyPalette(256);
                picture = test::PalettePicture(701, 530, layout.palette);
            }
            const std::vector<uint8_t> file = test::MakeBmp(picture, layout);
            test::WriteBytes(dir.Path() / "large.bmp", file);
            ImageResult loaded = ImageCodec().Load(dir.Path() / "large.bmp");
            ASSERT_TRUE(loaded.Ok()) << loaded.Message();
            EXPECT_EQ(test::MaxChannelDifference(loaded.picture, picture), 0);

            // Shorter than its last row.
            test::WriteBytes(dir.Path() / "large.bmp",
                             std::vector<uint8_t>(file.begin(), file.end() - 8));
            EXPECT_EQ(ImageCodec().Load(dir.Path() / "large.bmp").error, ImageError::Truncated);
        }
}

TEST(BmpDecoder, ScalesNarrowBitFieldsToTheFullRange) {
    // 2 x 2, 16 bits 5-6-5: white, pure red, pure green, pure blue.
    Surface source(2, 2);
    source.SetPixel(0, 0, 0xffffff);
    source.SetPixel(1, 0, 0xff0000);
    source.SetPixel(0, 1, 0x00ff00);
    source.SetPixel(1, 1, 0x0000ff);
    BmpLayout layout;
    layout.bitsPerPixel = 16;
    layout.compression = 3;
    layout.masks[0] = 0xf800, layout.masks[1] = 0x07e0, layout.masks[2] = 0x001f;
    ImageResult result = ImageCodec().Decode(test::MakeBmp(source, layout));
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.picture.Pixel(0, 0), 0xffffffu);
    EXPECT_EQ(result.picture.Pixel(1, 0), 0xff0000u);
    EXPECT_EQ(result.picture.Pixel(0, 1), 0x00ff00u);
    EXPECT_EQ(result.picture.Pixel(1, 1), 0x0000ffu);
}

TEST(BmpDecoder, PaletteIndicesBeyondTheFilesPaletteShowBlack) {
    Surface source(4, 1);
    BmpLayout layout;
    layout.bitsPerPixel = 8;
    layout.palette = {0x112233, 0x445566};
    for (int x = 0; x < 4; ++x) source.SetPixel(x, 0, layout.palette[x % 2]);
    std::vector<uint8_t> file = test::MakeBmp(source, layout);
    file[file.size() - 4 + 2] = 200;  // third pixel: an index the palette does not have
    ImageResult result = ImageCodec().Decode(file);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.picture.Pixel(0, 0), 0x112233u);
    EXPECT_EQ(result.picture.Pixel(2, 0), 0x000000u);
    EXPECT_EQ(result.picture.Pixel(3, 0), 0x445566u);
}

}  // namespace
}  // namespace led
