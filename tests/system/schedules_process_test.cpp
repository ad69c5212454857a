// The schedule and sensor threads of the real player on virtual time, with
// cardsim as card and sensor board: what they do shows in the events log.

#include <gtest/gtest.h>

#include "support/CardSim.h"
#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

// Seconds of the day of an event's "YYYY-MM-DD HH:MM:SS.mmm".
double Seconds(const nlohmann::json& event) {
    std::string t = event["time"];
    return std::stoi(t.substr(11, 2)) * 3600 + std::stoi(t.substr(14, 2)) * 60 +
           std::stod(t.substr(17));
}

TEST(SchedulesSystemTest, PowerWindowAndLightSensorDriveTheCardFromTheBoardsReadings) {
    // Light 160 (0x0f60 raw 3936): light level 10, under the low threshold 20.
    test::CardSim sim(LEDPLAYER_BIN_DIR,
                      {"--aux", "--sensors", "01-2c-01-e0-02-58-06-05-0f-60-19-64-03-e8"});
    test::TempDir dir;
    auto root = dir.Path() / "device";
    test::MakeDeviceRoot(root, test::PlaylistXml({}));
    auto table = root / "nand" / "table";
    test::WriteHostFile(table / "brighttype.dat", std::string("\x03", 1));
    test::WriteHostFile(table / "autobright.dat", std::string("\x14\x28\xc8\xfa", 4));
    test::WriteHostFile(table / "poweronoff.dat", std::string("\x08\x00\x00\x09\x00\x00", 6));

    auto run =
        test::RunPlayer(root, {"--com3", sim.CardPath(), "--com4", sim.AuxPath(), "--clock-start",
                               "2026-03-05 07:59:00", "--time-scale", "10", "--run-for", "150"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;

    // Dark at the first pass (before 08:00), lit at 08:00.
    auto power = run.Events("power");
    ASSERT_EQ(power.size(), 2u) << run.output;
    EXPECT_EQ(power[0]["on"], false);
    EXPECT_EQ(power[1]["on"], true);
    EXPECT_GE(power[1]["time"].get<std::string>(), "2026-03-05 08:00:00");

    // No light-sensor level while dark (the first pass of the brightness
    // thread may come before the power thread's first), the low level after.
    std::vector<nlohmann::json> sensor;
    for (auto& e : run.Events("brightness"))
        if (e["source"] == "sensor") sensor.push_back(e);
    ASSERT_FALSE(sensor.empty()) << run.output;
    // A pass already sending when the screen goes dark ends its exchange:
    // allow it the card's answer time. Lit counts from the window's start:
    // power-on restores the brightness type before its two card exchanges
    // and only then logs "power", so a sensor pass may come in between.
    const double dark = Seconds(power[0]) + 3, lit = 8 * 3600.0;
    size_t afterLit = 0;
    for (auto& e : sensor) {
        EXPECT_EQ(e["level"], 40);
        EXPECT_FALSE(Seconds(e) > dark && Seconds(e) < lit) << e.dump();
        afterLit += Seconds(e) > lit;
    }
    EXPECT_GT(afterLit, 5u);

    auto readings = run.Events("sensor-reading");
    ASSERT_FALSE(readings.empty());
    EXPECT_EQ(readings[0]["online"], true);
    EXPECT_EQ(readings[0]["light"], 160);
    EXPECT_FLOAT_EQ(readings[0]["temperatureA"].get<float>(), 30.0f);
}

}  // namespace
}  // namespace led
