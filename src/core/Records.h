#pragma once
// The in-memory playlist: programs, their schedules and areas, and the items
// each area plays. Filled by the playlist reader, read by the schedulers and
// the area threads. Records are plain values; a read replaces the lists whole.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace led {

// Area type codes of the playlist.
namespace area_type {
inline constexpr int kText = 3;
inline constexpr int kPicture = 4;
inline constexpr int kVideo = 5;
inline constexpr int kPictureText = 8;
inline constexpr int kAnimate = 12;
inline constexpr int kDigitalClock = 13;
inline constexpr int kTemperature = 14;
inline constexpr int kHumidity = 15;
inline constexpr int kNoise = 16;
inline constexpr int kCountdown = 17;
inline constexpr int kSimulationClock = 18;
inline constexpr int kTable = 19;
}  // namespace area_type

// The program class, highest wins.
enum class ProgramClass : int32_t { Normal = 0, Timed = 1, Inserted = 2 };

// The most areas a program can hold: the size of the completion-counter table.
inline constexpr int kMaxAreas = 32;

struct TimeWindow {
    int32_t id = 0;
    uint8_t beginHour = 0, beginMinute = 0, beginSecond = 0;
    uint8_t endHour = 0, endMinute = 0, endSecond = 0;

    int BeginSeconds() const { return beginHour * 3600 + beginMinute * 60 + beginSecond; }
    int EndSeconds() const { return endHour * 3600 + endMinute * 60 + endSecond; }
    // Counting from the begin time and wrapping at midnight, t lies before the
    // end; a window whose end equals its begin contains nothing.
    bool Contains(int secondOfDay) const {
        int span = ((EndSeconds() - BeginSeconds()) % 86400 + 86400) % 86400;
        int pos = ((secondOfDay - BeginSeconds()) % 86400 + 86400) % 86400;
        return pos < span;
    }
};

struct ScheduleRecord {
    int32_t priority = 0;        // ProgramClass
    uint32_t weekdayMask = 255;  // bit d: may play on weekday d (0 = Sunday); 255 = every day
    int32_t beginYear = 0, beginMonth = 0, beginDay = 0;
    int32_t endYear = 0, endMonth = 0, endDay = 0;
    std::vector<TimeWindow> windows;
};

struct ItemFont {
    int32_t height = 0, width = 0, weight = 0;
    std::string face;  // UTF-8
    int32_t underline = 0, italic = 0, strikeout = 0, pitchAndFamily = 0;
    std::string charset;
    int32_t colour = 0;  // 0x00BBGGRR
};

struct TimeDifference {
    int32_t type = 0, days = 0, hours = 0, minutes = 0, seconds = 0;
};

struct ClockStrings {  // the top and bottom strings of the simulation clock
    std::string face;
    int32_t size = 0, colour = 0, weight = 0, italic = 0;
    std::string text;
};

struct AreaItem {
    int32_t id = 0;
    std::string path;  // board path in the run mode's video directory
    int32_t videoLeft = 0, videoTop = 0, videoRight = 0, videoBottom = 0;
    int32_t videomode = 0;
    int32_t effectIn = 0;
    int32_t movespeedIn = 0;
    int32_t movespeedOut = 0;
    int32_t remain = 0;  // seconds
    int32_t effectOut = 0;
    std::string text;  // UTF-8, at most 256 characters
    ItemFont font;
    int32_t textLeft = 0, textTop = 0, textRight = 0, textBottom = 0;
    int32_t textshowtype = 0;
    // sensor areas
    int32_t sensorMode = 0, precision = 0;
    float error = 0;
    int32_t hardwaremode = 0;
    bool valveEnabled = false;
    float valve = 0;
    int32_t valveColour = 0;
    // clock areas
    int32_t showmode = 0, yearstyle = 0, hourstyle = 0;
    TimeDifference timeDifference;
    // ly, lm, ld, year, month, day, week, hour, minute, second
    std::array<int32_t, 10> showItems{};
    std::array<std::string, 7> weekdayNames;
    ClockStrings topString, bottomString;
    int32_t linespacing = 0;
    int32_t anispeed = 0;
    // countdown arrival time
    int32_t arrivalYear = 0, arrivalMonth = 0, arrivalDay = 0;
    int32_t arrivalHour = 0, arrivalMinute = 0, arrivalSecond = 0;
    int32_t streamtype = 0;  // 0 local file, 1 network stream, 2 live camera
    int32_t videoOriginalWidth = 0, videoOriginalHeight = 0;
    std::vector<std::string> pageFiles;
    // The text area's line break and horizontal offset: set for the runs of
    // a text message; no playlist element carries them.
    int32_t lineBreak = 0;
    int32_t offset = 0;
};

struct AreaRecord {
    int32_t id = 0;
    int32_t type = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // inclusive
    std::array<int32_t, 4> osdRect{};
    std::array<int32_t, 4> originalRect{};
    int32_t osd = -1;
    int32_t edgeDegree = 0, edgeColour = 0;
    int32_t backgroundMode = 0;
    int32_t backgroundColour = 0;  // 0x00BBGGRR
    std::vector<AreaItem> items;

    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

struct ProgramRecord {
    int32_t id = 0;
    std::string idText;
    int32_t playtime = 0;
    int32_t waitfinish = 0;
    std::vector<AreaRecord> areas;  // at most kMaxAreas
    ScheduleRecord schedule;
    int32_t playtimes = 1;
    int32_t osd = -1;  // negative: normal layer

    bool IsOsd() const { return osd >= 0; }
    ProgramClass Class() const { return ProgramClass(schedule.priority); }
};

// One read of a playlist: replaced whole, never changed in place.
struct ProgramLists {
    std::vector<ProgramRecord> all;
    std::vector<ProgramRecord> normal;
    std::vector<ProgramRecord> osd;
    std::vector<std::string> lastFrames;  // the video items' "lastframe" names
};

}  // namespace led
