#pragma once
// Relays switched by temperature: the rules of "\nand\tempctrlswitch.txt".

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/SensorReadings.h"

namespace led {

class Player;

// "relay/lower/upper/mode/" groups; a group whose last field has no "/"
// after it, and everything after it, is not used. Only the first 256 bytes
// count.
std::vector<TemperatureRule> ParseTemperatureRules(const std::string& text);

// Reads the rules into the player (none without the file); the poller forgets
// which states its rules last set.
void LoadTemperatureRules(Player& player);

// The temperature the rules follow: the first valid of B, A and C.
std::optional<float> RuleTemperature(const SensorReadings& readings);

// Relay states: -1 where the rules have not switched the relay yet.
using RuleStates = std::array<int, 4>;
inline constexpr RuleStates kNoRuleStates = {-1, -1, -1, -1};

// The switches (relay, state) the rules ask for at `temperature`, in rule
// order, leaving out those that would repeat the state `states` already
// holds; `states` is updated. A temperature between a rule's limits leaves
// its relay as it is.
std::vector<std::pair<int, int>> RuleSwitches(const std::vector<TemperatureRule>& rules,
                                              float temperature, RuleStates& states);

}  // namespace led
