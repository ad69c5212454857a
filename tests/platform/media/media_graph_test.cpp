#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/display/Display.h"
#include "platform/media/MediaGraph.h"
#include "support/SilentServer.h"
#include "support/TestMedia.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

constexpr uint32_t kSentinel = 0x123456;  // a colour no clip contains

struct Rgb {
    int r, g, b;
};
Rgb At(const Surface& s, int x, int y) {
    uint32_t p = s.Pixel(x, y);
    return {int(p >> 16 & 0xff), int(p >> 8 & 0xff), int(p & 0xff)};
}
bool IsRed(Rgb c) { return c.r > 120 && c.g < 70 && c.b < 70; }
bool IsBlue(Rgb c) { return c.b > 120 && c.r < 70 && c.g < 70; }
bool IsGrey(Rgb c) { return c.r > 140 && c.g > 140 && c.b > 140; }
bool IsGreen(Rgb c) { return c.g > 120 && c.r < 70 && c.b < 70; }

std::optional<GraphEvent> WaitForEvent(MediaGraph& graph, int seconds = 10) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (auto event = graph.TakeEvent()) return event;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

class MediaGraphTest : public ::testing::Test {
protected:
    // The windows outlive the graphs, which hide their pictures when released.
    Window* MakeWindow(Size size) {
        windows.push_back(
            display.CreateWindow("video window", {0, 0, size.width, size.height}, true));
        windows.back()->Paint()->FillAll(Colour::FromPixel(kSentinel));
        return windows.back().get();
    }

    const test::TestMedia& media = test::GetTestMedia();
    Display display{MakeHeadlessBackend(), {1000, 300}};
    std::vector<std::unique_ptr<Window>> windows;
    // A sink that discards the sound: the tests do not depend on a sound device.
    std::unique_ptr<MediaGraph> graph = MakeMediaGraph({"fakesink"});
};

TEST_F(MediaGraphTest, PlaysEachContainerAndCodecIntoTheWindow) {
    auto window = MakeWindow({100, 50});
    for (const auto& clip : {media.h264Mp4, media.vp8Webm, media.mpeg2Ts}) {
        SCOPED_TRACE(clip.filename().string());
        ASSERT_TRUE(graph->Open(clip.string(), window));
        EXPECT_TRUE(graph->IsHeld());
        // A transport stream's duration is an estimate from its first and last time stamps.
        EXPECT_NEAR(graph->GetDurationSeconds(), 2, clip == media.mpeg2Ts ? 1 : 0);
        EXPECT_EQ(graph->NativeSize(), (Size{320, 240}));
        EXPECT_TRUE(graph->SetWindowRect(window, {0, 0, 99, 49}));
        EXPECT_TRUE(graph->Run());
        EXPECT_TRUE(graph->WaitFramesShown(3, 10000));
        EXPECT_TRUE(IsGrey(At(window->Capture(), 5, 5)));
        EXPECT_TRUE(graph->Stop());
        EXPECT_FALSE(graph->IsHeld());
        EXPECT_FALSE(graph->Stop()) << "nothing left to stop";
        EXPECT_FALSE(graph->Release());
    }
}

TEST_F(MediaGraphTest, PictureIsScaledToThePaddedRectangleAndClippedByTheWindow) {
    // A 100 x 50 area gets a 116 x 54 picture: the seven bars are 16.6 pixels
    // wide, so x = 90 lies in the sixth (red) bar, where a picture squeezed to
    // 100 pixels would show the seventh (blue).
    auto window = MakeWindow({100, 50});
    ASSERT_TRUE(graph->Open(media.h264Mp4.string(), window));
    ASSERT_TRUE(graph->SetWindowRect(window, {0, 0, 115, 53}));
    EXPECT_EQ(graph->DestRect(), (Rect{0, 0, 116, 54}));
    ASSERT_TRUE(graph->Run());
    ASSERT_TRUE(graph->WaitFramesShown(5, 10000));
    Surface s = window->Capture();
    EXPECT_TRUE(IsGrey(At(s, 8, 10)));
    EXPECT_TRUE(IsGreen(At(s, 58, 10)));
    EXPECT_TRUE(IsRed(At(s, 90, 10)));
    EXPECT_FALSE(IsBlue(At(s, 98, 10)));
    EXPECT_EQ(test::CountPixels(s, s.Bounds(), kSentinel), 0) << "the window is covered";
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) ASSERT_EQ(s.Pixel(x, y) >> 24, 0u) << "xRGB top byte";
}

