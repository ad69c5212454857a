#include <gtest/gtest.h>

#include <thread>

#include "app/MainWindow.h"
#include "program/ProgramControl.h"
#include "storage/Files.h"
#include "support/ImageFiles.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

using test::Eventually;

// A leftover area: it ignores the stop until the test lets it go, then counts
// seven cycles for its area and ends.
std::atomic<bool> leftoverReleased{false};
void RunLeftoverArea(const AreaContext& c) {
    while (!leftoverReleased && !c.services.shuttingDown) c.Sleep(10);
    c.StoreCycleCount(7);
}

// An area stuck in a call that watches neither the stop nor the shutdown.
void RunStuckArea(const AreaContext&) {
    for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}

// A well-behaved area that takes a while to end once asked to.
std::atomic<bool> slowEnderDone{false};
void RunSlowEnder(const AreaContext& c) {
    while (!c.StopRequested()) c.Sleep(10);
    c.Sleep(2000);
    slowEnderDone = true;
}

class ProgramControlTest : public ::testing::Test {
protected:
    ProgramControlTest() {
        std::filesystem::create_directories(dir.Path() / "nand" / "table");
        player = test::MakeTestPlayer(dir.Path(), 100.0);
        test::OpenMainWindow(*player, {256, 128});
        loop = std::thread([this] {
            player->queue.Run([this](const Message& m) { return MainWndProc(*player, m); });
        });
    }
    ~ProgramControlTest() override {
        player->queue.Quit(0);
        loop.join();
    }

    std::shared_ptr<const ProgramRecord> Program(std::vector<std::pair<int, int>> areas) {
        auto p = std::make_shared<ProgramRecord>();
        p->idText = "7";
        int id = 0;
        for (auto [type, items] : areas) {
            AreaRecord a;
            a.id = id++;
            a.type = type;
            a.right = 63, a.bottom = 31;
            a.items.resize(items);
            p->areas.push_back(a);
        }
        return p;
    }

    test::TempDir dir;
    std::unique_ptr<Player> player;
    std::thread loop;
};

TEST_F(ProgramControlTest, StopWithNoAreasReturnsAfterOneSleep) {
    int64_t before = player->clock.Ticks();
    EXPECT_EQ(StopProgram(*player, 0, false), 1);
    EXPECT_GE(player->clock.Ticks() - before, 100);
}

TEST_F(ProgramControlTest, StopWithSaveWritesTheCurrentIndex) {
    player->playback.normal.currentIndex = 4;
    EXPECT_EQ(StopProgram(*player, 0, true), 1);
    EXPECT_EQ(player->fs.ReadText(files::kCurProg), std::string(1, char(4)));
}

// On a stepped clock every wait of the stop takes exactly its player time, so
// the 300 checks of 100 ms can be counted however loaded the machine is.
TEST(ProgramStopTest, AnAreaThatNeverEndsMakesTheStopGiveUpAfter30s) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "nand" / "table");
    Settings settings;
    settings.root = dir.Path().string();
    Player player(settings, Clock::Stepped(*LocalTime::Parse("2026-03-05 07:08:09")),
                  MakeHeadlessBackend());
    const int64_t before = player.clock.Ticks();
    player.playback.normal.Run()->exitCounter = 0;  // one area that never reports its end
    EXPECT_EQ(StopProgram(player, 1, false), 0);
    EXPECT_EQ(player.clock.Ticks() - before, 100 + 300 * 100);
    EXPECT_TRUE(player.playback.normal.Run()->stopFlag) << "the threads still running must end";
}

TEST_F(ProgramControlTest, NullAreasReportAndEndEvenWithoutItems) {
    // Type 99 has no body: the NULL area; with items it reports 1 cycle, without
    // items the required playtimes.
    player->playback.normal.requiredPlaytimes = 3;
    StartProgram(*player, Program({{99, 2}, {99, 0}}), Layer::Normal);
    ASSERT_TRUE(Eventually([&] { return player->playback.normal.Run()->exitCounter.load() == 2; }));
    EXPECT_EQ(player->playback.normal.Run()->completionCounters[0], 1);
    EXPECT_EQ(player->playback.normal.Run()->completionCounters[1], 3);
    EXPECT_EQ(player->playback.normal.cycleMessageCount, 2);
    EXPECT_EQ(StopProgram(*player, 2, false), 1);
}

