#include <gtest/gtest.h>

#include "screen/ScheduleDay.h"
#include "screen/ScheduleFiles.h"
#include "screen/ScheduleRules.h"

namespace led {
namespace {

DayTime At(int h, int m, int s = 0) { return {h, m, s}; }

FileBytes Bytes(std::vector<uint8_t> b) { return b; }

TEST(ScheduleRulesTest, TimeWindowsCrossMidnightAndEndBeforeTheirEnd) {
    const DayTime begin = At(22, 0), end = At(6, 0);
    EXPECT_TRUE(InTimeWindow(At(23, 30), begin, end));
    EXPECT_TRUE(InTimeWindow(At(5, 59), begin, end));
    EXPECT_TRUE(InTimeWindow(At(22, 0), begin, end));
    EXPECT_FALSE(InTimeWindow(At(6, 0), begin, end));
    EXPECT_FALSE(InTimeWindow(At(21, 59, 59), begin, end));
    // A window that begins where it ends holds nothing, not the whole day.
    for (auto now : {At(0, 0), At(8, 0), At(8, 0, 30)})
        EXPECT_FALSE(InTimeWindow(now, At(8, 0), At(8, 0)));
    // Out-of-range times roll over: 24:00 ends the day, 7:60 is 8:00.
    EXPECT_TRUE(InTimeWindow(At(23, 59, 59), At(22, 0), At(24, 0)));
    EXPECT_FALSE(InTimeWindow(At(0, 0), At(22, 0), At(24, 0)));
    EXPECT_TRUE(InTimeWindow(At(8, 0), At(7, 60), At(9, 0)));
    EXPECT_FALSE(InTimeWindow(At(7, 59), At(7, 60), At(9, 0)));
    EXPECT_EQ(SecondsOfDay(At(255, 255, 255)), (255 * 3600 + 255 * 60 + 255) % 86400);
}

TEST(ScheduleRulesTest, ShortAndOddFilesKeepOnlyWholeRecords) {
    EXPECT_TRUE(ParseBrightnessTable(std::nullopt, 255).empty());
    EXPECT_TRUE(ParseBrightnessTable(Bytes({}), 255).empty());
    EXPECT_TRUE(ParseBrightnessTable(Bytes({22, 0, 6, 0}), 255).empty());
    auto table = ParseBrightnessTable(Bytes({22, 0, 6, 0, 80, 1}), 90);
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].level, 80);
    EXPECT_EQ(table[0].manualLevel, 90);
    EXPECT_EQ(table[0].end.hour, 6);
    // At most 200 bytes: 40 entries.
    EXPECT_EQ(ParseBrightnessTable(std::vector<uint8_t>(260, 1), 0).size(), 40u);

    // Power records pair up; an on time without its off time is not used.
    EXPECT_TRUE(ParsePowerWindows(Bytes({8, 0, 0})).empty());
    EXPECT_TRUE(ParsePowerWindows(Bytes({8, 0, 0, 20, 0})).empty());
    auto power = ParsePowerWindows(Bytes({8, 0, 0, 20, 0, 0, 21, 0, 0}));
    ASSERT_EQ(power.size(), 1u);
    EXPECT_EQ(power[0].on.hour, 8);
    EXPECT_EQ(power[0].off.hour, 20);

    EXPECT_EQ(ParseAutoBrightness(Bytes({20, 40, 200})).highLevel, 0);
    auto rule = ParseAutoBrightness(Bytes({20, 40, 200, 250, 9, 9}));
    EXPECT_EQ(rule.lowThreshold, 20);
    EXPECT_EQ(rule.lowLevel, 40);
    EXPECT_EQ(rule.highThreshold, 200);
    EXPECT_EQ(rule.highLevel, 250);

    // Relay records end at the first relay number outside 1..4.
    auto relays =
        ParseRelaySchedule(Bytes({2, 8, 0, 0, 9, 0, 0, 5, 8, 0, 0, 9, 0, 0, 1, 8, 0, 0, 9, 0, 0}));
    ASSERT_EQ(relays.size(), 1u);
    EXPECT_EQ(relays[0].relay, 2);
    EXPECT_TRUE(ParseRelaySchedule(Bytes({0, 8, 0, 0, 9, 0, 0})).empty());

    // Volumes are signed bytes, kept within 0..100.
    auto volumes = ParseVolumeSchedule(Bytes({8, 0, 9, 0, 0xFF, 9, 0, 10, 0, 120, 1, 2}));
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[0].volume, 0);
    EXPECT_EQ(volumes[1].volume, 100);
}

TEST(ScheduleRulesTest, BrightnessTypeIsAWordOrItsFirstByte) {
    EXPECT_EQ(ParseBrightnessType(std::nullopt), 1);
    EXPECT_EQ(ParseBrightnessType(Bytes({})), 1);
    EXPECT_EQ(ParseBrightnessType(Bytes({3})), 3);
    EXPECT_EQ(ParseBrightnessType(Bytes({2, 0, 0, 0})), 2);
    EXPECT_EQ(ParseBrightnessType(Bytes({0, 1, 0, 0})), 256);
}

