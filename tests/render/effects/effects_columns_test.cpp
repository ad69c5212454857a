// The columns of the dispatch table, geometry seen mid-way, the random choice
// and drawing into a real window.

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "platform/display/Display.h"
#include "render/effects/EffectTestKit.h"

namespace led {
namespace {

using namespace testkit;

std::vector<uint64_t> FrameHashes(const EffectRequest& request, const Surface& picture, Size size) {
    std::vector<uint64_t> hashes;
    RunOn(request, picture, size, nullptr,
          [&](const Surface& s, int) { hashes.push_back(Hash(s)); });
    return hashes;
}

TEST(EffectTable, RandomChoicesComeFromTheFirstFortyFour) {
    std::mt19937 rng(7);
    std::set<int> seen;
    for (int i = 0; i < 5000; ++i) {
        int n = RandomEffectNumber(rng);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 43);
        seen.insert(n);
    }
    EXPECT_EQ(seen.size(), 44u);
}

TEST(EffectTable, TextColumnPushesWhereThePictureColumnDrawsPlainly) {
    Surface picture = Gradient(40, 24);
    EffectRequest leftward = Request(3);
    for (int n : {6, 8, 109, 200}) {
        EffectRequest text = Request(n);
        text.column = EffectColumn::Text;
        EXPECT_EQ(FrameHashes(text, picture, {40, 24}), FrameHashes(leftward, picture, {40, 24}))
            << "text effect " << n << " is the leftward push";
        EXPECT_EQ(FrameHashes(Request(n), picture, {40, 24}).size(), 1u)
            << "picture effect " << n << " is a plain draw";
    }
    EffectRequest zero = Request(0);
    zero.column = EffectColumn::Text;
    EXPECT_EQ(FrameHashes(zero, picture, {40, 24}).size(), 1u);
}

TEST(EffectTable, ContinuousPushFollowsTheWindowContentUnlessFirst) {
    Surface picture = Gradient(40, 24);
    Surface previousPage = Filled(40, 24, 0x00123456);
    for (bool first : {false, true}) {
        EffectRequest request = Request(5);
        request.column = EffectColumn::Text;
        request.continuous = false;  // the column sets it for 5 and 7
        request.first = first;
        Surface firstFrame;
        Outcome out =
            RunOn(request, picture, {40, 24}, &previousPage, [&](const Surface& s, int frame) {
                if (frame == 0) firstFrame = s.Clone();
            });
        EXPECT_EQ(out.result.frames, 25) << "upward: one line per frame";
        uint32_t expected = first ? kBackground.ToPixel() : 0x00123456;
        EXPECT_TRUE(SameImage(firstFrame, Filled(40, 24, expected)))
            << (first ? "the first page starts from a cleared window"
                      : "a later page scrolls in behind the one before");
        EXPECT_TRUE(SameImage(out.window, picture));
    }
}

TEST(EffectTable, ExitColumnChoosesTheMode) {
    Surface picture = Gradient(40, 24);
    Surface background = Filled(40, 24, kBackground.ToPixel());
    auto exitOf = [&](int n) {
        EffectRequest r = Request(n, EffectMode::Show);  // the column decides
        r.column = EffectColumn::Exit;
        return RunOn(r, picture, {40, 24}, &picture);
    };
    for (int n : {1, 2, 4, 9, 12, 41, 53, 83}) {
        Outcome out = exitOf(n);
        EXPECT_TRUE(SameImage(out.window, background)) << "exit " << n << " erases";
        EXPECT_GT(out.result.frames, 1) << "exit " << n;
    }
    for (int n : {84, 92, 108}) {
        Outcome out = exitOf(n);
        EXPECT_TRUE(SameImage(out.window, picture)) << "exit " << n << " shows";
        EXPECT_GT(out.result.frames, 1) << "exit " << n;
    }
    for (int n : {5, 8, 109, -5}) {
        Outcome out = exitOf(n);
        EXPECT_EQ(out.result.frames, 1) << "exit " << n << " redraws plainly";
        EXPECT_TRUE(SameImage(out.window, picture));
    }
}

TEST(EffectGeometry, EraseTwelveFillsFromTheTopDown) {
    Surface picture = Gradient(30, 20);
    int checked = 0;
    RunOn(Request(12, EffectMode::Erase, 0, true), picture, {30, 20}, &picture,
          [&](const Surface& s, int frame) {
              // After frame k the top k rows are background, the rest the picture.
              for (int y = 0; y < 20; ++y)
                  for (int x = 0; x < 30; ++x) {
                      uint32_t want = y < frame ? kBackground.ToPixel() : picture.Pixel(x, y);
                      ASSERT_EQ(s.Pixel(x, y), want)
                          << "frame " << frame << " at " << x << "," << y;
                  }
              ++checked;
          });
    EXPECT_EQ(checked, 21);
}

TEST(EffectGeometry, HalfwayIsNeitherTheStartNorTheEnd) {
    // No routine jumps straight to its end or waits until its last frame.
    Surface picture = Gradient(64, 48);
    Surface old = Filled(64, 48, kOldPixel);
    for (int n = 1; n <= kLastEffect; ++n) {
        if (n >= 5 && n <= 8) continue;
        std::vector<uint64_t> hashes =
            FrameHashes(Request(n, EffectMode::Show, 0, true), picture, {64, 48});
        ASSERT_GE(hashes.size(), 4u) << "effect " << n;
        uint64_t mid = hashes[hashes.size() / 2];
        EXPECT_NE(mid, Hash(old)) << "effect " << n;
        EXPECT_NE(mid, Hash(picture)) << "effect " << n;
    }
}

TEST(EffectWindow, DrawsIntoAWindowAndLeavesThePicture) {
    Display display(MakeHeadlessBackend(), {200, 100});
    auto window = display.CreateWindow("picture window", {10, 20, 64, 32}, true);
    window->Paint()->FillAll(Colour::FromPixel(kOldPixel));
    Surface picture = Gradient(64, 32);
    Clock clock = Clock::Stepped(*LocalTime::Parse("2024-01-01 00:00:00"));
    std::atomic<bool> stop{false};
    EffectResult result = RunEffect(Request(47), *window, picture, clock, stop);
    EXPECT_EQ(result.status, 0);
    EXPECT_GT(result.frames, 10);
    EXPECT_TRUE(SameImage(window->Capture(), picture));
    Surface raster = display.CaptureRaster();
    EXPECT_EQ(raster.Pixel(10 + 5, 20 + 7), picture.Pixel(5, 7)) << "the damage reached the raster";
}

}  // namespace
}  // namespace led