TEST_F(ProgramControlTest, VideoInAnOsdProgramPlaysAsTheNullArea) {
    StartProgram(*player, Program({{area_type::kVideo, 1}}), Layer::Osd);
    ASSERT_TRUE(Eventually([&] { return player->playback.osd.Run()->exitCounter.load() == 1; }));
    EXPECT_EQ(player->playback.osd.Run()->completionCounters[0], 1);
    EXPECT_EQ(player->playback.osd.cycleMessageCount, 1);
    EXPECT_EQ(player->playback.normal.cycleMessageCount, 0);
}

TEST_F(ProgramControlTest, AreaThreadsKeepTheirRecordAfterTheSlotIsReplaced) {
    auto first = Program({{99, 1}});
    std::weak_ptr<const ProgramRecord> watch = first;
    StartProgram(*player, std::move(first), Layer::Normal);
    // Replace the slot while the area thread still runs.
    std::atomic_store(&player->playback.normal.currentProgram, Program({{99, 0}}));
    ASSERT_TRUE(Eventually([&] { return player->playback.normal.Run()->exitCounter.load() == 1; }));
    ASSERT_TRUE(Eventually([&] { return watch.expired(); })) << "released when the thread ended";
}

// A thread that outlives the 30 s stop must not count for the program started
// after it: neither its end (the next stop would return before the new area
// ended) nor its cycles (a waitfinish program would end early).
TEST_F(ProgramControlTest, AThreadThatOutlivesItsStopCountsOnlyForItsOwnProgram) {
    leftoverReleased = false;
    slowEnderDone = false;
    player->areaBodies.Register({90, "leftover", RunLeftoverArea, RunLeftoverArea});
    player->areaBodies.Register({91, "slow-ender", RunSlowEnder, RunSlowEnder});
    StartProgram(*player, Program({{90, 1}}), Layer::Normal);
    EXPECT_EQ(StopProgram(*player, 1, false), 0) << "the leftover ignores the stop";

    StartProgram(*player, Program({{91, 1}}), Layer::Normal);
    leftoverReleased = true;
    ASSERT_TRUE(Eventually([&] { return player->playback.areaThreads.Live() == 1; }))
        << "only the new program's area still runs";
    EXPECT_EQ(player->playback.normal.Run()->completionCounters[0], 0)
        << "the leftover's cycles are not the new area's";
    EXPECT_EQ(StopProgram(*player, 1, false), 1);
    EXPECT_TRUE(slowEnderDone) << "the stop returned before the new area ended";
}

// The player going away ends even the effects that ignore the stop flag
// within a frame: a slow one would otherwise outlive the player's state.
TEST(ProgramShutdownTest, AnEffectThatIgnoresTheStopEndsWhenThePlayerGoesAway) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "nand" / "table");
    std::filesystem::create_directories(dir.Path() / "Storage Card" / "video");
    test::WriteBytes(dir.Path() / "Storage Card" / "video" / "p.bmp",
                     test::MakeBmp(test::PatternPicture(1000, 250), {}));
    auto player = test::MakeTestPlayer(dir.Path(), 1.0);
    test::OpenMainWindow(*player, {1000, 250});
    auto program = std::make_shared<ProgramRecord>();
    AreaRecord area;
    area.type = area_type::kPicture;
    area.right = 999, area.bottom = 249;
    AreaItem item;
    item.path = "\\Storage Card\\video\\p.bmp";
    item.effectIn = 43;      // runs to its end whatever the stop flag says
    item.movespeedIn = 100;  // 198 ms a frame: minutes for the whole effect
    area.items.push_back(item);
    program->areas.push_back(area);
    StartProgram(*player, program, Layer::Normal);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // into the effect
    player->BeginShutdown();
    EXPECT_TRUE(player->playback.areaThreads.WaitAllEnded(std::chrono::seconds(10)));
}

// The player never frees what an area thread still uses: when one does not
// end, the process ends without tearing the player down.
TEST(ProgramShutdownDeathTest, AnAreaThreadThatNeverEndsEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            test::TempDir dir;
            std::filesystem::create_directories(dir.Path() / "nand" / "table");
            auto player = test::MakeTestPlayer(dir.Path(), 100.0);
            player->threads.areaThreadsEndLimit = std::chrono::milliseconds(500);
            player->areaBodies.Register({93, "stuck", RunStuckArea, RunStuckArea});
            auto program = std::make_shared<ProgramRecord>();
            AreaRecord stuck;
            stuck.type = 93;
            program->areas.push_back(stuck);
            StartProgram(*player, program, Layer::Normal);
            player.reset();
            std::exit(0);
        },
        ::testing::ExitedWithCode(kExitAreaThreadsRunning), "");
}

}  // namespace
}  // namespace led
