#pragma once
// The percent tokens of the clock and countdown templates ("%H", "%N", ...)
// and the time arithmetic behind them. Plain functions: the areas and
// `ledplayer expand-tokens` run the same code.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Records.h"
#include "platform/clock/Clock.h"

namespace led {

struct LocaleNames;
struct SensorReadings;

// The clock's calendar time: `now` shifted by the item's difference (type 0
// subtracts, any other adds), days carrying into the date.
LocalTime ShiftTime(const LocalTime& now, const TimeDifference& difference);

struct CountdownArrival {
    int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// A sensor area's reading: the selected source's value and validity, and
// the item's calibration and precision.
struct SensorValue {
    float reading = 0;
    bool valid = false;
    float error = 0;    // added to the reading
    int precision = 0;  // 1: one decimal, 2: two, anything else none
};

// The reading a sensor area shows, with the item's error and precision. The
// item's hardwaremode picks the source: temperature 0 A, 1 B, 2 C (its own
// probe, always valid); humidity 0 A, 1 C; noise 0 the noise meter. Any
// other source is not valid.
SensorValue SelectSensorValue(const SensorReadings& readings, int areaType, const AreaItem& item);

// What the tokens of an area are expanded from.
struct TokenContext {
    LocalTime now;                            // the player's local time
    TimeDifference difference;                // clock
    std::array<std::string, 7> weekdayNames;  // clock "%E", Sunday first
    const LocaleNames* names = nullptr;       // clock "%a %A %b %B %p"; none: C
    CountdownArrival arrival;                 // countdown
    SensorValue sensor;                       // temperature, humidity, noise
};

// Replaces the area type's tokens in `text`, in one left-to-right pass (a
// replacement is never scanned again). With a mask of 0 every token of the
// type is tried; otherwise only those whose bit is set. Returns the mask of
// the tokens found. Clock (13), countdown (17) and the sensor areas (14-16,
// "N/A" while the reading is not valid) have tokens; other types leave the
// text unchanged.
uint32_t ExpandTokens(std::string& text, int areaType, uint32_t mask, const TokenContext& context);

// The clock token letters in bit order (bit i is kClockTokens[i]).
inline constexpr const char* kClockTokens = "aAbBdHImMSyYWwpjENnr";
inline constexpr const char* kCountdownTokens = "dHMS";
// Temperature "%C" (Celsius) and "%F" (Fahrenheit), humidity "%u", noise "%o".
inline constexpr const char* kTemperatureTokens = "CF";
inline constexpr const char* kHumidityTokens = "u";
inline constexpr const char* kNoiseTokens = "o";
// The token letters of a sensor area type; none for other types.
const char* SensorTokens(int areaType);

// A sensor value as its areas show it: "%.1f" for precision 1, "%.2f" for
// 2, "%.f" otherwise.
std::string FormatSensorValue(double value, int precision);

// A value run (its template text is exactly one token of the area) is drawn
// in the valve colour when its shown number reaches the valve: the leading
// whole number of the expanded text, fractions dropped, 0 when it starts
// with no digits.
bool IsValueRun(const std::string& templateText, int areaType);
bool ReachesValve(const std::string& shownText, float valve);

// Countdown: the signed seconds from now to the arrival (year 0 is 2000,
// month and day 0 are 1); false when the arrival is not a calendar time.
bool CountdownSeconds(const LocalTime& now, const CountdownArrival& arrival, int64_t& seconds);

// A run ending in "%" loses it, and the next run of the line starts with
// it, so that a token split between two runs is expanded (or, before
// anything but a token letter, the "%" is shown as it is).
void JoinSplitTokens(std::vector<std::string>& lineTexts);

}  // namespace led
