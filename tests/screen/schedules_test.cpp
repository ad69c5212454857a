#include "screen/Schedules.h"

#include <gtest/gtest.h>

#include <fstream>

#include "program/PowerSchedule.h"
#include "screen/CardTestSupport.h"
#include "storage/Files.h"
#include "support/TestPlayer.h"
#include "video/VolumeSchedule.h"

namespace led {
namespace {

using test::BinDir;
using test::CardSim;
using test::TempDir;

// A player whose card port is cardsim's, with its events logged, set to a
// time of day on its (virtual) clock.
struct ScheduleRig {
    CardSim sim{BinDir(), {}};
    TempDir dir;
    std::unique_ptr<Player> player = test::MakeCardPlayer(dir.Path(), sim);
    ScheduleRig() {
        player->fs.CreateDirectory("\\nand\\table");
        player->events.Open(dir / "events.jsonl");
    }

    void Write(const char* path, std::vector<uint8_t> bytes) {
        ASSERT_TRUE(player->fs.WriteFile(path, bytes));
    }
    void At(const char* time) {
        ASSERT_TRUE(
            player->clock.SetLocalTime(*LocalTime::Parse(std::string("2026-03-05 ") + time)));
    }
    std::vector<std::string> Card(size_t count) { return test::CardCommands(sim, count); }
    std::vector<nlohmann::json> Events(const std::string& name) {
        std::vector<nlohmann::json> found;
        std::ifstream in(dir / "events.jsonl");
        for (std::string line; std::getline(in, line);) {
            auto j = nlohmann::json::parse(line, nullptr, false);
            if (j.value("event", "") == name) found.push_back(j);
        }
        return found;
    }
};

std::string Level(int level) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", level);
    return std::string("*#WL D400 0202 0df2") + hex + "47#*";
}

TEST(SchedulesTest, TimeTableSendsEveryMatchingLevelThenFallsBackToManual) {
    ScheduleRig rig;
    rig.Write(files::kBrightType, {2, 0, 0, 0});
    rig.Write(files::kManualBright, {1, 90});
    rig.Write(files::kBrightAdj, {22, 0, 6, 0, 30, 23, 0, 0, 0, 10, 9});  // and a stray byte
    LoadSchedules(*rig.player);
    EXPECT_EQ(rig.player->playback.hold.brightnessType, 2);

    rig.At("23:30:00");
    EXPECT_TRUE(BrightnessPass(*rig.player));
    rig.At("12:00:00");
    EXPECT_TRUE(BrightnessPass(*rig.player));
    EXPECT_EQ(rig.Card(3), (std::vector<std::string>{Level(30), Level(10), Level(90)}));
    EXPECT_EQ(rig.player->device.brightness, 90);
    auto events = rig.Events("brightness");
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0]["source"], "timed");
    EXPECT_EQ(events[1]["source"], "timed");
    EXPECT_EQ(events[2]["source"], "timed");  // the table's own fall-back

    // Manual and off send nothing; a table the tool deletes sends nothing.
    rig.Write(files::kBrightType, {1});
    LoadSchedules(*rig.player);
    EXPECT_FALSE(BrightnessPass(*rig.player));
    rig.Write(files::kBrightType, {2});
    rig.player->fs.Remove(files::kBrightAdj);
    LoadSchedules(*rig.player);
    EXPECT_TRUE(BrightnessPass(*rig.player));
    EXPECT_EQ(rig.Events("brightness").size(), 3u);
}

