#include "platform/display/Preview.h"

#include <gtest/gtest.h>

namespace led {
namespace {

const Size kFullHd{1920, 1080};

TEST(PreviewTest, SmallScreensGetTheLargestWholeFactorThatFits) {
    PreviewView led = FitPreview(kFullHd, {0, 0, 128, 64}, kFullHd);
    EXPECT_EQ(led.source, (Rect{0, 0, 128, 64}));
    EXPECT_EQ(led.factor, 15) << "width limits: 16 x 128 would be 2048";
    EXPECT_EQ(led.Shown(), (Size{1920, 960}));
    // Screen and OSD band below it: the height limits.
    PreviewView band = FitPreview(kFullHd, {0, 0, 256, 192}, kFullHd);
    EXPECT_EQ(band.factor, 5);
    EXPECT_EQ(band.Shown(), (Size{1280, 960}));
    // A desktop smaller than the raster still shows at least one pixel per pixel.
    EXPECT_EQ(FitPreview(kFullHd, {0, 0, 1920, 1080}, {1280, 720}).factor, 1);
}

TEST(PreviewTest, WhatLiesOutsideTheRasterIsNotShown) {
    PreviewView wide = FitPreview({800, 600}, {0, 0, 1024, 64}, kFullHd);
    EXPECT_EQ(wide.source, (Rect{0, 0, 800, 64}));
    EXPECT_EQ(wide.factor, 2);
    // Nothing of it on the raster, or nothing asked: the whole raster.
    EXPECT_EQ(FitPreview({800, 600}, {900, 0, 100, 100}, kFullHd).source, (Rect{0, 0, 800, 600}));
    EXPECT_EQ(FitPreview({800, 600}, {}, kFullHd).source, (Rect{0, 0, 800, 600}));
}

TEST(PreviewTest, EnlargeRepeatsEachPixelAsASquare) {
    Surface raster(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) raster.SetPixel(x, y, uint32_t(y * 16 + x));
    Surface out = Enlarge(raster, {{1, 1, 2, 2}, 3});
    ASSERT_EQ(out.GetSize(), (Size{6, 6}));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(out.Pixel(x, y), raster.Pixel(1 + x / 3, 1 + y / 3)) << x << "," << y;
}

}  // namespace
}  // namespace led
