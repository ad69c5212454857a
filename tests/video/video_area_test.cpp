// The video area through StartProgram and StopProgram: with the fake graph
// and camera, then with real clips through GStreamer.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "app/MainWindow.h"
#include "program/ProgramControl.h"
#include "storage/Files.h"
#include "support/FakeMedia.h"
#include "support/NotifySocket.h"
#include "support/SilentServer.h"
#include "support/TestMedia.h"
#include "support/TestPlayer.h"
#include "video/VideoItems.h"

namespace led {
namespace {

using test::Eventually;

using ::testing::Contains;
using ::testing::Not;
using Json = nlohmann::json;
using RealClock = std::chrono::steady_clock;

class VideoAreaTest : public ::testing::Test {
protected:
    // `scale`: how fast the player's clock runs; clips play in real time.
    void SetUpPlayer(double scale, bool fakeMedia) {
        std::filesystem::create_directories(dir.Path() / "nand" / "table");
        std::filesystem::create_directories(dir.Path() / "Storage Card" / "video");
        player = test::MakeTestPlayer(dir.Path(), scale);
        player->events.Open(dir / "events.jsonl");
        test::OpenMainWindow(*player, {1024, 300});
        if (fakeMedia) {
            auto g = std::make_unique<test::FakeMediaGraph>();
            auto c = std::make_unique<test::FakeCameraPreview>();
            graph = g.get();
            camera = c.get();
            player->video.normal.graph = std::move(g);
            player->video.camera = std::move(c);
        } else {
            player->video.normal.graph = MakeMediaGraph({"fakesink"});
        }
        loop = std::thread([this] {
            player->queue.Run([this](const Message& m) { return MainWndProc(*player, m); });
        });
    }
    void TearDown() override {
        if (!player) return;
        StopProgram(*player, 1, false);
        EXPECT_TRUE(player->playback.areaThreads.WaitAllEnded(std::chrono::seconds(20)))
            << "an area thread did not end after its program was stopped";
        player->queue.Quit(0);
        loop.join();
    }

    static AreaItem File(const std::string& path, int streamtype = 0) {
        AreaItem item;
        item.path = path;
        item.streamtype = streamtype;
        return item;
    }
    // One video area from (left, top) to (right, bottom) inclusive.
    void Start(std::vector<AreaItem> items, EdgeRect r = {0, 0, 999, 249}) {
        auto program = std::make_shared<ProgramRecord>();
        program->idText = "v";
        AreaRecord area;
        area.type = area_type::kVideo;
        area.left = r.left, area.top = r.top, area.right = r.right, area.bottom = r.bottom;
        area.items = std::move(items);
        program->areas.push_back(area);
        StartProgram(*player, program, Layer::Normal);
    }
    // Host path of a clip file under the Flash storage's video directory.
    std::string Clip(const std::string& name) {
        return (dir.Path() / "Storage Card" / "video" / name).string();
    }
    void PutClip(const std::string& name, const std::filesystem::path& from = {}) {
        if (from.empty())
            test::WriteHostFile(Clip(name), "x");
        else
            std::filesystem::copy_file(from, Clip(name));
    }
    std::vector<Json> Events(const std::string& name) {
        std::vector<Json> out;
        std::ifstream in(dir / "events.jsonl");
        for (std::string line; std::getline(in, line);) {
            Json event = Json::parse(line, nullptr, false);
            if (!event.is_discarded() && event["event"] == name) out.push_back(event);
        }
        return out;
    }
    // The first event of `name`, waited for: the log is written by the area's
    // thread, which may still be on its way there. Null when none came.
    Json FirstEvent(const std::string& name) {
        std::vector<Json> events;
        Eventually([&] { return !(events = Events(name)).empty(); });
        return events.empty() ? Json() : events.front();
    }
    int Cycles() { return player->playback.normal.Run()->completionCounters[0].load(); }
    bool Ended() { return player->playback.normal.Run()->exitCounter.load() == 1; }

