// JPEG and PNG decoding against ImageMagick's decoding of the same files,
// EXIF orientation and alpha composed over the background.

#include <gtest/gtest.h>

#include "platform/image/ImageCodec.h"
#include "platform/image/ImageWriters.h"
#include "support/ImageFiles.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

constexpr uint32_t kRed = 0xff0000, kGreen = 0x00ff00, kBlue = 0x0000ff, kWhite = 0xffffff;

// Four solid quadrants, wider than tall: red, green over blue, white.
Surface Quadrants() {
    Surface s(64, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            s.SetPixel(x, y, y < 16 ? (x < 32 ? kRed : kGreen) : (x < 32 ? kBlue : kWhite));
    return s;
}

// An APP1 segment holding an EXIF orientation, after SOI.
std::vector<uint8_t> WithOrientation(std::vector<uint8_t> jpeg, int orientation, bool bigEndian) {
    std::vector<uint8_t> tiff =
        bigEndian ? std::vector<uint8_t>{'M',  'M',  0, 42, 0, 0, 0, 8, 0, 1,
                                         0x01, 0x12, 0, 3,  0, 0, 0, 1, 0, uint8_t(orientation),
                                         0,    0,    0, 0,  0, 0}
                  : std::vector<uint8_t>{'I',
                                         'I',
                                         42,
                                         0,
                                         8,
                                         0,
                                         0,
                                         0,
                                         1,
                                         0,
                                         0x12,
                                         0x01,
                                         3,
                                         0,
                                         1,
                                         0,
                                         0,
                                         0,
                                         uint8_t(orientation),
                                         0,
                                         0,
                                         0,
                                         0,
                                         0,
                                         0,
                                         0};
    std::vector<uint8_t> app1{0xff, 0xe1, 0, uint8_t(2 + 6 + tiff.size()), 'E', 'x', 'i',
                              'f',  0,    0};
    app1.insert(app1.end(), tiff.begin(), tiff.end());
    jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
    return jpeg;
}

uint32_t Nearest(uint32_t px) {
    uint32_t best = 0;
    int bestDistance = INT32_MAX;
    for (uint32_t c : {kRed, kGreen, kBlue, kWhite}) {
        int d = 0;
        for (int s = 0; s < 24; s += 8) d += std::abs(int((px >> s) & 0xff) - int((c >> s) & 0xff));
        if (d < bestDistance) bestDistance = d, best = c;
    }
    return best;
}

TEST(JpegDecoder, TurnsPicturesUprightByTheirExifOrientation) {
    // Colours shown at the top-left, top-right, bottom-left and bottom-right
    // corners for each orientation of the stored red/green/blue/white picture.
    const uint32_t shown[9][4] = {{},
                                  {kRed, kGreen, kBlue, kWhite},
                                  {kGreen, kRed, kWhite, kBlue},
                                  {kWhite, kBlue, kGreen, kRed},
                                  {kBlue, kWhite, kRed, kGreen},
                                  {kRed, kBlue, kGreen, kWhite},
                                  {kBlue, kRed, kWhite, kGreen},
                                  {kWhite, kGreen, kBlue, kRed},
                                  {kGreen, kWhite, kRed, kBlue}};
    const std::vector<uint8_t> plain = EncodeJpeg(Quadrants(), 95);
    test::TempDir dir;
    for (int orientation = 1; orientation <= 8; ++orientation)
        for (bool bigEndian : {false, true}) {
            const auto file = WithOrientation(plain, orientation, bigEndian);
            ImageResult r = ImageCodec().Decode(file);
            ASSERT_TRUE(r.Ok()) << r.Message();
            const Surface& p = r.picture;
            EXPECT_EQ(p.GetSize(), orientation >= 5 ? (Size{32, 64}) : (Size{64, 32}));
            const int w = p.Width(), h = p.Height();
            const uint32_t corners[4] = {p.Pixel(4, 4), p.Pixel(w - 5, 4), p.Pixel(4, h - 5),
                                         p.Pixel(w - 5, h - 5)};
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(Nearest(corners[i]), shown[orientation][i])
                    << "orientation " << orientation << " corner " << i;

            if (!test::HaveImageMagick() || bigEndian) continue;
            test::WriteBytes(dir.Path() / "o.jpg", file);
            auto reference = test::DecodeWithImageMagick(dir.Path() / "o.jpg", {"-auto-orient"});
            ASSERT_TRUE(reference.has_value());
            EXPECT_LE(test::MaxChannelDifference(p, *reference), 2)
                << "orientation " << orientation;
        }
}

TEST(JpegDecoder, UnreadableExifLeavesThePictureAsStored) {
    std::vector<uint8_t> file = WithOrientation(EncodeJpeg(Quadrants(), 95), 6, false);
    file[12 + 7] = 0x7f;  // the IFD offset now points far past the segment
    ImageResult r = ImageCodec().Decode(file);
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.picture.GetSize(), (Size{64, 32}));
}

