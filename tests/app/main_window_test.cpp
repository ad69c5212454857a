#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "app/MainWindow.h"
#include "core/WorkerThread.h"
#include "storage/Files.h"
#include "support/FakeMedia.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        std::filesystem::create_directories(dir.Path() / "nand" / "table");
        player = test::MakeTestPlayer(dir.Path());
    }
    int64_t Key(int code) { return MainWndProc(*player, {msg::kKeyDown, uint64_t(code), 0}); }

    test::TempDir dir;
    std::unique_ptr<Player> player;
};

TEST_F(MainWindowTest, VolumeKeysClampAndPersist) {
    player->device.volume = 95;
    Key(key::kVolumeUp);
    EXPECT_EQ(player->device.volume, 100);
    EXPECT_EQ(player->fs.ReadText(files::kVolume), std::string(1, char(100)));
    player->device.volume = 5;
    Key(key::kVolumeDown);
    EXPECT_EQ(player->device.volume, 0);
    EXPECT_EQ(player->fs.ReadText(files::kVolume), std::string(1, char(0)));
    Key(key::kVolumeUp);
    EXPECT_EQ(player->device.volume, 10);
}

TEST_F(MainWindowTest, VolumeKeysSetTheWaveOutputAndTheGraphs) {
    player = test::MakeTestPlayer(dir.Path(), 1.0);  // 07:08:09 for the whole test
    auto mixer = std::make_unique<test::FakeWaveMixer>();
    auto graph = std::make_unique<test::FakeMediaGraph>();
    auto* m = mixer.get();
    auto* g = graph.get();
    g->Open("clip.mp4", nullptr);
    player->video.waveOut = std::move(mixer);
    player->video.normal.graph = std::move(graph);

    player->device.volume = 45;
    Key(key::kVolumeUp);
    EXPECT_EQ(g->Volume(), -4500) << "no adjustment: the new volume";
    // 07:00 to 08:00 at 30; the later records are not reached.
    const uint8_t schedule[] = {7, 0, 8, 0, 30, 0, 0, 23, 59, 80, 7, 0, 7, 0, 90};
    ASSERT_TRUE(player->fs.WriteFile(files::kAdjVolume, schedule, sizeof schedule));
    Key(key::kVolumeDown);
    EXPECT_EQ(g->Volume(), -7000) << "the adjustment of the window that holds now";
    EXPECT_EQ(player->device.volume, 45);
    EXPECT_THAT(m->Volumes(), ::testing::ElementsAre(36044u, 29490u)) << "volume x 65535 / 100";
    EXPECT_EQ(player->fs.ReadText(files::kVolume), std::string(1, char(45)));
}

TEST_F(MainWindowTest, CycleMessagesCountOnlyCycleNotices) {
    MainWndProc(*player, {msg::kNormalCycle, 0, 1});
    MainWndProc(*player, {msg::kNormalCycle, 0, 2});
    MainWndProc(*player, {msg::kNormalCycle, 0, 0});  // a bare video notification
    MainWndProc(*player, {msg::kOsdCycle, 0, 1});
    EXPECT_EQ(player->playback.normal.cycleMessageCount, 2);
    EXPECT_EQ(player->playback.osd.cycleMessageCount, 1);
}

TEST_F(MainWindowTest, ProgressBarGrowsWithTheCopy) {
    test::OpenMainWindow(*player, {200, 100});
    SetCopyProgressCounters(*player, 50, 100);
    MainWndProc(*player, {msg::kCopyProgress, 0, 0});
    Surface raster = player->output.display->CaptureRaster();
    const uint32_t blue = Colour{0xff0000}.ToPixel();  // 0x00BBGGRR 0xff0000 is pure blue
    EXPECT_GT(test::CountPixels(raster, {0, 0, 32, 12}, blue), 200);
    EXPECT_EQ(test::CountPixels(raster, {33, 0, 40, 12}, blue), 0) << "half the bar only";
}

TEST_F(MainWindowTest, SupervisionRestartsAnEndedSchedulerAtItsNextTick) {
    WorkerThread scheduler("normal-sched", 3, [] {});  // every life ends at once
    player->threads.normalSchedulerThread = &scheduler;
    scheduler.Start();
    for (int i = 0; i < 10000 && scheduler.IsRunning(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_FALSE(scheduler.IsRunning()) << "the first life has ended";
    MainWndProc(*player, {msg::kCreate, 0, 0});  // arms the 15 s timer
    // Counted in ticks, not time: the restart happens while a tick is handled.
    std::atomic<int> ticks{0}, restartedAtTick{0};
    std::thread loop([&] {
        player->queue.Run([&](const Message& m) {
            int64_t result = MainWndProc(*player, m);
            if (m.code == msg::kTimer && m.wParam == kSupervisionTimer) {
                ++ticks;
                if (scheduler.Starts() == 2 && restartedAtTick == 0) restartedAtTick = ticks.load();
                if (ticks == 3) player->queue.Quit(0);
            }
            return result;
        });
    });
    loop.join();
    EXPECT_EQ(restartedAtTick.load(), 1) << "0: never restarted";
    EXPECT_GE(scheduler.Starts(), 2);
    scheduler.Join();
    player->threads.normalSchedulerThread = nullptr;
}

}  // namespace
}  // namespace led