    test::TempDir dir;
    std::unique_ptr<Player> player;
    test::FakeMediaGraph* graph = nullptr;
    test::FakeCameraPreview* camera = nullptr;
    std::thread loop;
};

TEST_F(VideoAreaTest, ItemPlaysForItsDurationPlusOneSecondAndReportsOnce) {
    SetUpPlayer(100, true);
    PutClip("clip.mp4");
    graph->durations[Clip("clip.mp4")] = 0;  // a live stream, or a clip under a second
    player->device.volume = 55;
    auto begin = RealClock::now();
    Start({File("\\Storage Card\\video\\CLIP.mp4")});
    ASSERT_TRUE(Eventually([&] { return Cycles() >= 2; }));
    EXPECT_GE(RealClock::now() - begin, std::chrono::seconds(2)) << "1 s of real time per pass";
    EXPECT_EQ(player->playback.normal.cycleMessageCount, 1) << "reported after the first pass only";
    EXPECT_TRUE(player->video.normal.videoSingleItem);
    EXPECT_TRUE(player->video.normal.videoTimedOut);
    EXPECT_EQ(player->video.normal.VideoRect(), (Rect{0, 0, 1000, 250}));

    auto calls = graph->Calls();
    std::vector<std::string> first(calls.begin(), calls.begin() + 8);
    EXPECT_THAT(first, ::testing::ElementsAre("Stop", "Open " + Clip("clip.mp4"), "FitVideo 1",
                                              "Volume -4500", "WindowRect 0,0,1015,253", "Run",
                                              "Stop", "Stop"));
    EXPECT_GE(std::count(calls.begin(), calls.end(), "Run"), 2) << "reopened every pass";
    auto start = Events("video-start");
    ASSERT_FALSE(start.empty());
    EXPECT_EQ(start[0]["name"], "\\Storage Card\\video\\CLIP.mp4");
    EXPECT_EQ(start[0]["playtime"], 1);
    EXPECT_EQ(FirstEvent("video-end")["reason"], "time");
}

TEST_F(VideoAreaTest, ListWhoseItemsAllFailStillCompletesItsPass) {
    SetUpPlayer(100, true);
    PutClip("broken.mp4");
    graph->failingNames = {Clip("broken.mp4"), "mms://127.0.0.1:9/live"};
    Start({File("\\Storage Card\\video\\broken.mp4"),
           File("\\Storage Card\\video\\..\\..\\etc\\passwd"),  // resolves outside its volume
           File("\\Storage Card\\video\\junk mms://127.0.0.1:9/live", 1)});
    ASSERT_TRUE(Eventually([&] { return Cycles() >= 2; }));
    EXPECT_EQ(player->playback.normal.cycleMessageCount, 1);
    auto calls = graph->Calls();
    EXPECT_THAT(calls, Contains("Open mms://127.0.0.1:9/live")) << "from its scheme on";
    EXPECT_THAT(calls, Not(Contains("Run")));
    for (const auto& call : calls) EXPECT_EQ(call.find("passwd"), std::string::npos) << call;
    EXPECT_EQ(player->device.keepAliveHandover, 0) << "the watchdog thread keeps the keep-alive";
    EXPECT_EQ(Events("video-failed").size(), 3u) << "logged on the first pass only";
}

TEST_F(VideoAreaTest, StopMidClipEndsTheThreadAndHandsTheKeepAliveBack) {
    SetUpPlayer(100, true);
    test::NotifySocket supervisor(dir.Path() / "notify");
    PutClip("long.mp4");
    graph->durations[Clip("long.mp4")] = 100;
    Start({File("\\Storage Card\\video\\long.mp4")});
    // The area takes the keep-alive over just after it runs the graph.
    EXPECT_TRUE(Eventually([&] {
        return graph->Running() && player->device.keepAliveHandover == 1;
    })) << "taken over while the clip plays";
    ASSERT_TRUE(Eventually([&] { return supervisor.KeepAlives() >= 2; }))
        << "keep-alive every 5 s of player time";

    EXPECT_EQ(StopProgram(*player, 1, false), 1);
    EXPECT_TRUE(Ended());
    EXPECT_FALSE(graph->IsHeld());
    EXPECT_EQ(player->device.keepAliveHandover, 0);
    EXPECT_EQ(Cycles(), 0);
    EXPECT_EQ(FirstEvent("video-end")["reason"], "stop");
}

TEST_F(VideoAreaTest, EndOfStreamFromTheMainWindowEndsTheItemEarly) {
    SetUpPlayer(100, true);
    PutClip("a.mp4");
    graph->durations[Clip("a.mp4")] = 100;
    player->device.keepAliveHandover = 1;  // someone else holds the keep-alive
    Start({File("\\Storage Card\\video\\a.mp4"), File("\\Storage Card\\video\\a.mp4")});
    ASSERT_TRUE(Eventually([&] { return graph->Running(); }));
    graph->PostEvent(graph_event::kComplete);
    player->queue.Send({msg::kNormalCycle, 0, 0});  // the graph's notification
    ASSERT_TRUE(Eventually([&] { return Events("video-start").size() == 2; }));
    EXPECT_EQ(FirstEvent("video-end")["reason"], "ended");
    EXPECT_FALSE(player->video.normal.videoSingleItem);
    EXPECT_EQ(Cycles(), 0) << "the second item still plays";
    EXPECT_EQ(StopProgram(*player, 1, false), 1);
    EXPECT_EQ(player->device.keepAliveHandover, 1) << "not the area's to give back";
}

TEST_F(VideoAreaTest, VideoWindowStaysUnderPictureLikeWindows) {
    SetUpPlayer(100, true);
    // A logo area's window, made before the video area starts under it.
    auto logo = player->output.display->CreateWindow("picture window", {40, 10, 20, 20}, true);
    logo->Paint()->FillAll(Colour{0x0000ff});
    PutClip("clip.mp4");
    graph->durations[Clip("clip.mp4")] = 100;
    Start({File("\\Storage Card\\video\\clip.mp4")});
    ASSERT_TRUE(Eventually([&] { return graph->Running(); }));
    Surface raster = player->output.display->CaptureRaster();
    EXPECT_EQ(test::CountPixels(raster, {40, 10, 20, 20}, Colour{0x0000ff}.ToPixel()), 20 * 20)
        << "the logo stays over the video";
}

TEST_F(VideoAreaTest, CameraItemShowsUntilVideoPlayingIsCleared) {
    SetUpPlayer(100, true);
    test::NotifySocket supervisor(dir.Path() / "notify");
    player->fs.WriteText(files::kTvAreaSize, "720x576");
    AreaItem cameraItem;
    cameraItem.streamtype = 2;
    Start({cameraItem}, {10, 20, 309, 219});
    ASSERT_TRUE(Eventually([&] { return camera->IsRunning(); }));
    EXPECT_EQ(camera->Calls().back(), "Start 720x576 at 10,20 300x200");
    EXPECT_EQ(player->video.cameraSwitch->Level(), 0) << "driven low while the camera shows";
    ASSERT_TRUE(Eventually([&] { return supervisor.KeepAlives() >= 1; }));
    EXPECT_EQ(Cycles(), 0) << "no play time of its own";

    player->video.normal.videoPlaying = false;
    ASSERT_TRUE(Eventually([&] { return Cycles() == 1 && camera->Calls().size() >= 4; }));
    EXPECT_THAT(camera->Calls(), ::testing::ElementsAre("Stop", ::testing::StartsWith("Start"),
                                                        "Stop", ::testing::StartsWith("Start")));
    EXPECT_EQ(StopProgram(*player, 1, false), 1);
    EXPECT_FALSE(camera->IsRunning());
    EXPECT_EQ(player->video.cameraSwitch->Level(), 1);
    EXPECT_EQ(player->device.keepAliveHandover, 0);
}

TEST_F(VideoAreaTest, CameraSwitchLineIsLowOnlyWhileTheCameraShows) {
    SetUpPlayer(100, true);
    auto l = std::make_unique<test::FakeGpioLine>();
    auto* line = l.get();
    player->video.cameraSwitch = std::move(l);
    PutClip("clip.mp4");
    graph->durations[Clip("clip.mp4")] = 100;
    AreaItem cameraItem;
    cameraItem.streamtype = stream_type::kCamera;
    Start({cameraItem, File("\\Storage Card\\video\\clip.mp4")});
    ASSERT_TRUE(Eventually([&] { return camera->IsRunning(); }));
    EXPECT_EQ(line->Level(), 0) << "low while the camera shows";
    player->video.normal.videoPlaying = false;
    ASSERT_TRUE(Eventually([&] { return graph->Running(); }));
    EXPECT_EQ(line->Level(), 1) << "high while a file plays";
    EXPECT_EQ(StopProgram(*player, 1, false), 1);
    EXPECT_EQ(line->Level(), 1);
    auto levels = line->Levels();
    EXPECT_EQ(std::count(levels.begin(), levels.end(), 0), 1) << "driven low once";
}

TEST_F(VideoAreaTest, NothingToPlayCountsAsPlayedSoTheProgramIsNotHeld) {
    SetUpPlayer(100, true);
    player->playback.normal.requiredPlaytimes = 3;
    // No items; then items but rectangles no window can have: inverted, and
    // wholly beyond the 1024 x 300 raster.
    for (EdgeRect r : {EdgeRect{0, 0, 99, 99}, EdgeRect{50, 50, 40, 40},
                       EdgeRect{1024, 0, 300000, 99}, EdgeRect{0, 300, 99, INT32_MAX}}) {
        Start(r.left == 0 && r.top == 0 ? std::vector<AreaItem>{}
                                        : std::vector<AreaItem>{File("x.mp4")},
              r);
        ASSERT_TRUE(Eventually([&] { return Ended(); }));
        EXPECT_EQ(Cycles(), 3);
        EXPECT_EQ(player->playback.normal.cycleMessageCount, 1);
        EXPECT_EQ(StopProgram(*player, 1, false), 1);
        player->playback.normal.cycleMessageCount = 0;
    }
    EXPECT_THAT(graph->Calls(), Not(Contains(::testing::StartsWith("Open"))));
}

// Edges from a file may lie far beyond the raster: the window, and the
// picture that fills it, cover only what the raster shows.
TEST_F(VideoAreaTest, AreaReachingFarBeyondTheRasterGetsOnlyItsVisiblePart) {
    SetUpPlayer(100, true);
    PutClip("clip.mp4");
    graph->durations[Clip("clip.mp4")] = 100;
    struct Case {
        EdgeRect edges;
        Rect window;
        std::string windowRect;
    };
    const Case cases[] = {
        {{0, 0, 999, 300000}, {0, 0, 1000, 300}, "WindowRect 0,0,1015,299"},
        {{0, 0, INT32_MAX, INT32_MAX}, {0, 0, 1024, 300}, "WindowRect 0,0,1023,299"},
        {{INT32_MIN, 100, INT32_MAX, 100}, {0, 100, 1024, 1}, "WindowRect 0,0,1023,4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.windowRect);
        const size_t before = graph->Calls().size();
        Start({File("\\Storage Card\\video\\clip.mp4")}, c.edges);
        ASSERT_TRUE(Eventually([&] { return graph->Running(); }));
        EXPECT_EQ(player->video.normal.VideoRect(), c.window);
        auto calls = graph->Calls();
        EXPECT_THAT(std::vector<std::string>(calls.begin() + before, calls.end()),
                    Contains(c.windowRect));
        EXPECT_EQ(StopProgram(*player, 1, false), 1);
    }
}

// Real clips through GStreamer. The player's clock runs 10 times real time;
// the clips play in real time.

TEST_F(VideoAreaTest, ClipShowsInsideItsAreaForItsDurationPlusOneSecond) {
    const auto& media = test::GetTestMedia();
    SetUpPlayer(10, false);
    PutClip("bars.mp4", media.h264Mp4);  // 2 s of colour bars, 320 x 240
    auto begin = RealClock::now();
    Start({File("\\Storage Card\\video\\bars.mp4")}, {100, 20, 419, 259});
    ASSERT_TRUE(Eventually([&] { return player->video.normal.graph->WaitFramesShown(5, 100); }));
    player->output.display->ComposeNow();
    Surface raster = player->output.display->CaptureRaster();
    const Rect area{100, 20, 320, 240};
    int black = test::CountPixels(raster, area, 0);
    EXPECT_LT(black, area.width * area.height / 4) << "the bars fill the area";
    EXPECT_EQ(test::CountPixels(raster, raster.Bounds(), 0),
              1024 * 300 - area.width * area.height + black)
        << "nothing outside the area";

    ASSERT_TRUE(Eventually([&] { return Cycles() == 1; }));
    EXPECT_GE(RealClock::now() - begin, std::chrono::seconds(3));
    EXPECT_EQ(FirstEvent("video-start")["playtime"], 3);
    EXPECT_EQ(FirstEvent("video-end")["reason"], "time") << "not the end of the stream";
}

TEST_F(VideoAreaTest, RealStopMidClipFreesThePipeline) {
    const auto& media = test::GetTestMedia();
    SetUpPlayer(10, false);
    PutClip("long.mp4", media.longMp4);  // 10.6 s
    Start({File("\\Storage Card\\video\\long.mp4")});
    ASSERT_TRUE(Eventually([&] { return player->video.normal.graph->WaitFramesShown(1, 100); }));
    EXPECT_EQ(FirstEvent("video-start")["playtime"], 11) << "10.6 s holds its area for 11 s";
    EXPECT_EQ(StopProgram(*player, 1, false), 1);
    EXPECT_TRUE(Ended());
    EXPECT_FALSE(player->video.normal.graph->IsHeld());
}

// A stream that never sends its first frame holds the area in its 10 s
// preroll; a program stop or the player's shutdown must end that at once.
// The player runs at 4 times real time, so the stop's 30 s limit is 7.5 s.
TEST_F(VideoAreaTest, StopEndsAStreamStillWaitingForItsFirstFrame) {
    SetUpPlayer(4, false);
    test::SilentServer server;
    Start({File(server.Address(), 1)});
    ASSERT_TRUE(server.WaitForClient(8)) << "the stream is being opened";
    EXPECT_EQ(StopProgram(*player, 1, false), 1) << "the area ended within the stop's limit";
    EXPECT_TRUE(Ended());
    EXPECT_FALSE(player->video.normal.graph->IsHeld());
    EXPECT_TRUE(Events("video-failed").empty()) << "a stop is not a failure";
}

TEST_F(VideoAreaTest, ShutdownEndsAStreamStillWaitingForItsFirstFrame) {
    SetUpPlayer(4, false);
    test::SilentServer server;
    Start({File(server.Address(), 1)});
    ASSERT_TRUE(server.WaitForClient(8)) << "the stream is being opened";
    player->BeginShutdown();
    // Well inside the preroll's 10 s.
    EXPECT_TRUE(player->playback.areaThreads.WaitAllEnded(std::chrono::seconds(6)));
    EXPECT_TRUE(Ended());
}

TEST_F(VideoAreaTest, FailingItemsLeakNoThreadsOrFiles) {
    const auto& media = test::GetTestMedia();
    SetUpPlayer(10, false);
    const std::filesystem::path bad[] = {media.missing, media.corrupt, media.empty,
                                         media.directory};
    for (const auto& path : bad)
        if (std::filesystem::exists(path)) std::filesystem::copy(path, Clip(path.filename()));
    std::vector<AreaItem> failing;
    for (int i = 0; i < 200; ++i) {
        if (i % 5 == 4)
            failing.push_back(File("http://127.0.0.1:9/none.mp4", 1));  // nobody answers
        else
            failing.push_back(File("\\Storage Card\\video\\" + bad[i % 4].filename().string()));
    }
    auto run = [&](std::vector<AreaItem> items) {
        Start(std::move(items));
        ASSERT_TRUE(Eventually([&] { return Cycles() >= 1; }, std::chrono::seconds(120)));
        ASSERT_EQ(StopProgram(*player, 1, false), 1);
        ASSERT_TRUE(player->playback.areaThreads.WaitAllEnded(std::chrono::seconds(10)));
    };
    // Warm up: GStreamer loads its plugins and keeps a pool of streaming threads.
    run({failing.begin(), failing.begin() + 10});
    const int fds = test::CountEntries("/proc/self/fd"),
              threads = test::CountEntries("/proc/self/task");
    run(failing);
    EXPECT_EQ(Events("video-failed").size(), 210u);
    auto settled = [&] {
        return test::CountEntries("/proc/self/fd") <= fds &&
               test::CountEntries("/proc/self/task") <= threads;
    };
    EXPECT_TRUE(Eventually(settled, std::chrono::seconds(3)))
        << "fds " << test::CountEntries("/proc/self/fd") << " of " << fds << ", threads "
        << test::CountEntries("/proc/self/task") << " of " << threads;
}

}  // namespace
}  // namespace led
