#include "clock/ClockTokens.h"

#include <spdlog/spdlog.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "clock/CivilDays.h"
#include "clock/LunarCalendar.h"
#include "core/SensorReadings.h"
#include "platform/text/LocaleNames.h"

namespace led {
namespace {

constexpr int64_t kDay = 86400;

int64_t CivilSeconds(int64_t days, int hour, int minute, int second) {
    return days * kDay + hour * 3600 + minute * 60 + second;
}

std::string Pad(int64_t value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*lld", width, static_cast<long long>(value));
    return buffer;
}

struct ClockFields {
    LocalTime t;
    int yearDay = 0;  // 0-based
};

std::string LunarToken(char letter, const LocalTime& t) {
    std::optional<LunarDate> lunar = ToLunar(t.year, t.month, t.day);
    if (!lunar) {
        static std::atomic<bool> said{false};
        if (!said.exchange(true))
            spdlog::warn(
                "lunar calendar: {} lies outside the table (1921-2099): lunar tokens left empty",
                t.Format());
        return {};
    }
    if (letter == 'N') return LunarYearText(lunar->year);
    if (letter == 'n') return LunarMonthText(*lunar);
    return LunarDayText(lunar->day);
}

std::string ClockToken(char letter, const ClockFields& f, const TokenContext& c) {
    const LocalTime& t = f.t;
    const LocaleNames& names = c.names ? *c.names : LocaleNames::C();
    const int wd = ((t.weekday % 7) + 7) % 7;
    switch (letter) {
        case 'a': return names.weekdayShort[wd];
        case 'A': return names.weekdayLong[wd];
        case 'b': return names.monthShort[(t.month + 11) % 12];
        case 'B': return names.monthLong[(t.month + 11) % 12];
        case 'd': return Pad(t.day, 2);
        case 'H': return Pad(t.hour, 2);
        case 'I': return Pad(t.hour % 12 == 0 ? 12 : t.hour % 12, 2);
        case 'm': return Pad(t.month, 2);
        case 'M': return Pad(t.minute, 2);
        case 'S': return Pad(t.second, 2);
        case 'y': return Pad(((t.year % 100) + 100) % 100, 2);
        case 'Y': return std::to_string(t.year);
        case 'W': return Pad((f.yearDay + 7 - (wd + 6) % 7) / 7, 2);
        case 'w': return std::to_string(wd);
        case 'p': return t.hour < 12 ? names.am : names.pm;
        case 'j': return Pad(f.yearDay + 1, 3);
        case 'E': return c.weekdayNames[wd];
        default: return LunarToken(letter, t);  // N n r
    }
}

template <typename Expand>
uint32_t ReplaceTokens(std::string& text, const char* tokens, uint32_t mask, Expand expand) {
    if (text.find('%') == std::string::npos) return 0;
    uint32_t found = 0;
    std::string out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 >= text.size() || text[i + 1] == '\0') {
            out.push_back(text[i]);
            continue;
        }
        const char* at = std::strchr(tokens, text[i + 1]);
        if (!at) {
            out.push_back(text[i]);
            continue;
        }
        const uint32_t bit = 1u << (at - tokens);
        if (mask != 0 && !(mask & bit)) {
            out.push_back(text[i]);
            continue;
        }
        found |= bit;
        out += expand(text[i + 1]);
        ++i;
    }
    text = std::move(out);
    return found;
}

}  // namespace

LocalTime ShiftTime(const LocalTime& now, const TimeDifference& d) {
    const int64_t difference =
        ((int64_t(d.days) * 24 + d.hours) * 60 + d.minutes) * 60 + int64_t(d.seconds);
    const int64_t days = DaysFromCivil(now.year, now.month, now.day);
    int64_t s = CivilSeconds(days, now.hour, now.minute, now.second) +
                (d.type == 0 ? -difference : difference);
    int64_t shiftedDays = s >= 0 ? s / kDay : -((-s + kDay - 1) / kDay);
    const int64_t secondOfDay = s - shiftedDays * kDay;
    const CivilDate date = CivilFromDays(shiftedDays);
    LocalTime t = now;
    t.year = int(date.year);
    t.month = date.month;
    t.day = date.day;
    t.hour = int(secondOfDay / 3600);
    t.minute = int(secondOfDay / 60 % 60);
    t.second = int(secondOfDay % 60);
    t.weekday = WeekdayFromDays(shiftedDays);
    return t;
}

