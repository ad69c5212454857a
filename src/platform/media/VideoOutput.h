#pragma once
// The video end of a pipeline, shared by the media graph and the camera
// preview: "deinterlace ! videoconvertscale ! capsfilter ! appsink". GStreamer
// scales each frame to the destination size, keeping the decoder's own pixel
// format where it can; the appsink's streaming thread converts it to BGRx
// straight into the owner window at the destination rectangle, and the window
// clips whatever lies outside its surface.

#include <gst/gst.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/display/Surface.h"
#include "platform/geometry.h"
#include "platform/media/MediaGraph.h"

namespace led {

class Window;

// Starts GStreamer once per process.
void EnsureGstInitialized();

// Owns one reference to a GstObject.
struct GstUnref {
    void operator()(gpointer object) const {
        if (object) gst_object_unref(object);
    }
};
using GstElementPtr = std::unique_ptr<GstElement, GstUnref>;

class VideoOutput {
public:
    VideoOutput();
    ~VideoOutput();
    VideoOutput(const VideoOutput&) = delete;
    VideoOutput& operator=(const VideoOutput&) = delete;

    // The bin to hand to the pipeline (the output keeps its own reference);
    // null when an element is missing.
    GstElement* Element() const { return bin_.get(); }

    // Paints frames into `owner` at `dest` (owner coordinates). An empty
    // destination paints each frame at its own size at (0, 0).
    void Attach(Window* owner, const Rect& dest);
    // Stops painting and returns the owner and the part of it painted so far.
    // Safe while frames flow: a frame being painted is finished first.
    Window* Detach(Rect& painted);

    MediaStats Stats() const;
    // Shared with waiters, so a wait may outlive the output.
    struct Shared;
    std::shared_ptr<Shared> SharedState() const { return shared_; }
    static bool WaitShown(Shared& shared, uint64_t count, int64_t timeoutMs);

private:
    std::shared_ptr<Shared> shared_;
    GstElementPtr bin_;
    GstElement* capsfilter_ = nullptr;  // owned by bin_
    GstElement* appsink_ = nullptr;     // owned by bin_
};

// Hides a picture: fills the painted part of the owner black.
void HidePicture(Window* owner, const Rect& painted);

}  // namespace led
