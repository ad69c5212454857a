// Test patterns on a headless display: what the raster shows, the start and
// stop handshake, and the pattern pacing on a stepped clock.

#include <gtest/gtest.h>

#include <thread>

#include "core/Player.h"
#include "core/WorkerThread.h"
#include "platform/display/Backend.h"
#include "program/TestPatternControl.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

// The raster's pixels as the board's 0x00BBGGRR values.
uint32_t BoardColourAt(Player& player, int x, int y) {
    return Colour::FromPixel(player.output.display->CaptureRaster().Pixel(x, y)).value;
}

bool WholeRasterIs(Player& player, uint32_t boardColour) {
    Surface raster = player.output.display->CaptureRaster();
    const uint32_t px = Colour{boardColour}.ToPixel();
    return test::CountPixels(raster, raster.Bounds(), px) == raster.Width() * raster.Height();
}

class TestPatternTest : public ::testing::Test {
protected:
    void Open(std::unique_ptr<Player> player, Size size = {48, 24}) {
        player_ = std::move(player);
        test::OpenMainWindow(*player_, size);
        player_->screen.screenWidth = size.width;
        player_->screen.screenHeight = size.height;
    }
    void OpenStepped(Size size = {48, 24}) {
        Settings settings;
        settings.root = (dir_.Path() / "root").string();
        Open(std::make_unique<Player>(settings,
                                      Clock::Stepped(*LocalTime::Parse("2026-03-05 07:08:09")),
                                      MakeHeadlessBackend()),
             size);
    }

    test::TempDir dir_;
    std::unique_ptr<Player> player_;
};

TEST_F(TestPatternTest, FixedColourFillsTheScreenAndStopRemovesIt) {
    Open(test::MakeTestPlayer(dir_.Path() / "root"));
    ASSERT_TRUE(StartTestPattern(*player_, {.pattern = 6, .red = 255, .green = 0, .blue = 128}));
    EXPECT_TRUE(player_->playback.hold.Busy()) << "the schedulers hold";
    EXPECT_TRUE(test::Eventually([&] { return WholeRasterIs(*player_, 0x8000FF); }));

    ASSERT_TRUE(StopTestPattern(*player_));
    EXPECT_FALSE(player_->playback.hold.Busy());
    EXPECT_EQ(player_->LayerOf(Layer::Normal).currentIndex.load(), -1);
    EXPECT_TRUE(player_->LayerOf(Layer::Osd).programFinished.load());
    EXPECT_TRUE(test::Eventually([&] { return !player_->threads.testPatternThread->IsRunning(); }));
    EXPECT_TRUE(WholeRasterIs(*player_, 0)) << "the main window shows again";
}

TEST_F(TestPatternTest, SecondStartReplacesTheFirstAndStopsWithoutStartChangeNothing) {
    Open(test::MakeTestPlayer(dir_.Path() / "root"));
    EXPECT_FALSE(StopTestPattern(*player_));
    EXPECT_EQ(player_->LayerOf(Layer::Normal).programFinished.load(), false);

    ASSERT_TRUE(StartTestPattern(*player_, {.pattern = 6, .green = 255}));
    ASSERT_TRUE(test::Eventually([&] { return WholeRasterIs(*player_, 0x00FF00); }));
    ASSERT_TRUE(StartTestPattern(*player_, {.pattern = 6, .blue = 255}));
    EXPECT_TRUE(test::Eventually([&] { return WholeRasterIs(*player_, 0xFF0000); }));
    EXPECT_EQ(player_->threads.testPatternThread->Starts(), 2);
    StopTestPattern(*player_);
}

TEST_F(TestPatternTest, PatternEightAndAboveChangeNothing) {
    Open(test::MakeTestPlayer(dir_.Path() / "root"));
    auto run = player_->LayerOf(Layer::Normal).Run();
    for (int pattern : {8, 200}) {
        EXPECT_FALSE(
            StartTestPattern(*player_, {.pattern = pattern, .red = 1, .green = 2, .blue = 3}));
        EXPECT_EQ(player_->playback.hold.testPattern.load(), 0);
    }
    EXPECT_FALSE(run->stopFlag.load()) << "no program was stopped";
    EXPECT_EQ(player_->threads.testPatternThread->Starts(), 0);
}

TEST_F(TestPatternTest, RampStoppedHalfwayEndsWithinOneStep) {
    OpenStepped();
    player_->playback.hold.testPattern = 1;
    std::thread pattern([&] { RunTestPattern(*player_, {.pattern = 2}); });
    // Halfway up the red ramp: 128 steps of 10 ms.
    ASSERT_TRUE(test::Eventually([&] { return player_->clock.Ticks() >= 1280; }));
    player_->playback.hold.testPattern = 0;
    const int64_t stoppedAt = player_->clock.Ticks();
    pattern.join();
    EXPECT_LE(player_->clock.Ticks() - stoppedAt, 10);
    const uint32_t red = BoardColourAt(*player_, 0, 0);
    EXPECT_EQ(red, 0u) << "the test window is gone";
}

TEST_F(TestPatternTest, GridCrawlsOnePixelEveryHundredAndOneMilliseconds) {
    OpenStepped({16, 16});
    player_->playback.hold.testPattern = 1;
    const Surface grid = MakePatternBitmap(1, Colour{0xFFFFFF}, 16, 16);
    auto window = player_->output.display->CreateWindow("test window", {0, 0, 16, 16}, true);
    const int64_t start = player_->clock.Ticks();
    CrawlPattern(*player_, *window, grid, 100, 1);
    // One window width of one-pixel steps, each delay + 1 ms, without drift.
    EXPECT_EQ(player_->clock.Ticks() - start, 16 * 101);
    Surface shown = window->Capture();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(shown.Pixel(x, y) & 0xffffff, grid.Pixel(x, y) & 0xffffff);
}

TEST(PatternBitmapTest, GridsAreWhiteLinesEightPixelsApart) {
    const uint32_t white = 0xFFFFFF;
    Surface square = MakePatternBitmap(1, Colour{white}, 20, 10);
    EXPECT_EQ(square.Pixel(0, 5) & white, white);
    EXPECT_EQ(square.Pixel(16, 3) & white, white);
    EXPECT_EQ(square.Pixel(5, 8) & white, white);
    EXPECT_EQ(square.Pixel(5, 5) & white, 0u);

    // Width 20: one direction meets the top edge at x = 4, 12, ...; the
    // other leaves the left edge at y = 0, 8, ...
    Surface diagonal = MakePatternBitmap(0, Colour{white}, 20, 10);
    EXPECT_EQ(diagonal.Pixel(4, 0) & white, white);
    EXPECT_EQ(diagonal.Pixel(3, 1) & white, white);
    EXPECT_EQ(diagonal.Pixel(0, 8) & white, white);
    EXPECT_EQ(diagonal.Pixel(9, 9) & white, white);
    EXPECT_EQ(diagonal.Pixel(2, 0) & white, 0u);
    EXPECT_EQ(diagonal.Pixel(5, 0) & white, 0u);
}

}  // namespace
}  // namespace led
