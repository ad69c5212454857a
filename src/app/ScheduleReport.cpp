#include "app/ScheduleReport.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>

#include "platform/clock/Clock.h"
#include "platform/fs/DeviceFs.h"
#include "screen/ScheduleDay.h"
#include "screen/ScheduleFiles.h"

namespace led {

namespace {

// YYYY-MM-DD exactly, naming a day of the calendar.
bool IsDay(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9') return false;
    auto day = LocalTime::Parse(text + " 00:00:00");
    return day && day->Format().substr(0, 10) == text;
}

}  // namespace

int InspectSchedules(const InspectSchedulesOptions& o, std::ostream& out, std::ostream& err) {
    if (!IsDay(o.day)) {
        err << "inspect-schedules: --day wants YYYY-MM-DD, not \"" << o.day << "\"\n";
        return 2;
    }
    DeviceFs fs(o.root);
    if (!fs.VolumeExists("\\nand\\")) {
        err << "inspect-schedules: " << o.root << " holds no nand volume\n";
        return 2;
    }
    const ScheduleTables tables = ReadScheduleTables(fs);
    nlohmann::ordered_json doc;
    doc["day"] = o.day;
    doc["brightnessType"] = tables.brightnessType;
    doc["light"] = o.light ? nlohmann::ordered_json(*o.light) : nlohmann::ordered_json();
    doc["minutes"] = nlohmann::ordered_json::array();
    for (const auto& m : ScheduleDay(tables, o.light)) {
        char time[8];
        std::snprintf(time, sizeof time, "%02d:%02d", m.time.hour, m.time.minute);
        doc["minutes"].push_back({{"time", time},
                                  {"screenOn", m.screenOn},
                                  {"brightness", m.brightness},
                                  {"from", m.brightnessFrom},
                                  {"volume", m.volume},
                                  {"relays", m.relays}});
    }
    // One line per minute keeps the day readable with grep.
    std::string text = doc.dump();
    for (size_t at = 0; (at = text.find("},{\"time\"", at)) != std::string::npos; at += 4)
        text.replace(at, 3, "},\n{");
    out << text << "\n";
    return 0;
}

}  // namespace led
