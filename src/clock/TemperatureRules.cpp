#include "clock/TemperatureRules.h"

#include <cstdlib>
#include <memory>

#include "core/Player.h"
#include "storage/Files.h"

namespace led {

namespace {
constexpr size_t kMaxRuleText = 256;
}

std::vector<TemperatureRule> ParseTemperatureRules(const std::string& whole) {
    const std::string text = whole.substr(0, kMaxRuleText);
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t slash; (slash = text.find('/', from)) != std::string::npos; from = slash + 1)
        fields.push_back(text.substr(from, slash - from));
    std::vector<TemperatureRule> rules;
    for (size_t i = 0; i + 4 <= fields.size(); i += 4) {
        rules.push_back({int32_t(std::strtol(fields[i].c_str(), nullptr, 10)),
                         std::strtof(fields[i + 1].c_str(), nullptr),
                         std::strtof(fields[i + 2].c_str(), nullptr),
                         int32_t(std::strtol(fields[i + 3].c_str(), nullptr, 10))});
    }
    return rules;
}

void LoadTemperatureRules(Player& player) {
    auto text = player.fs.ReadText(files::kTempCtrlSwitch, kMaxRuleText);
    player.sensors.SetRules(std::make_shared<const std::vector<TemperatureRule>>(
        text ? ParseTemperatureRules(*text) : std::vector<TemperatureRule>{}));
}

std::optional<float> RuleTemperature(const SensorReadings& r) {
    for (const auto* reading : {&r.temperatureB, &r.temperatureA, &r.temperatureC})
        if (reading->valid) return reading->value;
    return std::nullopt;
}

std::vector<std::pair<int, int>> RuleSwitches(const std::vector<TemperatureRule>& rules,
                                              float temperature, RuleStates& states) {
    std::vector<std::pair<int, int>> switches;
    for (const auto& rule : rules) {
        int state;
        if (rule.lower > temperature)
            state = rule.mode == 1 ? 1 : 0;
        else if (rule.upper < temperature)
            state = rule.mode == 1 ? 0 : 1;
        else
            continue;
        if (rule.relay < 0 || rule.relay >= int(states.size())) continue;
        if (states[size_t(rule.relay)] == state) continue;
        states[size_t(rule.relay)] = state;
        switches.emplace_back(rule.relay, state);
    }
    return switches;
}

}  // namespace led
