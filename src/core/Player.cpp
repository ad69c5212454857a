#include "core/Player.h"

#include <spdlog/spdlog.h>

#include <cstdlib>

#include "core/WorkerThread.h"
#include "platform/display/Display.h"

namespace led {
namespace {

std::filesystem::path VolumeDir(const std::string& configured) { return configured; }

}  // namespace

Player::Player(Settings s, Clock c, std::unique_ptr<DisplayBackend> backend,
               std::unique_ptr<System> sys)
    : settings(std::move(s)),
      clock(std::move(c)),
      fs(settings.root),
      events(clock),
      system(std::move(sys)),
      queue(clock) {
    if (!settings.volumeNand.empty()) fs.MapVolume("nand", VolumeDir(settings.volumeNand));
    if (!settings.volumeStorageCard.empty())
        fs.MapVolume("Storage Card", VolumeDir(settings.volumeStorageCard));
    if (!settings.volumeStorageCardSd.empty())
        fs.MapVolume("Storage Card 1_0", VolumeDir(settings.volumeStorageCardSd));
    if (!settings.volumeHdd.empty()) fs.MapVolume("HDD", VolumeDir(settings.volumeHdd));
    if (!system) {
        system = std::make_unique<System>(
            System::Commands{settings.rebootCommand, settings.startupCommand,
                             settings.setTimeCommand},
            [this](const std::string& what, const std::string& detail) {
                spdlog::info("{}: {}", what, detail);
                events.Emit(what, {{"detail", detail}});
            });
    }
    backend_ = backend ? std::move(backend) : MakeHeadlessBackend();
    threads.testPatternThread = std::make_unique<WorkerThread>("test pattern", 3, [] {});
}

bool Player::OpenDisplay(Size raster, KeyHandler onKey) {
    if (!backend_) backend_ = MakeHeadlessBackend();
    output.display = std::make_unique<Display>(std::move(backend_), raster);
    if (output.display->Start(onKey)) return true;
    output.display.reset();
    return false;
}

Player::~Player() {
    BeginShutdown();
    for (auto& w : threads.workers) w->Join();
    threads.testPatternThread->Join();
    // Area threads and launchers see the shutdown within an effect frame; a
    // video area opening a stream gives its preroll up within a few tens of
    // milliseconds. One still running after that uses what the members
    // free: the process ends instead, leaving them in place.
    if (!playback.areaThreads.WaitAllEnded(threads.areaThreadsEndLimit)) {
        spdlog::critical("{} area thread(s) still running at the player's end; ending the process",
                         playback.areaThreads.Live());
        spdlog::default_logger()->flush();
        std::_Exit(kExitAreaThreadsRunning);
    }
    output.mainWindow.reset();
    if (output.display) output.display->Stop();
}

void Player::BeginShutdown() {
    {
        std::lock_guard lock(sleepMutex_);
        shuttingDown_ = true;
    }
    sleepWake_.notify_all();
    playback.normal.Run()->stopFlag = true;
    playback.osd.Run()->stopFlag = true;
}

AreaServices Player::ForAreas() {
    return {settings,
            clock,
            fs,
            events,
            queue,
            output.display.get(),
            output.mainWindow.get(),
            video,
            device.volume,
            device.keepAliveHandover,
            shuttingDown_,
            sensors};
}

bool Player::SleepOrStop(int64_t milliseconds) {
    int64_t deadline = clock.Ticks() + std::max<int64_t>(0, milliseconds);
    std::unique_lock lock(sleepMutex_);
    if (clock.IsStepped()) {
        clock.SleepUntil(deadline);
        return !shuttingDown_;
    }
    sleepWake_.wait_until(lock, clock.RealDeadline(deadline),
                          [this] { return shuttingDown_.load(); });
    return !shuttingDown_;
}

}  // namespace led
