#pragma once
// The shared run-time state of one program layer (normal or OSD). Flags and
// counters are atomics: each has one writing side, the others poll.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "core/Records.h"

namespace led {

enum class Layer { Normal, Osd };

inline const char* LayerName(Layer layer) { return layer == Layer::Normal ? "normal" : "osd"; }

struct LayerState {
    explicit LayerState(Layer l) : layer(l) {}
    const Layer layer;
    std::atomic<int32_t> currentIndex{-1};
    // The playing program; each area thread keeps its own reference.
    std::shared_ptr<const ProgramRecord> currentProgram;
    std::atomic<int32_t> areaCount{0};
    std::array<std::atomic<int32_t>, kMaxAreas> completionCounters{};
    std::atomic<int32_t> exitCounter{0};
    std::atomic<bool> stopFlag{false};
    std::atomic<int32_t> requiredPlaytimes{1};
    std::atomic<bool> programFinished{false};
    // Cycle messages (1131 / 1325) counted by the main window since the
    // program started.
    std::atomic<int32_t> cycleMessageCount{0};
    // A started program whose stop has not been seen yet (for the events log).
    std::atomic<bool> running{false};
    // Next / previous program requested from the keys or the control session.
    std::atomic<bool> nextRequested{false};
    std::atomic<bool> previousRequested{false};
};

}  // namespace led
