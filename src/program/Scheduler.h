#pragma once
// The two program schedulers, one code with a layer argument: a pass every
// 200 ms (normal) or 100 ms (OSD) picks the eligible program of the highest
// class present, decides from the end condition whether to switch, and
// switches by stopping the layer and starting the new program.

#include <cstdint>

#include "core/LayerState.h"

namespace led {

class Player;

// What a scheduler keeps between passes.
struct SchedulerState {
    int32_t currentClass = -1;
    int32_t lastStarted = -1;
    int64_t startTick = 0;
    int64_t playtimeMs = 0;
    int32_t waitfinish = 0;
    bool firstPass = true;
    bool resume = true;  // normal layer: savecurprog.dat not consulted yet
    int idle = 0;        // normal layer: passes since the last message
};

// One pass; public so tests can drive a layer pass by pass.
void RunSchedulerPass(Player& player, Layer layer, SchedulerState& state);

void NormalSchedulerThread(Player& player);
void OsdSchedulerThread(Player& player);

}  // namespace led
