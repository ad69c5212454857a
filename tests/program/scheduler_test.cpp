// The scheduler driven pass by pass on a player running virtual time.

#include "program/Scheduler.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "app/MainWindow.h"
#include "program/ProgramControl.h"
#include "storage/Files.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

class SchedulerPassTest : public ::testing::Test {
protected:
    SchedulerPassTest() {
        std::filesystem::create_directories(dir.Path() / "nand" / "table");
        std::filesystem::create_directories(dir.Path() / "Storage Card" / "xml");
        player = test::MakeTestPlayer(dir.Path(), 50.0);
        test::OpenMainWindow(*player, {128, 64});
        loop = std::thread([this] {
            player->queue.Run([this](const Message& m) { return MainWndProc(*player, m); });
        });
    }
    ~SchedulerPassTest() override {
        player->BeginShutdown();
        player->queue.Quit(0);
        loop.join();
    }

    static ProgramRecord Program(const char* id, int cls, int playtime) {
        ProgramRecord p;
        p.idText = id;
        p.playtime = playtime;
        p.schedule.priority = cls;
        p.schedule.beginYear = 2026, p.schedule.beginMonth = 1, p.schedule.beginDay = 1;
        p.schedule.endYear = 2036, p.schedule.endMonth = 1, p.schedule.endDay = 1;
        p.schedule.windows.push_back({0, 0, 0, 0, 23, 59, 59});
        AreaRecord a;
        a.type = 99;
        a.right = 15, a.bottom = 15;
        a.items.resize(1);
        p.areas.push_back(a);
        return p;
    }

    void SetNormal(std::vector<ProgramRecord> programs) {
        auto lists = std::make_shared<ProgramLists>();
        lists->normal = std::move(programs);
        player->SetPrograms(lists);
    }

    // Runs passes for `seconds` of player time; returns the ids as they start.
    std::string Play(SchedulerState& state, int seconds) {
        std::string ids;
        auto last = std::atomic_load(&player->playback.normal.currentProgram);
        int64_t end = player->clock.Ticks() + seconds * 1000;
        while (player->clock.Ticks() < end) {
            RunSchedulerPass(*player, Layer::Normal, state);
            auto now = std::atomic_load(&player->playback.normal.currentProgram);
            if (now != last && now) ids += now->idText;
            last = now;
            player->clock.Sleep(200);
        }
        return ids;
    }

    test::TempDir dir;
    std::unique_ptr<Player> player;
    std::thread loop;
};

TEST_F(SchedulerPassTest, InsertedProgramPlaysOnceAndLeavesTheList) {
    SetNormal({Program("A", 0, 10), Program("I", 2, 5)});
    SchedulerState state;
    EXPECT_EQ(Play(state, 30), "IA");
    ASSERT_EQ(player->Programs()->normal.size(), 1u);
    EXPECT_EQ(player->Programs()->normal[0].idText, "A");
}

TEST_F(SchedulerPassTest, OneProgramPlaysOnWithoutRestarting) {
    SetNormal({Program("A", 0, 2)});
    SchedulerState state;
    EXPECT_EQ(Play(state, 12), "A");
}

TEST_F(SchedulerPassTest, StepRequestsMoveForwardAndBack) {
    SetNormal({Program("A", 0, 100), Program("B", 0, 100), Program("C", 0, 100)});
    SchedulerState state;
    EXPECT_EQ(Play(state, 2), "B");
    player->playback.normal.nextRequested = true;
    EXPECT_EQ(Play(state, 2), "C");
    player->playback.normal.previousRequested = true;
    EXPECT_EQ(Play(state, 2), "B");
    EXPECT_FALSE(player->playback.normal.nextRequested ||
                 player->playback.normal.previousRequested);
}

TEST_F(SchedulerPassTest, PreviousWithOneProgramSelectsIt) {
    SetNormal({Program("A", 0, 100)});
    SchedulerState state;
    EXPECT_EQ(Play(state, 2), "A");
    player->playback.normal.previousRequested = true;
    Play(state, 2);
    EXPECT_EQ(player->playback.normal.currentIndex, 0);
    EXPECT_EQ(std::atomic_load(&player->playback.normal.currentProgram)->idText, "A");
}

