#include "screen/ScheduleDay.h"

#include "screen/ScheduleRules.h"

namespace led {

std::vector<ScheduleMinute> ScheduleDay(const ScheduleTables& tables, std::optional<int> light) {
    std::vector<ScheduleMinute> day;
    day.reserve(1440);
    int level = tables.manualBrightness;
    std::string from = "manual";
    bool wasOn = true;
    for (int minute = 0; minute < 1440; ++minute) {
        ScheduleMinute m;
        m.time = {minute / 60, minute % 60, 0};
        m.screenOn = tables.powerWindows.empty() || InPowerWindow(tables.powerWindows, m.time);
        if (m.screenOn && !wasOn) from = "power";
        wasOn = m.screenOn;
        if (m.screenOn) {
            if (tables.brightnessType == brightness_type::kTimed) {
                auto sends = TimedBrightness(tables, m.time, false);
                if (!sends.empty()) {
                    level = sends.back().level;
                    from = sends.back().manual ? "manual" : "timed";
                }
            } else if (tables.brightnessType == brightness_type::kSensor) {
                if (auto sensed = SensorBrightness(tables.autoBrightness, light)) {
                    level = *sensed;
                    from = "sensor";
                }
            }
        }
        m.brightness = level;
        m.brightnessFrom = from;
        m.volume = CurrentVolume(tables, m.time);
        m.relays = RelaysOn(tables, m.time);
        day.push_back(std::move(m));
    }
    return day;
}

}  // namespace led
