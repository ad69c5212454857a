// What a README reader takes for granted about the real player process: the
// configuration front end (file, then flags, then --set; status 2 for a bad
// key; ./ledplayer.conf read when present), the system commands actually run,
// and the nightly restart.

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

class FrontEndSystemTest : public ::testing::Test {
protected:
    FrontEndSystemTest() {
        test::MakeDeviceRoot(root, test::PlaylistXml({}));
        std::filesystem::create_directories(work);
    }
    // The date part of the first event's time: what clock.start was in effect.
    static std::string FirstDay(const test::PlayerRun& run) {
        if (run.events.empty()) return "no events";
        return run.events.front().value("time", std::string()).substr(0, 10);
    }
    void WriteConfig(const std::filesystem::path& path, const std::string& text) {
        std::ofstream(path) << text;
    }

    test::TempDir dir;
    std::filesystem::path root = dir.Path() / "device";
    std::filesystem::path work = dir.Path() / "work";
};

TEST_F(FrontEndSystemTest, FlagsOverrideTheFileAndSetOverridesBoth) {
    const auto conf = dir.Path() / "player.conf";
    WriteConfig(conf,
                "[clock]\nstart = \"2026-01-01 10:00:00\"\ntime-scale = 20\n[run]\nfor = 1\n");
    auto fileOnly = test::RunPlayer(root, {"--config", conf.string()});
    ASSERT_EQ(fileOnly.exitStatus, 0) << fileOnly.output;
    EXPECT_EQ(FirstDay(fileOnly), "2026-01-01");

    auto flag =
        test::RunPlayer(root, {"--config", conf.string(), "--clock-start", "2026-02-02 10:00:00"});
    ASSERT_EQ(flag.exitStatus, 0) << flag.output;
    EXPECT_EQ(FirstDay(flag), "2026-02-02");

    auto set =
        test::RunPlayer(root, {"--config", conf.string(), "--clock-start", "2026-02-02 10:00:00",
                               "--set", "clock.start=2026-03-03 10:00:00"});
    ASSERT_EQ(set.exitStatus, 0) << set.output;
    EXPECT_EQ(FirstDay(set), "2026-03-03");
}

TEST_F(FrontEndSystemTest, ABadKeyOrValueEndsWithStatusTwoBeforeStarting) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--set", "no.such-key=1"},
                                          {"--set", "clock.time-scale=fast"},
                                          {"--set", "missing-equals"}}) {
        auto run = test::RunPlayer(root, args);
        EXPECT_EQ(run.exitStatus, 2) << args[1] << ": " << run.output;
        EXPECT_TRUE(run.Events("started").empty()) << args[1];
    }
    const auto conf = dir.Path() / "bad.conf";
    WriteConfig(conf, "[clock]\nno-such-key = 1\n");
    auto run = test::RunPlayer(root, {"--config", conf.string()});
    EXPECT_EQ(run.exitStatus, 2) << run.output;
    EXPECT_NE(run.output.find("no-such-key"), std::string::npos) << run.output;
}

TEST_F(FrontEndSystemTest, ALedplayerConfInTheWorkingDirectoryIsRead) {
    WriteConfig(work / "ledplayer.conf",
                "[clock]\nstart = \"2026-04-04 10:00:00\"\ntime-scale = 20\n[run]\nfor = 1\n");
    auto run = test::RunPlayer(root, {}, 120, work);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(FirstDay(run), "2026-04-04");
}

TEST_F(FrontEndSystemTest, TheStartupCommandRuns) {
    const auto marker = work / "started";
    auto run = test::RunPlayer(
        root, {"--clock-start", "2026-03-05 10:00:00", "--time-scale", "5", "--run-for", "10",
               "--set", "system.startup-command=touch '" + marker.string() + "'"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    for (int i = 0; i < 100 && !std::filesystem::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(std::filesystem::exists(marker)) << run.output;
}

// Without a restart table the player restarts once at 02:00, and only after
// it has seen the half hour before (01:31 to 01:59): a player started at 02:00
// does not restart at once. The restart runs the configured command.
TEST_F(FrontEndSystemTest, TheNightlyRestartRunsTheRebootCommandAtTwo) {
    const auto marker = work / "rebooted";
    const std::string reboot = "system.reboot-command=echo restart >> '" + marker.string() + "'";
    auto before = test::RunPlayer(root, {"--clock-start", "2026-03-05 01:59:00", "--time-scale",
                                         "60", "--run-for", "150", "--set", reboot});
    ASSERT_EQ(before.exitStatus, 0) << before.output;
    auto requests = before.Events("reboot-requested");
    ASSERT_FALSE(requests.empty()) << before.output;
    EXPECT_EQ(requests[0].value("time", std::string()).substr(11, 5), "02:00");
    EXPECT_TRUE(std::filesystem::exists(marker)) << "the command ran";

    std::filesystem::remove(marker);
    auto atTwo = test::RunPlayer(root, {"--clock-start", "2026-03-05 02:00:00", "--time-scale",
                                        "60", "--run-for", "90", "--set", reboot});
    ASSERT_EQ(atTwo.exitStatus, 0) << atTwo.output;
    EXPECT_TRUE(atTwo.Events("reboot-requested").empty());
    EXPECT_FALSE(std::filesystem::exists(marker));
}

// SD-card run mode end to end: "\nand\storeplace.txt" holding 1 plays from
// "\Storage Card 1_0\"; without that volume the player says so and keeps
// asking for the card.
TEST_F(FrontEndSystemTest, SdCardRunModePlaysFromTheCardAndAsksForItWhenMissing) {
    test::WriteHostFile(root / "nand" / "storeplace.txt", std::string("\x01", 1));
    test::WriteHostFile(root / "nand" / "Language.dat", std::string("\x00", 1));  // English
    const std::vector<std::string> args = {
        "--clock-start", "2026-03-05 10:00:00", "--time-scale", "20", "--run-for", "20"};
    auto missing = test::RunPlayer(root, args);
    ASSERT_EQ(missing.exitStatus, 0) << missing.output;
    auto started = missing.Events("started");
    ASSERT_EQ(started.size(), 1u) << missing.output;
    EXPECT_EQ(started[0]["runMode"], "sd");
    EXPECT_NE(missing.output.find("Storage Card 1_0"), std::string::npos) << "said at start-up";
    bool asked = false;
    for (const auto& m : missing.Events("message"))
        asked = asked || m["text"] == "Insert SD,or change mode";
    EXPECT_TRUE(asked) << missing.output;
    EXPECT_TRUE(missing.Events("program-start").empty());

    // The card's playlist plays, not the Flash volume's.
    test::WriteHostFile(root / "Storage Card 1_0" / "xml" / "playlist.xml",
                        test::PlaylistXml({{.id = "SD", .areas = {test::AreaXml(99, 1)}}}));
    test::WriteHostFile(root / "Storage Card" / "xml" / "playlist.xml",
                        test::PlaylistXml({{.id = "FLASH", .areas = {test::AreaXml(99, 1)}}}));
    auto card = test::RunPlayer(root, args);
    ASSERT_EQ(card.exitStatus, 0) << card.output;
    auto starts = card.Events("program-start");
    ASSERT_FALSE(starts.empty()) << card.output;
    for (const auto& s : starts) EXPECT_EQ(s["id"], "SD");
}

}  // namespace
}  // namespace led
