#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>

#include "clock/ClockTokens.h"
#include "clock/LunarCalendar.h"
#include "platform/text/LocaleNames.h"

namespace led {
namespace {

LocalTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    LocalTime t;
    t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi, t.second = s;
    return t;
}

std::string Expand13(const std::string& format, const LocalTime& now, TimeDifference diff = {}) {
    TokenContext c;
    c.now = now;
    c.difference = diff;
    c.difference.type = diff.type;
    c.weekdayNames = {"日", "一", "二", "三", "四", "五", "六"};
    std::string text = format;
    ExpandTokens(text, area_type::kDigitalClock, 0, c);
    return text;
}

// The C library's strftime in the C locale, as the reference.
std::string Strftime(const char* format, const LocalTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = 0;
    std::time_t tt = timegm(&tm);  // fills the weekday and the day of the year
    gmtime_r(&tt, &tm);
    char buffer[128];
    std::strftime(buffer, sizeof buffer, format, &tm);
    return buffer;
}

TEST(ClockTokens, StandardTokensMatchStrftimeInTheCLocale) {
    const LocalTime dates[] = {At(2024, 1, 1, 0, 0, 0),      At(2024, 2, 29, 12, 30, 59),
                               At(2023, 12, 31, 23, 59, 58), At(2000, 1, 2, 11, 5, 7),
                               At(1999, 7, 4, 13, 0, 0),     At(2038, 1, 19, 3, 14, 7),
                               At(2021, 1, 3, 9, 9, 9),      At(2100, 3, 1, 0, 0, 1)};
    const char* tokens[] = {"%a", "%A", "%b", "%B", "%d", "%H", "%I", "%m",
                            "%M", "%S", "%y", "%Y", "%W", "%w", "%p", "%j"};
    for (const LocalTime& t : dates)
        for (const char* token : tokens)
            EXPECT_EQ(Expand13(token, t), Strftime(token, t)) << token << " at " << t.Format();
}

TEST(ClockTokens, OwnTokensDifferFromStrftime) {
    const LocalTime t = At(2024, 2, 10, 8, 0, 0);  // a Saturday, lunar new year's day
    EXPECT_EQ(Expand13("%E", t), "六");
    EXPECT_EQ(Expand13("%N", t), "龙 (甲辰)年");
    EXPECT_EQ(Expand13("%n", t), "正月");  // strftime's %n is a newline; ours is the lunar month
    EXPECT_EQ(Expand13("%r", t), "初一");
    EXPECT_EQ(Expand13("%n%r", At(2024, 3, 1)), "正月廿一");
    EXPECT_EQ(Expand13("%N", At(2024, 3, 1)), "龙 (甲辰)年");
    EXPECT_EQ(Expand13("%n%r", At(2023, 3, 22)), "闰二月初一");
}

TEST(ClockTokens, TextAroundTokensAndUnknownLetters) {
    const LocalTime t = At(2024, 5, 6, 7, 8, 9);
    EXPECT_EQ(Expand13("%Y-%m-%d %H:%M:%S", t), "2024-05-06 07:08:09");
    EXPECT_EQ(Expand13("%q %% 100%", t), "%q %% 100%");
    EXPECT_EQ(Expand13("%%H", t), "%07");
    TokenContext c;
    c.now = t;
    std::string text = "%H:%M";
    const uint32_t mask = ExpandTokens(text, area_type::kDigitalClock, 0, c);
    std::string again = "%H:%M:%S";
    ExpandTokens(again, area_type::kDigitalClock, mask, c);
    EXPECT_EQ(again, "07:08:%S") << "only the tokens of the mask are expanded";
}

TEST(ClockTokens, TimeDifference) {
    const LocalTime t = At(2024, 3, 1, 0, 30, 0);
    EXPECT_EQ(Expand13("%Y-%m-%d %H:%M", t, {0, 0, 1, 0, 0}), "2024-02-29 23:30");
    EXPECT_EQ(Expand13("%Y-%m-%d %H:%M", t, {1, 0, 1, 0, 0}), "2024-03-01 01:30");
    EXPECT_EQ(Expand13("%Y-%m-%d %H:%M %a", At(2023, 12, 31, 23, 0, 0), {2, 1, 1, 0, 0}),
              "2024-01-02 00:00 Tue");
    EXPECT_EQ(Expand13("%H:%M:%S", At(2024, 1, 1, 10, 45, 0), {1, 0, 0, 30, 0}), "11:15:00");
}

TEST(ClockTokens, Countdown) {
    auto expand = [](const LocalTime& now, CountdownArrival a) {
        TokenContext c;
        c.now = now;
        c.arrival = a;
        std::string text = "%d %H %M %S %Y %C";
        ExpandTokens(text, area_type::kCountdown, 0, c);
        return text;
    };
    EXPECT_EQ(expand(At(2024, 1, 1), {2024, 1, 2, 2, 3, 4}), "1 02 03 04 %Y %C");
    EXPECT_EQ(expand(At(2024, 1, 1, 0, 0, 10), {2024, 1, 1, 0, 0, 0}), "0 00 00 10 %Y %C");
    // Arrival 0 is 2000-01-01 00:00:00.
    EXPECT_EQ(expand(At(2000, 1, 2, 1, 0, 0), {}), "1 01 00 00 %Y %C");
    EXPECT_EQ(expand(At(2000, 1, 1), {2000, 13, 1, 0, 0, 0}), "0 00 00 00 %Y %C");
}

TEST(ClockTokens, SplitTokensAcrossRuns) {
    std::vector<std::string> line = {"time %", "H:%", "5 left", "end%"};
    JoinSplitTokens(line);
    TokenContext c;
    c.now = At(2024, 1, 1, 9, 0, 0);
    std::string joined;
    for (std::string& s : line) {
        ExpandTokens(s, area_type::kDigitalClock, 0, c);
        joined += s;
    }
    EXPECT_EQ(joined, "time 09:%5 leftend%");
}

TEST(LunarCalendar, TableRangeAndKnownDates) {
    struct Case {
        int y, m, d, ly, lm;
        bool leap;
        int ld;
    } cases[] = {
        {1921, 2, 8, 1921, 1, false, 1},   {1925, 7, 15, 1925, 5, false, 25},
        {1933, 6, 23, 1933, 5, true, 1},   {1949, 10, 1, 1949, 8, false, 10},
        {1984, 2, 2, 1984, 1, false, 1},   {1999, 12, 31, 1999, 11, false, 24},
        {2012, 5, 21, 2012, 4, true, 1},   {2033, 12, 22, 2033, 11, true, 1},
        {2080, 1, 1, 2079, 12, false, 10}, {2100, 2, 8, 2099, 12, false, 30},
    };
    for (const Case& c : cases) {
        auto l = ToLunar(c.y, c.m, c.d);
        ASSERT_TRUE(l) << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(l->year, c.ly);
        EXPECT_EQ(l->month, c.lm);
        EXPECT_EQ(l->leap, c.leap);
        EXPECT_EQ(l->day, c.ld) << c.y << "-" << c.m << "-" << c.d;
    }
    EXPECT_FALSE(ToLunar(1921, 2, 7));
    EXPECT_FALSE(ToLunar(2100, 2, 9));
    EXPECT_EQ(LunarYearText(1921), "鸡 (辛酉)年");
    EXPECT_EQ(Expand13("[%N%n%r]", At(1900, 1, 1)), "[]");
    EXPECT_EQ(LunarDayText(10), "初十");
    EXPECT_EQ(LunarDayText(20), "二十");
    EXPECT_EQ(LunarDayText(30), "三十");
}

TEST(LocaleNames, CIsTheDefaultAndUnknownLocalesAreRefused) {
    EXPECT_EQ(LocaleNames::Load("")->weekdayLong[0], "Sunday");
    EXPECT_FALSE(LocaleNames::Load("xx_NOWHERE.UTF-8"));
}

}  // namespace
}  // namespace led