TEST_F(MediaGraphTest, PictureStaysInsideItsRectangleAndStopHidesIt) {
    auto window = MakeWindow({100, 50});
    ASSERT_TRUE(graph->Open(media.vp8Webm.string(), window));
    ASSERT_TRUE(graph->SetWindowRect(window, {10, 5, 59, 29}));
    ASSERT_TRUE(graph->Run());
    ASSERT_TRUE(graph->WaitFramesShown(3, 10000));
    Surface s = window->Capture();
    EXPECT_EQ(test::CountPixels(s, s.Bounds(), kSentinel), 100 * 50 - 50 * 25);
    EXPECT_TRUE(IsGrey(At(s, 12, 7)));
    ASSERT_TRUE(graph->Stop());
    s = window->Capture();
    EXPECT_EQ(test::CountPixels(s, {10, 5, 50, 25}, 0), 50 * 25) << "the picture is hidden";
    EXPECT_EQ(test::CountPixels(s, s.Bounds(), kSentinel), 100 * 50 - 50 * 25);
}

TEST_F(MediaGraphTest, AllZeroRectangleFillsTheWindow) {
    auto window = MakeWindow({60, 40});
    EXPECT_FALSE(graph->SetWindowRect(window, {})) << "no graph held";
    ASSERT_TRUE(graph->Open(media.h264Mp4.string(), window));
    EXPECT_EQ(graph->DestRect(), (Rect{0, 0, 320, 240})) << "native size until placed";
    ASSERT_TRUE(graph->SetWindowRect(window, {}));
    EXPECT_EQ(graph->DestRect(), (Rect{0, 0, 60, 40}));
    EXPECT_FALSE(graph->SetWindowRect(window, {10, 10, 5, 20})) << "inverted rectangle";
}

TEST_F(MediaGraphTest, FitVideoCentresOrShrinksKeepingTheAspect) {
    auto wide = MakeWindow({1000, 250});
    ASSERT_TRUE(graph->Open(media.h264Mp4.string(), wide));
    EXPECT_FALSE(graph->FitVideo(1.5));
    ASSERT_TRUE(graph->FitVideo(1.0));
    EXPECT_EQ(graph->DestRect(), (Rect{340, 5, 320, 240}));
    auto small = MakeWindow({200, 100});
    ASSERT_TRUE(graph->Open(media.h264Mp4.string(), small));
    ASSERT_TRUE(graph->FitVideo(1.0));
    EXPECT_EQ(graph->DestRect(), (Rect{33, 0, 133, 100}));

    EXPECT_EQ(FitPicture({320, 240}, {1000, 250}, 0.5), (Rect{420, 64, 160, 120}));
    EXPECT_EQ(FitPicture({640, 120}, {200, 100}, 1.0), (Rect{0, 31, 200, 37}));
    EXPECT_EQ(FitPicture({}, {200, 100}, 1.0), Rect{});
}

TEST_F(MediaGraphTest, DurationIsTruncatedToWholeSeconds) {
    ASSERT_TRUE(graph->Open(media.longMp4.string(), nullptr));
    EXPECT_EQ(graph->GetDurationSeconds(), 10) << "10.6 s";
    graph->Release();
    EXPECT_EQ(graph->GetDurationSeconds(), 0) << "nothing held";
}

TEST_F(MediaGraphTest, SoundOnlyFileOpensWithoutAPicture) {
    ASSERT_TRUE(graph->Open(media.audioOgg.string(), nullptr));
    EXPECT_EQ(graph->GetDurationSeconds(), 2);
    EXPECT_EQ(graph->NativeSize(), Size{});
    EXPECT_FALSE(graph->FitVideo(1.0));
    EXPECT_TRUE(graph->Run());
    EXPECT_EQ(graph->Note(), open_note::kAudioNotRendered);
}

