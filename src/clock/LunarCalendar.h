#pragma once
// The Chinese lunar calendar for the clock's lunar tokens, from a table of
// the lunar years 1921 through 2099 (the published calendar).

#include <optional>
#include <string>

namespace led {

struct LunarDate {
    int year = 0;   // the lunar year, numbered as the Gregorian year it starts in
    int month = 0;  // 1..12
    bool leap = false;
    int day = 0;  // 1..30
};

// None outside the table: before 1921-02-08 or after 2100-02-08.
std::optional<LunarDate> ToLunar(int year, int month, int day);

// "龙 (甲辰)年": the animal, a blank, stem and branch in parentheses, 年.
std::string LunarYearText(int lunarYear);
// "正月", "闰二月", ..., "腊月".
std::string LunarMonthText(const LunarDate& date);
// "初一" ... "初十", "十一" ... "二十", "廿一" ... "廿九", "三十".
std::string LunarDayText(int day);

}  // namespace led