TEST_F(SchedulerPassTest, HoldsSkipPassesAndSuspendResetsCounters) {
    SetNormal({Program("A", 0, 100), Program("B", 0, 100)});
    SchedulerState state;
    player->playback.hold.busy[1] = 1;
    EXPECT_EQ(Play(state, 2), "");
    player->playback.hold.busy[1] = 0;
    EXPECT_EQ(Play(state, 2), "B");
    // B's area stores its first cycle on its own time: wait for it, so that
    // what is read below is the suspend's reset and not a late store.
    auto run = player->playback.normal.Run();
    for (int i = 0; i < 5000 && run->completionCounters[0] == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_NE(run->completionCounters[0], 0);
    run->completionCounters[0] = 5;
    player->playback.hold.suspend[0] = 1;
    Play(state, 1);
    EXPECT_EQ(player->playback.normal.Run()->completionCounters[0], 0);
    player->playback.hold.suspend[0] = 0;
}

TEST_F(SchedulerPassTest, ListReplacedWhilePlayingClampsTheStaleIndex) {
    SetNormal({Program("A", 0, 3), Program("B", 0, 3), Program("C", 0, 3)});
    SchedulerState state;
    EXPECT_EQ(Play(state, 2), "B");
    player->playback.hold.busy[0] = 1;
    StopProgram(*player, player->playback.normal.areaCount, false);
    SetNormal({Program("X", 0, 3)});  // index 1 now points past the list
    player->playback.hold.busy[0] = 0;
    EXPECT_EQ(Play(state, 5), "X");
}

// A pass works on the lists as it found them. When a reread publishes new
// lists while the pass runs (here during its missing-storage message), the
// finished inserted program is not removed from them by its old index.
TEST_F(SchedulerPassTest, ListsRereadDuringAPassAreNotEditedByIt) {
    SetNormal({Program("A", 0, 100), Program("I", 2, 5)});
    SchedulerState state;
    EXPECT_EQ(Play(state, 3), "I");
    player->events.Open(dir / "events.jsonl");
    std::filesystem::remove_all(dir.Path() / "Storage Card");
    state.idle = 20;  // the next pass shows the message and pauses 10 s
    std::thread pass([&] { RunSchedulerPass(*player, Layer::Normal, state); });
    auto messageShown = [&] {
        std::ifstream in(dir / "events.jsonl");
        std::string text((std::istreambuf_iterator<char>(in)), {});
        return text.find(R"("event":"message")") != std::string::npos;
    };
    for (int i = 0; i < 5000 && !messageShown(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(messageShown());
    SetNormal({Program("X", 0, 100), Program("Y", 0, 100), Program("Z", 0, 100)});
    pass.join();
    auto lists = player->Programs();
    ASSERT_EQ(lists->normal.size(), 3u) << "the reread lists lost a program";
    EXPECT_EQ(lists->normal[1].idText, "Y");
}

// An area without items counts the required playtimes as played at once: it
// must count the new program's, not the one played before.
TEST_F(SchedulerPassTest, EmptyAreaCountsTheNewProgramsRequiredPlaytimes) {
    ProgramRecord once = Program("A", 0, 100);
    once.waitfinish = 1;
    once.playtimes = 1;
    ProgramRecord thrice = Program("B", 0, 100);
    thrice.waitfinish = 1;
    thrice.playtimes = 3;
    thrice.areas[0].items.clear();
    SetNormal({once, thrice});
    SchedulerState state;
    EXPECT_EQ(Play(state, 6).substr(0, 3), "BAB");
}

TEST_F(SchedulerPassTest, SaveFileResumesAndEmptyResumeFileMeansZero) {
    SetNormal({Program("A", 0, 100), Program("B", 0, 100), Program("C", 0, 100)});
    player->fs.WriteText(files::kSaveCurProg,
                         "\x02"
                         "junk");
    SchedulerState state;
    EXPECT_EQ(Play(state, 2), "C");
    player->fs.WriteText(files::kCurProg, "");
    EXPECT_EQ(Play(state, 2), "A");
    EXPECT_FALSE(player->fs.Exists(files::kCurProg));
    EXPECT_EQ(player->fs.ReadText(files::kSaveCurProg), std::string(1, '\0'));
}

// The run mode and the storage paths built from it are read together: a
// reader during a switch of the run mode sees the old pair or the new one.
TEST(StorageSetupTest, AReaderSeesRunModeAndPathsOfOneChoice) {
    test::TempDir dir;
    auto player = test::MakeTestPlayer(dir.Path());
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 400000; ++i) {
            RunMode mode = i % 2 ? RunMode::SdCard : RunMode::Flash;
            player->SetStorage(std::make_shared<const StorageSetup>(
                StorageSetup{mode, BuildStoragePaths(mode), {}}));
        }
        done = true;
    });
    int mixed = 0;
    while (!done) {
        auto storage = player->Storage();
        RunMode mode = storage->runMode;
        std::string video = storage->paths.video;
        if (video != BuildStoragePaths(mode).video) ++mixed;
    }
    writer.join();
    EXPECT_EQ(mixed, 0);
}

}  // namespace
}  // namespace led
