#pragma once
// The sensor polling of the auxiliary board: every 4 s a poll, its answer
// decoded into the player's readings, the temperature rules applied.

#include <cstdint>
#include <optional>

#include "clock/TemperatureRules.h"

namespace led {

class Player;

// The poll and what the thread keeps between polls.
class SensorPoller {
public:
    explicit SensorPoller(Player& player) : player_(player) {}
    // One poll: an answer that is a whole record replaces the readings and
    // drives the temperature rules; no answer only marks the board offline;
    // readings the board never sent stay as they were (invalid at start).
    void Poll();

private:
    void Report(bool transition);

    Player& player_;
    RuleStates states_ = kNoRuleStates;
    uint32_t rulesSeen_ = 0;
    bool online_ = false;
    std::optional<int64_t> lastReport_;
};

// Loads the temperature rules, then a poll every 4 s.
void SensorPollingThread(Player& player);

}  // namespace led
