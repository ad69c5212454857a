#pragma once
// The live camera input shown in a window: a second graph, separate from the
// media graph. Its source is configurable (a V4L2 device on the board, a test
// source in tests). The same rules as for MediaGraph apply to the owner
// window: alive until Stop, never painted by the caller during a call.

#include <memory>
#include <string>

#include "platform/geometry.h"
#include "platform/media/MediaGraph.h"

namespace led {

class Window;

class CameraPreview {
public:
    virtual ~CameraPreview() = default;
    // Captures at width x height, 30 frames per second (0 x 0: the source's own
    // size) and shows the picture over the whole owner window. `rect` is the
    // owner's place on the screen. False, with the reason logged, when the
    // source cannot be made or started; the preview then stays stopped.
    virtual bool Start(const Rect& rect, Window* owner, int width, int height) = 0;
    // Stops and releases the preview; nothing when it is not running.
    virtual void Stop() = 0;
    virtual bool IsRunning() const = 0;
    virtual MediaStats Stats() const = 0;
    virtual bool WaitFramesShown(uint64_t count, int64_t timeoutMs) = 0;
};

// `source` is a GStreamer source description, e.g. "v4l2src device=/dev/video0".
std::unique_ptr<CameraPreview> MakeCameraPreview(const std::string& source);

}  // namespace led
