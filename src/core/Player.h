#pragma once
// The process state of one player: everything start-up builds and the threads
// share. Passed by reference; there are no mutable globals, so two players can
// run in one test process.

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock/Clock.h"
#include "platform/config/Settings.h"
#include "platform/display/Display.h"
#include "platform/events/EventLog.h"
#include "platform/fs/DeviceFs.h"
#include "platform/messages/MessageQueue.h"
#include "platform/system/System.h"
#include "program/AreaThreads.h"
#include "program/LayerState.h"
#include "program/PlaybackHold.h"
#include "program/Records.h"
#include "screen/CardPorts.h"
#include "storage/PlayerType.h"
#include "storage/RunMode.h"
#include "storage/TestLog.h"
#include "video/VideoState.h"

namespace led {

class WorkerThread;

class Player {
public:
    // The display backend is given by the caller: tests pass a headless one.
    Player(Settings settings, Clock clock, std::unique_ptr<DisplayBackend> backend,
           std::unique_ptr<System> system = nullptr);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Sleeps on the player's clock; returns false at once when the player is
    // shutting down, so every worker loop ends promptly.
    bool SleepOrStop(int64_t milliseconds);
    bool ShuttingDown() const { return shuttingDown_.load(); }
    void BeginShutdown();

    // The program lists: an immutable snapshot replaced whole by the reader.
    std::shared_ptr<const ProgramLists> Programs() const { return std::atomic_load(&programs_); }
    void SetPrograms(std::shared_ptr<const ProgramLists> lists) {
        std::atomic_store(&programs_, std::move(lists));
    }

    // Creates the output raster at the main window's size and starts composing.
    // False when the backend cannot open (the caller may fall back to headless).
    bool OpenDisplay(Size raster, KeyHandler onKey);
    void ResetBackend(std::unique_ptr<DisplayBackend> backend) { backend_ = std::move(backend); }

    LayerState& LayerOf(Layer layer) { return layer == Layer::Normal ? normal : osd; }

    Settings settings;
    Clock clock;
    DeviceFs fs;
    EventLog events;
    // `cardPort` and `auxPort`; opened at start-up.
    CardPorts ports{settings, clock, events};
    std::unique_ptr<System> system;
    std::unique_ptr<Display> display;
    MessageQueue queue;
    std::unique_ptr<Window> mainWindow;

    // Decided at start-up.
    Size windowSize{1920, 1080};
    bool chinese = true;  // language flag: on-screen texts in their Chinese wording
    AdapterInfo adapter;
    TestLog testLog;
    RunMode runMode = RunMode::Flash;
    StoragePaths paths = BuildStoragePaths(RunMode::Flash);
    PlayerType playerType;
    // Set by every playlist read: the display size or the playlist's screen
    // size, and the raster line where the OSD region begins.
    std::atomic<int> screenWidth{1920}, screenHeight{1080}, osdOffsetLine{1080};
    std::atomic<bool> upPointFlag{true};  // consulted by the control session
    std::string playerName, serverHost;
    int serverPort = 0;

    // Shared run-time state.
    LayerState normal{Layer::Normal};
    LayerState osd{Layer::Osd};
    PlaybackHold hold;
    AreaThreads areaThreads;
    std::atomic<int> volume{100};
    std::atomic<int> brightness{255};  // the level last sent to the card
    std::atomic<int> keepAliveHandover{0};  // 1 while a video area sends the keep-alive
    std::atomic<int> videoState{0};
    // The media graph of each layer with its flags (videoPlaying among them:
    // set by StartProgram, cleared by the stops and the video area), the camera
    // preview and switch.
    VideoState video{settings};
    int windowCreations = 0;
    std::atomic<uint64_t> copiedBytes{0}, totalBytes{0};  // the file copy's progress counters

    // Worker threads by role; the supervision timer restarts some of them.
    std::vector<std::unique_ptr<WorkerThread>> workers;
    WorkerThread* serverLinkThread = nullptr;
    WorkerThread* normalSchedulerThread = nullptr;
    WorkerThread* remoteWindowThread = nullptr;
    std::atomic<int> remoteWindowGeneration{0};

private:
    std::atomic<bool> shuttingDown_{false};
    std::mutex sleepMutex_;
    std::condition_variable sleepWake_;
    std::unique_ptr<DisplayBackend> backend_;
    std::shared_ptr<const ProgramLists> programs_ = std::make_shared<ProgramLists>();
};

}  // namespace led