bool CountdownSeconds(const LocalTime& now, const CountdownArrival& a, int64_t& seconds) {
    const int year = a.year == 0 ? 2000 : a.year;
    const int month = a.month == 0 ? 1 : a.month;
    const int day = a.day == 0 ? 1 : a.day;
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || a.hour < 0 ||
        a.hour >= 24 || a.minute < 0 || a.minute >= 60 || a.second < 0 || a.second >= 60)
        return false;
    const int64_t arrival =
        CivilSeconds(DaysFromCivil(year, month, day), a.hour, a.minute, a.second);
    const int64_t current =
        CivilSeconds(DaysFromCivil(now.year, now.month, now.day), now.hour, now.minute, now.second);
    seconds = arrival - current;
    return true;
}

uint32_t ExpandTokens(std::string& text, int areaType, uint32_t mask, const TokenContext& c) {
    if (areaType == area_type::kDigitalClock) {
        ClockFields f;
        f.t = ShiftTime(c.now, c.difference);
        f.yearDay =
            int(DaysFromCivil(f.t.year, f.t.month, f.t.day) - DaysFromCivil(f.t.year, 1, 1));
        return ReplaceTokens(text, kClockTokens, mask,
                             [&](char letter) { return ClockToken(letter, f, c); });
    }
    if (areaType == area_type::kCountdown) {
        int64_t d = 0;
        if (!CountdownSeconds(c.now, c.arrival, d)) {
            // An arrival that is no calendar time counts as now.
            static std::atomic<bool> said{false};
            if (!said.exchange(true))
                spdlog::warn(
                    "countdown: arrival {}-{}-{} {}:{}:{} is not a calendar time; shown as 0",
                    c.arrival.year, c.arrival.month, c.arrival.day, c.arrival.hour,
                    c.arrival.minute, c.arrival.second);
            d = 0;
        }
        const int64_t days = d / kDay;
        const int64_t hours = d / 3600 - days * 24;
        const int64_t minutes = d / 60 - (d / 3600) * 60;
        const int64_t secs = d - (d / 60) * 60;
        return ReplaceTokens(text, kCountdownTokens, mask, [&](char letter) -> std::string {
            switch (letter) {
                case 'd': return std::to_string(std::llabs(days));
                case 'H': return Pad(std::llabs(hours), 2);
                case 'M': return Pad(std::llabs(minutes), 2);
                default: return Pad(std::llabs(secs), 2);
            }
        });
    }
    if (const char* tokens = SensorTokens(areaType)) {
        const SensorValue& v = c.sensor;
        const double celsius = double(v.reading) + double(v.error);
        return ReplaceTokens(text, tokens, mask, [&](char letter) -> std::string {
            if (!v.valid) return "N/A";
            // Fahrenheit from the corrected Celsius reading.
            if (letter == 'F') return FormatSensorValue(celsius * 9.0 / 5.0 + 32.0, v.precision);
            return FormatSensorValue(celsius, v.precision);
        });
    }
    return 0;
}

SensorValue SelectSensorValue(const SensorReadings& r, int areaType, const AreaItem& item) {
    SensorValue v;
    v.error = item.error;
    v.precision = item.precision;
    auto take = [&](const Reading<float>& reading) {
        v.reading = reading.value;
        v.valid = reading.valid;
    };
    const int source = item.hardwaremode;
    if (areaType == area_type::kTemperature) {
        if (source == 0) take(r.temperatureA);
        if (source == 1) take(r.temperatureB);
        if (source == 2) {
            v.reading = r.temperatureC.value;
            v.valid = true;
        }
    } else if (areaType == area_type::kHumidity) {
        if (source == 0) take(r.humidityA);
        if (source == 1) take(r.humidityC);
    } else if (areaType == area_type::kNoise) {
        if (source == 0) take(r.noise);
    }
    return v;
}

const char* SensorTokens(int areaType) {
    switch (areaType) {
        case area_type::kTemperature: return kTemperatureTokens;
        case area_type::kHumidity: return kHumidityTokens;
        case area_type::kNoise: return kNoiseTokens;
        default: return nullptr;
    }
}

std::string FormatSensorValue(double value, int precision) {
    const char* format = precision == 1 ? "%.1f" : precision == 2 ? "%.2f" : "%.f";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

bool IsValueRun(const std::string& templateText, int areaType) {
    const char* tokens = SensorTokens(areaType);
    return tokens && templateText.size() == 2 && templateText[0] == '%' &&
           std::strchr(tokens, templateText[1]) != nullptr && templateText[1] != '\0';
}

bool ReachesValve(const std::string& shownText, float valve) {
    return double(std::atol(shownText.c_str())) >= double(valve);
}

void JoinSplitTokens(std::vector<std::string>& texts) {
    for (size_t i = 0; i + 1 < texts.size(); ++i) {
        if (texts[i].empty() || texts[i].back() != '%') continue;
        texts[i].pop_back();
        texts[i + 1].insert(0, 1, '%');
    }
}

}  // namespace led
