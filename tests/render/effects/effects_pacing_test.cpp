// Frame counts, frame pace and the stop flag, on a stepped clock.

#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "render/effects/EffectTestKit.h"

namespace led {
namespace {

using namespace testkit;

// Frames of each family's members on a 127 × 63 window at step 1.
const std::map<int, int> kFrames127x63 = {
    {1, 64},   {3, 128},                         // push: one line per frame, 0..H or 0..W
    {9, 128},  {11, 64},                         // edge wipe: 0..W, 0..H
    {13, 66},  {15, 66},   {14, 34},             // split: k up to W/2 + 2
    {17, 65},  {19, 33},                         // doors: the longer half, 0..64 or 0..32
    {21, 20},  {24, 20},                         // slats: 20 passes
    {25, 128}, {28, 64},                         // comb
    {29, 128}, {32, 128},                        // corner box: the longer side
    {33, 64},  {36, 64},                         // proportional corner: k from 0 to H
    {37, 191}, {40, 191},                        // diagonal: x + y from 0 to W + H
    {41, 65},  {42, 65},                         // box, box in: the longer half-side
    {43, 33},  {44, 33},                         // cross: k from 0 to H/2
    {45, 128}, {46, 160},  {47, 72},  {48, 72},  // diamond, arrow, circles to the half-diagonal
    {49, 128}, {52, 128},                        // corner fly-in
    {53, 360}, {54, 90},   {58, 180}, {74, 180}, {81, 180},  // sweep: one degree per frame
    {61, 128}, {62, 64},   {63, 128}, {65, 128},             // zoom
    {66, 127}, {69, 63},                                     // squeeze: k from 1 to W
    {84, 255}, {87, 127},                         // stretch slide: 0..2W, one pixel per frame
    {88, 17},  {90, 33},                          // smear: 4 pixels per frame
    {92, 24},  {93, 24},   {104, 20}, {105, 20},  // dissolves: 4 passes of ⌈√N⌉ frames
    {94, 8},   {95, 8},                           // grid growth: 8 passes
    {82, 17},  {83, 33},   {106, 9},  {107, 9},   // rectangle masks
    {96, 64},  {100, 128},                        // slide-in bands: 16 passes per 16-pixel band
    {108, 16},                                    // block zoom
};

bool SleepPaced(int n) { return (n >= 49 && n <= 52) || (n >= 96 && n <= 103); }
bool IgnoresStop(int n) { return n == 43 || n == 44 || n == 87 || n >= 106; }

TEST(EffectPacing, FrameCountsAndDurationsPerFamily) {
    Surface picture = Gradient(127, 63);
    const uint32_t delay = EffectDelay(3);  // 4 ms
    for (auto [number, frames] : kFrames127x63) {
        Outcome out = RunOn(Request(number, EffectMode::Show, delay), picture, {127, 63});
        EXPECT_EQ(out.result.frames, frames) << "effect " << number;
        int64_t period = SleepPaced(number) ? delay : delay + 1;
        EXPECT_EQ(out.result.durationMs, frames * period) << "effect " << number;
    }
}

TEST(EffectPacing, EdgeWipeAcrossAHundredPixelsAtSpeedOne) {
    // At least one frame of 1 ms per pixel, and the whole picture at the end.
    Surface picture = Gradient(100, 40);
    Outcome out = RunOn(Request(9, EffectMode::Show, EffectDelay(1)), picture, {100, 40});
    EXPECT_EQ(out.result.frames, 101);
    EXPECT_EQ(out.result.durationMs, 101);
    EXPECT_TRUE(SameImage(out.window, picture));
}

TEST(EffectPacing, SpeedsToDelays) {
    EXPECT_EQ(EffectDelay(-7), 0u);
    EXPECT_EQ(EffectDelay(0), 0u);
    EXPECT_EQ(EffectDelay(1), 0u);
    EXPECT_EQ(EffectDelay(2), 2u);
    EXPECT_EQ(EffectDelay(11), 20u);
    EXPECT_EQ(EffectDelay(INT32_MAX), 0xFFFFFFFCu) << "never the no-pacing value";
}

TEST(EffectPacing, HugeDelayRunsItsFramesAndNoPacingTakesNoTime) {
    Surface picture = Gradient(30, 20);
    const uint32_t huge = EffectDelay(INT32_MAX);
    Outcome slow = RunOn(Request(11, EffectMode::Show, huge), picture, {30, 20});
    EXPECT_EQ(slow.result.frames, 21);
    EXPECT_EQ(slow.result.durationMs, 21 * (int64_t(huge) + 1));
    EXPECT_TRUE(SameImage(slow.window, picture));

    Outcome fast = RunOn(Request(11, EffectMode::Show, 0xFFFFFFFFu), picture, {30, 20});
    EXPECT_EQ(fast.result.frames, 21);
    EXPECT_EQ(fast.result.durationMs, 0);
}

TEST(EffectPacing, StopFlagEndsTheEffectAfterTheCurrentFrame) {
    Surface picture = Gradient(127, 63);
    for (int n = 1; n <= kLastEffect; ++n) {
        if (n >= 5 && n <= 8) continue;
        std::atomic<bool> stop{false};
        Outcome full = RunOn(Request(n), picture, {127, 63});
        Outcome out = RunOn(
            Request(n), picture, {127, 63}, nullptr,
            [&](const Surface&, int frame) {
                if (frame == 2) stop = true;
            },
            &stop);
        if (IgnoresStop(n)) {
            EXPECT_EQ(out.result.frames, full.result.frames)
                << "effect " << n << " runs to its end";
            EXPECT_FALSE(out.result.stopped) << "effect " << n;
        } else {
            EXPECT_EQ(out.result.frames, 3) << "effect " << n;
            EXPECT_TRUE(out.result.stopped) << "effect " << n;
        }
    }
}

TEST(EffectPacing, StopIsSeenDuringALongFrameWaitOnARunningClock) {
    // A frame wait of 49 days: the effect must still notice the stop.
    Surface picture = Gradient(40, 20);
    Surface window = Filled(40, 20, kOldPixel);
    SurfaceEffectTarget target(window);
    Clock clock;
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        clock.Sleep(30);
        stop = true;
    });
    EffectResult result = RunEffect(Request(9, EffectMode::Show, EffectDelay(INT32_MAX)), target,
                                    picture, clock, stop);
    stopper.join();
    EXPECT_EQ(result.frames, 1);
    EXPECT_TRUE(result.stopped);
}

TEST(EffectPacing, PlainDrawIsOneFrameAndExitZeroNone) {
    Surface picture = Gradient(20, 10);
    for (int n : {0, 5, 6, 7, 8, 109, 100000, -5}) {
        Outcome out = RunOn(Request(n), picture, {20, 10});
        EXPECT_EQ(out.result.frames, 1) << n;
        EXPECT_EQ(out.result.durationMs, 0) << n;
    }
    EffectRequest exit = Request(0);
    exit.column = EffectColumn::Exit;
    Outcome out = RunOn(exit, picture, {20, 10});
    EXPECT_EQ(out.result.frames, 0);
    EXPECT_TRUE(SameImage(out.window, Filled(20, 10, kOldPixel))) << "exit effect 0 draws nothing";
}

}  // namespace
}  // namespace led
