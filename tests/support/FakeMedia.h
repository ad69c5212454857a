#pragma once
// Stand-ins for the media graph and the camera preview that record what they
// were asked to do, for tests of the code that drives them.

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/WaveMixer.h"
#include "platform/gpio/Gpio.h"
#include "platform/media/CameraPreview.h"
#include "platform/media/MediaGraph.h"

namespace led::test {

class FakeMediaGraph final : public MediaGraph {
public:
    // Names that fail to open, and durations by name (default 0).
    std::vector<std::string> failingNames;
    std::map<std::string, int64_t> durations;

    bool Open(const std::string& name, Window* owner,
              const std::function<bool()>& giveUp = {}) override;
    bool Run() override;
    bool Stop() override;
    bool Release() override;
    bool StopRun(uint64_t run) override;
    uint64_t RunId() const override;
    int64_t GetDurationSeconds() override;
    bool SetGraphVolume(int32_t volume) override;
    bool FitVideo(double scale) override;
    bool SetWindowRect(Window* owner, const EdgeRect& rect) override;
    std::optional<GraphEvent> TakeEvent() override;
    bool IsHeld() const override;
    std::string Note() const override { return {}; }
    Size NativeSize() const override { return {}; }
    Rect DestRect() const override;
    MediaStats Stats() const override { return {}; }
    bool WaitFramesShown(uint64_t, int64_t) override { return false; }

    // Queues an event as a running graph would (kept only while one is held),
    // tagged with the held run.
    void PostEvent(int code);
    // Called, without the fake's lock, after TakeEvent has taken an event: a
    // test puts here what other threads do before the taker acts on it.
    std::function<void()> afterTakeEvent;
    // Every call as "Open name", "Run", "Stop", "Release", "Volume -4500",
    // "FitVideo 1", "WindowRect 0,0,1015,253", in order.
    std::vector<std::string> Calls() const;
    bool Running() const;
    std::string OpenName() const;
    int32_t Volume() const;

private:
    bool ReleaseLocked();

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    std::deque<GraphEvent> events_;
    bool held_ = false;
    uint64_t run_ = 0, lastRun_ = 0;
    bool running_ = false;
    std::string name_;
    int32_t volume_ = 0;
    Rect dest_;
};

class FakeCameraPreview final : public CameraPreview {
public:
    bool failStart = false;

    bool Start(const Rect& rect, Window* owner, int width, int height) override;
    void Stop() override;
    bool IsRunning() const override;
    MediaStats Stats() const override { return {}; }
    bool WaitFramesShown(uint64_t, int64_t) override { return false; }

    // "Start 720x576 at 10,20 300x200", "Stop".
    std::vector<std::string> Calls() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    bool running_ = false;
};

// Records every wave volume it is given.
class FakeWaveMixer final : public WaveMixer {
public:
    bool SetWaveVolume(uint32_t volume) override {
        std::lock_guard lock(mutex_);
        volumes_.push_back(volume);
        return true;
    }
    std::vector<uint32_t> Volumes() const {
        std::lock_guard lock(mutex_);
        return volumes_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<uint32_t> volumes_;
};

// Records every level it is driven to.
class FakeGpioLine final : public GpioLine {
public:
    const std::string& Name() const override { return name_; }
    bool Set(bool high) override {
        std::lock_guard lock(mutex_);
        levels_.push_back(high ? 1 : 0);
        return true;
    }
    int Level() const override {
        std::lock_guard lock(mutex_);
        return levels_.empty() ? -1 : levels_.back();
    }
    std::vector<int> Levels() const {
        std::lock_guard lock(mutex_);
        return levels_;
    }

private:
    std::string name_ = "fake:0";
    mutable std::mutex mutex_;
    std::vector<int> levels_;
};

}  // namespace led::test