TEST(ScheduleRulesTest, TimeTableSendsEveryMatchingEntryInOrderElseTheManualLevel) {
    ScheduleTables t;
    t.manualBrightness = 90;
    EXPECT_TRUE(TimedBrightness(t, At(12, 0), false).empty());  // empty table: nothing

    t.brightnessTable = {{90, At(22, 0), At(6, 0), 30}, {90, At(23, 0), At(0, 0), 10}};
    auto both = TimedBrightness(t, At(23, 30), false);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].level, 30);
    EXPECT_EQ(both[1].level, 10);
    EXPECT_FALSE(both[1].manual);

    auto one = TimedBrightness(t, At(5, 59), false);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].level, 30);

    auto none = TimedBrightness(t, At(6, 0), false);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].level, 90);
    EXPECT_TRUE(none[0].manual);
    EXPECT_TRUE(none[0].store);

    // The hold sends full brightness once and nothing after it, not even
    // the manual level, and does not become the current level.
    auto held = TimedBrightness(t, At(23, 30), true);
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].level, 255);
    EXPECT_FALSE(held[0].store);
    EXPECT_EQ(TimedBrightness(t, At(12, 0), true).at(0).level, 90);
}

TEST(ScheduleRulesTest, LightSensorAveragesTheKeptReadings) {
    SensorReadings r;
    EXPECT_FALSE(LightLevel(r).has_value());
    r.lightRing = {160, 176, 192};
    r.lightCount = 3;
    ASSERT_EQ(LightLevel(r), 11);
    r.lightCount = 1;
    EXPECT_EQ(LightLevel(r), 10);

    AutoBrightness rule{20, 40, 200, 250};
    EXPECT_EQ(SensorBrightness(rule, 11), 40);
    EXPECT_EQ(SensorBrightness(rule, 20), 40);
    EXPECT_EQ(SensorBrightness(rule, 21), 21);
    EXPECT_EQ(SensorBrightness(rule, 200), 250);
    EXPECT_FALSE(SensorBrightness(rule, std::nullopt).has_value());
    EXPECT_FALSE(SensorBrightness({20, 40, 0, 0}, 11).has_value());
}

TEST(ScheduleRulesTest, PowerRelaysAndVolumeFollowTheirWindows) {
    std::vector<PowerWindow> windows = {{At(8, 0), At(12, 0)}, {At(13, 0), At(2, 0)}};
    EXPECT_TRUE(InPowerWindow(windows, At(8, 0)));
    EXPECT_FALSE(InPowerWindow(windows, At(12, 30)));
    EXPECT_TRUE(InPowerWindow(windows, At(1, 59)));
    EXPECT_FALSE(InPowerWindow(windows, At(2, 0)));
    EXPECT_FALSE(InPowerWindow({}, At(9, 0)));

    ScheduleTables t;
    t.relaySchedule = {{1, At(8, 0, 30), At(8, 0, 40)}, {4, At(20, 0), At(8, 0, 35)}};
    EXPECT_EQ(RelaysOn(t, At(8, 0, 30)), (std::array<bool, 4>{true, false, false, true}));
    EXPECT_EQ(RelaysOn(t, At(8, 0, 35)), (std::array<bool, 4>{true, false, false, false}));
    EXPECT_EQ(RelaysOn(t, At(8, 0, 40)), (std::array<bool, 4>{}));

    t.volume = 70;
    t.volumeSchedule = {{At(9, 0), At(10, 0), 20}, {At(9, 30), At(11, 0), 40}};
    EXPECT_EQ(CurrentVolume(t, At(9, 45)), 70);  // the schedule counts only when its file exists
    t.hasVolumeSchedule = true;
    EXPECT_EQ(CurrentVolume(t, At(9, 45)), 20);
    EXPECT_EQ(CurrentVolume(t, At(10, 30)), 40);
    EXPECT_EQ(CurrentVolume(t, At(11, 0)), 70);
}

TEST(ScheduleRulesTest, ADayKeepsItsLevelWhileTheScreenIsDark) {
    ScheduleTables t;
    t.brightnessType = brightness_type::kTimed;
    t.manualBrightness = 200;
    t.brightnessTable = {{200, At(22, 0), At(6, 0), 40}};
    t.powerWindows = {{At(8, 0), At(23, 0)}};
    auto day = ScheduleDay(t, std::nullopt);
    ASSERT_EQ(day.size(), 1440u);
    EXPECT_FALSE(day[0].screenOn);
    EXPECT_EQ(day[0].brightness, 200);  // dark from the start: the start-up level stays
    EXPECT_EQ(day[7 * 60].brightness, 200);
    EXPECT_TRUE(day[8 * 60].screenOn);
    EXPECT_EQ(day[8 * 60].brightness, 200);
    EXPECT_EQ(day[8 * 60].brightnessFrom, "manual");
    EXPECT_EQ(day[22 * 60].brightness, 40);
    EXPECT_FALSE(day[23 * 60].screenOn);
    EXPECT_EQ(day[23 * 60 + 59].brightness, 40);  // dark again: the card keeps the night level

    t.brightnessType = brightness_type::kSensor;
    t.autoBrightness = {20, 40, 200, 250};
    EXPECT_EQ(ScheduleDay(t, 11)[9 * 60].brightness, 40);
    EXPECT_EQ(ScheduleDay(t, 11)[9 * 60].brightnessFrom, "sensor");
    EXPECT_EQ(ScheduleDay(t, std::nullopt)[9 * 60].brightness, 200);  // no light: manual kept
}

}  // namespace
}  // namespace led
