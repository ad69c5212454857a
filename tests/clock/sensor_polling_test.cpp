#include <gtest/gtest.h>

#include <fstream>

#include "clock/SensorPolling.h"
#include "clock/StatusBlock.h"
#include "screen/CardProbe.h"
#include "screen/CardTestSupport.h"
#include "screen/Schedules.h"
#include "storage/Files.h"
#include "support/TestPlayer.h"
#include "video/VolumeSchedule.h"

namespace led {
namespace {

using test::BinDir;
using test::CardSim;
using test::TempDir;

// The sensor block with light `light`, temperature A `tempA` (two hex bytes).
std::string Block(int light, const char* tempA = "01-2c") {
    char text[160];
    const int raw = 4096 - light;
    std::snprintf(text, sizeof text, "%s-81-e0-02-58-06-05-%x-%x-19-64-03-e8-0-0-1-2-3-4-5-6-7-8",
                  tempA, raw >> 8, raw & 0xFF);
    return text;
}

// A player whose card and aux ports are cardsim's (started with `args`).
struct SensorRig {
    explicit SensorRig(std::vector<std::string> args) : sim(BinDir(), WithAux(std::move(args))) {
        Settings settings;
        settings.root = dir.Path().string();
        settings.serialCom3 = sim.CardPath();
        settings.serialCom4 = sim.AuxPath();
        player = std::make_unique<Player>(settings,
                                          Clock(*LocalTime::Parse("2026-03-05 07:08:09"), 1000.0),
                                          MakeHeadlessBackend());
        player->fs.CreateVolume("nand");
        player->fs.CreateDirectory("\\nand\\table");
        OpenCardPortAt(player->ports.cardPort, kCardPortNumber, 115200);
        OpenCardPortAt(player->ports.auxPort, kAuxPortNumber, 115200);
    }
    static std::vector<std::string> WithAux(std::vector<std::string> args) {
        args.insert(args.begin(), "--aux");
        return args;
    }
    std::vector<nlohmann::json> Relays(size_t count) {
        return sim.WaitFor(count, [](const nlohmann::json& l) { return l.contains("relay"); });
    }

