#include "screen/ScheduleRules.h"

namespace led {

namespace {
constexpr int kDay = 86400;
int Wrap(int seconds) { return ((seconds % kDay) + kDay) % kDay; }
}  // namespace

int SecondsOfDay(const DayTime& time) {
    return Wrap(time.hour * 3600 + time.minute * 60 + time.second);
}

bool InTimeWindow(const DayTime& now, const DayTime& begin, const DayTime& end) {
    const int from = SecondsOfDay(begin);
    const int pos = Wrap(SecondsOfDay(now) - from);
    const int span = Wrap(SecondsOfDay(end) - from);
    return span - pos > 0;
}

std::vector<BrightnessSend> TimedBrightness(const ScheduleTables& tables, const DayTime& now,
                                            bool hold) {
    std::vector<BrightnessSend> sends;
    if (tables.brightnessTable.empty()) return sends;
    for (const auto& entry : tables.brightnessTable) {
        if (!InTimeWindow(now, entry.begin, entry.end)) continue;
        if (hold) {
            // The hold wins over the manual level too: falling back to it
            // would undo the full brightness at once.
            sends.push_back({255, false});
            return sends;
        }
        sends.push_back({entry.level, true});
    }
    if (sends.empty()) sends.push_back({tables.manualBrightness, true, true});
    return sends;
}

std::optional<int> LightLevel(const SensorReadings& readings) {
    if (readings.lightCount <= 0) return std::nullopt;
    int64_t sum = 0;
    for (int i = 0; i < readings.lightCount; ++i) sum += readings.lightRing[size_t(i)];
    return int((sum / readings.lightCount) >> 4);
}

std::optional<int> SensorBrightness(const AutoBrightness& rule, std::optional<int> light) {
    if (rule.highThreshold == 0 && rule.highLevel == 0) return std::nullopt;
    if (!light) return std::nullopt;
    if (*light <= rule.lowThreshold) return rule.lowLevel;
    if (*light >= rule.highThreshold) return rule.highLevel;
    return *light;
}

bool InPowerWindow(const std::vector<PowerWindow>& windows, const DayTime& now) {
    for (const auto& w : windows)
        if (InTimeWindow(now, w.on, w.off)) return true;
    return false;
}

std::array<bool, 4> RelaysOn(const ScheduleTables& tables, const DayTime& now) {
    std::array<bool, 4> on{};
    for (const auto& r : tables.relaySchedule)
        if (InTimeWindow(now, r.begin, r.end)) on[size_t(r.relay - 1)] = true;
    return on;
}

int CurrentVolume(const ScheduleTables& tables, const DayTime& now) {
    if (tables.hasVolumeSchedule)
        for (const auto& r : tables.volumeSchedule)
            if (InTimeWindow(now, r.begin, r.end)) return r.volume;
    return tables.volume;
}

}  // namespace led
