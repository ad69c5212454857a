#include <gtest/gtest.h>

#include <thread>

#include "app/MainWindow.h"
#include "program/ProgramControl.h"
#include "storage/Files.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

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

    // Waits (real time) until the predicate holds.
    template <typename F>
    bool Eventually(F f) {
        for (int i = 0; i < 2000; ++i) {
            if (f()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return f();
    }

    test::TempDir dir;
    std::unique_ptr<Player> player;
    std::thread loop;
};

TEST_F(ProgramControlTest, StopWithNoAreasReturnsAfterOneSleep) {
    int64_t before = player->clock.Ticks();
    EXPECT_EQ(StopProgram(*player, 0, false), 1);
    EXPECT_GE(player->clock.Ticks() - before, 100);
    EXPECT_FALSE(player->playback.normal.stopFlag);
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
    player.playback.normal.exitCounter = 0;  // one area that never reports its end
    const int64_t before = player.clock.Ticks();
    EXPECT_EQ(StopProgram(player, 1, false), 0);
    EXPECT_EQ(player.clock.Ticks() - before, 100 + 300 * 100);
    EXPECT_FALSE(player.playback.normal.stopFlag) << "cleared after giving up";
}

TEST_F(ProgramControlTest, NullAreasReportAndEndEvenWithoutItems) {
    // Type 99 has no body: the NULL area; with items it reports 1 cycle, without
    // items the required playtimes.
    player->playback.normal.requiredPlaytimes = 3;
    player->playback.normal.exitCounter = 0;
    StartProgram(*player, Program({{99, 2}, {99, 0}}), Layer::Normal);
    ASSERT_TRUE(Eventually([&] { return player->playback.normal.exitCounter.load() == 2; }));
    EXPECT_EQ(player->playback.normal.completionCounters[0], 1);
    EXPECT_EQ(player->playback.normal.completionCounters[1], 3);
    EXPECT_EQ(player->playback.normal.cycleMessageCount, 2);
    EXPECT_EQ(StopProgram(*player, 2, false), 1);
}

TEST_F(ProgramControlTest, VideoInAnOsdProgramPlaysAsTheNullArea) {
    player->playback.osd.exitCounter = 0;
    StartProgram(*player, Program({{area_type::kVideo, 1}}), Layer::Osd);
    ASSERT_TRUE(Eventually([&] { return player->playback.osd.exitCounter.load() == 1; }));
    EXPECT_EQ(player->playback.osd.completionCounters[0], 1);
    EXPECT_EQ(player->playback.osd.cycleMessageCount, 1);
    EXPECT_EQ(player->playback.normal.cycleMessageCount, 0);
}

TEST_F(ProgramControlTest, AreaThreadsKeepTheirRecordAfterTheSlotIsReplaced) {
    auto first = Program({{99, 1}});
    std::weak_ptr<const ProgramRecord> watch = first;
    player->playback.normal.exitCounter = 0;
    StartProgram(*player, std::move(first), Layer::Normal);
    // Replace the slot while the area thread still runs.
    std::atomic_store(&player->playback.normal.currentProgram, Program({{99, 0}}));
    ASSERT_TRUE(Eventually([&] { return player->playback.normal.exitCounter.load() == 1; }));
    ASSERT_TRUE(Eventually([&] { return watch.expired(); })) << "released when the thread ended";
}

}  // namespace
}  // namespace led
