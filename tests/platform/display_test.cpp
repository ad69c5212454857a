#include "platform/display/Display.h"

#include <gtest/gtest.h>

#include <chrono>
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

    Display headless(MakeHeadlessBackend(), {200, 100});
    ASSERT_TRUE(headless.Start());
    auto video = headless.CreateWindow("video", {0, 0, 200, 100}, false);
    for (int frame = 0; frame < 50; ++frame) video->Paint()->FillAll(Colour::FromRgb(0, 0, frame));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(headless.ComposeCount(), 0u) << "no output device: frames are not copied";
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
    EXPECT_EQ(s.Pixel(0, 0), kRed.ToPixel());
    EXPECT_EQ(s.Pixel(0, 3), 0u);
    Surface big(30, 30);
    Canvas(big).FillAll(Colour::FromRgb(1, 2, 3));
    c.Copy(big, {5, 5, 30, 30}, {-3, 8});
    EXPECT_EQ(s.Pixel(0, 9), 0x010203u);
    c.Stretch(big, big.Bounds(), {-10, -10, 40, 40});
    c.CopyKeyed(big, big.Bounds(), {5, 5, 100, 100}, Colour::FromRgb(9, 9, 9));
    EXPECT_EQ(c.Damage(), s.Bounds());
    Point tri[] = {{-20, -20}, {50, 0}, {0, 50}};
    c.FillPolygon(tri, kBlack);
    c.FillEllipse({-100, -100, 300, 300}, kBlack);
    EXPECT_EQ(s.Pixel(5, 5) & 0xffffff, 0u);
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
