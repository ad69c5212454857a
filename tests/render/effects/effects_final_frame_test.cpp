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

// What a window shows at the end: the picture placed on it, or the background.
struct Ends {
    Ends(const Surface& picture, Size window)
        : picture(picture),
          window(window),
          placed(Placed(picture, window.width, window.height)),
          background(Filled(window.width, window.height, kBackground.ToPixel())) {}
    const Surface& picture;
    Size window;
    Surface placed, background;
};

// Runs `number` over a cleared window, over old content kept on screen
// (unless `quick`) and erasing the picture, and checks the last frame.
// Returns false after the first failure.
bool EndsRight(int number, const Ends& ends, uint32_t step = 1, bool quick = false) {
    for (int way = 0; way < 3; ++way) {
        if (quick && way == 1) continue;
        EffectMode mode = way == 2 ? EffectMode::Erase : EffectMode::Show;
        EffectRequest request = Request(number, mode, 0, way == 1);
        request.step = step;
        Outcome out = RunOn(request, ends.picture, ends.window, way == 2 ? &ends.placed : nullptr);
        bool picture = mode == EffectMode::Show || PlainInPictureColumn(number);
        EXPECT_EQ(out.result.status, 0);
        if (!SameImage(out.window, picture ? ends.placed : ends.background)) {
            ADD_FAILURE() << Describe(number, mode, ends.window) << (way == 1 ? " keep-screen" : "")
                          << " step " << step << ", picture " << ends.picture.Width() << "x"
                          << ends.picture.Height() << ": last frame is not the "
                          << (picture ? "picture" : "background");
            return false;
        }
    }
    return true;
}

TEST(EffectFinalFrame, EveryNumberOn127x63) {
    Surface picture = Gradient(127, 63);
    Ends ends(picture, {127, 63});
    for (int n : AllNumbers()) EndsRight(n, ends);
}

TEST(EffectFinalFrame, TinyThinAndOddWindows) {
    for (Size window : {Size{1, 1}, Size{1, 9}, Size{9, 1}, Size{2, 2}, Size{33, 17}, Size{17, 33},
                        Size{16, 16}, Size{31, 45}}) {
        Surface picture = Gradient(window.width, window.height);
        Ends ends(picture, window);
        for (int n : AllNumbers())
            if (!EndsRight(n, ends)) break;
    }
}

TEST(EffectFinalFrame, PicturesSmallerAndLargerThanTheWindow) {
    for (Size size : {Size{50, 30}, Size{200, 100}, Size{127, 20}, Size{10, 63}, Size{1, 1}}) {
        Surface picture = Gradient(size.width, size.height);
        Ends ends(picture, {127, 63});
        for (int n : AllNumbers())
            if (!EndsRight(n, ends)) break;
    }
}

TEST(EffectFinalFrame, ZeroAndHugeSteps) {
    Surface picture = Gradient(61, 37);
    Ends ends(picture, {61, 37});
    for (uint32_t step : {0u, 3u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        for (int n : AllNumbers())
            if (!EndsRight(n, ends, step)) break;
}

TEST(EffectFinalFrame, EveryNumberOnAFullHdAreaInBothModes) {
    // Large steps keep this quick (the stretch slide and the smear keep their
    // own); keep-screen is covered on the smaller windows.
    Surface picture = Gradient(1920, 1080);
    Ends ends(picture, {1920, 1080});
    for (int n = 0; n <= kLastEffect + 1; ++n)
        if (!EndsRight(n, ends, 97, true)) break;
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
