#pragma once
// Work of the upper floors (USB import, screen capture) that the control
// commands of a lower floor trigger. Start-up fills the hooks before the
// control servers start; an empty hook means the feature is not part of this
// player, and the caller logs that and carries on.

#include <functional>

namespace led {

// The screen capture the tool fetches (codes 114 and 151).
inline constexpr const char* kCaptureFile = "\\nand\\capture.bmp";

struct UpperHooks {
    // Code 93: \NAND\Camera emptied, then org.bmp, osd.bmp and, while a video
    // plays, the JPEG of its picture.
    std::function<void()> captureToCamera;
    // Codes 114 and 151: \nand\capture.bmp of the whole screen; false when it
    // could not be written.
    std::function<bool()> captureScreenFile;
};

}  // namespace led
