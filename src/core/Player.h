#pragma once
// The process state of one player: everything start-up builds and the threads
// share. Passed by reference; there are no mutable globals, so two players can
// run in one test process.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/AreaBodies.h"
#include "core/AreaContext.h"
#include "core/AreaThreads.h"
#include "core/CardPorts.h"
#include "core/LayerState.h"
#include "core/NetInfo.h"
#include "core/PlaybackHold.h"
#include "core/PlayerType.h"
#include "core/Records.h"
#include "core/ScheduleTables.h"
#include "core/SensorReadings.h"
#include "core/StoragePaths.h"
#include "core/TestLog.h"
#include "core/TransferStatus.h"
#include "core/UpperHooks.h"
#include "core/VideoState.h"
#include "platform/clock/Clock.h"
#include "platform/config/Settings.h"
#include "platform/display/Display.h"
#include "platform/events/EventLog.h"
#include "platform/fs/DeviceFs.h"
#include "platform/messages/MessageQueue.h"
#include "platform/net/MobileLink.h"
#include "platform/system/System.h"

namespace led {

class WorkerThread;

// The exit status of a process whose player ended while an area thread still
// ran (see ~Player).
inline constexpr int kExitAreaThreadsRunning = 70;

// Where the programs live and how the playlist is placed: the run mode, the
// storage paths built from it and the player type. Replaced whole (start-up
// decides them step by step; the management commands switch the run mode),
// so a reader always holds one consistent choice.
struct StorageSetup {
    RunMode runMode = RunMode::Flash;
    StoragePaths paths = BuildStoragePaths(RunMode::Flash);
    PlayerType playerType;
};

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

    // The storage choice: an immutable snapshot, like the program lists.
    std::shared_ptr<const StorageSetup> Storage() const { return std::atomic_load(&storage_); }
    void SetStorage(std::shared_ptr<const StorageSetup> setup) {
        std::atomic_store(&storage_, std::move(setup));
    }

    // The program lists: an immutable snapshot replaced whole by the reader.
    std::shared_ptr<const ProgramLists> Programs() const { return std::atomic_load(&programs_); }
    void SetPrograms(std::shared_ptr<const ProgramLists> lists) {
        std::atomic_store(&programs_, std::move(lists));
    }
    // Replaces the lists only if they are still `expected` (a snapshot taken
    // earlier); false when someone published others in between.
    bool ReplacePrograms(const std::shared_ptr<const ProgramLists>& expected,
                         std::shared_ptr<const ProgramLists> lists) {
        auto seen = expected;
        return std::atomic_compare_exchange_strong(&programs_, &seen, std::move(lists));
    }

    // Creates the output raster at the main window's size and starts composing.
    // False when the backend cannot open (the caller may fall back to headless).
    bool OpenDisplay(Size raster, KeyHandler onKey);
    void ResetBackend(std::unique_ptr<DisplayBackend> backend) { backend_ = std::move(backend); }

    LayerState& LayerOf(Layer layer) { return playback.LayerOf(layer); }
    // What an area thread may use of the player: nothing else reaches it.
    AreaServices ForAreas();
    // The flag BeginShutdown raises; services hand it on to threads that must
    // not see the whole player.
    const std::atomic<bool>& ShutdownFlag() const { return shuttingDown_; }

    // Services: built by the constructor, never replaced, each safe to use
    // from any thread (the ports through their exchange locks).
    Settings settings;
    Clock clock;
    DeviceFs fs;
    EventLog events;
    CardPorts ports{settings, events};  // `cardPort` and `auxPort`
    std::unique_ptr<System> system;
    // The modem link the server link re-dials; only the link thread uses it.
    std::unique_ptr<MobileLink> mobileLink = MakeNetworkManagerLink();
    MessageQueue queue;
    // The media graph of each layer with its flags (videoPlaying among them:
    // set by StartProgram, cleared by the stops and the video area), the
    // camera preview and switch.
    VideoState video{settings};
    AreaBodyRegistry areaBodies;  // filled once before the first program starts

    // The output raster and the main window. Written by the main thread during
    // start-up; every thread reads them afterwards.
    struct Output {
        std::unique_ptr<Display> display;
        std::unique_ptr<Window> mainWindow;
        Size windowSize{1920, 1080};
        int windowCreations = 0;  // main thread only
    } output;

    // What start-up decided. Written by the main thread before the worker
    // threads start; read-only afterwards.
    struct Boot {
        bool chinese = true;  // language flag: on-screen texts in their Chinese wording
        AdapterInfo adapter;
        explicit Boot(const DeviceFs& fs) : testLog(fs) {}
        TestLog testLog;  // enabled or not at start-up; appending is thread-safe
    } boot{fs};

    // Set by every playlist read (start-up, then the normal scheduler's
    // thread); read by the schedulers, the areas and the management commands.
    struct Screen {
        std::atomic<int> screenWidth{1920}, screenHeight{1080};
        std::atomic<int> osdOffsetLine{1080};  // the raster line where the OSD region begins
    } screen;