TEST(SchedulesTest, LightSensorLevelFollowsTheLastThreeReadings) {
    ScheduleRig rig;
    rig.Write(files::kBrightType, {3});
    rig.Write(files::kAutoBright, {20, 40, 200, 250});
    LoadSchedules(*rig.player);
    EXPECT_FALSE(BrightnessPass(*rig.player));  // no readings yet: nothing sent

    auto readings = std::make_shared<SensorReadings>();
    readings->lightRing = {160, 176, 192};
    readings->lightCount = 3;
    rig.player->sensors.SetReadings(readings);
    BrightnessPass(*rig.player);
    EXPECT_EQ(rig.Card(1), std::vector<std::string>{Level(40)});
    EXPECT_EQ(rig.player->device.brightness, 40);
    EXPECT_EQ(rig.player->schedules.autoBrightness, 40);
    EXPECT_EQ(rig.Events("brightness").at(0)["source"], "sensor");

    // A rule with high threshold and level 0 is switched off.
    rig.Write(files::kAutoBright, {20, 40, 0, 0});
    LoadSchedules(*rig.player);
    BrightnessPass(*rig.player);
    EXPECT_EQ(rig.Events("brightness").size(), 1u);
}

TEST(SchedulesTest, PowerWindowsStopAndRestartPlaybackOnlyOnTransitions) {
    ScheduleRig rig;
    Player& p = *rig.player;
    rig.Write(files::kBrightType, {3});
    // 08:00-20:00, and a 21:00 on time without its off time.
    rig.Write(files::kPowerOnOff, {8, 0, 0, 20, 0, 0, 21, 0, 0});
    LoadSchedules(p);
    p.device.brightness = 77;

    // Started outside its windows, the screen goes dark at the first pass.
    rig.At("07:00:00");
    PowerPass(p);
    EXPECT_EQ(p.schedules.screenOn, 0);
    EXPECT_EQ(p.playback.hold.brightnessType, 0);
    // A setting changed while dark does not light the screen.
    LoadSchedules(p);
    EXPECT_EQ(p.playback.hold.brightnessType, 0);

    p.LayerOf(Layer::Normal).currentIndex = 4;
    rig.At("09:00:00");
    PowerPass(p);
    PowerPass(p);  // steady: nothing more
    EXPECT_EQ(p.schedules.screenOn, 1);
    EXPECT_EQ(p.playback.hold.brightnessType, 3);
    EXPECT_EQ(p.LayerOf(Layer::Normal).currentIndex, -1);
    EXPECT_TRUE(p.LayerOf(Layer::Osd).programFinished);
    EXPECT_EQ(rig.Card(2), (std::vector<std::string>{Level(77), Level(77)}));

    rig.At("21:30:00");  // past 20:00; the unpaired 21:00 opens nothing
    PowerPass(p);
    EXPECT_EQ(p.schedules.screenOn, 0);
    EXPECT_EQ(p.playback.hold.brightnessType, 0);

    auto power = rig.Events("power");
    ASSERT_EQ(power.size(), 3u);
    EXPECT_EQ(power[0]["on"], false);
    EXPECT_EQ(power[1]["on"], true);
    EXPECT_EQ(power[2]["on"], false);
    EXPECT_EQ(power[2]["source"], "schedule");
    for (auto& e : rig.Events("brightness")) EXPECT_EQ(e["source"], "power");
    EXPECT_EQ(rig.Events("brightness").size(), 2u);
}

TEST(SchedulesTest, VolumeFollowsItsScheduleElseTheStoredLevel) {
    ScheduleRig rig;
    Player& p = *rig.player;
    rig.Write(files::kVolume, {70});
    rig.Write(files::kAdjVolume, {9, 0, 10, 0, 20, 1});
    rig.At("09:30:00");
    VolumePass(p);
    EXPECT_EQ(p.device.volume, 20);
    rig.At("10:30:00");
    VolumePass(p);
    EXPECT_EQ(p.device.volume, 70);
    VolumePass(p);
    rig.player->fs.Remove(files::kVolume);
    VolumePass(p);
    EXPECT_EQ(p.device.volume, 100);
    auto volume = rig.Events("volume");
    ASSERT_EQ(volume.size(), 3u);  // changes only
    EXPECT_EQ(volume[0]["volume"], 20);
    EXPECT_EQ(volume[2]["source"], "schedule");
}

}  // namespace
}  // namespace led
