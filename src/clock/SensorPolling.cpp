#include "clock/SensorPolling.h"

#include <spdlog/spdlog.h>

#include <memory>

#include "clock/SensorRecord.h"
#include "core/Player.h"
#include "screen/AuxBoard.h"

namespace led {
namespace {
constexpr int64_t kPollMs = 4000;
constexpr int64_t kReportEveryMs = 60000;
}  // namespace

void SensorPoller::Poll() {
    const std::string answer = ReadSensorBlock(player_.ports);
    const bool online = player_.ports.auxBoardOnline.load();
    bool transition = online != online_;
    online_ = online;
    auto fields = answer.empty() ? std::nullopt : SensorFields(answer);
    if (!fields) {
        if (!answer.empty()) spdlog::debug("sensor poll: an incomplete record, ignored");
        if (transition) Report(true);
        return;
    }
    auto readings = std::make_shared<const SensorReadings>(
        DecodeSensorFields(*fields, *player_.sensors.Readings()));
    player_.sensors.SetReadings(readings);

    if (uint32_t generation = player_.sensors.rulesGeneration.load(); generation != rulesSeen_) {
        rulesSeen_ = generation;
        states_ = kNoRuleStates;
    }
    if (auto temperature = RuleTemperature(*readings)) {
        for (auto [relay, state] : RuleSwitches(*player_.sensors.Rules(), *temperature, states_)) {
            SetRelay(player_.ports, state, relay, "temperature");
            transition = true;
        }
    }
    Report(transition);
}

void SensorPoller::Report(bool transition) {
    const int64_t now = player_.clock.Ticks();
    if (!transition && lastReport_ && now - *lastReport_ < kReportEveryMs) return;
    lastReport_ = now;
    const auto r = player_.sensors.Readings();
    auto value = [](const auto& reading) {
        return reading.valid ? nlohmann::ordered_json(reading.value) : nlohmann::ordered_json();
    };
    player_.events.Emit("sensor-reading", {{"online", online_},
                                           {"temperatureA", value(r->temperatureA)},
                                           {"temperatureB", value(r->temperatureB)},
                                           {"temperatureC", value(r->temperatureC)},
                                           {"humidityA", value(r->humidityA)},
                                           {"humidityC", value(r->humidityC)},
                                           {"noise", value(r->noise)},
                                           {"light", value(r->light)},
                                           {"counters", r->counters}});
}

void SensorPollingThread(Player& player) {
    LoadTemperatureRules(player);
    SensorPoller poller(player);
    while (player.SleepOrStop(kPollMs)) poller.Poll();
}

}  // namespace led