TEST(JpegDecoder, AgreesWithImageMagickOnItsJpegs) {
    if (!test::HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    test::TempDir dir;
    test::WritePpm(test::PatternPicture(83, 61), dir.Path() / "source.ppm");
    const std::vector<std::vector<std::string>> variants = {
        {"-quality", "92", "-sampling-factor", "2x2"},
        {"-quality", "75", "-sampling-factor", "1x1"},
        {"-quality", "85", "-interlace", "Plane"},  // progressive
        {"-colorspace", "Gray"},
    };
    int n = 0;
    for (const auto& variant : variants) {
        const std::string out = (dir.Path() / ("v" + std::to_string(n++) + ".jpg")).string();
        std::vector<std::string> args{(dir.Path() / "source.ppm").string()};
        args.insert(args.end(), variant.begin(), variant.end());
        args.push_back(out);
        ASSERT_TRUE(test::RunConvert(args));
        ImageResult r = ImageCodec().Load(out);
        ASSERT_TRUE(r.Ok()) << out << ": " << r.Message();
        EXPECT_EQ(r.bitsPerPixel, 24);
        auto reference = test::DecodeWithImageMagick(out);
        ASSERT_TRUE(reference.has_value());
        EXPECT_LE(test::MaxChannelDifference(r.picture, *reference), 1) << out;
    }
}

TEST(PngDecoder, ComposesAlphaOverTheBackgroundLikeImageMagick) {
    if (!test::HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    test::TempDir dir;
    // An RGBA source whose opacity runs from clear to solid across the picture.
    const Surface colours = test::PatternPicture(71, 40);
    std::vector<uint8_t> alpha(71 * 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 71; ++x) alpha[size_t(y * 71 + x)] = uint8_t(x * 255 / 70 ^ (y & 8));
    test::WriteBytes(dir.Path() / "rgba.png", EncodePng(colours, alpha));
    const std::string src = (dir.Path() / "rgba.png").string();

    struct Variant {
        std::vector<std::string> args;
        int bitsPerPixel;
    };
    const std::vector<Variant> variants = {
        {{"PNG32:"}, 32},
        {{"-colors", "64", "PNG8:"}, 32},  // palette with a transparency chunk
        {{"-depth", "16", "PNG64:"}, 32},
        {{"-interlace", "PNG", "PNG32:"}, 32},
        {{"-colorspace", "Gray", "PNG:"}, 32},  // grey + alpha
        {{"-alpha", "off", "PNG24:"}, 24},
        {{"-alpha", "off", "-colorspace", "Gray", "-define", "png:bit-depth=4", "-define",
          "png:color-type=0", "PNG:"},
         24},
        {{"-alpha", "off", "-colorspace", "Gray", "-depth", "16", "PNG:"}, 24},
        {{"-alpha", "off", "-threshold", "50%", "-define", "png:bit-depth=1", "-define",
          "png:color-type=0", "PNG:"},
         24},
    };
    const Colour background = Colour::FromRgb(0x33, 0x66, 0xcc);
    int n = 0;
    for (const Variant& v : variants) {
        const std::string out = (dir.Path() / ("v" + std::to_string(n++) + ".png")).string();
        std::vector<std::string> args{src};
        args.insert(args.end(), v.args.begin(), v.args.end() - 1);
        args.push_back(v.args.back() + out);
        ASSERT_TRUE(test::RunConvert(args)) << out;
        ImageResult r = ImageCodec().Load(out, background);
        ASSERT_TRUE(r.Ok()) << out << ": " << r.Message();
        EXPECT_EQ(r.bitsPerPixel, v.bitsPerPixel) << out;
        auto reference = test::DecodeWithImageMagick(
            out,
            {"-colorspace", "sRGB", "-background", "#3366cc", "-alpha", "remove", "-alpha", "off"});
        ASSERT_TRUE(reference.has_value());
        EXPECT_LE(test::MaxChannelDifference(r.picture, *reference), 1) << out;
    }
}

TEST(PngDecoder, ClearPixelsShowTheBackgroundAndSolidOnesTheirColour) {
    Surface colours(3, 1);
    colours.SetPixel(0, 0, 0x123456);
    colours.SetPixel(1, 0, 0x123456);
    colours.SetPixel(2, 0, 0xff0000);
    const std::vector<uint8_t> alpha{0, 255, 128};
    ImageResult r = ImageCodec().Decode(EncodePng(colours, alpha), Colour::FromRgb(0, 0, 255));
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.picture.Pixel(0, 0), 0x0000ffu);
    EXPECT_EQ(r.picture.Pixel(1, 0), 0x123456u);
    EXPECT_EQ(r.picture.Pixel(2, 0), 0x80007fu);  // half red over blue
}

}  // namespace
}  // namespace led
