// `ledplayer inspect-schedules` on the demo device root, against what the
// player itself sends to the card over the same (virtual) day.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <set>

#include "support/CardSim.h"
#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

struct Result {
    int status = -1;
    std::string out;
};

Result Shell(const std::string& command) {
    Result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.out.append(buffer, n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Inspect(const std::filesystem::path& root, const std::string& options) {
    return std::string("'") + LEDPLAYER_BIN_DIR + "/ledplayer' inspect-schedules --root '" +
           root.string() + "' " + options + " 2>/dev/null";
}

// Minutes since midnight of an event's "YYYY-MM-DD HH:MM:SS.mmm".
int MinuteOf(const nlohmann::json& event) {
    std::string time = event["time"];
    return std::stoi(time.substr(11, 2)) * 60 + std::stoi(time.substr(14, 2));
}

TEST(InspectSchedulesProcess, BrightnessColumnMatchesWhatThePlayerSendsOverTheDay) {
    test::TempDir dir;
    auto root = dir.Path() / "device";
    ASSERT_EQ(Shell("'" LEDPLAYER_SOURCE_DIR "/demo/make-demo-root' '" + root.string() +
                    "' >/dev/null 2>&1")
                  .status,
              0);

    Result report = Shell(Inspect(root, "--day 2026-03-05"));
    ASSERT_EQ(report.status, 0) << report.out;
    auto doc = nlohmann::json::parse(report.out);
    auto& minutes = doc["minutes"];
    ASSERT_EQ(minutes.size(), 1440u);
    EXPECT_EQ(doc["brightnessType"], 2);
    EXPECT_EQ(minutes[23 * 60 + 30]["brightness"], 40);
    EXPECT_EQ(minutes[5 * 60 + 59]["brightness"], 40);
    EXPECT_EQ(minutes[6 * 60]["brightness"], 128);
    EXPECT_EQ(minutes[12 * 60]["brightness"], 200);
    EXPECT_EQ(minutes[12 * 60]["from"], "manual");

    // Bad input is refused with status 2 and no document.
    EXPECT_EQ(Shell(Inspect(root, "--day 2026-13-45")).status, 2);
    EXPECT_EQ(Shell(Inspect(dir.Path() / "none", "--day 2026-03-05")).status, 2);

    // The player over the same day, 3000 times real time.
    test::CardSim sim(LEDPLAYER_BIN_DIR, {});
    auto run =
        test::RunPlayer(root, {"--com3", sim.CardPath(), "--clock-start", "2026-03-05 00:00:00",
                               "--time-scale", "3000", "--run-for", "86000"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    std::set<int> levels;
    size_t timed = 0;
    for (const auto& e : run.Events("brightness")) {
        if (e["time"].get<std::string>().substr(0, 10) != "2026-03-05") continue;
        if (e["source"] != "timed") continue;
        const int level = e["level"], minute = MinuteOf(e);
        levels.insert(level);
        ++timed;
        // A pass reads the time, then the card takes its (real) time to
        // answer, minutes of this fast clock: the level belongs to a minute
        // shortly before the event. The levels change hours apart.
        bool matches = false;
        for (int back = 0; back <= 10 && minute - back >= 0; ++back)
            matches = matches || minutes[size_t(minute - back)]["brightness"] == level;
        EXPECT_TRUE(matches) << e.dump();
    }
    EXPECT_GT(timed, 100u);
    EXPECT_EQ(levels, (std::set<int>{40, 128, 200}));
}

}  // namespace
}  // namespace led
