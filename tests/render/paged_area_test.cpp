// Picture-text, table and animate areas played by real area threads on a
// headless display.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/clock/Clock.h"
#include "platform/image/ImageCodec.h"
#include "render/AnimateArea.h"
#include "support/AreaHarness.h"
#include "render/FrameDecoder.h"

namespace led {
namespace {

using test::Eventually;

class PagedAreaTest : public test::AreaHarness {
protected:
    explicit PagedAreaTest(double clockScale = 20.0) : AreaHarness(clockScale) {}

    // One item whose pages are the named files.
    static AreaItem Pages(std::vector<std::string> names, int effectIn = 0, int effectOut = 0,
                          int remain = 1) {
        AreaItem item;
        for (const auto& n : names) item.pageFiles.push_back(BoardPath(n));
        item.effectIn = effectIn;
        item.effectOut = effectOut;
        item.movespeedIn = 1;
        item.remain = remain;
        return item;
    }

    void Play(int32_t type, std::vector<AreaItem> items, Layer on = Layer::Normal) {
        AreaRecord a = MakeArea(type);
        a.items = std::move(items);
        Start(std::move(a), on);
    }

    LayerState& State() { return player->LayerOf(layer); }
    int Cycles() { return State().Run()->completionCounters[0]; }
};

TEST_F(PagedAreaTest, PicturePagesShowInOrderAndTheFirstCycleIsReportedOnce) {
    for (int32_t type : {area_type::kPictureText, area_type::kTable}) {
        SCOPED_TRACE(type);
        WriteBmp("red.bmp", Solid(64, 32, 0xff0000));
        WriteBmp("green.bmp", Solid(64, 32, 0x00ff00));
        Play(type, {Pages({"red.bmp", "missing.bmp", "green.bmp"}, 0, 0, 0)});
        ASSERT_TRUE(Eventually([&] { return RasterPixel(40, 30) == 0xff0000; }));
        ASSERT_TRUE(Eventually([&] { return RasterPixel(40, 30) == 0x00ff00; }));
        EXPECT_EQ(RasterPixel(5, 5), 0u) << "outside the area";
        ASSERT_TRUE(Eventually([&] { return Cycles() >= 2; }));
        EXPECT_EQ(State().cycleMessageCount, 1);
        EXPECT_EQ(StopProgram(*player, 1, false), 1);
        State().cycleMessageCount = 0;
    }
}

TEST_F(PagedAreaTest, ItemsWithoutLoadablePagesStillCompleteTheirCycles) {
    std::filesystem::create_directories(video / "dir.bmp");
    test::WriteBytes(video / "junk.bmp", {'B', 'M', 1, 2, 3});
    Play(area_type::kTable, {Pages({"missing.bmp", "junk.bmp", "dir.bmp"}), Pages({})});
    ASSERT_TRUE(Eventually([&] { return Cycles() >= 3; }));
    EXPECT_EQ(State().cycleMessageCount, 1);
    EXPECT_EQ(RasterPixel(40, 30), 0u) << "nothing shown";
}

// A slower clock: the moment of background between two OSD pages lasts long
// enough to be seen.
class OsdPagedAreaTest : public PagedAreaTest {
protected:
    OsdPagedAreaTest() : PagedAreaTest(2.0) {}
};

TEST_F(OsdPagedAreaTest, OsdPictureTextWipesEachPageOutButATableLeavesItUntilTheNext) {
    WriteBmp("white.bmp", Solid(64, 32, 0xffffff));
    Play(area_type::kPictureText, {Pages({"white.bmp"}, 0, /*effectOut=*/12)}, Layer::Osd);
    ASSERT_TRUE(Eventually([&] { return RasterPixel(40, 30) == 0xffffff; }));
    ASSERT_TRUE(Eventually([&] { return RasterPixel(40, 30) == 0; })) << "wiped after its remain";
    ASSERT_TRUE(Eventually([&] { return RasterPixel(40, 30) == 0xffffff; })) << "shown again";
    StopOSDProgram(*player, 1);

    Play(area_type::kTable, {Pages({"white.bmp"}, 0, /*effectOut=*/12)}, Layer::Osd);
    ASSERT_TRUE(Eventually([&] { return Cycles() >= 1 && RasterPixel(40, 30) == 0xffffff; }));
    // Remain 1 s at 2x: two pages pass in about a second of real time.
    for (int i = 0; i < 1200; ++i) {
        ASSERT_EQ(RasterPixel(40, 30), 0xffffffu) << "after " << i << " ms";
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Real time, and entry speed 6 (10 ms a step): a push across the 64 x 32
// area lasts a third of a second or more, so the frames in the middle of
// it are seen however loaded the machine is.
class ScrollingPagesTest : public PagedAreaTest {
protected:
    ScrollingPagesTest() : PagedAreaTest(1.0) {
        WriteBmp("red.bmp", Solid(64, 32, kRed));
        WriteBmp("green.bmp", Solid(64, 32, kGreen));
        WriteBmp("blue.bmp", Solid(64, 32, kBlue));
    }
    static constexpr uint32_t kRed = 0xff0000, kGreen = 0x00ff00, kBlue = 0x0000ff;
    using Pair = std::pair<uint32_t, uint32_t>;

    AreaItem ThreePages(int effect) {
        AreaItem item = Pages({"red.bmp", "green.bmp", "blue.bmp"}, effect, 0, /*remain=*/0);
        item.movespeedIn = 6;
        return item;
    }
    // The colours along the area's middle column (top to bottom) or middle
    // row (left to right), runs of one colour collapsed.
    std::vector<uint32_t> Strip(bool column) {
        const Surface raster = player->output.display->CaptureRaster();
        std::vector<uint32_t> colours;
        const int n = column ? area.height : area.width;
        for (int i = 0; i < n; ++i) {
            const uint32_t px = (column ? raster.Pixel(area.x + area.width / 2, area.y + i)
                                        : raster.Pixel(area.x + i, area.y + area.height / 2)) &
                                0xffffff;
            if (colours.empty() || colours.back() != px) colours.push_back(px);
        }
        return colours;
    }
    // Every two-colour split seen, in the order first seen, until `until`
    // has been seen.
    std::vector<Pair> SplitsUntil(bool column, Pair until) {
        std::vector<Pair> seen;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            const std::vector<uint32_t> strip = Strip(column);
            if (strip.size() == 2) {
                const Pair split{strip[0], strip[1]};
                if (std::find(seen.begin(), seen.end(), split) == seen.end()) seen.push_back(split);
                if (split == until) break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return seen;
    }
};

TEST_F(ScrollingPagesTest, EffectFiveScrollsEveryPageDirectlyBehindTheLastAcrossCycles) {
    Play(area_type::kPictureText, {ThreePages(5)});
    // Upward: the leaving page on top, the arriving one below it.
    const std::vector<Pair> seen = SplitsUntil(/*column=*/true, {kBlue, kRed});
    const std::vector<Pair> expected = {{0, kRed}, {kRed, kGreen}, {kGreen, kBlue}, {kBlue, kRed}};
    EXPECT_EQ(seen, expected)
        << "the first page rises out of the cleared area, every later one (the first page "
           "of the second cycle too) behind the page before, never out of a clear";
}

TEST_F(ScrollingPagesTest, EffectTwoHundredIsTheLeftwardPush) {
    Play(area_type::kPictureText, {ThreePages(200)});
    // Not a continuous push: each page comes in from the right of the area
    // cleared to the background.
    const std::vector<Pair> seen = SplitsUntil(/*column=*/false, {0, kBlue});
    EXPECT_NE(std::find(seen.begin(), seen.end(), Pair{0, kGreen}), seen.end());
    for (const Pair& split : seen)
        EXPECT_EQ(split.first, 0u) << "the arriving page comes in from the right: " << std::hex
                                   << split.second << " on the left";
    EXPECT_EQ(Strip(/*column=*/true).size(), 1u) << "nothing moves vertically";
}

// Real time: frames of 500 ms are long enough to be seen one by one even on
// a loaded machine.
class AnimateAreaTest : public PagedAreaTest {
protected:
    AnimateAreaTest() : PagedAreaTest(1.0) {}
};

TEST_F(AnimateAreaTest, FramesFollowEachOtherAcrossItemsAndMissingOnesAreSkipped) {
    WriteBmp("red.bmp", Solid(64, 32, 0xff0000));
    WriteBmp("green.bmp", Solid(64, 32, 0x00ff00));
    WriteBmp("blue.bmp", Solid(64, 32, 0x0000ff));
    AreaItem first = Pages({"red.bmp", "missing.bmp", "green.bmp"});
    AreaItem second = Pages({"blue.bmp"});
    first.anispeed = second.anispeed = 25;  // 500 ms a frame
    Play(area_type::kAnimate, {first, second});

    std::vector<uint32_t> seen;
    ASSERT_TRUE(Eventually(
        [&] {
            uint32_t px = RasterPixel(40, 30);
            if (px != 0 && (seen.empty() || seen.back() != px)) seen.push_back(px);
            return seen.size() >= 4;
        },
        std::chrono::seconds(20)));
    const std::vector<uint32_t> order = {0xff0000, 0x00ff00, 0x0000ff};
    auto at = std::find(order.begin(), order.end(), seen[0]) - order.begin();
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], order[(at + i) % order.size()]) << "frame " << i;
    EXPECT_TRUE(Eventually([&] { return Cycles() >= 1; }));
}

// On a stepped clock each frame's time is exact: anispeed 5 holds each frame
// 100 ms from its start, a frame that does not load takes none, and a stop
// asked during a frame takes effect when that frame's time is up.
TEST(FramePacingTest, EachFrameHoldsItsTimeAndAStopWaitsForTheFrameToEnd) {
    Clock clock = Clock::Stepped(*LocalTime::Parse("2026-03-05 07:08:09"));
    std::atomic<bool> shutdown{false};
    std::vector<int64_t> drawn;
    bool stop = false;
    FrameSequence frames;
    frames.count = 5;
    frames.frameTimeMs = 5 * 20;
    frames.take = [](size_t i) -> std::optional<Surface> {
        if (i == 1) return std::nullopt;  // a missing file
        return Surface(1, 1);
    };
    frames.draw = [&](const Surface&) {
        drawn.push_back(clock.Ticks());
        stop = drawn.size() == 3;  // asked while the third frame shows
    };
    frames.stopped = [&] { return stop; };
    const int64_t start = clock.Ticks();
    EXPECT_FALSE(PlayFrameSequence(frames, clock, shutdown));
    EXPECT_EQ(drawn, (std::vector<int64_t>{start, start + 100, start + 200}));
    EXPECT_EQ(clock.Ticks(), start + 300) << "the third frame kept its whole time";

    // anispeed 0: as fast as they load; a huge one still ends with the player.
    drawn.clear();
    frames.frameTimeMs = 0;
    frames.stopped = [] { return false; };
    EXPECT_TRUE(PlayFrameSequence(frames, clock, shutdown));
    EXPECT_EQ(drawn.size(), 4u);
    shutdown = true;
    frames.frameTimeMs = int64_t(1) << 40;
    EXPECT_TRUE(PlayFrameSequence(frames, clock, shutdown));
}

TEST(FrameDecoderTest, TakesTheFrameDecodedAheadOrDecodesTheOneAskedFor) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "nand");
    for (auto [name, px] : {std::pair{"a.bmp", 0xff0000u}, {"b.bmp", 0x00ff00u}}) {
        Surface s(4, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) s.SetPixel(x, y, px);
        test::WriteBytes(dir.Path() / "nand" / name, test::MakeBmp(s, {}));
    }
    DeviceFs fs(dir.Path().string());
    ImageCodec codec;
    FrameDecoder decoder(codec, fs, Colour{0});

    decoder.Prefetch("\\nand\\a.bmp");
    auto a = decoder.Take("\\nand\\a.bmp");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->Pixel(0, 0) & 0xffffff, 0xff0000u);

    decoder.Prefetch("\\nand\\a.bmp");
    auto b = decoder.Take("\\nand\\b.bmp");  // not the one decoded ahead
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Pixel(3, 1) & 0xffffff, 0x00ff00u);
    EXPECT_TRUE(decoder.Take("\\nand\\a.bmp")) << "the frame ahead was dropped, not kept stale";

    decoder.Prefetch("\\nand\\missing.bmp");
    EXPECT_FALSE(decoder.Take("\\nand\\missing.bmp"));
}

}  // namespace
}  // namespace led
