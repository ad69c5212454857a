// Picture areas played by real area threads on a headless display.

#include <gtest/gtest.h>

#include <limits>
#include <thread>

#include "support/AreaHarness.h"

namespace led {
namespace {

using test::Eventually;

class PictureAreaTest : public test::AreaHarness {
protected:
    explicit PictureAreaTest(double clockScale = 20.0) : AreaHarness(clockScale) {}

    void Play(std::vector<std::pair<std::string, int>> items, Layer on = Layer::Normal,
              int exitEffect = 0, int remain = 1) {
        AreaRecord a = MakeArea(area_type::kPicture);
        for (auto& [name, effect] : items) {
            AreaItem item;
            item.path = BoardPath(name);
            item.effectIn = effect;
            item.effectOut = exitEffect;
            item.movespeedIn = 1;
            item.remain = remain;
            a.items.push_back(item);
        }
        Start(std::move(a), on);
    }
};

TEST_F(PictureAreaTest, ShowsEachPictureAndReportsTheFirstCycleOnce) {
    WriteBmp("red.bmp", Solid(64, 32, 0xff0000));
    WriteBmp("green.bmp", Solid(64, 32, 0x00ff00));
    Play({{"red.bmp", 1}, {"green.bmp", 0}});
    ASSERT_TRUE(Eventually([&] { return RasterPixel(40, 30) == 0xff0000; }));
    EXPECT_EQ(RasterPixel(5, 5), 0u) << "outside the area";
    ASSERT_TRUE(Eventually([&] { return RasterPixel(40, 30) == 0x00ff00; }));
    ASSERT_TRUE(
        Eventually([&] { return player->playback.normal.Run()->completionCounters[0] >= 2; },
                   std::chrono::seconds(10)));
    EXPECT_EQ(player->playback.normal.cycleMessageCount, 1) << "one cycle message per thread life";
    EXPECT_EQ(StopProgram(*player, 1, false), 1);
    EXPECT_EQ(player->playback.normal.Run()->exitCounter, 1);
}

// As the board copies a picture: window-sized from its top-left corner, never
// scaled (a scaled picture blurs LED text that is off by a pixel).
TEST_F(PictureAreaTest, SmallerPictureSitsTopLeftOnTheAreasBackground) {
    background = 0x00ff00;  // green
    WriteBmp("small.bmp", Solid(16, 8, 0x0000ff));
    Play({{"small.bmp", 0}});
    ASSERT_TRUE(Eventually([&] { return RasterPixel(10, 20) == 0x0000ff; }));
    EXPECT_EQ(RasterPixel(25, 27), 0x0000ffu) << "the picture's last pixel";
    EXPECT_EQ(RasterPixel(26, 20), 0x00ff00u) << "right of the picture";
    EXPECT_EQ(RasterPixel(10, 28), 0x00ff00u) << "below the picture";
    EXPECT_EQ(RasterPixel(73, 51), 0x00ff00u) << "the area's bottom-right corner";
    EXPECT_EQ(RasterPixel(74, 52), 0u) << "outside the area";
}

TEST_F(PictureAreaTest, LargerPictureIsCutToTheAreaFromItsTopLeft) {
    Surface picture(100, 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            picture.SetPixel(x, y, uint32_t(x) << 16 | uint32_t(y) << 8 | 0x80);
    WriteBmp("large.bmp", picture);
    Play({{"large.bmp", 0}});
    ASSERT_TRUE(Eventually([&] { return RasterPixel(10, 20) == 0x000080; }));
    for (Point p : {Point{63, 0}, Point{0, 31}, Point{63, 31}, Point{20, 10}})
        EXPECT_EQ(RasterPixel(10 + p.x, 20 + p.y), picture.Pixel(p.x, p.y) & 0xffffff)
            << p.x << "," << p.y;
    EXPECT_EQ(RasterPixel(74, 30), 0u) << "cut at the area's right edge";
}

// Sizes from files are not to be trusted: a window never exceeds the raster.
TEST_F(PictureAreaTest, AreaReachingFarBeyondTheRasterPlaysInTheVisiblePart) {
    area = {10, 20, 64, std::numeric_limits<int>::max() - 20};  // bottom 2^31 - 2
    WriteBmp("red.bmp", Solid(64, 32, 0xff0000));
    Play({{"red.bmp", 0}});
    ASSERT_TRUE(Eventually([&] { return RasterPixel(40, 30) == 0xff0000; }));
    EXPECT_TRUE(
        Eventually([&] { return player->playback.normal.Run()->completionCounters[0] >= 1; }));
}

// A window that cannot be made must not hold a program back that ends by its
// play count: the area counts as having played it, reports and ends.
TEST_F(PictureAreaTest, AreaWithoutAWindowCountsAsPlayedAndEnds) {
    player->playback.normal.requiredPlaytimes = 3;
    WriteBmp("red.bmp", Solid(64, 32, 0xff0000));
    for (Rect where : {Rect{10, 20, 0, 32}, Rect{500, 20, 64, 32}, Rect{10, 300, 64, 32}}) {
        area = where;
        player->playback.normal.Run()->completionCounters[0] = 0;
        player->playback.normal.cycleMessageCount = 0;
        Play({{"red.bmp", 0}});
        ASSERT_TRUE(Eventually([&] { return player->playback.normal.Run()->exitCounter == 1; }))
            << "ends by itself";
        EXPECT_EQ(player->playback.normal.Run()->completionCounters[0], 3);
        EXPECT_EQ(player->playback.normal.cycleMessageCount, 1);
        EXPECT_EQ(StopProgram(*player, 1, false), 1);
    }
}

TEST_F(PictureAreaTest, EightBitFileIsRewrittenAs32BitAtItsFirstShowing) {
    WriteBmp("pal.bmp", Solid(64, 32, 0x123456), 8, {0x123456, 0x000000});
    Play({{"pal.bmp", 0}});
    ASSERT_TRUE(Eventually([&] { return RasterPixel(40, 30) == 0x123456; }));
    auto bytes = test::ReadBytes(video / "pal.bmp");
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[28], 32) << "bits per pixel in the rewritten header";
    EXPECT_EQ(bytes.size(), 54u + 64 * 32 * 4);
}

TEST_F(PictureAreaTest, UnloadableFilesAreSkippedAndTheAreaStillCompletes) {
    test::WriteBytes(video / "junk.bmp", {'B', 'M', 1, 2, 3});
    std::filesystem::create_directories(video / "dir.bmp");
    Play({{"missing.bmp", 1}, {"junk.bmp", 1}, {"dir.bmp", 1}});
    ASSERT_TRUE(
        Eventually([&] { return player->playback.normal.Run()->completionCounters[0] >= 3; }));
    EXPECT_EQ(player->playback.normal.cycleMessageCount, 1);
    EXPECT_EQ(RasterPixel(40, 30), 0u);
}

TEST_F(PictureAreaTest, WindowCoversTheInclusiveRightAndBottomEdges) {
    area = {0, 0, 128, 32};  // (0,0) to (127,31) in the playlist
    WriteBmp("red.bmp", Solid(128, 32, 0xff0000));
    Play({{"red.bmp", 0}});
    ASSERT_TRUE(Eventually([&] { return RasterPixel(127, 31) == 0xff0000; }));
    EXPECT_EQ(RasterPixel(128, 31), 0u);
    EXPECT_EQ(RasterPixel(127, 32), 0u);
}

TEST_F(PictureAreaTest, AnAreaWithoutItemsCountsAsPlayedAndEndsAtOnce) {
    player->playback.normal.requiredPlaytimes = 4;
    Play({});
    ASSERT_TRUE(Eventually([&] { return player->playback.normal.Run()->exitCounter == 1; }));
    EXPECT_EQ(player->playback.normal.Run()->completionCounters[0], 4);
    EXPECT_EQ(player->playback.normal.cycleMessageCount, 1);
    EXPECT_EQ(player->output.display->CaptureRaster().Pixel(40, 30) & 0xffffff, 0u) << "no window";
}

// Time read on the player's clock, running slower than real time here so that
// a loaded machine's delays stay small in it.
class SlowPictureAreaTest : public PictureAreaTest {
protected:
    SlowPictureAreaTest() : PictureAreaTest(0.1) {}
};

TEST_F(SlowPictureAreaTest, RemainZeroGoesOnAsSoonAsThePictureIsShown) {
    WriteBmp("red.bmp", Solid(64, 32, 0xff0000));
    WriteBmp("green.bmp", Solid(64, 32, 0x00ff00));
    Play({{"red.bmp", 0}, {"green.bmp", 0}}, Layer::Normal, 0, /*remain=*/0);
    auto& counter = player->playback.normal.Run()->completionCounters[0];
    ASSERT_TRUE(Eventually([&] { return counter >= 1; }, std::chrono::seconds(20)));
    const int first = counter;
    const int64_t from = player->clock.Ticks();
    ASSERT_TRUE(Eventually([&] { return counter >= first + 2; }, std::chrono::seconds(20)));
    // A cycle of two items is the frame's pauses (1 + 1 + 1 + 100 ms) and no
    // remain; remain 1 would add two seconds.
    EXPECT_LT(player->clock.Ticks() - from, 2 * 1000);
}

TEST_F(SlowPictureAreaTest, AStopDuringTheRemainEndsTheAreaWithinTwentyMilliseconds) {
    WriteBmp("red.bmp", Solid(64, 32, 0xff0000));
    Play({{"red.bmp", 0}}, Layer::Normal, 0, /*remain=*/100);
    ASSERT_TRUE(
        Eventually([&] { return RasterPixel(40, 30) == 0xff0000; }, std::chrono::seconds(20)));
    const int64_t stopAt = player->clock.Ticks();
    player->playback.normal.Run()->stopFlag = true;
    ASSERT_TRUE(Eventually([&] { return player->playback.normal.Run()->exitCounter == 1; },
                           std::chrono::seconds(20)));
    // The remain wait looks every 20 ms; then the area ends at once (no
    // effect runs during the remain). The rest is room for the test's polling.
    EXPECT_LE(player->clock.Ticks() - stopAt, 20 + 1 + 10);
}

// A slower clock: the OSD's moment of background between two showings lasts
// long enough to be seen.
class OsdPictureAreaTest : public PictureAreaTest {
protected:
    OsdPictureAreaTest() : PictureAreaTest(2.0) {}
};

TEST_F(OsdPictureAreaTest, ExitEffectWipesToTheBackgroundBetweenShowings) {
    WriteBmp("white.bmp", Solid(64, 32, 0xffffff));
    Play({{"white.bmp", 0}}, Layer::Osd, /*exitEffect=*/9);
    ASSERT_TRUE(Eventually([&] { return RasterPixel(40, 30) == 0xffffff; }));
    ASSERT_TRUE(Eventually([&] { return RasterPixel(40, 30) == 0; })) << "erased after its remain";
    EXPECT_TRUE(Eventually([&] { return RasterPixel(40, 30) == 0xffffff; })) << "shown again";
}

TEST_F(OsdPictureAreaTest, ExitEffectZeroLeavesThePictureUntilTheNextShowing) {
    WriteBmp("white.bmp", Solid(64, 32, 0xffffff));
    Play({{"white.bmp", 0}}, Layer::Osd, /*exitEffect=*/0);
    ASSERT_TRUE(Eventually([&] { return RasterPixel(40, 30) == 0xffffff; }));
    // Remain 1 s at 2x: two showings pass in about a second of real time.
    for (int i = 0; i < 1200; ++i) {
        ASSERT_EQ(RasterPixel(40, 30), 0xffffffu) << "after " << i << " ms";
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace
}  // namespace led
