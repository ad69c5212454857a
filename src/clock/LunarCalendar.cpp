#include "clock/LunarCalendar.h"

#include <cstdint>
#include <iterator>

#include "clock/CivilDays.h"

namespace led {
namespace {

constexpr int kFirstYear = 1921;
// Per lunar year: bit m-1 set when month m has 30 days (else 29); bits 12-15
// the leap month (0: none), which follows the month of the same number; bit
// 16 set when the leap month has 30 days.
constexpr uint32_t kYears[] = {
    0x00d25, 0x05d2d, 0x00a56, 0x002b6, 0x14ad5, 0x006d4, 0x00ea9, 0x02f4a, 0x00e92, 0x066a6,
    0x0052b, 0x00a57, 0x15956, 0x00b5a, 0x006d4, 0x13761, 0x00749, 0x17b13, 0x00a93, 0x0052b,
    0x1651b, 0x00aad, 0x0056a, 0x14da5, 0x00ba4, 0x00b49, 0x02d4b, 0x00a95, 0x07aad, 0x00536,
    0x00aad, 0x15aca, 0x005b2, 0x00da5, 0x13ea2, 0x00d4a, 0x08595, 0x00a97, 0x00556, 0x06575,
    0x00ad5, 0x006d2, 0x04755, 0x00ea5, 0x0064a, 0x0364f, 0x00a9b, 0x07ada, 0x0056a, 0x00b69,
    0x05bb2, 0x00b52, 0x00b25, 0x04b2b, 0x00a4b, 0x08aab, 0x002ad, 0x0056d, 0x165a9, 0x00da9,
    0x00d92, 0x04e95, 0x00d25, 0x0ae4d, 0x00a56, 0x002b6, 0x062f5, 0x006d5, 0x00ea9, 0x05f52,
    0x00e92, 0x00d26, 0x0352e, 0x00a57, 0x08ad6, 0x0035a, 0x006d5, 0x05b69, 0x00749, 0x00693,
    0x04a9b, 0x0052b, 0x00a5b, 0x02aae, 0x0056a, 0x07dd5, 0x00ba4, 0x00b49, 0x05d53, 0x00a95,
    0x0052d, 0x0455d, 0x00ab5, 0x09baa, 0x005d2, 0x00da5, 0x16e8a, 0x00d4a, 0x00c95, 0x04a9e,
    0x00556, 0x00ab5, 0x02ada, 0x006d2, 0x06765, 0x00725, 0x0064b, 0x05657, 0x00cab, 0x0055a,
    0x0356e, 0x00b69, 0x0bf52, 0x00b52, 0x00b25, 0x16d0b, 0x00a4b, 0x004ab, 0x052bb, 0x005ad,
    0x00b6a, 0x02daa, 0x00d92, 0x07ea5, 0x00d25, 0x00a55, 0x15a4d, 0x004b6, 0x005b5, 0x136d2,
    0x00ec9, 0x08f92, 0x00e92, 0x00d26, 0x16516, 0x00a57, 0x004d6, 0x14365, 0x00755, 0x00749,
    0x0374b, 0x00693, 0x07aab, 0x0052b, 0x00a5b, 0x05aba, 0x0056a, 0x00b65, 0x04baa, 0x00b4a,
    0x08d95, 0x00a95, 0x0052d, 0x0656d, 0x00ab5, 0x005aa, 0x045d5, 0x00da5, 0x00d4a, 0x03e4d,
    0x00c96, 0x07cce, 0x00556, 0x00ab5, 0x15ad2, 0x006d2, 0x00ea5, 0x0472a, 0x0068b, 0x08697,
    0x004ab, 0x0055b, 0x16556, 0x00b6a, 0x00752, 0x04b95, 0x00b45, 0x00a8b, 0x02a4f,
};
constexpr int kYearCount = int(std::size(kYears));

int MonthLength(uint32_t info, int month) { return (info >> (month - 1)) & 1 ? 30 : 29; }
int LeapMonth(uint32_t info) { return (info >> 12) & 0xF; }
int LeapLength(uint32_t info) { return (info >> 16) & 1 ? 30 : 29; }

int YearLength(uint32_t info) {
    int days = 0;
    for (int m = 1; m <= 12; ++m) days += MonthLength(info, m);
    if (LeapMonth(info)) days += LeapLength(info);
    return days;
}

}  // namespace

std::optional<LunarDate> ToLunar(int year, int month, int day) {
    // The first day of the table: the lunar new year of 1921.
    static const int64_t kStart = DaysFromCivil(1921, 2, 8);
    int64_t offset = DaysFromCivil(year, month, day) - kStart;
    if (offset < 0) return std::nullopt;
    for (int i = 0; i < kYearCount; ++i) {
        const uint32_t info = kYears[i];
        if (offset >= YearLength(info)) {
            offset -= YearLength(info);
            continue;
        }
        LunarDate date;
        date.year = kFirstYear + i;
        for (int m = 1; m <= 12; ++m) {
            if (offset < MonthLength(info, m)) {
                date.month = m;
                date.day = int(offset) + 1;
                return date;
            }
            offset -= MonthLength(info, m);
            if (LeapMonth(info) == m) {
                if (offset < LeapLength(info)) {
                    date.month = m;
                    date.leap = true;
                    date.day = int(offset) + 1;
                    return date;
                }
                offset -= LeapLength(info);
            }
        }
    }
    return std::nullopt;
}

std::string LunarYearText(int lunarYear) {
    static const char* const kStems[] = {"甲", "乙", "丙", "丁", "戊",
                                         "己", "庚", "辛", "壬", "癸"};
    static const char* const kBranches[] = {"子", "丑", "寅", "卯", "辰", "巳",
                                            "午", "未", "申", "酉", "戌", "亥"};
    static const char* const kAnimals[] = {"鼠", "牛", "虎", "兔", "龙", "蛇",
                                           "马", "羊", "猴", "鸡", "狗", "猪"};
    const int index = ((lunarYear - 4) % 60 + 60) % 60;
    return std::string(kAnimals[index % 12]) + " (" + kStems[index % 10] + kBranches[index % 12] +
           ")年";
}

std::string LunarMonthText(const LunarDate& date) {
    static const char* const kMonths[] = {"正", "二", "三", "四", "五",   "六",
                                          "七", "八", "九", "十", "十一", "腊"};
    if (date.month < 1 || date.month > 12) return {};
    return std::string(date.leap ? "闰" : "") + kMonths[date.month - 1] + "月";
}

std::string LunarDayText(int day) {
    static const char* const kDigits[] = {"一", "二", "三", "四", "五",
                                          "六", "七", "八", "九", "十"};
    if (day < 1 || day > 30) return {};
    if (day <= 10) return std::string("初") + kDigits[day - 1];
    if (day < 20) return std::string("十") + kDigits[day - 11];
    if (day == 20) return "二十";
    if (day < 30) return std::string("廿") + kDigits[day - 21];
    return "三十";
}

}  // namespace led
