#include <gtest/gtest.h>

#include "program/ScheduleRules.h"

namespace led {
namespace {

TimeWindow Window(int bh, int bm, int bs, int eh, int em, int es) {
    TimeWindow w;
    w.beginHour = uint8_t(bh), w.beginMinute = uint8_t(bm), w.beginSecond = uint8_t(bs);
    w.endHour = uint8_t(eh), w.endMinute = uint8_t(em), w.endSecond = uint8_t(es);
    return w;
}

ScheduleRecord Schedule(int cls, std::vector<TimeWindow> windows, uint32_t weekdays = 255) {
    ScheduleRecord s;
    s.priority = cls;
    s.weekdayMask = weekdays;
    s.beginYear = 2026, s.beginMonth = 1, s.beginDay = 1;
    s.endYear = 2036, s.endMonth = 1, s.endDay = 1;
    s.windows = std::move(windows);
    return s;
}

ProgramRecord Program(int cls, std::vector<TimeWindow> windows = {Window(0, 0, 0, 23, 59, 59)}) {
    ProgramRecord p;
    p.schedule = Schedule(cls, std::move(windows));
    return p;
}

LocalTime At(const char* text) { return *LocalTime::Parse(text); }

TEST(TimeWindowTest, ContainsWithMidnightCrossing) {
    EXPECT_TRUE(Window(22, 0, 0, 2, 0, 0).Contains(1 * 3600));
    EXPECT_TRUE(Window(22, 0, 0, 2, 0, 0).Contains(23 * 3600));
    EXPECT_FALSE(Window(22, 0, 0, 2, 0, 0).Contains(2 * 3600)) << "end is exclusive";
    EXPECT_FALSE(Window(22, 0, 0, 2, 0, 0).Contains(12 * 3600));
    EXPECT_FALSE(Window(8, 0, 0, 8, 0, 0).Contains(8 * 3600)) << "equal ends contain nothing";
    EXPECT_TRUE(Window(8, 0, 0, 9, 0, 0).Contains(8 * 3600));
}

TEST(ScheduleActiveTest, DateWeekdayAndWindowMustAllHold) {
    auto s = Schedule(1, {Window(8, 0, 0, 9, 0, 0)});
    EXPECT_TRUE(IsScheduleActive(s, At("2026-03-05 08:30:00")));
    EXPECT_FALSE(IsScheduleActive(s, At("2026-03-05 09:00:00")));
    EXPECT_FALSE(IsScheduleActive(s, At("2025-12-31 08:30:00"))) << "before the first day";
    s.endYear = 2026, s.endMonth = 3, s.endDay = 5;
    EXPECT_TRUE(IsScheduleActive(s, At("2026-03-05 08:59:59"))) << "last day, inside its end time";
    EXPECT_FALSE(IsScheduleActive(s, At("2026-03-06 08:30:00"))) << "dates have passed";
    s = Schedule(1, {Window(8, 0, 0, 9, 0, 0)}, 1u << 4);  // Thursdays only
    EXPECT_TRUE(IsScheduleActive(s, At("2026-03-05 08:30:00")));
    EXPECT_FALSE(IsScheduleActive(s, At("2026-03-06 08:30:00")));
    EXPECT_FALSE(IsScheduleActive(Schedule(1, {}), At("2026-03-05 08:30:00"))) << "no window";
}

TEST(ScheduleActiveTest, BothWindowsIgnoreDates) {
    auto a = Schedule(1, {Window(8, 0, 0, 10, 0, 0)});
    auto b = Schedule(1, {Window(9, 0, 0, 11, 0, 0)});
    b.endYear = 2000;
    EXPECT_TRUE(BothWindowsHold(a, b, At("2026-03-05 09:30:00")));
    EXPECT_FALSE(BothWindowsHold(a, b, At("2026-03-05 08:30:00")));
}

TEST(EligibleSearchTest, SearchesOnwardAndWraps) {
    std::vector<ProgramRecord> list = {Program(0), Program(1), Program(0), Program(2)};
    auto now = At("2026-03-05 12:00:00");
    EXPECT_EQ(FindEligibleProgram(list, 0, 0, now), 2);
    EXPECT_EQ(FindEligibleProgram(list, 0, 2, now), 0) << "wraps to the start";
    EXPECT_EQ(FindEligibleProgram(list, 0, -1, now), 0) << "-1 counts as the last index";
    EXPECT_EQ(FindEligibleProgram(list, 0, 99, now), 0) << "a stale index is clamped";
    EXPECT_EQ(FindEligibleProgram(list, 2, 3, now), 3) << "the current one comes last";
    EXPECT_EQ(FindEligibleProgram({}, 0, 0, now), -1);
    // Timed programs must be active now.
    list[1] = Program(1, {Window(13, 0, 0, 14, 0, 0)});
    EXPECT_EQ(FindEligibleProgram(list, 1, 0, now), -1);
    EXPECT_EQ(FindEligibleProgram(list, 1, 0, At("2026-03-05 13:00:00")), 1);
}

TEST(EndConditionTest, WaitFinishNeedsEveryAreaToReachPlaytimes) {
    LayerState state(Layer::Normal);
    state.requiredPlaytimes = 2;
    state.Run()->completionCounters[0] = 2;
    EXPECT_FALSE(ProgramHasEnded(state, 1, 2, 0, 0)) << "area 1 has not played";
    state.Run()->completionCounters[1] = 1;
    EXPECT_FALSE(ProgramHasEnded(state, 1, 2, 0, 0));
    EXPECT_FALSE(state.programFinished);
    state.Run()->completionCounters[1] = 3;
    EXPECT_TRUE(ProgramHasEnded(state, 1, 2, 0, 0));
    EXPECT_TRUE(state.programFinished);
}

TEST(EndConditionTest, PlaytimeOrFinishedFlag) {
    LayerState state(Layer::Osd);
    EXPECT_FALSE(ProgramHasEnded(state, 0, 1, 9999, 10000));
    EXPECT_TRUE(ProgramHasEnded(state, 0, 1, 10000, 10000));
    state.programFinished = true;
    EXPECT_TRUE(ProgramHasEnded(state, 2, 1, 0, 10000));
}

}  // namespace
}  // namespace led
