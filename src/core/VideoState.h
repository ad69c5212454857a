#pragma once
// What the video areas share with the main window, the volume schedule, the
// management handlers and the screen capture: one media graph per program
// layer with its flags, the camera preview, the camera input switch and the
// wave output volume.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "core/LayerState.h"
#include "platform/audio/WaveMixer.h"
#include "platform/config/Settings.h"
#include "platform/geometry.h"
#include "platform/gpio/Gpio.h"
#include "platform/media/CameraPreview.h"
#include "platform/media/MediaGraph.h"

namespace led {

struct VideoLayer {
    std::unique_ptr<MediaGraph> graph;
    // Set while an item plays; anyone may clear it to end the item early.
    std::atomic<bool> videoPlaying{false};
    // Set when an item was ended by its play time.
    std::atomic<bool> videoTimedOut{false};
    // The area plays exactly one item.
    std::atomic<bool> videoSingleItem{false};

    // An item starts: videoPlaying is set, tied to no graph run until TieItem.
    void BeginItem() {
        std::lock_guard lock(itemMutex_);
        itemRun_ = 0;
        videoPlaying = true;
    }
    // The playing item is the graph's run `run`.
    void TieItem(uint64_t run) {
        std::lock_guard lock(itemMutex_);
        itemRun_ = run;
    }
    // Clears videoPlaying when the playing item is still the run `run`, so
    // that an event fetched late never ends the item after it.
    bool EndItemOfRun(uint64_t run) {
        std::lock_guard lock(itemMutex_);
        if (run == 0 || itemRun_ != run) return false;
        videoPlaying = false;
        return true;
    }

    // Left, top, right + 1, bottom + 1 of the video window on the screen.
    Rect VideoRect() const {
        std::lock_guard lock(rectMutex_);
        return videoRect_;
    }
    void SetVideoRect(const Rect& rect) {
        std::lock_guard lock(rectMutex_);
        videoRect_ = rect;
    }

private:
    std::mutex itemMutex_;
    uint64_t itemRun_ = 0;
    mutable std::mutex rectMutex_;
    Rect videoRect_;
};

class VideoState {
public:
    // The GStreamer graphs are made here but start nothing until used. Tests
    // replace the members with fakes before any thread uses them.
    explicit VideoState(const Settings& settings);

    VideoLayer& Of(Layer layer) { return layer == Layer::Normal ? normal : osd; }

    VideoLayer normal;
    VideoLayer osd;
    std::unique_ptr<CameraPreview> camera;
    std::unique_ptr<GpioLine> cameraSwitch;
    // The wave output volume, set with the graphs' volume.
    std::unique_ptr<WaveMixer> waveOut;
};

}  // namespace led
