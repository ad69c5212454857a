#include <dirent.h>
#include <gtest/gtest.h>

#include "platform/display/Display.h"
#include "platform/media/CameraPreview.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

int CountFds() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

class CameraPreviewTest : public ::testing::Test {
protected:
    Display display{MakeHeadlessBackend(), {200, 200}};
    std::unique_ptr<Window> window = display.CreateWindow("video window", {10, 20, 80, 60}, true);
};

TEST_F(CameraPreviewTest, ShowsTheSourceOverTheWholeWindowUntilStopped) {
    // Solid blue (ARGB 0xff0000ff) at the source's 320 x 240, captured at 64 x 48.
    auto camera = MakeCameraPreview(
        "videotestsrc is-live=true pattern=solid-color foreground-color=0xff0000ff");
    ASSERT_TRUE(camera->Start(window->Frame(), window.get(), 64, 48));
    EXPECT_TRUE(camera->IsRunning());
    ASSERT_TRUE(camera->WaitFramesShown(2, 10000));
    Surface s = window->Capture();
    for (Point p : {Point{0, 0}, Point{79, 0}, Point{0, 59}, Point{79, 59}, Point{40, 30}}) {
        uint32_t px = s.Pixel(p.x, p.y);
        EXPECT_GT(px & 0xff, 200u) << p.x << "," << p.y;
        EXPECT_LT(px >> 8 & 0xffff, 0x3030u) << p.x << "," << p.y;
    }
    camera->Stop();
    EXPECT_FALSE(camera->IsRunning());
    s = window->Capture();
    EXPECT_EQ(test::CountPixels(s, s.Bounds(), 0), 80 * 60) << "the picture is hidden";
    camera->Stop();  // stopping a stopped preview does nothing
}

TEST_F(CameraPreviewTest, UnknownSizeTakesTheSourcesOwn) {
    // A source that only makes 16 x 12: 8-pixel checkers, two squares across,
    // which the 80 x 60 window shows five times enlarged. Any other capture
    // size fails to negotiate or shows squares of another size.
    auto camera = MakeCameraPreview(
        "videotestsrc is-live=true pattern=checkers-8 ! capsfilter "
        "caps=video/x-raw,width=16,height=12");
    ASSERT_TRUE(camera->Start(window->Frame(), window.get(), 0, 0));
    ASSERT_TRUE(camera->WaitFramesShown(2, 10000));
    Surface s = window->Capture();
    const uint32_t first = s.Pixel(5, 5) & 0xffffff;
    EXPECT_EQ(s.Pixel(34, 5) & 0xffffff, first) << "one square 40 pixels wide";
    EXPECT_EQ(s.Pixel(5, 34) & 0xffffff, first) << "and 40 high";
    EXPECT_NE(s.Pixel(45, 5) & 0xffffff, first) << "the next square";
    EXPECT_NE(s.Pixel(5, 45) & 0xffffff, first);
    camera->Stop();
}

TEST_F(CameraPreviewTest, SourcesThatCannotBeMadeOrStartedLeaveItStopped) {
    for (const char* source : {"no-such-camera-element", "v4l2src device=/dev/no-such-video"}) {
        SCOPED_TRACE(source);
        auto camera = MakeCameraPreview(source);
        EXPECT_FALSE(camera->Start(window->Frame(), window.get(), 720, 576));
        EXPECT_FALSE(camera->IsRunning());
    }
}

TEST_F(CameraPreviewTest, RestartsLeakNoFiles) {
    auto camera = MakeCameraPreview("videotestsrc is-live=true");
    ASSERT_TRUE(camera->Start(window->Frame(), window.get(), 64, 48));
    camera->Stop();
    const int fds = CountFds();
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(camera->Start(window->Frame(), window.get(), 64, 48));
        ASSERT_TRUE(camera->WaitFramesShown(1, 10000));
    }
    camera->Stop();
    EXPECT_LE(CountFds(), fds);
}

}  // namespace
}  // namespace led
