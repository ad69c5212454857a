#pragma once
// inspect-schedules: the schedule files of a device root as a day of JSON.

#include <iosfwd>
#include <optional>
#include <string>

namespace led {

struct InspectSchedulesOptions {
    std::string root;  // the device root ("nand" beneath it)
    std::string day;   // YYYY-MM-DD, printed with the minutes
    std::optional<int> light;
};

// 0 on success; 2 when the day is not a date or the root has no "nand".
int InspectSchedules(const InspectSchedulesOptions& options, std::ostream& out, std::ostream& err);

}  // namespace led