namespace led {
namespace {

std::string Sensor(int type, const std::string& format, float reading, float error, int precision,
                   bool valid = true) {
    TokenContext c;
    c.sensor = {reading, valid, error, precision};
    std::string text = format;
    ExpandTokens(text, type, 0, c);
    return text;
}

TEST(SensorTokens, ReadingsAreCorrectedRoundedAndNotAvailableWhenInvalid) {
    EXPECT_EQ(Sensor(area_type::kTemperature, "%C", 23.46f, -0.5f, 1), "23.0");
    EXPECT_EQ(Sensor(area_type::kHumidity, "%u%%", 55.5f, 0, 0), "56%%");
    EXPECT_EQ(Sensor(area_type::kNoise, "%o dB", 61.237f, 0, 2), "61.24 dB");
    // Fahrenheit from the corrected Celsius reading: 20 + 5 = 25 °C is 77 °F.
    EXPECT_EQ(Sensor(area_type::kTemperature, "%F", 20, 5, 1), "77.0");
    EXPECT_EQ(Sensor(area_type::kTemperature, "%C/%F", 20, 0, 1, false), "N/A/N/A");
    // Another area's tokens are text here.
    EXPECT_EQ(Sensor(area_type::kHumidity, "%C %o", 50, 0, 0), "%C %o");
}

TEST(SensorTokens, OnlyAWholeTokenRunIsComparedWithTheValve) {
    EXPECT_TRUE(IsValueRun("%C", area_type::kTemperature));
    EXPECT_TRUE(IsValueRun("%F", area_type::kTemperature));
    EXPECT_FALSE(IsValueRun("%C ", area_type::kTemperature));
    EXPECT_FALSE(IsValueRun("%u", area_type::kTemperature));
    EXPECT_TRUE(ReachesValve("30.0", 30));
    EXPECT_FALSE(ReachesValve("29.9", 30));
    EXPECT_FALSE(ReachesValve("N/A", 1));
    EXPECT_TRUE(ReachesValve("-5.0", -5));
}

}  // namespace
}  // namespace led