TEST_F(MediaGraphTest, DiscardedSoundIsAPartialSuccess) {
    ASSERT_TRUE(graph->Open(media.vp8Webm.string(), nullptr));
    EXPECT_EQ(graph->Note(), open_note::kAudioNotRendered);
    ASSERT_TRUE(graph->Open(media.h264Mp4.string(), nullptr));
    EXPECT_EQ(graph->Note(), "") << "a clip without sound renders completely";
}

TEST_F(MediaGraphTest, DefaultSoundOutputPlays) {
    auto defaultSound = MakeMediaGraph({});
    auto window = MakeWindow({40, 30});
    ASSERT_TRUE(defaultSound->Open(media.vp8Webm.string(), window));
    ASSERT_TRUE(defaultSound->Run());
    EXPECT_TRUE(defaultSound->WaitFramesShown(2, 10000));
}

TEST_F(MediaGraphTest, EndOfStreamIsEventOneAndEventsGoWithTheGraph) {
    EXPECT_EQ(graph->TakeEvent(), std::nullopt);
    ASSERT_TRUE(graph->Open(media.shortWebm.string(), nullptr));
    ASSERT_TRUE(graph->Run());
    const uint64_t first = graph->RunId();
    auto event = WaitForEvent(*graph);
    ASSERT_TRUE(event);
    EXPECT_EQ(event->code, graph_event::kComplete);
    EXPECT_EQ(event->run, first);

    // The second time, its end is reached but not taken: all ten frames shown,
    // and the tenth frame's 33 ms passed many times over.
    ASSERT_TRUE(graph->Open(media.shortWebm.string(), MakeWindow({32, 24})));
    EXPECT_GT(graph->RunId(), first) << "each open is a run of its own";
    EXPECT_FALSE(graph->StopRun(first)) << "an earlier run's stop leaves this one";
    EXPECT_TRUE(graph->IsHeld());
    ASSERT_TRUE(graph->Run());
    ASSERT_TRUE(graph->WaitFramesShown(10, 10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(graph->Release());
    EXPECT_EQ(graph->TakeEvent(), std::nullopt) << "a released graph's events are gone";
}

TEST_F(MediaGraphTest, PlaybackErrorIsEventThree) {
    // The sound path fails after ten buffers, once the clip is playing.
    auto failing = MakeMediaGraph({"identity error-after=10 ! fakesink sync=true"});
    ASSERT_TRUE(failing->Open(media.vp8Webm.string(), nullptr));
    ASSERT_TRUE(failing->Run());
    auto event = WaitForEvent(*failing);
    ASSERT_TRUE(event);
    EXPECT_EQ(event->code, graph_event::kErrorAbort);
}

TEST_F(MediaGraphTest, VolumeInHundredthsOfADecibel) {
    EXPECT_DOUBLE_EQ(*LinearVolume(0), 1.0);
    EXPECT_NEAR(*LinearVolume(-2000), 0.1, 1e-12);
    EXPECT_NEAR(*LinearVolume(-4500), 0.0056234, 1e-6);
    EXPECT_EQ(*LinearVolume(-10000), 0.0);
    EXPECT_EQ(LinearVolume(1), std::nullopt);
    EXPECT_EQ(LinearVolume(-10001), std::nullopt);

    EXPECT_FALSE(graph->SetGraphVolume(-4500)) << "no graph held";
    ASSERT_TRUE(graph->Open(media.vp8Webm.string(), nullptr));
    EXPECT_TRUE(graph->SetGraphVolume(-4500));
    EXPECT_TRUE(graph->SetGraphVolume(-10000));
    EXPECT_FALSE(graph->SetGraphVolume(100));
}

TEST_F(MediaGraphTest, OpeningAStreamHoldsOffNeitherVolumeNorStop) {
    test::SilentServer server;
    auto window = MakeWindow({40, 30});
    std::atomic<bool> openReturned{false};
    auto opened = std::async(std::launch::async, [&] {
        bool ok = graph->Open(server.Address(), window);
        openReturned = true;
        return ok;
    });
    ASSERT_TRUE(server.WaitForClient(8)) << "the stream is being opened";
    EXPECT_FALSE(graph->SetGraphVolume(-4500)) << "nothing is held yet";
    EXPECT_FALSE(graph->IsHeld());
    EXPECT_FALSE(openReturned) << "volume calls do not wait for the opening";
    EXPECT_TRUE(graph->Stop()) << "a stop ends the opening";
    EXPECT_FALSE(opened.get());
    EXPECT_FALSE(graph->IsHeld());
    EXPECT_EQ(graph->RunId(), 0u);

    // The caller giving up (its stop flag, the player's shutdown) ends the
    // opening too, well before the 10 s preroll is over.
    std::atomic<bool> giveUp{false};
    auto reopened = std::async(std::launch::async, [&] {
        return graph->Open(server.Address(), window, [&] { return giveUp.load(); });
    });
    ASSERT_TRUE(server.WaitForClient(8)) << "the stream is being opened again";
    giveUp = true;
    ASSERT_EQ(reopened.wait_for(std::chrono::seconds(6)), std::future_status::ready);
    EXPECT_FALSE(reopened.get());
    EXPECT_FALSE(graph->IsHeld());
}

TEST_F(MediaGraphTest, BadInputsFailCleanly) {
    const std::string names[] = {media.missing.string(),
                                 media.corrupt.string(),
                                 media.empty.string(),
                                 media.directory.string(),
                                 "",
                                 "mms://127.0.0.1:9/clip",
                                 "http://127.0.0.1:9/clip.mp4",
                                 "not an address://x"};
    auto window = MakeWindow({50, 50});
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(graph->Open(name, window));
        EXPECT_FALSE(graph->IsHeld());
        EXPECT_EQ(graph->GetDurationSeconds(), 0);
        EXPECT_FALSE(graph->Run());
        EXPECT_FALSE(graph->Stop());
        EXPECT_EQ(graph->TakeEvent(), std::nullopt);
    }
    Surface s = window->Capture();
    EXPECT_EQ(test::CountPixels(s, s.Bounds(), kSentinel), 50 * 50) << "nothing painted";
}

// Opening a FIFO (or a device) waits for a writer, beyond any stop: such a
// name fails at once, given as a path or as a file address.
TEST_F(MediaGraphTest, AFifoIsRefusedWithoutWaitingForAWriter) {
    test::TempDir dir;
    const auto fifo = dir.Path() / "clip.mp4";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto window = MakeWindow({20, 20});
    for (const std::string& name : {fifo.string(), "file://" + fifo.string()}) {
        auto opened = std::async(std::launch::async, [&] { return graph->Open(name, window); });
        const bool returned = opened.wait_for(std::chrono::seconds(8)) == std::future_status::ready;
        EXPECT_TRUE(returned) << name;
        // Otherwise writers that leave at once let the opening end.
        while (opened.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
            int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) close(fd);
        }
        EXPECT_FALSE(opened.get()) << name;
        EXPECT_FALSE(graph->IsHeld());
    }
}

