#pragma once
// What an area thread is given: its area, inside the program record it keeps
// alive for its whole life, the state of its layer, and the few services of
// the player an area may use. An area never sees the whole player.

#include <atomic>
#include <cstdint>
#include <memory>

#include "core/LayerState.h"
#include "core/Records.h"
#include "core/SensorReadings.h"

namespace led {

class Clock;
class DeviceFs;
class Display;
class EventLog;
class MessageQueue;
class VideoState;
class Window;
struct Settings;

// Handed to every area thread by the launcher. The player outlives its area
// threads, so plain references are enough.
struct AreaServices {
    const Settings& settings;
    const Clock& clock;
    const DeviceFs& fs;
    EventLog& events;
    MessageQueue& queue;                  // the main window's: cycle messages
    Display* display;                     // none before the main window exists
    Window* mainWindow;                   // the text area draws straight onto it
    VideoState& video;                    // the media graph of each layer, the camera
    std::atomic<int>& volume;             // read by the video area
    std::atomic<int>& keepAliveHandover;  // raised while a video area plays
    const std::atomic<bool>& shuttingDown;
    const SensorStore& sensors;  // the sensor areas' readings
};

struct AreaContext {
    AreaServices services;
    Layer layer;
    LayerState& state;
    // Holding the record keeps it unchanged even if this thread outlives a
    // stop that gave up and the slot is replaced.
    std::shared_ptr<const ProgramRecord> program;
    // This start's stop flag and counters, never a later start's.
    std::shared_ptr<ProgramRun> run;
    const AreaRecord& area;

    bool StopRequested() const;
    // The interruptible remain wait: 20 ms steps until the run's stop flag
    // is set or the time has passed. Returns the last tick read.
    int64_t WaitOrStop(int64_t milliseconds) const;
    // Stores the cycle count in the area's completion counter and logs it.
    void StoreCycleCount(int32_t count) const;
    // Message 1131 (normal) or 1325 (OSD) to the main window, lParam 1;
    // waits until the main window has counted it.
    void SendCycleMessage(uint64_t wParam) const;
    void Sleep(int64_t milliseconds) const;
    int AreaIndex() const;
};

}  // namespace led
