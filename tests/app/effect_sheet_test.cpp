#include <gtest/gtest.h>

#include <sstream>

#include "app/EffectSheet.h"
#include "platform/display/Canvas.h"
#include "platform/image/ImageCodec.h"
#include "platform/image/PngWriter.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

Surface Picture(int width, int height) {
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.SetPixel(x, y, uint32_t(x * 6) << 16 | uint32_t(y * 12) << 8 | 0x80);
    return s;
}

TEST(EffectSheet, EvenlySpacedFramesFromFirstToLast) {
    Surface picture = Picture(40, 20);
    EffectSheetInput in;
    in.request.number = 9;
    in.request.background = Colour::FromRgb(0, 0, 255);
    in.area = {40, 20};
    in.picture = &picture;
    in.frames = 5;
    EffectSheetResult r = RenderEffectSheet(in);
    EXPECT_EQ(r.effect.frames, 41);
    EXPECT_EQ(r.framesShown, 5);
    // Small areas are enlarged 4 times; 5 cells make 3 columns and 2 rows.
    ASSERT_EQ(r.sheet.GetSize(), (Size{4 + 3 * 164, 4 + 2 * 84}));
    // The first frame uncovered nothing of the cleared area; the last shows the picture.
    EXPECT_EQ(r.sheet.Pixel(4 + 10, 4 + 10), 0x0000ffu);
    Point last{4 + 164, 4 + 84};
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(r.sheet.Pixel(last.x + 4 * x + 3, last.y + 4 * y), picture.Pixel(x, y));
    // The middle frame (frame 20 of 0..40) has uncovered the right half.
    Point mid{4 + 2 * 164, 4};
    EXPECT_EQ(r.sheet.Pixel(mid.x + 4 * 10, mid.y), 0x0000ffu);
    EXPECT_EQ(r.sheet.Pixel(mid.x + 4 * 30, mid.y), picture.Pixel(30, 0));
}

TEST(EffectSheet, CommandWritesTheSheetAndPrintsFramesAndDuration) {
    test::TempDir dir;
    ASSERT_TRUE(WritePng(Picture(64, 32), dir / "pic.png"));
    EffectSheetOptions o;
    o.number = 12;
    o.picture = dir / "pic.png";
    o.size = "64x32";
    o.background = "102030";
    o.speed = 3;  // 4 ms delay: 5 ms per frame
    o.frames = 4;
    o.out = dir / "sheet.png";
    std::ostringstream out, err;
    ASSERT_EQ(EffectSheet(o, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "{\"effect\":12,\"frames\":33,\"durationMs\":165}\n");
    ImageResult sheet = ImageCodec().Load(o.out);
    ASSERT_TRUE(sheet) << sheet.Message();
    EXPECT_EQ(sheet.picture.GetSize(), (Size{4 + 2 * (256 + 4), 4 + 2 * (128 + 4)}));
}

TEST(EffectSheet, BadOptionsAndMissingPictures) {
    test::TempDir dir;
    ASSERT_TRUE(WritePng(Picture(8, 8), dir / "pic.png"));
    EffectSheetOptions good;
    good.picture = dir / "pic.png";
    good.size = "8x8";
    good.out = dir / "out.png";
    auto status = [](EffectSheetOptions o) {
        std::ostringstream out, err;
        int s = EffectSheet(o, out, err);
        EXPECT_EQ(out.str().empty(), s != 0);
        EXPECT_EQ(err.str().empty(), s == 0);
        return s;
    };
    EXPECT_EQ(status(good), 0);
    for (const char* size : {"0x5", "8", "8x8x", "-3x4", "9000x10"}) {
        EffectSheetOptions o = good;
        o.size = size;
        EXPECT_EQ(status(o), 2) << size;
    }
    EffectSheetOptions o = good;
    o.mode = "fade";
    EXPECT_EQ(status(o), 2);
    o = good;
    o.background = "12345g";
    EXPECT_EQ(status(o), 2);
    o = good;
    o.frames = 0;
    EXPECT_EQ(status(o), 2);
    o = good;
    o.picture = dir / "missing.png";
    EXPECT_EQ(status(o), 1);
    o = good;
    o.old = dir / "missing.png";
    EXPECT_EQ(status(o), 1);
    o = good;
    o.out = (dir.Path() / "no-such-dir" / "out.png").string();
    EXPECT_EQ(status(o), 1);
}

}  // namespace
}  // namespace led
