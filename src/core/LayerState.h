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

// One start of a program on a layer: the stop flag, exit counter and
// completion counters of that start's area threads. Each thread holds its
// run as it holds its program record, so a thread that outlives a stop which
// gave up still only stops, ends and counts for its own program.
struct ProgramRun {
    std::atomic<bool> stopFlag{false};  // 1 asks every thread of the run to end
    std::atomic<int32_t> exitCounter{0};
    std::array<std::atomic<int32_t>, kMaxAreas> completionCounters{};
};

inline const char* LayerName(Layer layer) { return layer == Layer::Normal ? "normal" : "osd"; }

struct LayerState {
    explicit LayerState(Layer l) : layer(l) {}
    const Layer layer;
    std::atomic<int32_t> currentIndex{-1};
    // The playing program; each area thread keeps its own reference.
    std::shared_ptr<const ProgramRecord> currentProgram;
    // The run of the playing (or last played) program: the stops and the
    // scheduler read the layer's stop flag and counters here. StartProgram
    // replaces it; threads of earlier runs keep their own.
    std::shared_ptr<ProgramRun> Run() const { return std::atomic_load(&run_); }
    void BeginRun(std::shared_ptr<ProgramRun> run) { std::atomic_store(&run_, std::move(run)); }
    std::atomic<int32_t> areaCount{0};
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

private:
    std::shared_ptr<ProgramRun> run_ = std::make_shared<ProgramRun>();
};

}  // namespace led