    CardSim sim;
    TempDir dir;
    std::unique_ptr<Player> player;
};

TEST(SensorPollingTest, PollsDecodeIntoOneSnapshotAndFeedTheLightSensorLevel) {
    SensorRig rig({"--sensors", Block(160), "--sensors", Block(176), "--sensors", Block(192)});
    Player& p = *rig.player;
    p.events.Open(rig.dir / "events.jsonl");
    SensorPoller poller(p);
    for (int i = 0; i < 3; ++i) poller.Poll();
    auto r = p.sensors.Readings();
    EXPECT_TRUE(p.ports.auxBoardOnline);
    EXPECT_EQ(r->polls, 3u);
    EXPECT_EQ(r->lightRing, (std::array<int32_t, 3>{160, 176, 192}));
    EXPECT_FLOAT_EQ(r->temperatureA.value, 30.0f);
    EXPECT_FALSE(r->temperatureB.valid);
    EXPECT_NEAR(r->temperatureC.value, 25.0f, 1e-4);
    // The board coming online is reported at once, invalid values as null.
    std::ifstream log(rig.dir / "events.jsonl");
    nlohmann::json reading;
    for (std::string line; std::getline(log, line) && reading.is_null();)
        if (auto j = nlohmann::json::parse(line); j["event"] == "sensor-reading") reading = j;
    ASSERT_FALSE(reading.is_null());
    EXPECT_EQ(reading["online"], true);
    EXPECT_EQ(reading["light"], 160);
    EXPECT_TRUE(reading["temperatureB"].is_null());

    // The light sensor level: light 11, below the low threshold 20.
    p.fs.WriteFile(files::kBrightType, std::vector<uint8_t>{3});
    p.fs.WriteFile(files::kAutoBright, std::vector<uint8_t>{20, 40, 200, 250});
    LoadSchedules(p);
    BrightnessPass(p);
    EXPECT_EQ(test::CardCommands(rig.sim, 1),
              std::vector<std::string>{"*#WL D400 0202 0df22847#*"});

    // The status block carries the same record.
    auto block = StatusBlock(p);
    EXPECT_EQ(block[0], 1);
    EXPECT_EQ(block[1] & 0x03, 0x01);  // A valid, B not
    EXPECT_EQ(block[26] | block[27] << 8, 192);
    EXPECT_EQ(block[64], 40);
    EXPECT_EQ(block[65], 3);
    EXPECT_EQ(block[68], 3);
}

TEST(SensorPollingTest, TemperatureRulesSwitchRelaysOnceAndAgainAfterAReload) {
    // Cold, cold again, then hot.
    SensorRig rig({"--sensors", Block(96, "00-32"), "--sensors", Block(96, "00-32"), "--sensors",
                   Block(96, "01-90")});
    Player& p = *rig.player;
    p.fs.WriteText(files::kTempCtrlSwitch, "1/10/30/1/");
    LoadTemperatureRules(p);
    SensorPoller poller(p);
    poller.Poll();  // 5.0 degrees: relay 1 on
    poller.Poll();  // unchanged: nothing sent
    poller.Poll();  // 40.0 degrees: off
    auto relays = rig.Relays(2);
    ASSERT_EQ(relays.size(), 2u);
    EXPECT_EQ(relays[0]["relay"], 1);
    EXPECT_EQ(relays[0]["state"], 1);
    EXPECT_EQ(relays[1]["state"], 0);
    // Reloaded rules forget what they set: the next poll switches again.
    LoadTemperatureRules(p);
    poller.Poll();
    EXPECT_EQ(rig.Relays(3).size(), 3u);
}

TEST(SensorPollingTest, RelayScheduleSwitchesTheBoardsRelaysInsideTheirWindows) {
    SensorRig rig({});
    Player& p = *rig.player;
    SensorPoller(p).Poll();  // the board answers: online
    ASSERT_TRUE(p.ports.auxBoardOnline);
    // Relay 2 from 08:00:00 to 09:00:00, then a record that ends the list.
    p.fs.WriteFile(files::kRelaySchedule,
                   std::vector<uint8_t>{2, 8, 0, 0, 9, 0, 0, 9, 8, 0, 0, 9, 0, 0});
    p.clock.SetLocalTime(*LocalTime::Parse("2026-03-05 08:30:00"));
    VolumePass(p);
    auto first = rig.Relays(4);
    ASSERT_EQ(first.size(), 4u);
    EXPECT_EQ(first[0]["relay"], 1);
    EXPECT_EQ(first[0]["state"], 1);
    for (size_t i = 1; i < 4; ++i) EXPECT_EQ(first[i]["state"], 0);
    EXPECT_EQ(p.ports.relayStates[1], 1);

    p.clock.SetLocalTime(*LocalTime::Parse("2026-03-05 09:30:00"));
    VolumePass(p);
    auto all = rig.Relays(8);
    ASSERT_EQ(all.size(), 8u);
    for (size_t i = 4; i < 8; ++i) EXPECT_EQ(all[i]["state"], 0);
    EXPECT_EQ(p.ports.relayStates[1], 0);
}

TEST(SensorPollingTest, SilentOrCutShortAnswersLeaveTheReadingsAloneSplitOnesDecode) {
    struct Case {
        std::vector<std::string> args;
        uint64_t polls;
        bool online;
    };
    const Case cases[] = {{{"--fault", "silent"}, 0, false},
                          {{"--fault", "short", "--short-bytes", "30"}, 0, true},
                          {{"--fault", "split"}, 2, true}};
    for (const auto& c : cases) {
        SensorRig rig(c.args);
        Player& p = *rig.player;
        SensorPoller poller(p);
        poller.Poll();
        poller.Poll();
        auto r = p.sensors.Readings();
        EXPECT_EQ(r->polls, c.polls) << c.args[1];
        EXPECT_EQ(r->temperatureA.valid, c.polls > 0) << c.args[1];
        EXPECT_EQ(r->lightCount, int(c.polls)) << c.args[1];
        EXPECT_EQ(p.ports.auxBoardOnline, c.online) << c.args[1];
    }
}

}  // namespace
}  // namespace led
