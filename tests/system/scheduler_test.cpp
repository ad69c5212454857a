// The real player on virtual time: which programs start, in which order and
// when, read from its events log.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

using test::SecondOfDay;
using test::TestProgram;

std::vector<nlohmann::json> Starts(const test::PlayerRun& run, const char* layer) {
    std::vector<nlohmann::json> out;
    for (const auto& e : run.Events("program-start"))
        if (e["layer"] == layer) out.push_back(e);
    return out;
}

std::string Ids(const std::vector<nlohmann::json>& starts) {
    std::string ids;
    for (const auto& e : starts) ids += e["id"].get<std::string>();
    return ids;
}

double At(const char* hms) {
    int h, m, s;
    std::sscanf(hms, "%d:%d:%d", &h, &m, &s);
    return h * 3600 + m * 60 + s;
}

class SchedulerSystemTest : public ::testing::Test {
protected:
    test::PlayerRun Run(const std::vector<TestProgram>& programs, const char* clockStart,
                        int seconds, double scale = 20) {
        test::MakeDeviceRoot(root, test::PlaylistXml(programs));
        return test::RunPlayer(root, {"--clock-start", clockStart, "--time-scale",
                                      std::to_string(scale), "--run-for", std::to_string(seconds)});
    }
    test::TempDir dir;
    std::filesystem::path root = dir.Path() / "device";
};

TEST_F(SchedulerSystemTest, TwoNormalProgramsAlternateStartingWithTheSecond) {
    auto run = Run({{.id = "A", .areas = {test::AreaXml(99, 1)}},
                    {.id = "B", .areas = {test::AreaXml(99, 1)}}},
                   "2026-03-05 10:00:00", 45, 10);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    auto starts = Starts(run, "normal");
    ASSERT_GE(starts.size(), 4u) << run.output;
    EXPECT_EQ(Ids(starts).substr(0, 4), "BABA");
    // Never before its 10 s are up (player time, exact); a loaded machine may
    // make the switch late, so the other side is loose.
    for (size_t i = 1; i < starts.size(); ++i) {
        const double playedFor = SecondOfDay(starts[i]) - SecondOfDay(starts[i - 1]);
        EXPECT_GE(playedFor, 9.99) << i;
        EXPECT_LT(playedFor, 14.0) << i;
    }
    // Every stop of a switch completes: the NULL areas end when asked.
    for (const auto& stop : run.Events("program-stop")) EXPECT_TRUE(stop["completed"].get<bool>());
}

TEST_F(SchedulerSystemTest, TimedProgramInterruptsAtItsWindowAndGivesWay) {
    const std::string window =
        "<time id=\"0\"><begintime>08:00:00</begintime><endtime>08:00:30</endtime></time>";
    auto run = Run({{.id = "A", .playtime = 10, .areas = {test::AreaXml(99, 1)}},
                    {.id = "T",
                     .playtime = 10,
                     .priority = 1,
                     .windows = window,
                     .areas = {test::AreaXml(99, 1)}}},
                   "2026-03-05 07:59:40", 70, 10);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    auto starts = Starts(run, "normal");
    ASSERT_GE(starts.size(), 3u) << run.output;
    EXPECT_EQ(Ids(starts).substr(0, 3), "ATA");
    // Not before its window opens nor A before it closes (player time, exact);
    // late by at most a few scheduler passes, with room for a loaded machine
    // (4 s of player time is 400 ms of real time here).
    EXPECT_GE(SecondOfDay(starts[1]), At("08:00:00"));
    EXPECT_LT(SecondOfDay(starts[1]), At("08:00:04"));
    EXPECT_GE(SecondOfDay(starts[2]), At("08:00:30"));
    EXPECT_LT(SecondOfDay(starts[2]), At("08:00:34"));
}

TEST_F(SchedulerSystemTest, InsertedProgramsDoNotSurviveARestart) {
    auto run = Run({{.id = "A", .areas = {test::AreaXml(99, 1)}},
                    {.id = "I", .playtime = 5, .priority = 2, .areas = {test::AreaXml(99, 1)}}},
                   "2026-03-05 10:00:00", 20);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(Ids(Starts(run, "normal")), "A");
    std::ifstream in(root / "Storage Card" / "xml" / "playlist.xml");
    std::string xml((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(xml.find("id=\"I\""), std::string::npos) << "removed from the file at start-up";
    EXPECT_NE(xml.find("id=\"A\""), std::string::npos);
}

TEST_F(SchedulerSystemTest, WaitFinishEndsWhenEveryAreaHasPlayed) {
    // NULL areas with items report one cycle each after 200 ms: a program that
    // waits for one cycle of each ends long before its 100 s play time.
    auto run = Run({{.id = "W",
                     .playtime = 100,
                     .waitfinish = 1,
                     .playtimes = 1,
                     .areas = {test::AreaXml(99, 1), test::AreaXml(99, 2)}},
                    {.id = "B", .playtime = 10, .areas = {test::AreaXml(99, 1)}}},
                   "2026-03-05 10:00:00", 30);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    auto starts = Starts(run, "normal");
    ASSERT_GE(starts.size(), 3u) << Ids(starts);
    EXPECT_EQ(Ids(starts).substr(0, 3), "BWB");
    EXPECT_LT(SecondOfDay(starts[2]) - SecondOfDay(starts[1]), 5.0) << "far before its 100 s";
}

TEST_F(SchedulerSystemTest, ResumeIndexPastTheListStartsAtZeroAndIsDeleted) {
    test::MakeDeviceRoot(root, "");
    test::WriteHostFile(root / "nand" / "table" / "curprog.dat", "\x07");
    auto xml = test::PlaylistXml({{.id = "P0", .areas = {test::AreaXml(99, 1)}},
                                  {.id = "P1", .areas = {test::AreaXml(99, 1)}},
                                  {.id = "P2", .areas = {test::AreaXml(99, 1)}}});
    test::WriteHostFile(root / "Storage Card" / "xml" / "playlist.xml", xml);
    auto run = test::RunPlayer(
        root, {"--clock-start", "2026-03-05 10:00:00", "--time-scale", "20", "--run-for", "8"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    auto starts = Starts(run, "normal");
    ASSERT_FALSE(starts.empty()) << run.output;
    EXPECT_EQ(starts[0]["index"], 0);
    EXPECT_FALSE(std::filesystem::exists(root / "nand" / "table" / "curprog.dat"));
    std::ifstream saved(root / "nand" / "table" / "savecurprog.dat", std::ios::binary);
    EXPECT_EQ(saved.get(), 0);
}

TEST_F(SchedulerSystemTest, OsdProgramsPlayOnTheirOwnLayer) {
    auto run =
        Run({{.id = "N", .areas = {test::AreaXml(4, 1)}},
             {.id = "O", .playtime = 10, .osd = 0, .areas = {test::AreaXml(4, 1, 0, 0, 1920, 64)}}},
            "2026-03-05 10:00:00", 15);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(Ids(Starts(run, "normal")), "N");
    EXPECT_EQ(Ids(Starts(run, "osd")), "O");
}

TEST_F(SchedulerSystemTest, EmptyPlaylistAsksForPrograms) {
    auto run = Run({}, "2026-03-05 10:00:00", 20);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    auto messages = run.Events("message");
    ASSERT_FALSE(messages.empty()) << run.output;
    EXPECT_EQ(messages[0]["text"], "请加节目") << "no Language.dat: Chinese";
    EXPECT_TRUE(Starts(run, "normal").empty());
}

}  // namespace
}  // namespace led
