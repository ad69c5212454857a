#include "platform/display/Display.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

namespace led {
namespace {

class CountingBackend final : public DisplayBackend {
public:
    const char* Name() const override { return "counting"; }
    bool Open(Size) override { return true; }
    void Present(const Surface& raster, const std::vector<Rect>& damage) override {
        for (const Rect& r : damage) presented += r.width * r.height;
        if (!damage.empty()) lastShown = raster.Pixel(damage[0].x, damage[0].y);
    }
    void ShowOnly(const Rect& source) override {
        std::lock_guard lock(shownMutex);
        shown.push_back(source);
    }
    std::vector<Rect> Shown() {
        std::lock_guard lock(shownMutex);
        return shown;
    }
    std::atomic<long> presented{0};
    std::atomic<uint32_t> lastShown{0};  // the first damaged pixel as last shown
    std::mutex shownMutex;
    std::vector<Rect> shown;  // ShowOnly calls in order
};

// Like the headless backend (nothing shows the raster), but polling for input
// so that a test can see the compositor thread go round.
class PollingHeadlessBackend final : public DisplayBackend {
public:
    const char* Name() const override { return "polling headless"; }
    bool Open(Size) override { return true; }
    void Present(const Surface&, const std::vector<Rect>&) override { ++presented; }
    bool ShowsEveryFrame() const override { return false; }
    int InputPollMs() const override { return 1; }
    void PumpInput(const KeyHandler&) override { ++pumped; }
    std::atomic<long> presented{0}, pumped{0};
};

TEST(RectTest, InclusiveEdgesGiveSizesThatFitEvenAtTheExtremes) {
    EXPECT_EQ(Rect::FromInclusive(0, 0, 127, 31), (Rect{0, 0, 128, 32}));
    EXPECT_TRUE(Rect::FromInclusive(5, 5, 4, 9).IsEmpty()) << "right before left";
    constexpr int kMin = std::numeric_limits<int>::min(), kMax = std::numeric_limits<int>::max();
    const Rect raster{0, 0, 100, 50};
    const Rect all = Rect::FromInclusive(kMin, kMin, kMax, kMax);
    const Rect fromOrigin = Rect::FromInclusive(0, 0, kMax, kMax);
    const Rect leftOfRaster = Rect::FromInclusive(kMin, 10, -1, 20);
    for (const Rect& r : {all, fromOrigin, leftOfRaster}) {
        EXPECT_FALSE(r.IsEmpty());
        EXPECT_GT(r.Right(), r.Left());
        EXPECT_GT(r.Bottom(), r.Top());
    }
    EXPECT_EQ(all.Intersected(raster), raster);
    EXPECT_EQ(fromOrigin.Intersected(raster), raster);
    EXPECT_TRUE(leftOfRaster.Intersected(raster).IsEmpty());
}

TEST(DisplayTest, WindowsStackTopmostAboveMain) {
    Display display(MakeHeadlessBackend(), {100, 100});
    auto main = display.CreateWindow("main", {0, 0, 100, 100}, false);
    auto popup = display.CreateWindow("popup", {10, 10, 20, 20}, true);
    auto late = display.CreateWindow("late plain", {0, 0, 50, 50}, false);
    main->Paint()->FillAll(Colour::FromRgb(255, 0, 0));
    popup->Paint()->FillAll(Colour::FromRgb(0, 255, 0));
    late->Paint()->FillAll(Colour::FromRgb(0, 0, 255));
    Surface raster = display.CaptureRaster();
    EXPECT_EQ(raster.Pixel(15, 15), 0x00ff00u) << "topmost stays above a later plain window";
    EXPECT_EQ(raster.Pixel(5, 5), 0x0000ffu);
    EXPECT_EQ(raster.Pixel(80, 80), 0xff0000u);
    popup.reset();  // a closed window uncovers what is below
    EXPECT_EQ(display.CaptureRaster().Pixel(15, 15), 0x0000ffu);
    popup = display.CreateWindow("hidden", {60, 60, 10, 10}, true);
    popup->Paint()->FillAll(Colour::FromRgb(0, 255, 0));
    popup->Show(false);
    EXPECT_EQ(display.CaptureRaster().Pixel(65, 65), 0xff0000u);
}

TEST(DisplayTest, OnlyDamageIsComposedAndIdleComposesNothing) {
    auto backend = std::make_unique<CountingBackend>();
    CountingBackend* counting = backend.get();
    Display display(std::move(backend), {200, 100});
    auto window = display.CreateWindow("w", {0, 0, 200, 100}, false);
    display.ComposeNow();
    counting->presented = 0;
    uint64_t before = display.ComposeCount();
    display.ComposeNow();
    EXPECT_EQ(display.ComposeCount(), before) << "nothing changed, nothing composed";
    window->Paint()->Fill({10, 10, 5, 4}, kRed);
    display.ComposeNow();
    EXPECT_EQ(counting->presented, 20);
}

TEST(DisplayTest, ARunningCompositorShowsDamageButHeadlessWaitsUntilRead) {
    auto backend = std::make_unique<CountingBackend>();
    CountingBackend* counting = backend.get();
    Display shown(std::move(backend), {200, 100});
    ASSERT_TRUE(shown.Start());
    auto window = shown.CreateWindow("w", {0, 0, 200, 100}, false);
    window->Paint()->Fill({0, 0, 10, 10}, kRed);
    for (int i = 0; i < 2000 && counting->presented < 20000; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // The window's creation and its painting, composed together or apart.
    EXPECT_GE(counting->presented, 20000) << "composed and presented without being asked";
    EXPECT_LE(counting->presented, 20000 + 100);

    // Without an output device: the compositor goes round its loop (it polls
    // for input here, so that the test sees it wake) and still copies nothing.
    auto polling = std::make_unique<PollingHeadlessBackend>();
    PollingHeadlessBackend* pumps = polling.get();
    Display headless(std::move(polling), {200, 100});
    ASSERT_TRUE(headless.Start([](int) {}));
    auto video = headless.CreateWindow("video", {0, 0, 200, 100}, false);
    for (int frame = 0; frame < 50; ++frame) video->Paint()->FillAll(Colour::FromRgb(0, 0, frame));
    const long after = pumps->pumped;
    for (int i = 0; i < 5000 && pumps->pumped < after + 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GE(pumps->pumped, after + 3) << "the compositor woke after the frames";
    EXPECT_EQ(headless.ComposeCount(), 0u) << "no output device: frames are not copied";
    EXPECT_EQ(pumps->presented, 0);
    EXPECT_EQ(headless.CaptureRaster().Pixel(100, 50), 0x000031u) << "the last frame when read";
    EXPECT_EQ(headless.ComposeCount(), 1u);
}

TEST(DisplayTest, FullScreenWindowIsShownWithoutCopyingIntoTheRaster) {
    auto backend = std::make_unique<CountingBackend>();
    CountingBackend* counting = backend.get();
    Display display(std::move(backend), {200, 100});
    auto video = display.CreateWindow("video", {0, 0, 200, 100}, false);
    const uint64_t copiedBefore = display.CopiedPixels();
    for (int frame = 1; frame <= 5; ++frame) {
        video->Paint()->FillAll(Colour::FromRgb(0, 0, frame));
        display.ComposeNow();
        EXPECT_EQ(counting->lastShown, uint32_t(frame)) << "each frame is shown";
    }
    EXPECT_EQ(display.CopiedPixels(), copiedBefore) << "no frame was copied";
    EXPECT_EQ(display.CaptureRaster().Pixel(100, 50), 5u) << "the raster is right when read";

    // A logo over the video: frames are composed again, logo on top.
    auto logo = display.CreateWindow("logo", {10, 10, 20, 20}, true);
    logo->Paint()->FillAll(Colour::FromRgb(0, 255, 0));
    video->Paint()->FillAll(Colour::FromRgb(0, 0, 9));
    display.ComposeNow();
    EXPECT_EQ(counting->lastShown, 9u);
    Surface raster = display.CaptureRaster();
    EXPECT_EQ(raster.Pixel(15, 15), 0x00ff00u);
    EXPECT_EQ(raster.Pixel(100, 50), 9u);
    logo.reset();
    video->Paint()->Fill({12, 12, 4, 4}, Colour::FromRgb(0, 0, 7));
    display.ComposeNow();
    EXPECT_EQ(display.CaptureRaster().Pixel(20, 20), 0x000009u) << "uncovered again";
    EXPECT_EQ(display.CaptureRaster().Pixel(13, 13), 0x000007u);
}

TEST(DisplayTest, ShowingPartOfTheRasterReachesTheBackendAndRepresentsAll) {
    auto backend = std::make_unique<CountingBackend>();
    CountingBackend* counting = backend.get();
    Display display(std::move(backend), {200, 100});
    ASSERT_TRUE(display.Start());
    auto window = display.CreateWindow("w", {0, 0, 200, 100}, false);
    for (int i = 0; i < 2000 && counting->presented < 20000; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    display.ShowOnly({0, 0, 64, 300});
    display.ShowOnly({0, 0, 64, 300});  // unchanged: the backend is not told again
    for (int i = 0; i < 2000 && counting->presented < 40000; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(counting->presented, 40000) << "the whole raster again, in the new view";
    ASSERT_EQ(counting->Shown().size(), 1u);
    EXPECT_EQ(counting->Shown()[0], (Rect{0, 0, 64, 100})) << "clipped to the raster";
    EXPECT_EQ(display.Shown(), (Rect{0, 0, 64, 100}));
    EXPECT_EQ(display.CaptureRaster().GetSize(), (Size{200, 100})) << "capture keeps the raster";
}

TEST(DisplayTest, CanvasClipsEverythingToItsSurface) {
    Surface s(10, 10);
    Canvas c(s);
    c.Fill({-5, -5, 100, 7}, kRed);
    EXPECT_EQ(s.Pixel(9, 1), kRed.ToPixel());
    EXPECT_EQ(s.Pixel(0, 3), 0u);

    // A 30 x 30 source whose pixels say where they come from.
    Surface big(30, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) big.SetPixel(x, y, uint32_t(x) << 8 | uint32_t(y));
    c.Copy(big, {5, 5, 30, 30}, {-3, 8});
    EXPECT_EQ(s.Pixel(0, 8), big.Pixel(8, 5)) << "the part left of the surface is cut";
    EXPECT_EQ(s.Pixel(9, 9), big.Pixel(17, 6));
    EXPECT_EQ(s.Pixel(0, 7), 0u) << "nothing above the destination";

    // Four quadrants, stretched to 24 x 24 from (-10, -10): the surface shows
    // the source's part from 12.5 to 23.75 on each axis.
    const uint32_t tl = 0x110000, tr = 0x002200, bl = 0x000033, br = 0x444444;
    Surface quadrants(30, 30);
    Canvas q(quadrants);
    q.Fill({0, 0, 15, 15}, Colour::FromPixel(tl));
    q.Fill({15, 0, 15, 15}, Colour::FromPixel(tr));
    q.Fill({0, 15, 15, 15}, Colour::FromPixel(bl));
    q.Fill({15, 15, 15, 15}, Colour::FromPixel(br));
    c.Stretch(quadrants, quadrants.Bounds(), {-10, -10, 24, 24});
    EXPECT_EQ(s.Pixel(0, 0), tl);
    EXPECT_EQ(s.Pixel(9, 0), tr);
    EXPECT_EQ(s.Pixel(0, 9), bl);
    EXPECT_EQ(s.Pixel(9, 9), br);

    // Keyed: the top-left quadrant lands on (5..9, 5..9) unless it is the key.
    c.CopyKeyed(quadrants, quadrants.Bounds(), {5, 5, 100, 100}, Colour::FromPixel(tl));
    EXPECT_EQ(s.Pixel(7, 7), br) << "key colour left out";
    c.CopyKeyed(quadrants, quadrants.Bounds(), {5, 5, 100, 100}, Colour::FromPixel(0x999999));
    EXPECT_EQ(s.Pixel(7, 7), tl);
    EXPECT_EQ(s.Pixel(4, 4), br) << "nothing left of or above the destination";
    EXPECT_EQ(c.Damage(), s.Bounds());
}

TEST(DisplayTest, ColoursConvertFromTheBoardsOrder) {
    Colour c{0x00332211u};  // R 0x11, G 0x22, B 0x33
    EXPECT_EQ(c.Red(), 0x11);
    EXPECT_EQ(c.Blue(), 0x33);
    EXPECT_EQ(c.ToPixel(), 0x112233u);
    EXPECT_EQ(Colour::FromPixel(0x112233u), c);
}

}  // namespace
}  // namespace led
