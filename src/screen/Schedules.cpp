#include "screen/Schedules.h"

#include <memory>

#include "core/Player.h"
#include "screen/Brightness.h"
#include "screen/ScheduleFiles.h"
#include "screen/ScheduleRules.h"

namespace led {

namespace {
constexpr int64_t kPassMs = 5000;
constexpr int64_t kTimedRestMs = 60000;
constexpr int64_t kManualSettleMs = 100;
}  // namespace

void LoadSchedules(Player& player) {
    auto tables = std::make_shared<ScheduleTables>(ReadScheduleTables(player.fs));
    const int type = tables->brightnessType;
    player.schedules.SetTables(std::move(tables));
    // Type 0 also holds the schedulers: only power-on may lift it.
    auto& held = player.playback.hold.brightnessType;
    int32_t current = held.load();
    while (current != 0 && !held.compare_exchange_weak(current, type)) {
    }
}

DayTime DayTimeOf(const LocalTime& time) { return {time.hour, time.minute, time.second}; }

bool BrightnessPass(Player& player) {
    const int type = player.playback.hold.brightnessType.load();
    auto tables = player.schedules.Tables();
    const DayTime now = DayTimeOf(player.clock.Now());
    if (type == brightness_type::kTimed) {
        auto sends = TimedBrightness(*tables, now, player.playback.hold.brightnessHold != 0);
        for (const auto& send : sends) {
            SetCardBrightness(player.ports, send.level, "timed");
            if (send.store) player.device.brightness = send.level;
            if (send.manual) player.SleepOrStop(kManualSettleMs);
        }
        return true;
    }
    if (type == brightness_type::kSensor) {
        auto level =
            SensorBrightness(tables->autoBrightness, LightLevel(*player.sensors.Readings()));
        if (!level) return false;
        SetCardBrightness(player.ports, *level, "sensor");
        player.device.brightness = *level;
        player.schedules.autoBrightness = *level;
    }
    return false;
}

void BrightnessScheduleThread(Player& player) {
    while (player.SleepOrStop(kPassMs)) {
        if (BrightnessPass(player) && !player.SleepOrStop(kTimedRestMs)) return;
    }
}

}  // namespace led
