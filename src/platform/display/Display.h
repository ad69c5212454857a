#pragma once
// The output raster and its windows. Windows stack in z-order: the main window
// at the bottom, topmost popups above it in creation order. Drawing into a
// window reports damage; the compositor thread composes only damaged regions
// into the raster and hands them to the backend. Nothing is composed while
// nothing changes; without an output device (headless) nothing is composed
// until the raster is read. While one window covers the whole output, the
// backend is handed that window's surface instead, without the copy.

#include <atomic>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/display/Backend.h"
#include "platform/display/Canvas.h"
#include "platform/display/Surface.h"

namespace led {

class Display;

class Window {
public:
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const std::string& Name() const { return name_; }
    Rect Frame() const;  // position and size on the raster
    bool IsVisible() const { return visible_.load(); }
    void Show(bool visible);
    void Move(const Rect& frame);  // keeps the content at its top-left; resizes the surface

    // Paint session: holds the window's surface for the caller; on destruction
    // reports what was drawn as damage.
    class Painter {
    public:
        explicit Painter(Window& window);
        ~Painter();
        Painter(const Painter&) = delete;
        Painter& operator=(const Painter&) = delete;
        Canvas& canvas() { return canvas_; }
        Canvas* operator->() { return &canvas_; }

    private:
        Window& window_;
        std::unique_lock<std::mutex> lock_;
        Canvas canvas_;
    };
    Painter Paint() { return Painter(*this); }

    // A copy of the window's current content (CaptureWindow).
    Surface Capture() const;

private:
    friend class Display;
    Window(Display& display, std::string name, const Rect& frame, bool topmost);

    Display& display_;
    std::string name_;
    bool topmost_;
    mutable std::mutex mutex_;  // guards frame_ and surface_
    Rect frame_;
    Surface surface_;
    std::atomic<bool> visible_{true};
};

class Display {
public:
    Display(std::unique_ptr<DisplayBackend> backend, Size raster);
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Opens the backend on the compositor thread and starts composing.
    bool Start(KeyHandler onKey = {});
    void Stop();
    const char* BackendName() const { return backend_->Name(); }
    Size RasterSize() const { return raster_.GetSize(); }

    std::unique_ptr<Window> CreateWindow(const std::string& name, const Rect& frame, bool topmost);

    void Damage(const Rect& rect);
    // Composes pending damage on the calling thread (tests and snapshots).
    void ComposeNow();
    // The composed raster as the viewer sees it now.
    Surface CaptureRaster();
    // What the backend shows of the raster: only `source` (clipped to the
    // raster), or all of it when empty. Capture and windows are unchanged.
    void ShowOnly(const Rect& source);
    Rect Shown();
    // Counts compositions; lets tests and benchmarks see that idle means idle.
    uint64_t ComposeCount() const { return composeCount_.load(); }
    // Pixels copied from windows into the raster so far. A window that covers
    // the whole output is shown from its own surface and copied only when the
    // raster is read.
    uint64_t CopiedPixels() const { return copiedPixels_.load(); }

private:
    friend class Window;
    void Remove(Window* window);
    void Restack(Window* window);
    void CompositorLoop(KeyHandler onKey, std::promise<bool>* opened);
    // mutex_ held. `intoRaster`: the raster itself must be up to date (it is
    // about to be read), not only what the backend shows.
    void ComposeLocked(bool intoRaster);
    // The topmost visible window when it covers exactly the whole raster.
    Window* FullScreenWindowLocked();
    void WakeCompositor();  // mutex_ held

    std::unique_ptr<DisplayBackend> backend_;
    std::mutex mutex_;  // windows_, damage_, raster_
    std::condition_variable wake_;
    std::vector<Window*> windows_;  // bottom to top
    std::vector<Rect> damage_;
    std::vector<Rect> rasterBehind_;  // presented from a window, not yet in raster_
    Surface raster_;
    std::thread thread_;
    bool stopping_ = false;
    Rect shown_;                 // empty: the whole raster
    bool shownChanged_ = false;  // the backend has not been told yet
    std::atomic<uint64_t> composeCount_{0};
    std::atomic<uint64_t> copiedPixels_{0};
};

}  // namespace led
