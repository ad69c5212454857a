#include "program/ScheduleRules.h"

#include <climits>

namespace led {
namespace {

// Date and time as one comparable number.
int64_t DateTimeKey(int64_t y, int64_t mo, int64_t d, int64_t h, int64_t mi, int64_t s) {
    return ((((y * 13 + mo) * 32 + d) * 24 + h) * 60 + mi) * 60 + s;
}

int SecondOfDay(const LocalTime& t) { return t.hour * 3600 + t.minute * 60 + t.second; }

bool AnyWindowContains(const ScheduleRecord& s, int second) {
    for (const TimeWindow& w : s.windows)
        if (w.Contains(second)) return true;
    return false;
}

}  // namespace

bool IsScheduleActive(const ScheduleRecord& s, const LocalTime& now) {
    const int64_t nowKey =
        DateTimeKey(now.year, now.month, now.day, now.hour, now.minute, now.second);
    bool dateOk = false;
    for (const TimeWindow& w : s.windows) {
        int64_t begin = DateTimeKey(s.beginYear, s.beginMonth, s.beginDay, w.beginHour,
                                    w.beginMinute, w.beginSecond);
        int64_t end =
            DateTimeKey(s.endYear, s.endMonth, s.endDay, w.endHour, w.endMinute, w.endSecond);
        if (begin <= nowKey && nowKey < end) {
            dateOk = true;
            break;
        }
    }
    if (!dateOk) return false;
    if ((s.weekdayMask & (1u << now.weekday)) == 0) return false;
    return AnyWindowContains(s, SecondOfDay(now));
}

bool BothWindowsHold(const ScheduleRecord& first, const ScheduleRecord& second,
                     const LocalTime& now) {
    int t = SecondOfDay(now);
    return AnyWindowContains(first, t) && AnyWindowContains(second, t);
}

int FindEligibleProgram(const std::vector<ProgramRecord>& list, int wantedClass, int currentIndex,
                        const LocalTime& now) {
    const int n = int(list.size());
    if (n == 0) return -1;
    // An unsigned comparison on the board: -1 counts as past the end.
    int i = (currentIndex < 0 || currentIndex >= n) ? n - 1 : currentIndex;
    for (int step = 1; step <= n; ++step) {
        int k = (i + step) % n;
        const ProgramRecord& p = list[k];
        if (p.schedule.priority != wantedClass) continue;
        if (wantedClass == int(ProgramClass::Timed) && !IsScheduleActive(p.schedule, now)) continue;
        return k;
    }
    return -1;
}

bool ProgramHasEnded(LayerState& state, int32_t waitfinish, int32_t areaCount, int64_t elapsedMs,
                     int64_t playtimeMs) {
    if (waitfinish == 1) {
        int32_t smallest = INT32_MAX;
        int positive = 0;
        const auto run = state.Run();
        for (const auto& counter : run->completionCounters) {
            int32_t c = counter.load();
            if (c > 0) {
                ++positive;
                smallest = std::min(smallest, c);
            }
        }
        if (positive == 0) smallest = 0;
        bool finished =
            (smallest >= state.requiredPlaytimes.load() && positive >= areaCount) || areaCount == 0;
        if (finished) state.programFinished = true;
        return finished;
    }
    return elapsedMs >= playtimeMs || state.programFinished.load();
}

}  // namespace led