TEST_F(MediaGraphTest, FailingAndFinishedItemsLeakNoThreadsOrFiles) {
    const std::string failing[] = {media.missing.string(), media.corrupt.string(),
                                   media.empty.string(), media.directory.string()};
    auto window = MakeWindow({32, 24});
    auto playOne = [&] {
        ASSERT_TRUE(graph->Open(media.h264Mp4.string(), window));
        ASSERT_TRUE(graph->Run());
        ASSERT_TRUE(graph->WaitFramesShown(1, 10000));
        ASSERT_TRUE(graph->Stop());
    };
    // Warm up: GStreamer keeps a pool of streaming threads and loads plugins once.
    for (int i = 0; i < 8; ++i) graph->Open(failing[i % 4], window);
    playOne();
    const int fds = test::CountEntries("/proc/self/fd"),
              threads = test::CountEntries("/proc/self/task");

    for (int i = 0; i < 200; ++i) ASSERT_FALSE(graph->Open(failing[i % 4], window));
    for (int i = 0; i < 20; ++i) playOne();

    // Idle pool threads may take a moment to return; they must never grow.
    auto settled = [&] {
        return test::CountEntries("/proc/self/fd") <= fds &&
               test::CountEntries("/proc/self/task") <= threads;
    };
    for (int i = 0; i < 100 && !settled(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_LE(test::CountEntries("/proc/self/fd"), fds);
    EXPECT_LE(test::CountEntries("/proc/self/task"), threads);
}

}  // namespace
}  // namespace led
