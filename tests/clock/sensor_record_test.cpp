#include <gtest/gtest.h>

#include <cmath>

#include "clock/SensorRecord.h"
#include "clock/TemperatureRules.h"

namespace led {
namespace {

TEST(SensorRecordTest, DecodesEachReadingAsTheBoardEncodesIt) {
    EXPECT_FLOAT_EQ(DecodeTemperatureA(0x01, 0x2C), 30.0f);
    const float minusZero = DecodeTemperatureA(0x7F, 0xFF);
    EXPECT_EQ(minusZero, 0.0f);
    EXPECT_TRUE(std::signbit(minusZero));
    EXPECT_FLOAT_EQ(DecodeTemperatureA(0x7E, 0xF5), -26.6f);
    EXPECT_FLOAT_EQ(DecodeTemperatureA(0x6F, 0xFF), 2867.1f);  // the last positive high byte

    EXPECT_FLOAT_EQ(DecodeTemperatureB(0x01, 0xE0), 30.0f);
    EXPECT_FLOAT_EQ(DecodeTemperatureB(0x01, 0xEA), 31.0f);   // nibble 10: tenths
    EXPECT_FLOAT_EQ(DecodeTemperatureB(0x01, 0xEB), 30.11f);  // nibble 11: hundredths

    EXPECT_FLOAT_EQ(DecodeHumidityA(0x02, 0x58), 60.0f);
    EXPECT_FLOAT_EQ(DecodeHumidityA(0x02, 0x5F), 60.7f);
    EXPECT_FLOAT_EQ(DecodeNoise(6, 5), 60.5f);
    EXPECT_FLOAT_EQ(DecodeNoise(6, 25), 62.5f);
    EXPECT_EQ(DecodeLight(0x0F, 0xA0), 96);
    EXPECT_EQ(DecodeLight(0, 0), 4096);
    EXPECT_NEAR(DecodeTemperatureC(6500), 25.0f, 1e-4);
    EXPECT_NEAR(DecodeHumidityC(1000), 33.7f, 1e-4);
}

TEST(SensorRecordTest, AnswersSplitIntoFieldsOnlyWhenWhole) {
    auto fields = SensorFields("%#RL#%!#01-2c-0-x#!");
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ(*fields, (std::vector<std::string>{"01", "2c", "0", "x"}));
    // A write acknowledgement ahead of the answer is dropped.
    EXPECT_EQ(SensorFields("%#WL#%%#RL#%!#7f-ff#!")->at(0), "7f");
    EXPECT_FALSE(SensorFields("%#RL#%!#01-2c-01-e0-02-5").has_value());  // cut short
    EXPECT_FALSE(SensorFields("%#RL#%").has_value());
    EXPECT_FALSE(SensorFields("garbage").has_value());
}

TEST(SensorRecordTest, RecordDecodesFieldsMarksValidityAndKeepsThreeLightReadings) {
    auto fields =
        *SensorFields("%#RL#%!#7e-f5-81-e0-02-58-06-05-0f-a0-19-64-03-e8-0-0-1-2-3-4-5-6-7-8#!");
    SensorReadings first = DecodeSensorFields(fields, {});
    EXPECT_FLOAT_EQ(first.temperatureA.value, -26.6f);
    EXPECT_TRUE(first.temperatureA.valid);
    EXPECT_FALSE(first.temperatureB.valid);  // high byte 0x81: bit 7 set
    EXPECT_FLOAT_EQ(first.humidityA.value, 60.0f);
    EXPECT_FLOAT_EQ(first.noise.value, 60.5f);
    EXPECT_EQ(first.light.value, 96);
    EXPECT_NEAR(first.temperatureC.value, 25.0f, 1e-4);
    EXPECT_NEAR(first.humidityC.value, 33.7f, 1e-4);
    EXPECT_EQ(first.counters, (std::array<int32_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(first.lightCount, 1);
    EXPECT_EQ(first.polls, 1u);

    // Light 160, 176, 192 then 208: the fourth drops the oldest.
    SensorReadings r;
    for (int light : {160, 176, 192, 208}) {
        std::vector<std::string> f(24, "0");
        char hex[3][8];
        std::snprintf(hex[0], sizeof hex[0], "%x", (4096 - light) >> 8);
        std::snprintf(hex[1], sizeof hex[1], "%x", (4096 - light) & 0xFF);
        f[8] = hex[0];
        f[9] = hex[1];
        r = DecodeSensorFields(f, r);
        if (light == 192) {
            EXPECT_EQ(r.lightRing, (std::array<int32_t, 3>{160, 176, 192}));
        }
    }
    EXPECT_EQ(r.lightCount, 3);
    EXPECT_EQ(r.lightRing, (std::array<int32_t, 3>{176, 192, 208}));

    // Fields 33, 35, 36, 49 and 50 are kept; a record without the light
    // fields leaves the ring alone, and missing fields read as 0.
    std::vector<std::string> longer(50, "0");
    longer[32] = "abc";
    longer[48] = "200";
    longer[49] = "7";
    auto kept = DecodeSensorFields(longer, r);
    EXPECT_EQ(kept.extra[0], "abc");
    EXPECT_EQ(kept.bytes, (std::array<uint8_t, 2>{200, 7}));
    auto shortRecord = DecodeSensorFields({"01", "2c"}, kept);
    EXPECT_EQ(shortRecord.lightRing, kept.lightRing);
    EXPECT_EQ(shortRecord.lightCount, kept.lightCount);
    EXPECT_FLOAT_EQ(shortRecord.temperatureA.value, 30.0f);
    EXPECT_EQ(shortRecord.counters, (std::array<int32_t, 8>{}));
}

TEST(TemperatureRulesTest, RulesParseInGroupsOfFourAndSwitchOnlyOnChange) {
    auto rules = ParseTemperatureRules("0/10.5/30/1/2/5/25/0/3/1/2");
    ASSERT_EQ(rules.size(), 2u);  // the third group has no closing "/"
    EXPECT_EQ(rules[0].relay, 0);
    EXPECT_FLOAT_EQ(rules[0].lower, 10.5f);
    EXPECT_FLOAT_EQ(rules[0].upper, 30.0f);
    EXPECT_EQ(rules[1].mode, 0);
    EXPECT_TRUE(ParseTemperatureRules("").empty());
    EXPECT_TRUE(ParseTemperatureRules(std::string(300, '/')).size() == 64u);  // 256 bytes at most

    RuleStates states = kNoRuleStates;
    // Cold: mode 1 switches on, the other mode off.
    auto cold = RuleSwitches(rules, 4.0f, states);
    EXPECT_EQ(cold, (std::vector<std::pair<int, int>>{{0, 1}, {2, 0}}));
    EXPECT_TRUE(RuleSwitches(rules, 4.0f, states).empty());  // no repeats
    // Between the limits nothing changes.
    EXPECT_TRUE(RuleSwitches(rules, 20.0f, states).empty());
    auto hot = RuleSwitches(rules, 31.0f, states);
    EXPECT_EQ(hot, (std::vector<std::pair<int, int>>{{0, 0}, {2, 1}}));
    // Relays the board does not have are left alone.
    RuleStates fresh = kNoRuleStates;
    EXPECT_TRUE(RuleSwitches({{7, 10, 20, 1}}, 0.0f, fresh).empty());

    SensorReadings r;
    EXPECT_FALSE(RuleTemperature(r).has_value());
    r.temperatureC = {25.0f, true};
    r.temperatureA = {30.0f, true};
    EXPECT_EQ(RuleTemperature(r), 30.0f);
    r.temperatureB = {31.0f, true};
    EXPECT_EQ(RuleTemperature(r), 31.0f);
}

}  // namespace
}  // namespace led
