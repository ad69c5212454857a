// Every effect number ends on the whole picture in show mode and on the
// background in erase mode, whatever the window, the picture size and the step.

#include <gtest/gtest.h>

#include <vector>

#include "render/effects/EffectTestKit.h"

namespace led {
namespace {

using namespace testkit;

// Numbers the picture column draws plainly: the picture whatever the mode.
bool PlainInPictureColumn(int n) { return n <= 0 || (n >= 5 && n <= 8) || n > kLastEffect; }

std::vector<int> AllNumbers() {
    std::vector<int> numbers{-5, 100000};
    for (int n = 0; n <= kLastEffect + 1; ++n) numbers.push_back(n);
    return numbers;
}

// Runs `number` three ways on the window (show over a cleared window, show
// over old content kept on screen, erase of the picture) and checks the last
// frame. Returns false after the first failure.
bool EndsRight(int number, const Surface& picture, Size window, uint32_t step = 1) {
    Surface placed = Placed(picture, window.width, window.height);
    Surface background = Filled(window.width, window.height, kBackground.ToPixel());
    for (int way = 0; way < 3; ++way) {
        EffectMode mode = way == 2 ? EffectMode::Erase : EffectMode::Show;
        EffectRequest request = Request(number, mode, 0, way == 1);
        request.step = step;
        Outcome out = RunOn(request, picture, window, way == 2 ? &placed : nullptr);
        const Surface& expected =
            mode == EffectMode::Show || PlainInPictureColumn(number) ? placed : background;
        EXPECT_EQ(out.result.status, 0);
        if (!SameImage(out.window, expected)) {
            ADD_FAILURE() << Describe(number, mode, window) << (way == 1 ? " keep-screen" : "")
                          << " step " << step << ", picture " << picture.Width() << "x"
                          << picture.Height() << ": last frame is not the "
                          << (&expected == &placed ? "picture" : "background");
            return false;
        }
    }
    return true;
}

TEST(EffectFinalFrame, EveryNumberOn127x63) {
    Surface picture = Gradient(127, 63);
    for (int n : AllNumbers()) EndsRight(n, picture, {127, 63});
}

TEST(EffectFinalFrame, TinyThinAndOddWindows) {
    for (Size window : {Size{1, 1}, Size{1, 9}, Size{9, 1}, Size{2, 2}, Size{33, 17},
                        Size{17, 33}, Size{16, 16}, Size{31, 45}}) {
        Surface picture = Gradient(window.width, window.height);
        for (int n : AllNumbers())
            if (!EndsRight(n, picture, window)) break;
    }
}

TEST(EffectFinalFrame, PicturesSmallerAndLargerThanTheWindow) {
    for (Size size : {Size{50, 30}, Size{200, 100}, Size{127, 20}, Size{10, 63}, Size{1, 1}}) {
        Surface picture = Gradient(size.width, size.height);
        for (int n : AllNumbers())
            if (!EndsRight(n, picture, {127, 63})) break;
    }
}

TEST(EffectFinalFrame, ZeroAndHugeSteps) {
    Surface picture = Gradient(61, 37);
    for (uint32_t step : {0u, 3u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        for (int n : AllNumbers())
            if (!EndsRight(n, picture, {61, 37}, step)) break;
}

TEST(EffectFinalFrame, EveryNumberOnAFullHdArea) {
    // Large steps keep this quick; the geometry is the same at every step.
    Surface picture = Gradient(1920, 1080);
    for (int n = 0; n <= kLastEffect + 1; ++n)
        if (!EndsRight(n, picture, {1920, 1080}, 97)) break;
}

TEST(EffectBadInput, MissingPictureOrEmptyWindowDrawNothing) {
    Surface none;
    Outcome out = RunOn(Request(9), none, {20, 10});
    EXPECT_EQ(out.result.status, -1);
    EXPECT_EQ(out.result.frames, 0);
    EXPECT_TRUE(SameImage(out.window, Filled(20, 10, kOldPixel)));

    Surface picture = Gradient(20, 10);
    Surface empty;
    std::atomic<bool> stop{false};
    Clock clock = Clock::Stepped(*LocalTime::Parse("2024-01-01 00:00:00"));
    SurfaceEffectTarget target(empty);
    EffectResult result = RunEffect(Request(41), target, picture, clock, stop);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.frames, 0);
}

}  // namespace
}  // namespace led
