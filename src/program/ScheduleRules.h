#pragma once
// The rules the schedulers decide by: which program is eligible, whether a
// schedule is active now, and whether the playing program has ended.

#include <cstdint>
#include <vector>

#include "core/LayerState.h"
#include "core/Records.h"
#include "platform/clock/Clock.h"

namespace led {

// Date (with each window's times), weekday and time-of-day tests together.
// A schedule without a time window is never active.
bool IsScheduleActive(const ScheduleRecord& schedule, const LocalTime& now);
// The time of day lies in some window of each schedule (dates and weekdays
// play no part).
bool BothWindowsHold(const ScheduleRecord& first, const ScheduleRecord& second,
                     const LocalTime& now);

// The first program of class `wantedClass` after `currentIndex`, wrapping to
// the start and ending with the current one; timed programs must also be
// active now. A current index past the list (or -1) counts as the last one.
// -1 when none qualifies.
int FindEligibleProgram(const std::vector<ProgramRecord>& list, int wantedClass, int currentIndex,
                        const LocalTime& now);

// The playing program's end condition. With waitfinish 1: every area has
// completed the required cycles (this also sets the program-finished flag);
// otherwise the play time has elapsed or the flag is set.
bool ProgramHasEnded(LayerState& state, int32_t waitfinish, int32_t areaCount, int64_t elapsedMs,
                     int64_t playtimeMs);

}  // namespace led