    // The two layers. Each flag has one writing side (see LayerState and
    // PlaybackHold); the schedulers, launchers and area threads poll.
    struct Playback {
        LayerState normal{Layer::Normal};
        LayerState osd{Layer::Osd};
        PlaybackHold hold;
        AreaThreads areaThreads;
        LayerState& LayerOf(Layer layer) { return layer == Layer::Normal ? normal : osd; }
    } playback;

    // Levels and hand-overs of the devices. Volume: the keys, the volume
    // schedule and the control session write it; the video areas read it.
    // Brightness: whoever sends a level to the card records it. The keep-alive
    // hand-over is raised by a playing video area, read by the watchdog.
    struct Device {
        std::atomic<int> volume{100};
        std::atomic<int> brightness{255};       // the level last sent to the card
        std::atomic<int> keepAliveHandover{0};  // 1 while a video area sends the keep-alive
        std::atomic<int> videoState{0};
        std::atomic<bool> upPointFlag{true};  // consulted by the control session
        // The gamma value (x 10) last acknowledged by the card, per colour
        // (red, green, blue): the tool reads them back.
        std::array<std::atomic<int>, 3> gamma{};
        // Raised while the card shows its own test display or takes a
        // firmware update; the mode (1, 2) of the test display, 0 when none.
        std::atomic<bool> cardTest{false};
        std::atomic<int> cardTestMode{0};
    } device;

    // The brightness, power, volume and relay schedules: the tables are read
    // whole from their files (LoadSchedules) and replaced whole; the schedule
    // threads take one snapshot per pass.
    struct Schedules {
        std::shared_ptr<const ScheduleTables> Tables() const { return std::atomic_load(&tables_); }
        void SetTables(std::shared_ptr<const ScheduleTables> t) {
            std::atomic_store(&tables_, std::move(t));
        }
        // 1 while the screen is powered on, 0 while off; -1 until the power
        // schedule or the tool first decides, so that a player started
        // outside its power windows goes dark instead of playing on.
        std::atomic<int32_t> screenOn{-1};
        std::atomic<int32_t> autoBrightness{0};  // the level last chosen from the light
        std::atomic<int32_t> volume{-1};  // the level the volume schedule last set, -1 before

    private:
        std::shared_ptr<const ScheduleTables> tables_ = std::make_shared<ScheduleTables>();
    } schedules;

    // The auxiliary board's last readings and the temperature relay rules,
    // each an immutable snapshot; only the sensor polling writes the readings.
    SensorStore sensors;

    // netinfo.txt and the control sessions' heartbeat and connection flags.
    NetworkState network;

    // Filled by start-up before the control servers start; read-only after.
    UpperHooks hooks;

    // The text message on screen (code 111): one at a time, replaced by the
    // next. Declared after the output so it goes before the display.
    struct TextMessageSlot {
        std::mutex mutex;
        std::unique_ptr<Window> window;
    } textMessage;

    // The upload's status icons and "overtime" text.
    TransferStatus transferStatus;

    // The file copy's progress counters: the copying thread writes them, the
    // main window draws the bar from them (message 1026).
    struct CopyProgress {
        std::atomic<uint64_t> copiedBytes{0}, totalBytes{0};
    } copy;

    // The USB disk's notice (`usbNotice`): 0xA1 inserted, 0xA2 removed, 0
    // none. The main window writes it; the USB disk thread acts and clears it.
    struct Usb {
        std::atomic<int32_t> usbNotice{0};
    } usb;

    // Worker threads by role. Start-up fills the list before the message loop
    // runs; the supervision timer (main thread) and the launchers restart the
    // kept ones through WorkerThread, which locks.
    struct Threads {
        std::vector<std::unique_ptr<WorkerThread>> workers;
        WorkerThread* serverLinkThread = nullptr;
        WorkerThread* normalSchedulerThread = nullptr;
        WorkerThread* remoteWindowThread = nullptr;
        // The test pattern's thread: started by the management commands, one
        // run at a time (a new run waits for the one before to end).
        std::unique_ptr<WorkerThread> testPatternThread;
        // Raised by every pattern start: a pattern thread of an earlier start
        // ends even when the test flag was set again before it looked.
        std::atomic<uint32_t> testPatternGeneration{0};
        std::atomic<int> remoteWindowGeneration{0};
        // How long (real time) the player waits at its end for the area
        // threads and launchers: an effect frame, a media preroll (10 s).
        std::chrono::milliseconds areaThreadsEndLimit{20000};
    } threads;

private:
    std::atomic<bool> shuttingDown_{false};
    std::mutex sleepMutex_;
    std::condition_variable sleepWake_;
    std::unique_ptr<DisplayBackend> backend_;
    std::shared_ptr<const ProgramLists> programs_ = std::make_shared<ProgramLists>();
    std::shared_ptr<const StorageSetup> storage_ = std::make_shared<StorageSetup>();
};

}  // namespace led
